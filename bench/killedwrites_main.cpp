// Kills a process that writes the preference file in a loop (a small and a 1 MiB store in
// turn) at random moments, 1,000 times by default, and checks after every kill that the file
// holds one whole store, that the next start reads it and that nothing else is left behind.
// Run: build/bench/codeplexor_bench_killedwrites [--kills N] [--seed S]
// The test suite runs the same check with 200 kills.

#include "KilledWrites.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--write-loop") == 0)
        return KilledWrites::writeLoop(QFile::decodeName(argv[2]));

    const QStringList arguments = app.arguments();
    const auto option = [&arguments](const char* name, qint64 fallback) {
        const qsizetype at = arguments.indexOf(QLatin1StringView(name));
        return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1).toLongLong() : fallback;
    };
    const int kills = int(option("--kills", 1000));
    const auto seed = quint32(option("--seed", QRandomGenerator::global()->generate()));

    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return 1;
    }
    std::printf("Killing the writer %d times (seed %u) ...\n", kills, seed);
    std::fflush(stdout);
    const KilledWrites::Outcome outcome = KilledWrites::run(
        QCoreApplication::applicationFilePath(), {QStringLiteral("--write-loop")}, folder.path(),
        kills, seed);
    for (const QString& failure : outcome.failures)
        std::printf("FAILED %s\n", qPrintable(failure));
    std::printf("kills: %d, whole small store after %d, whole large store after %d, "
                "failures: %lld\n",
                outcome.kills, outcome.smallSeen, outcome.largeSeen,
                static_cast<long long>(outcome.failures.size()));
    std::printf("writes completed: %lld, %.1f s in all, %.1f ms per kill and check\n",
                static_cast<long long>(outcome.writes), outcome.seconds,
                outcome.kills ? 1000.0 * outcome.seconds / outcome.kills : 0.0);
    return outcome.failures.isEmpty() && outcome.kills == kills ? 0 : 1;
}

#include "KilledWrites.h"

#include "model/PreferenceFileFormat.h"
#include "model/Preferences.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

#include <chrono>
#include <random>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace KilledWrites {

namespace {

const QLatin1StringView payloadKey("plexorPrefix");

// About 1 MiB of varied lines, so that a write takes many system calls and a torn file shows.
const QString& payload(bool large)
{
    static const QString small = u"Small store."_s;
    static const QString big = [] {
        QString text;
        for (int line = 0; text.size() < 1024 * 1024; ++line)
            text += u"line %1: \u00e9t\u00e9 \"quoted\" \\ path/%2\n"_s.arg(line).arg(line * 7919);
        return text;
    }();
    return large ? big : small;
}

QVariantMap expectedStore(bool large)
{
    return {{u"SUEnableAutomaticChecks"_s, false},
            {u"SULastCheckTime"_s, 786000000.5},
            {u"bookmark"_s, QByteArray("\x00\x01\xfe\xff", 4)},
            {QString(payloadKey), payload(large)}};
}

// Checks the file and its folder after a kill; an empty text when all is well.
QString checkAfterKill(const QString& filePath, Outcome& outcome)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return u"the file is gone: "_s + file.errorString();
    const std::optional<QVariantMap> values = PreferenceFileFormat::read(file.readAll());
    if (!values)
        return u"the file is not a store"_s;
    const bool large = *values == expectedStore(true);
    if (!large && *values != expectedStore(false))
        return u"the file holds neither store (keys: %1)"_s.arg(values->keys().join(u", "));
    ++(large ? outcome.largeSeen : outcome.smallSeen);
    // The next start reads the same store and cleans up after the killed process.
    if (Preferences(filePath).text(payloadKey) != payload(large))
        return u"the next start reads another payload"_s;
    const QStringList entries = QFileInfo(filePath).dir().entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    if (entries != QStringList{QFileInfo(filePath).fileName()})
        return u"left in the folder: "_s + entries.join(u", ");
    return {};
}

} // namespace

int writeLoop(const QString& filePath)
{
    Preferences store(filePath);
    store.setBoolean(QLatin1StringView("SUEnableAutomaticChecks"), false);
    store.setNumber(QLatin1StringView("SULastCheckTime"), 786000000.5);
    store.setBytes(QLatin1StringView("bookmark"), QByteArray("\x00\x01\xfe\xff", 4));
    for (qint64 count = 0;; ++count) {
        store.setText(payloadKey, payload(count % 2 == 1));
        store.flush();
        if (::write(STDOUT_FILENO, "w", 1) != 1)
            return 1;
    }
}

Outcome run(const QString& program, const QStringList& childArguments, const QString& folder,
            int kills, quint32 seed)
{
    Outcome outcome;
    const QString filePath = folder + u"/CodePlexor/CodePlexor.json"_s;
    std::mt19937 random(seed);
    // Milliseconds one write takes, learnt as the run goes; kills fall within about three.
    double writeMs = 5;
    QElapsedTimer total;
    total.start();
    for (int kill = 1; kill <= kills; ++kill) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(program, QStringList(childArguments) << filePath);
        // The first byte comes after the first complete write.
        if (!child.waitForReadyRead(60000)) {
            outcome.failures.append(u"kill %1: the writer did not start"_s.arg(kill));
            child.kill();
            child.waitForFinished();
            break;
        }
        QElapsedTimer running;
        running.start();
        std::uniform_real_distribution<double> delay(0.0, 3.0 * writeMs);
        std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(delay(random)));
        child.kill(); // SIGKILL
        const double ranMs = running.nsecsElapsed() / 1e6;
        child.waitForFinished(60000);
        const qint64 writes = child.readAllStandardOutput().size();
        outcome.writes += writes;
        writeMs = writes > 1 ? 0.7 * writeMs + 0.3 * (ranMs / double(writes - 1))
                             : std::max(writeMs, ranMs);
        ++outcome.kills;
        if (const QString failure = checkAfterKill(filePath, outcome); !failure.isEmpty())
            outcome.failures.append(u"kill %1: %2"_s.arg(kill).arg(failure));
    }
    outcome.seconds = total.nsecsElapsed() / 1e9;
    return outcome;
}

} // namespace KilledWrites

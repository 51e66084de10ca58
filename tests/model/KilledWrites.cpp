#include "KilledWrites.h"

#include "model/PreferenceFileFormat.h"
#include "model/Preferences.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <chrono>
#include <random>
#include <thread>

#include <csignal>
#include <unistd.h>

namespace KilledWrites {

namespace {

const QLatin1StringView payloadKey("plexorPrefix");

// About 1 MiB of varied lines, so that a write takes many system calls and a torn file shows.
QString largePayload()
{
    QString text;
    text.reserve(1024 * 1024 + 100);
    for (int line = 0; text.size() < 1024 * 1024; ++line)
        text += QStringLiteral("line %1: \u00e9t\u00e9 \"quoted\" \\ path/%2\n").arg(line).arg(line * 7919);
    return text;
}

const QString& payload(bool large)
{
    static const QString small = QStringLiteral("Small store.");
    static const QString big = largePayload();
    return large ? big : small;
}

// What both stores share; only the payload differs.
void writeCommon(Preferences& store)
{
    store.setBoolean(QLatin1StringView("SUEnableAutomaticChecks"), false);
    store.setNumber(QLatin1StringView("SULastCheckTime"), 786000000.5);
    store.setBytes(QLatin1StringView("bookmark"), QByteArray("\x00\x01\xfe\xff", 4));
}

QVariantMap expectedStore(bool large)
{
    return {{QStringLiteral("SUEnableAutomaticChecks"), false},
            {QStringLiteral("SULastCheckTime"), 786000000.5},
            {QStringLiteral("bookmark"), QByteArray("\x00\x01\xfe\xff", 4)},
            {QString(payloadKey), payload(large)}};
}

// Checks the file and its folder after a kill; an empty text when all is well.
QString checkAfterKill(const QString& filePath, Outcome& outcome)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("the file is gone: %1").arg(file.errorString());
    const std::optional<QVariantMap> values = PreferenceFileFormat::read(file.readAll());
    file.close();
    if (!values)
        return QStringLiteral("the file is not a store");
    bool large = false;
    if (*values == expectedStore(false)) {
        ++outcome.smallSeen;
    } else if (*values == expectedStore(true)) {
        ++outcome.largeSeen;
        large = true;
    } else {
        return QStringLiteral("the file holds neither store (keys: %1)")
            .arg(values->keys().join(u", "));
    }

    // The next start reads the same store and cleans up after the killed process.
    {
        Preferences next(filePath);
        if (next.text(payloadKey) != payload(large))
            return QStringLiteral("the next start reads another payload");
    }
    const QStringList entries =
        QDir(QFileInfo(filePath).absolutePath())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    if (entries != QStringList{QFileInfo(filePath).fileName()})
        return QStringLiteral("left in the folder: %1").arg(entries.join(u", "));
    return {};
}

} // namespace

int writeLoop(const QString& filePath)
{
    Preferences store(filePath);
    writeCommon(store);
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
    const QString filePath = folder + QStringLiteral("/CodePlexor/CodePlexor.json");
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
            outcome.failures.append(QStringLiteral("kill %1: the writer did not start").arg(kill));
            child.kill();
            child.waitForFinished();
            break;
        }
        QElapsedTimer running;
        running.start();
        std::uniform_real_distribution<double> delay(0.0, 3.0 * writeMs);
        std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(delay(random)));
        ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
        const double ranMs = running.nsecsElapsed() / 1e6;
        child.waitForFinished(60000);
        const qint64 writes = child.readAllStandardOutput().size();
        outcome.writes += writes;
        if (writes > 1)
            writeMs = 0.7 * writeMs + 0.3 * (ranMs / double(writes - 1));
        else
            writeMs = std::max(writeMs, ranMs);

        ++outcome.kills;
        const QString failure = checkAfterKill(filePath, outcome);
        if (!failure.isEmpty())
            outcome.failures.append(QStringLiteral("kill %1: %2").arg(kill).arg(failure));
    }
    outcome.seconds = total.nsecsElapsed() / 1e9;
    return outcome;
}

} // namespace KilledWrites

#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// The outcome of one run of the built `plexor` binary.
struct PlexorRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

namespace PlexorProcess {

inline PlexorRun finish(QProcess& process)
{
    PlexorRun run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// `plexor`'s environment: `configHome` as its configuration folder and no display settings at
// all, as on a machine reached over SSH.
inline void prepare(QProcess& process, const QString& configHome, const QString& workingDirectory)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : {QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("DISPLAY"),
                                QStringLiteral("WAYLAND_DISPLAY")})
        environment.remove(name);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    process.setProcessEnvironment(environment);
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
}

} // namespace PlexorProcess

// Runs `plexor` with `configHome` as its configuration folder, without a display.
inline PlexorRun runPlexor(const QStringList& arguments, const QString& configHome,
                           const QString& workingDirectory = {})
{
    QProcess process;
    PlexorProcess::prepare(process, configHome, workingDirectory);
    process.start(QStringLiteral(PLEXOR_BINARY), arguments);
    return PlexorProcess::finish(process);
}

// Runs the shell command `script`, in which $0 is the `plexor` binary, for arguments whose bytes
// are not text (a shell's printf can make any byte).
inline PlexorRun runPlexorInShell(const QString& script, const QString& configHome,
                                  const QString& workingDirectory = {})
{
    QProcess process;
    PlexorProcess::prepare(process, configHome, workingDirectory);
    process.start(QStringLiteral("/bin/sh"),
                  {QStringLiteral("-c"), script, QStringLiteral(PLEXOR_BINARY)});
    return PlexorProcess::finish(process);
}

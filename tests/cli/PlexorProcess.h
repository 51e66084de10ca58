#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

using namespace Qt::StringLiterals;

// The outcome of one run of the built `plexor` binary.
struct PlexorRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs `plexor` with a configuration folder (and home) of its own and no display settings at
// all, as on a machine reached over SSH.
class PlexorRunner {
public:
    QString configHome() const { return m_config.path(); }
    QString preferencesPath() const { return m_config.path() + u"/CodePlexor/CodePlexor.json"_s; }

    // `inChild` runs in the child process before `plexor` starts (to change its user).
    PlexorRun run(const QStringList& arguments, const QString& workingDirectory = {},
                  const QByteArray& input = {}, const std::function<void()>& inChild = {}) const
    {
        return start(QStringLiteral(PLEXOR_BINARY), arguments, workingDirectory, input, inChild);
    }

    // Runs the shell command `script` with $0 the `plexor` binary, for arguments whose bytes are
    // not text.
    PlexorRun shell(const QString& script, const QString& workingDirectory) const
    {
        return start(u"/bin/sh"_s, {u"-c"_s, script, QStringLiteral(PLEXOR_BINARY)},
                     workingDirectory);
    }

private:
    PlexorRun start(const QString& program, const QStringList& arguments,
                    const QString& workingDirectory, const QByteArray& input = {},
                    const std::function<void()>& inChild = {}) const
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(QString::fromLatin1(name));
        environment.insert(u"XDG_CONFIG_HOME"_s, configHome());
        environment.insert(u"HOME"_s, configHome());
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(workingDirectory);
        if (inChild)
            process.setChildProcessModifier(inChild);
        process.start(program, arguments);
        process.write(input);
        process.closeWriteChannel();
        PlexorRun run;
        if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit)
            run = {process.exitCode(), process.readAllStandardOutput(),
                   process.readAllStandardError()};
        return run;
    }

    QTemporaryDir m_config;
};

// "generate FOLDER --select a.c" as a list of arguments.
inline QStringList words(const char* text)
{
    return QString::fromUtf8(text).split(u' ', Qt::SkipEmptyParts);
}

// The entries of an indented `plexor tree` listing as sorted paths, folders ending in "/".
inline QStringList listedEntries(const QByteArray& listing)
{
    QStringList entries;
    QStringList folders;
    for (const QByteArray& raw : listing.split('\n')) {
        const QString line = QString::fromUtf8(raw);
        const QString name = line.trimmed();
        if (name.isEmpty())
            continue;
        folders.resize((line.size() - line.trimmed().size()) / 2);
        entries.append((folders + QStringList{name}).join(u'/'));
        if (name.endsWith(u'/'))
            folders.append(name.chopped(1));
    }
    entries.sort();
    return entries;
}

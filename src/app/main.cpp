#include "app/VantorApp.h"
#include "model/Preferences.h"
#include "platform/FileNameText.h"
#include "platform/InstanceChannel.h"
#include "platform/TerminationSignals.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace {

// Where the instance lock lives when there is no session bus: the session's runtime folder, or
// the configuration folder where none is set.
QString lockFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime))
        return runtime;
    return QFileInfo(Preferences::defaultFilePath()).absolutePath();
}

void printError(const QString& text)
{
    std::fprintf(stderr, "codeplexor: %s\n", qPrintable(text));
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    VantorApp::configureApplication();

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Gathers a project's source files into one text. With a FOLDER, opens it "
                       "in the main tab; when Code Plexor already runs, that window opens it."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FOLDER"),
                                 QStringLiteral("The project folder to open."),
                                 QStringLiteral("[FOLDER]"));
    parser.process(application);
    // Arguments arrive as text with replacement characters where their bytes are not UTF-8, so
    // such a path could name another folder.
    for (int i = 1; i < argc; ++i) {
        if (!FileNameText::isValid(argv[i])) {
            printError(QStringLiteral("not valid UTF-8: ") + FileNameText::escaped(argv[i]));
            return 2;
        }
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1) {
        printError(QStringLiteral("only one folder can be opened"));
        return 2;
    }
    QString folder;
    if (!positional.isEmpty()) {
        // Resolved here: a running instance has another working folder.
        const QFileInfo info(positional.first());
        if (!info.isDir()) {
            printError(QStringLiteral("not a folder: ") + positional.first());
            return 2;
        }
        folder = QDir::cleanPath(info.absoluteFilePath());
    }

    // One instance per session: a later launch hands its folder over and ends.
    const std::unique_ptr<InstanceChannel> instance = InstanceChannel::create(lockFolder());
    if (!instance->claim()) {
        if (instance->handOver(folder))
            return 0;
        printError(QStringLiteral("Code Plexor is already running but does not answer"));
        return 1;
    }

    // Asked to end (kill, Ctrl+C, logout): save what is pending, then quit as the menu would.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &application, [] {
        Preferences::standard().flush();
        QCoreApplication::quit();
    });
    int status = 0;
    {
        VantorApp app;
        QObject::connect(instance.get(), &InstanceChannel::activationRequested, &app,
                         &VantorApp::activate);
        app.show();
        if (!folder.isEmpty())
            app.activate(folder);
        app.startAutomaticChecks();
        status = application.exec();
    }
    // After the window and its views are gone, so whatever they stored on the way out is saved.
    Preferences::standard().flush();
    return status;
}

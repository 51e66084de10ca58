#include "SeededProject.h"
#include "engine/PlexorViewModel.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The text the application makes for one selected file with the stored default prefix and
// suffix.
QString expectedText(const QString& listed, const QString& content)
{
    return PlexorViewModel::defaultPrefixText() + QStringLiteral("\n\n") + listed +
           QStringLiteral("\n\n\n\n\n------------------------------------\n") + listed +
           QStringLiteral("\n------------------------------------\n\n") + content +
           QStringLiteral("\n\n") + PlexorViewModel::suffixSeparator() +
           PlexorViewModel::defaultSuffixText();
}

QJsonObject bytes(const QByteArray& value)
{
    return QJsonObject{{QStringLiteral("base64"), QString::fromLatin1(value.toBase64())}};
}

bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) >= 0;
}

} // namespace

// The built application on its own X server: the recorded global shortcut, pressed with
// another program's keystrokes, regenerates the remembered project's text onto the clipboard.
class TestEndToEnd : public QObject {
    Q_OBJECT

    QProcess m_server;
    QString m_display;

    QString clipboardText()
    {
        QProcess xclip;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), m_display);
        xclip.setProcessEnvironment(environment);
        xclip.start(QStringLiteral("xclip"), {QStringLiteral("-o"), QStringLiteral("-selection"),
                                              QStringLiteral("clipboard")});
        if (!xclip.waitForFinished(5000))
            return {};
        return QString::fromUtf8(xclip.readAllStandardOutput());
    }

    void press(const QString& keys)
    {
        QProcess xdotool;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), m_display);
        xdotool.setProcessEnvironment(environment);
        xdotool.start(QStringLiteral("xdotool"), {QStringLiteral("key"), keys});
        QVERIFY(xdotool.waitForFinished(5000));
        QCOMPARE(xdotool.exitCode(), 0);
    }

private Q_SLOTS:
    void initTestCase()
    {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty())
            QSKIP("Xvfb is not installed (scripts/setup installs it)");
        QVERIFY(!QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty());
        QVERIFY(!QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty());
        m_server.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"),
                              QStringLiteral("-noreset"), QStringLiteral("-nolisten"),
                              QStringLiteral("tcp")});
        QByteArray number;
        while (m_server.waitForReadyRead(15000)) {
            number += m_server.readAllStandardOutput();
            if (number.contains('\n'))
                break;
        }
        QVERIFY(!number.trimmed().isEmpty());
        m_display = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    }

    void cleanupTestCase()
    {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.terminate();
            m_server.waitForFinished(5000);
        }
    }

    void theShortcutCopiesTheRememberedProject()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString project = dir.filePath(QStringLiteral("project"));
        QVERIFY(QDir().mkpath(project + QStringLiteral("/src")));
        const QString file = project + QStringLiteral("/src/main.cpp");
        QVERIFY(writeFile(file, "first version\n"));
        QVERIFY(writeFile(project + QStringLiteral("/notes.txt"), "not selected\n"));

        // A remembered project with one selected file, opened at start.
        const QByteArray bookmark = SeededProject::bookmark(project);
        QJsonObject record = SeededProject::record(project, QJsonArray{file});
        record.insert(QStringLiteral("savedExpandedPaths"),
                      QJsonArray{QString(project + QStringLiteral("/src"))});
        const QByteArray recents = QJsonDocument(QJsonArray{record}).toJson(QJsonDocument::Compact);
        const QJsonObject preferences{
            {QStringLiteral("recentFoldersJson"), bytes(recents)},
            {QStringLiteral("lastFolderBookmark"), bytes(bookmark)},
            {QStringLiteral("SUEnableAutomaticChecks"), false},
            // Ctrl+Shift+K.
            {QStringLiteral("KeyboardShortcuts_generateProject"),
             QStringLiteral("{\"carbonKeyCode\":40,\"carbonModifiers\":768}")}};
        const QString config = dir.filePath(QStringLiteral("config"));
        QVERIFY(QDir().mkpath(config + QStringLiteral("/CodePlexor")));
        QVERIFY(writeFile(config + QStringLiteral("/CodePlexor/CodePlexor.json"),
                          QJsonDocument(preferences).toJson()));

        QProcess app;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), m_display);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        // Its own instance, never a hand-over to one the desktop runs.
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), config);
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                           QStringLiteral("unix:path=") + config + QStringLiteral("/no-bus"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        app.setProcessEnvironment(environment);
        app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        app.start(QStringLiteral(CODEPLEXOR_APP_PATH), {});
        QVERIFY(app.waitForStarted(10000));
        // Stopped however the test ends.
        const auto stop = qScopeGuard([&app] {
            app.terminate();
            if (!app.waitForFinished(5000)) {
                app.kill();
                app.waitForFinished(5000);
            }
        });

        const QString listed = QStringLiteral("project/src/main.cpp");
        // The hot key is grabbed once the application has started; press until it answers.
        const QString first = expectedText(listed, QStringLiteral("first version\n"));
        for (int attempt = 0; attempt < 20 && clipboardText() != first; ++attempt) {
            press(QStringLiteral("ctrl+shift+k"));
            QTest::qWait(500);
        }
        QCOMPARE(clipboardText(), first);

        QVERIFY(writeFile(file, "second version\n"));
        press(QStringLiteral("ctrl+shift+k"));
        const QString second = expectedText(listed, QStringLiteral("second version\n"));
        QTRY_COMPARE_WITH_TIMEOUT(clipboardText(), second, 10000);
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"

#include "AppFixtures.h"
#include "FakeShortcutsPortal.h"
#include "StoredRecords.h"
#include "engine/FakeServices.h"

#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/PlatformBackend.h"
#include "KeyboardShortcuts/PortalHotKeyBackend.h"
#include "app/MainContainerView.h"
#include "app/VantorApp.h"
#include "engine/PlexorViewModel.h"
#include "model/Preferences.h"
#include "platform/BackgroundCopy.h"
#include "ui/PlexorPreviewView.h"
#include "ui/SettingsView.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace KeyboardShortcuts;

namespace {

const Shortcut commandShiftK(Key::k, EventModifierFlag::command | EventModifierFlag::shift);

// The text the seeded project generates.
QString expectedText()
{
    return SeededProject::expectedText(u"project/main.c"_qs, u"int x;\n"_qs);
}

} // namespace

// The global shortcut through the desktop portal, against a fake portal on a private session
// bus (the test runs under dbus-run-session): the application as a whole, from the binding to
// the text on the clipboard.
class TestPortal : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Preferences> m_preferences;
    std::unique_ptr<FakeShortcutsPortal> m_portal;
    FakeClipboard m_clipboard;
    FakeFolderChooser m_chooser;

    PortalHotKeyBackend* installPortal()
    {
        auto portal = std::make_unique<PortalHotKeyBackend>();
        portal->setAnswerTimeout(300);
        PortalHotKeyBackend* installed = portal.get();
        setBackend(std::move(portal));
        return installed;
    }

    // Shows the application's window and binds Ctrl+Shift+K through the portal.
    void showAndBind(VantorApp& app)
    {
        app.show();
        QVERIFY(QTest::qWaitForWindowExposed(&app.mainWindow()));
        PortalHotKeyBackend* portal = installPortal();
        setShortcut(commandShiftK, Names::generateProject());
        QTRY_COMPARE(portal->state(), PortalHotKeyBackend::State::bound);
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no session bus (run under dbus-run-session)");
        // The session type comes from each test, not from the desktop the tests run in.
        qunsetenv("WAYLAND_DISPLAY");
        qunsetenv("XDG_SESSION_TYPE");
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        const QString project = m_dir->filePath(QStringLiteral("project"));
        QVERIFY(QDir().mkpath(project));
        QVERIFY(StoredRecords::writeFile(project + u"/main.c"_qs, "int x;\n"));
        // A remembered project with one selected file, opened at start.
        const QString path = m_dir->filePath(QStringLiteral("prefs.json"));
        QVERIFY(SeededProject::writePreferences(path, project, {project + u"/main.c"_qs}));
        m_preferences = std::make_unique<Preferences>(path);
        setPreferences(m_preferences.get());
        m_portal = std::make_unique<FakeShortcutsPortal>(QStringLiteral("fakePortal"));
        m_clipboard.calls.clear();
    }

    void cleanup()
    {
        removeAllHandlers();
        setBackend(nullptr);
        m_portal.reset();
        setPreferences(nullptr);
        m_preferences.reset();
        m_dir.reset();
    }

    void theFactoryPicksThePortalOnWayland()
    {
        qputenv("WAYLAND_DISPLAY", "wayland-test");
        const auto restore = qScopeGuard([] { qunsetenv("WAYLAND_DISPLAY"); });
        QVERIFY(dynamic_cast<PortalHotKeyBackend*>(PlatformBackend::create().hotKeys.get()));
        m_portal.reset();
        const PlatformBackend without = PlatformBackend::create();
        QVERIFY(!dynamic_cast<PortalHotKeyBackend*>(without.hotKeys.get()));
        QCOMPARE(without.hotKeys->statusText(),
                 u"This desktop does not offer global shortcuts to applications."_qs);
        QVERIFY(!without.hotKeys->firesHotKeys());
        qunsetenv("WAYLAND_DISPLAY");
        QVERIFY(PlatformBackend::create().hotKeys->statusText().isEmpty());
    }

    void activationGeneratesAndCopies()
    {
        VantorApp app(*m_preferences, m_clipboard, m_chooser);
        showAndBind(app);
        // The recorded shortcut is the preferred trigger, in the session and in the binding.
        const QString id = PortalHotKeyBackend::shortcutId(commandShiftK);
        QCOMPARE(m_portal->boundShortcuts.size(), 1);
        QCOMPARE(m_portal->boundShortcuts[0].first, id);
        QCOMPARE(m_portal->boundShortcuts[0].second.value(u"preferred_trigger"_qs).toString(),
                 u"CTRL+SHIFT+k"_qs);
        app.showSettings();
        QLabel* status = app.settingsWindow()->shortcutStatus();
        QCOMPARE(status->text(), u"The desktop runs this shortcut with Ctrl+Shift+K."_qs);

        m_portal->activate(id, u"token-1"_qs);
        QTRY_VERIFY(!m_clipboard.calls.isEmpty());
        const QString expected = expectedText();
        QCOMPARE(m_clipboard.calls.last(), u"set:"_qs + expected);
        // One press, one generation.
        QTest::qWait(50);
        QCOMPARE(m_clipboard.calls.count(u"set:"_qs + expected), 1);

        // The desktop has the last word on the keys.
        m_portal->changeTrigger(u"Meta+G"_qs);
        QTRY_COMPARE(status->text(), u"The desktop runs this shortcut with Meta+G."_qs);
    }

    // A Wayland desktop without wl-copy takes a copy only from the focused window: the window
    // asks for the focus with the desktop's token and copies then, or, without a token, waits
    // for one click on "Copy". The settings name the path.
    void waylandWithoutWlCopy_data()
    {
        QTest::addColumn<QString>("token");
        QTest::addColumn<BackgroundCopy::Path>("path");
        QTest::newRow("activation token") << u"token-1"_qs << BackgroundCopy::Path::activation;
        QTest::newRow("no token") << QString() << BackgroundCopy::Path::clickToCopy;
    }

    void waylandWithoutWlCopy()
    {
        QFETCH(QString, token);
        QFETCH(BackgroundCopy::Path, path);
        const QTemporaryDir noPrograms;
        const QByteArray programs = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(noPrograms.path()));
        qputenv("WAYLAND_DISPLAY", "wayland-test");
        const auto restore = qScopeGuard([&programs] {
            qputenv("PATH", programs);
            qunsetenv("WAYLAND_DISPLAY");
        });
        VantorApp app(*m_preferences, m_clipboard, m_chooser);
        showAndBind(app);
        // Another application takes the focus.
        {
            QWindow other;
            other.show();
            QTRY_COMPARE(QGuiApplication::focusWindow(), &other);
        }
        QTRY_VERIFY(!QGuiApplication::focusWindow());

        m_portal->activate(PortalHotKeyBackend::shortcutId(commandShiftK), token);
        auto* preview = app.mainWindow().findChild<PlexorPreviewView*>();
        QVERIFY(preview);
        if (path == BackgroundCopy::Path::activation) {
            QTRY_VERIFY(m_clipboard.calls.contains(u"set:"_qs + expectedText()));
            QCOMPARE(QGuiApplication::focusWindow(), app.mainWindow().windowHandle());
        } else {
            QTRY_VERIFY(preview->clickToCopyNotice()->isVisibleTo(preview));
            QCOMPARE(preview->clickToCopyNotice()->text(),
                     u"This desktop needs one click on \u201CCopy\u201D to put the text on the "
                     u"clipboard."_qs);
            QVERIFY(m_clipboard.calls.isEmpty());
            // Nothing claims a copy that did not happen.
            QCOMPARE(preview->findChild<QPushButton*>(u"regenerateButton"_qs)->text(),
                     u"Regenerate"_qs);
            QTest::mouseClick(preview->findChild<QPushButton*>(u"copyButton"_qs), Qt::LeftButton);
            QCOMPARE(m_clipboard.calls.last(), u"set:"_qs + expectedText());
        }
        QVERIFY(!preview->clickToCopyNotice()->isVisibleTo(preview));
        app.showSettings();
        QCOMPARE(app.settingsWindow()->shortcutStatus()->text(),
                 u"The desktop runs this shortcut with Ctrl+Shift+K.\n"_qs +
                     BackgroundCopy::description(path));
    }

    void answersWithoutABinding_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<PortalHotKeyBackend::State>("state");
        QTest::addColumn<QString>("status");
        QTest::newRow("refused") << int(FakeShortcutsPortal::Answer::refuse)
                                 << PortalHotKeyBackend::State::refused
                                 << u"The desktop refused the global shortcut."_qs;
        QTest::newRow("cancelled")
            << int(FakeShortcutsPortal::Answer::cancel) << PortalHotKeyBackend::State::cancelled
            << u"The desktop's dialog was cancelled, so the shortcut is not active. Record it "
               u"again to be asked once more."_qs;
        QTest::newRow("never answers")
            << int(FakeShortcutsPortal::Answer::never) << PortalHotKeyBackend::State::unavailable
            << u"This desktop does not offer global shortcuts to applications."_qs;
    }

    void answersWithoutABinding()
    {
        QFETCH(int, answer);
        QFETCH(PortalHotKeyBackend::State, state);
        QFETCH(QString, status);
        m_portal->answer = FakeShortcutsPortal::Answer(answer);
        PortalHotKeyBackend* portal = installPortal();
        setShortcut(commandShiftK, Names::generateProject());
        QCOMPARE(portal->state(), PortalHotKeyBackend::State::idle);
        QTRY_COMPARE(portal->state(), state);
        QCOMPARE(portal->statusText(), status);
        // A new shortcut asks again, in a new session.
        const int sessions = m_portal->sessions;
        m_portal->answer = FakeShortcutsPortal::Answer::accept;
        setShortcut(Shortcut(Key::j, EventModifierFlag::command), Names::generateProject());
        QTRY_COMPARE(portal->state(), PortalHotKeyBackend::State::bound);
        QCOMPARE(m_portal->sessions, sessions + 1);
        QCOMPARE(m_portal->boundShortcuts.size(), 1);
    }
};

QTEST_MAIN(TestPortal)
#include "tst_portal.moc"

#include "AppFixtures.h"
#include "StoredRecords.h"
#include "engine/FakeServices.h"

#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/PlatformBackend.h"
#include "KeyboardShortcuts/PortalHotKeyBackend.h"
#include "app/MainContainerView.h"
#include "app/VantorApp.h"
#include "platform/BackgroundCopy.h"
#include "ui/PlexorPreviewView.h"
#include "ui/SettingsView.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace KeyboardShortcuts;

// The desktop portal's GlobalShortcuts interface as a small service on its own bus connection:
// it answers every request through a Request object's Response signal, as the real portal does,
// and lets the test pick the answer, change the keys and press the shortcut.
class FakeShortcutsPortal : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")
    Q_PROPERTY(uint version READ version)

public:
    using Shortcuts = QList<std::pair<QString, QVariantMap>>;

    enum class Answer { accept, refuse, cancel, never };

    static inline const QString service = u"org.freedesktop.portal.Desktop"_s;
    static inline const QString path = u"/org/freedesktop/portal/desktop"_s;
    static inline const QString interface = u"org.freedesktop.portal.GlobalShortcuts"_s;

    // Serves on a connection of its own to the session bus, named `name`.
    explicit FakeShortcutsPortal(const QString& name)
        : m_connection(QDBusConnection::connectToBus(QDBusConnection::SessionBus, name))
    {
        qDBusRegisterMetaType<std::pair<QString, QVariantMap>>();
        qDBusRegisterMetaType<Shortcuts>();
        m_connection.registerObject(
            path, this, QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties);
        m_connection.registerService(service);
    }

    // The bus releases the portal's name with the connection.
    ~FakeShortcutsPortal() override { QDBusConnection::disconnectFromBus(m_connection.name()); }

    uint version() const { return 1; }

    Answer answer = Answer::accept;
    // The keys the desktop reports for every bound shortcut.
    QString trigger = u"Ctrl+Shift+K"_s;
    // The shortcuts of the last BindShortcuts, and how many sessions there were.
    Shortcuts boundShortcuts;
    int sessions = 0;
    QString sessionPath;

    void activate(const QString& id, const QString& token = {})
    {
        send(path, interface, u"Activated"_s,
             {QVariant::fromValue(QDBusObjectPath(sessionPath)), id, qulonglong(0),
              QVariantMap{{u"activation_token"_s, token}}});
    }

    void changeTrigger(const QString& newTrigger)
    {
        trigger = newTrigger;
        send(path, interface, u"ShortcutsChanged"_s,
             {QVariant::fromValue(QDBusObjectPath(sessionPath)),
              QVariant::fromValue(withTriggers(boundShortcuts))});
    }

public Q_SLOTS:
    QDBusObjectPath CreateSession(const QVariantMap& options)
    {
        ++sessions;
        sessionPath = objectPath(u"session"_s, options.value(u"session_handle_token"_s).toString());
        // Sent as a string, as xdg-desktop-portal 1.16 does.
        return respond(options, {{u"session_handle"_s, sessionPath}});
    }

    // The list's type spelled out: QtDBus matches slots by the type names moc writes down.
    QDBusObjectPath BindShortcuts(const QDBusObjectPath&,
                                  const QList<std::pair<QString, QVariantMap>>& shortcuts,
                                  const QString&, const QVariantMap& options)
    {
        boundShortcuts = shortcuts;
        return respond(options, {{u"shortcuts"_s, QVariant::fromValue(withTriggers(shortcuts))}});
    }

private:
    void send(const QString& object, const QString& signalInterface, const QString& name,
              const QVariantList& arguments)
    {
        QDBusMessage signal = QDBusMessage::createSignal(object, signalInterface, name);
        signal.setArguments(arguments);
        m_connection.send(signal);
    }

    QString objectPath(const QString& kind, const QString& token) const
    {
        QString sender = message().service().mid(1);
        sender.replace(u'.', u'_');
        return path + u'/' + kind + u'/' + sender + u'/' + token;
    }

    QDBusObjectPath respond(const QVariantMap& options, const QVariantMap& results)
    {
        const QString request =
            objectPath(u"request"_s, options.value(u"handle_token"_s).toString());
        if (answer != Answer::never) {
            const uint code = answer == Answer::accept ? 0 : answer == Answer::cancel ? 1 : 2;
            QTimer::singleShot(0, this, [this, request, code, results] {
                send(request, u"org.freedesktop.portal.Request"_s, u"Response"_s,
                     {code, code == 0 ? results : QVariantMap()});
            });
        }
        return QDBusObjectPath(request);
    }

    Shortcuts withTriggers(Shortcuts shortcuts) const
    {
        for (auto& [id, properties] : shortcuts)
            properties = {{u"description"_s, properties.value(u"description"_s)},
                          {u"trigger_description"_s, trigger}};
        return shortcuts;
    }

    QDBusConnection m_connection;
};

// The global shortcut through the desktop portal, against a fake portal on a private session
// bus (the test runs under dbus-run-session): the application as a whole, from the binding to
// the text on the clipboard.
class TestPortal : public QObject {
    Q_OBJECT

    const Shortcut commandShiftK{Key::k, EventModifierFlag::command | EventModifierFlag::shift};
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

private Q_SLOTS:
    void initTestCase()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no session bus (run under dbus-run-session)");
        // The session type comes from each test, not from the desktop the tests run in.
        qunsetenv("WAYLAND_DISPLAY");
        qunsetenv("XDG_SESSION_TYPE");
    }

    // A remembered project with one selected file, opened at start.
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        const QString project = m_dir->filePath(u"project"_s);
        QVERIFY(QDir().mkpath(project));
        QVERIFY(StoredRecords::writeFile(project + u"/main.c"_s, "int x;\n"));
        const QString path = m_dir->filePath(u"prefs.json"_s);
        QVERIFY(SeededProject::writePreferences(path, project, {project + u"/main.c"_s}));
        m_preferences = std::make_unique<Preferences>(path);
        setPreferences(m_preferences.get());
        m_portal = std::make_unique<FakeShortcutsPortal>(u"fakePortal"_s);
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
                 u"This desktop does not offer global shortcuts to applications."_s);
        QVERIFY(!without.hotKeys->firesHotKeys());
        qunsetenv("WAYLAND_DISPLAY");
        QVERIFY(PlatformBackend::create().hotKeys->statusText().isEmpty());
    }

    // The recorded shortcut is bound with its keys as the preferred trigger, and each press the
    // desktop reports generates and copies once, while another application has the focus: on
    // X11 directly; a Wayland desktop without wl-copy takes a copy only from the focused window,
    // so the window asks for the focus with the desktop's token and copies then or, without a
    // token, waits for one click on "Copy". The settings name the keys and the path; the desktop
    // has the last word on the keys.
    void activationGeneratesAndCopies_data()
    {
        QTest::addColumn<QString>("token");
        QTest::addColumn<BackgroundCopy::Path>("path");
        QTest::newRow("X11") << u"token-1"_s << BackgroundCopy::Path::direct;
        QTest::newRow("Wayland, activation token")
            << u"token-1"_s << BackgroundCopy::Path::activation;
        QTest::newRow("Wayland, no token") << QString() << BackgroundCopy::Path::clickToCopy;
    }

    void activationGeneratesAndCopies()
    {
        QFETCH(QString, token);
        QFETCH(BackgroundCopy::Path, path);
        const QTemporaryDir noPrograms;
        const QByteArray programs = qgetenv("PATH");
        if (path != BackgroundCopy::Path::direct) {
            qputenv("PATH", QFile::encodeName(noPrograms.path()));
            qputenv("WAYLAND_DISPLAY", "wayland-test");
        }
        const auto restore = qScopeGuard([&programs] {
            qputenv("PATH", programs);
            qunsetenv("WAYLAND_DISPLAY");
        });
        VantorApp app(*m_preferences, m_clipboard, m_chooser);
        app.show();
        QVERIFY(QTest::qWaitForWindowExposed(&app.mainWindow()));
        PortalHotKeyBackend* portal = installPortal();
        setShortcut(commandShiftK, Names::generateProject());
        QTRY_COMPARE(portal->state(), PortalHotKeyBackend::State::bound);
        const QString id = PortalHotKeyBackend::shortcutId(commandShiftK);
        QCOMPARE(m_portal->boundShortcuts.size(), 1);
        QCOMPARE(m_portal->boundShortcuts[0].first, id);
        QCOMPARE(m_portal->boundShortcuts[0].second.value(u"preferred_trigger"_s).toString(),
                 u"CTRL+SHIFT+k"_s);
        {
            QWindow other;
            other.show();
            QTRY_COMPARE(QGuiApplication::focusWindow(), &other);
        }
        QTRY_VERIFY(!QGuiApplication::focusWindow());

        m_portal->activate(id, token);
        const QString copied =
            u"set:"_s + SeededProject::expectedText(u"project/main.c"_s, u"int x;\n"_s);
        auto* preview = app.mainWindow().findChild<PlexorPreviewView*>();
        if (path == BackgroundCopy::Path::clickToCopy) {
            QTRY_VERIFY(preview->clickToCopyNotice()->isVisibleTo(preview));
            QCOMPARE(preview->clickToCopyNotice()->text(),
                     u"This desktop needs one click on \u201CCopy\u201D to put the text on the "
                     u"clipboard."_s);
            QVERIFY(m_clipboard.calls.isEmpty());
            // Nothing claims a copy that did not happen.
            QCOMPARE(preview->findChild<QPushButton*>(u"regenerateButton"_s)->text(),
                     u"Regenerate"_s);
            QTest::mouseClick(preview->findChild<QPushButton*>(u"copyButton"_s), Qt::LeftButton);
        }
        QTRY_VERIFY(m_clipboard.calls.contains(copied));
        QTest::qWait(50);
        QCOMPARE(m_clipboard.calls.count(copied), 1);
        if (path == BackgroundCopy::Path::activation)
            QCOMPARE(QGuiApplication::focusWindow(), app.mainWindow().windowHandle());
        QVERIFY(!preview->clickToCopyNotice()->isVisibleTo(preview));

        app.showSettings();
        QLabel* status = app.settingsWindow()->shortcutStatus();
        const QString description = BackgroundCopy::description(path);
        QCOMPARE(status->text(), u"The desktop runs this shortcut with Ctrl+Shift+K."_s +
                                     (description.isEmpty() ? QString() : u'\n' + description));
        m_portal->changeTrigger(u"Meta+G"_s);
        QTRY_VERIFY(status->text().startsWith(u"The desktop runs this shortcut with Meta+G."_s));
    }

    // A new shortcut asks again, in a new session.
    void answersWithoutABinding_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<PortalHotKeyBackend::State>("state");
        QTest::addColumn<QString>("status");
        QTest::newRow("refused") << int(FakeShortcutsPortal::Answer::refuse)
                                 << PortalHotKeyBackend::State::refused
                                 << u"The desktop refused the global shortcut."_s;
        QTest::newRow("cancelled")
            << int(FakeShortcutsPortal::Answer::cancel) << PortalHotKeyBackend::State::cancelled
            << u"The desktop's dialog was cancelled, so the shortcut is not active. Record it "
               u"again to be asked once more."_s;
        QTest::newRow("never answers")
            << int(FakeShortcutsPortal::Answer::never) << PortalHotKeyBackend::State::unavailable
            << u"This desktop does not offer global shortcuts to applications."_s;
    }

    void answersWithoutABinding()
    {
        QFETCH(int, answer);
        QFETCH(PortalHotKeyBackend::State, state);
        QFETCH(QString, status);
        m_portal->answer = FakeShortcutsPortal::Answer(answer);
        PortalHotKeyBackend* portal = installPortal();
        setShortcut(commandShiftK, Names::generateProject());
        QTRY_COMPARE(portal->state(), state);
        QCOMPARE(portal->statusText(), status);
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

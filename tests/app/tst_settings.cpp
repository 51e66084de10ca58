#include "KeyboardShortcuts/FakeHotKeyBackend.h"
#include "engine/FakeServices.h"

#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/Recorder.h"
#include "KeyboardShortcuts/RecorderLineEdit.h"
#include "app/FolderChooser.h"
#include "app/MainContainerView.h"
#include "app/VantorApp.h"
#include "engine/Notifications.h"
#include "model/PreferenceKeys.h"
#include "model/Preferences.h"
#include "platform/NotificationCenter.h"
#include "ui/SettingsView.h"
#include "ui/UpdaterViewModel.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

class NoFolderChooser : public FolderChooser {
public:
    std::optional<QString> chooseFolder(QWidget*) override { return std::nullopt; }
};

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Preferences> m_preferences;
    FakeClipboard m_clipboard;
    NoFolderChooser m_chooser;

    // A feed that is never asked unless a test starts a check.
    static QString unusedFeed() { return u"https://updates.codeplexor.invalid/feed.json"_s; }

    UpdaterViewModel::Options options(const QString& version, const QString& build,
                                      const QString& feed = unusedFeed())
    {
        UpdaterViewModel::Options result;
        result.feedAddress = feed;
        result.currentVersion = version;
        result.buildNumber = build;
        result.preferences = m_preferences.get();
        result.openUrl = [](const QUrl&) { return true; };
        result.clock = [] { return 800000000.0; };
        return result;
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_preferences =
            std::make_unique<Preferences>(m_dir->filePath(QStringLiteral("prefs.json")));
        KeyboardShortcuts::setPreferences(m_preferences.get());
    }

    void cleanup()
    {
        KeyboardShortcuts::removeAllHandlers();
        KeyboardShortcuts::setBackend(nullptr);
        KeyboardShortcuts::setPreferences(nullptr);
        m_preferences.reset();
        m_dir.reset();
    }

    void theToggleFollowsTheStoredValue_data()
    {
        QTest::addColumn<std::optional<bool>>("stored");
        QTest::addColumn<bool>("checked");
        QTest::newRow("absent") << std::optional<bool>() << true;
        QTest::newRow("on") << std::optional<bool>(true) << true;
        QTest::newRow("off") << std::optional<bool>(false) << false;
    }

    void theToggleFollowsTheStoredValue()
    {
        QFETCH(std::optional<bool>, stored);
        QFETCH(bool, checked);
        if (stored)
            m_preferences->setBoolean(PreferenceKeys::enableAutomaticChecks, *stored);
        UpdaterViewModel updater(options(QStringLiteral("1.0"), QStringLiteral("1")));
        SettingsView view(updater);
        QCheckBox* toggle = view.findChild<QCheckBox*>(QStringLiteral("automaticChecksToggle"));
        QVERIFY(toggle);
        QCOMPARE(toggle->text(), QStringLiteral("Automatically check for updates"));
        QCOMPARE(toggle->isChecked(), checked);

        toggle->click();
        QCOMPARE(m_preferences->boolean(PreferenceKeys::enableAutomaticChecks),
                 std::optional<bool>(!checked));
        toggle->click();
        QCOMPARE(m_preferences->boolean(PreferenceKeys::enableAutomaticChecks),
                 std::optional<bool>(checked));

        // A change made elsewhere shows in the open window.
        m_preferences->setBoolean(PreferenceKeys::enableAutomaticChecks, !checked);
        QCOMPARE(toggle->isChecked(), !checked);
    }

    void theVersionShowsOnlyWhenVersionAndBuildAreKnown_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("build");
        QTest::addColumn<QString>("shown");
        QTest::newRow("both") << u"1.2"_s << u"34"_s << u"1.2 (34)"_s;
        QTest::newRow("no build") << u"1.2"_s << QString() << QString();
        QTest::newRow("no version") << QString() << u"34"_s << QString();
    }

    void theVersionShowsOnlyWhenVersionAndBuildAreKnown()
    {
        QFETCH(QString, version);
        QFETCH(QString, build);
        QFETCH(QString, shown);
        UpdaterViewModel updater(options(version, build));
        SettingsView view(updater);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QLabel* title = view.findChild<QLabel*>(QStringLiteral("currentVersionLabel"));
        QVERIFY(title && title->isVisible());
        QCOMPARE(title->text(), u"Current Version:"_s);
        QLabel* text = view.findChild<QLabel*>(QStringLiteral("versionText"));
        QVERIFY(text);
        QCOMPARE(text->isVisible(), !shown.isEmpty());
        if (!shown.isEmpty())
            QCOMPARE(text->text(), shown);
    }

    void theWindowHoldsTheShortcutRecorderAndItsTexts()
    {
        UpdaterViewModel updater(options(QStringLiteral("1.0"), QStringLiteral("1")));
        SettingsView view(updater);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(view.windowTitle(), u"Settings"_s);
        QCOMPARE(view.width(), 450);
        QVERIFY(view.height() >= 300);
        QVERIFY(view.isWindow());
        QVERIFY(!view.isModal());

        auto* field = view.findChild<KeyboardShortcuts::RecorderLineEdit*>(
            QStringLiteral("shortcutRecorder"));
        QVERIFY(field);
        QCOMPARE(field->shortcutName(), KeyboardShortcuts::Names::generateProject());
        QStringList texts;
        for (QLabel* label : view.findChildren<QLabel*>()) {
            if (label->isVisible())
                texts << label->text();
        }
        for (const QString& expected :
             {u"General"_s, u"Generate/Regenerate Content"_s,
              u"Global shortcut to generate content from the active project, even when the app is "
              u"in the background."_s,
              u"Updates"_s, u"Current Version:"_s, u"1.0 (1)"_s})
            QVERIFY2(texts.contains(expected), qPrintable(expected));

        // Every control can be told apart by assistive tools.
        for (QWidget* control : view.findChildren<QWidget*>()) {
            if (control->isVisible() && control->focusPolicy() != Qt::NoFocus)
                QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(control->objectName()));
        }
    }

    void aRefusedShortcutIsReported()
    {
        auto fake = std::make_unique<FakeHotKeyBackend>();
        FakeHotKeyBackend* backend = fake.get();
        KeyboardShortcuts::setBackend(std::move(fake));
        const KeyboardShortcuts::Shortcut shortcut(KeyboardShortcuts::Key::j,
                                                   KeyboardShortcuts::EventModifierFlag::command |
                                                       KeyboardShortcuts::EventModifierFlag::shift);
        backend->refused.insert(shortcut);
        UpdaterViewModel updater(options(QStringLiteral("1.0"), QStringLiteral("1")));
        SettingsView view(updater);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QVERIFY(view.shortcutStatus()->isHidden());
        KeyboardShortcuts::setShortcut(shortcut, KeyboardShortcuts::Names::generateProject());
        QVERIFY(view.shortcutStatus()->isVisible());
        QCOMPARE(view.shortcutStatus()->text(),
                 u"Ctrl+Shift+J is used by another application, so this shortcut does nothing. "
                 u"Record another one."_s);
        KeyboardShortcuts::setShortcut(std::nullopt, KeyboardShortcuts::Names::generateProject());
        QVERIFY(view.shortcutStatus()->isHidden());
    }

    void checkNowIsDisabledWhileACheckRuns()
    {
        // A server that accepts the request and never answers keeps the check running.
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        QList<QTcpSocket*> held;
        connect(&server, &QTcpServer::newConnection, this, [&] {
            while (QTcpSocket* socket = server.nextPendingConnection())
                held.append(socket);
        });
        UpdaterViewModel::Options opts =
            options(u"1.0"_s, u"1"_s,
                    QStringLiteral("http://127.0.0.1:%1/feed.json").arg(server.serverPort()));
        opts.timeout = std::chrono::milliseconds(300);
        UpdaterViewModel updater(std::move(opts));
        SettingsView view(updater);
        QPushButton* button = view.findChild<QPushButton*>(QStringLiteral("checkNowButton"));
        QVERIFY(button);
        QCOMPARE(button->text(), u"Check Now"_s);
        QVERIFY(button->isEnabled());
        button->click();
        QVERIFY(updater.isChecking());
        QVERIFY(!button->isEnabled());
        QTRY_VERIFY(!updater.isChecking());
        QVERIFY(button->isEnabled());
    }

    void theMenuAndTheToolbarOpenOneSettingsWindow()
    {
        VantorApp app(*m_preferences, m_clipboard, m_chooser);
        app.show();
        QVERIFY(QTest::qWaitForWindowExposed(&app.mainWindow()));
        QCOMPARE(app.settingsWindow(), nullptr);

        QAction* menuItem = app.settingsAction();
        QCOMPARE(menuItem->menuRole(), QAction::PreferencesRole);
        QVERIFY(!menuItem->shortcut().isEmpty());
        QVERIFY(app.fileMenu()->actions().indexOf(menuItem) <
                app.fileMenu()->actions().indexOf(app.quitAction()));

        QAction* toolbarItem = app.settingsToolbarAction();
        QToolBar* toolBar = app.mainWindow().toolBar();
        QCOMPARE(toolBar->actions().constLast(), toolbarItem);
        QCOMPARE(toolbarItem->toolTip(), u"Settings"_s);
        QVERIFY(!toolbarItem->icon().isNull());
        QWidget* button = toolBar->widgetForAction(toolbarItem);
        QVERIFY(button);
        QCOMPARE(button->accessibleName(), u"Settings"_s);

        QTest::mouseClick(button, Qt::LeftButton);
        QPointer<SettingsView> first = app.settingsWindow();
        QVERIFY(first);
        QVERIFY(QTest::qWaitForWindowExposed(first));
        menuItem->trigger();
        QCOMPARE(app.settingsWindow(), first.data());
        QCOMPARE(app.mainWindow().findChildren<SettingsView*>().size(), 1);

        // Closed, it opens afresh from the menu.
        first->close();
        QTRY_VERIFY(!first);
        menuItem->trigger();
        QVERIFY(app.settingsWindow());
        QVERIFY(app.settingsWindow()->isVisible());
        toolbarItem->trigger();
        QCOMPARE(app.mainWindow().findChildren<SettingsView*>().size(), 1);
    }

    void checkForUpdatesFollowsTheAboutItem()
    {
        VantorApp app(*m_preferences, m_clipboard, m_chooser, unusedFeed());
        const QList<QAction*> actions = app.helpMenu()->actions();
        const qsizetype about = actions.indexOf(app.aboutAction());
        const qsizetype check = actions.indexOf(app.checkForUpdatesAction());
        QVERIFY(about >= 0);
        QVERIFY(check > about);
        QCOMPARE(app.aboutAction()->text(), u"&About Code Plexor"_s);
        QCOMPARE(app.aboutAction()->menuRole(), QAction::AboutRole);
        QCOMPARE(app.checkForUpdatesAction()->text(), u"Check for &Updates..."_s);
        QVERIFY(app.checkForUpdatesAction()->shortcut().isEmpty());
        QCOMPARE(app.checkForUpdatesAction()->menuRole(), QAction::ApplicationSpecificRole);

        app.aboutAction()->trigger();
        QTRY_VERIFY(app.mainWindow().findChild<QDialog*>(QStringLiteral("aboutDialog")));
    }

    void aBuildWithoutAFeedOffersNoUpdateChecks()
    {
        UpdaterViewModel updater(options(u"1.0"_s, u"1"_s, QString()));
        SettingsView view(updater);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QVERIFY(!view.automaticChecksToggle() && !view.checkNowButton());
        QVERIFY(view.findChildren<QCheckBox*>().isEmpty());
        QVERIFY(view.findChildren<QPushButton*>().isEmpty());
        auto* line = view.findChild<QLabel*>(u"updatedByInstallerLabel"_s);
        QVERIFY(line && line->isVisible());
        QCOMPARE(line->text(), SettingsView::updatedByInstallerText());
        QVERIFY(view.versionLabel()->isVisible());

        VantorApp app(*m_preferences, m_clipboard, m_chooser, QString());
        QCOMPARE(app.checkForUpdatesAction(), nullptr);
        for (QAction* action : app.helpMenu()->actions())
            QVERIFY2(!action->text().contains(u"Update"_s), qPrintable(action->text()));
    }

    void theSettingsWindowBelongsToTheMainWindow()
    {
        VantorApp app(*m_preferences, m_clipboard, m_chooser, unusedFeed());
        app.show();
        QVERIFY(QTest::qWaitForWindowExposed(&app.mainWindow()));
        app.mainWindow().move(40, 30);

        for (const QKeySequence& closing :
             {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
            app.showSettings();
            QPointer<SettingsView> view = app.settingsWindow();
            QVERIFY(QTest::qWaitForWindowActive(view));
            // A dialog of the main window, centred on it.
            QCOMPARE(view->windowType(), Qt::Dialog);
            QCOMPARE(view->parentWidget(), &app.mainWindow());
            QVERIFY((view->frameGeometry().center() - app.mainWindow().frameGeometry().center())
                        .manhattanLength() <= 2);

            // The first focus is the shortcut field, idle; Tab goes top to bottom.
            auto* field = view->shortcutRecorder()->field();
            QTRY_COMPARE(QApplication::focusWidget(), field);
            QVERIFY(!field->isCapturing());
            // Escape closes from the field at once; Ctrl+W after a walk through the window.
            if (closing == QKeySequence(Qt::CTRL | Qt::Key_W)) {
                QList<QWidget*> order{field};
                for (int i = 0; i < 2; ++i) {
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                    order << QApplication::focusWidget();
                }
                QCOMPARE(order, (QList<QWidget*>{field, view->automaticChecksToggle(),
                                                 view->checkNowButton()}));
            }

            QTest::keySequence(QApplication::focusWidget(), closing);
            QTRY_VERIFY(!view);
        }
    }

    void releasingTheShortcutPostsTheGenerateNotification()
    {
        int posted = 0;
        QObject observerContext;
        NotificationCenter::defaultCenter().addObserver(Notifications::triggerGenerateFromShortcut,
                                                        &observerContext,
                                                        [&](const QVariantMap&) { ++posted; });
        const KeyboardShortcuts::Shortcut shortcut(KeyboardShortcuts::Key::k,
                                                   KeyboardShortcuts::EventModifierFlag::control |
                                                       KeyboardShortcuts::EventModifierFlag::shift);
        FakeHotKeyBackend* backend = nullptr;
        {
            VantorApp app(*m_preferences, m_clipboard, m_chooser);
            // The application installed the platform's backend; a fake one takes over the
            // registrations it made.
            auto fake = std::make_unique<FakeHotKeyBackend>();
            backend = fake.get();
            KeyboardShortcuts::setBackend(std::move(fake));
            KeyboardShortcuts::setShortcut(shortcut, KeyboardShortcuts::Names::generateProject());

            QVERIFY(backend->press(shortcut));
            QCOMPARE(posted, 0);
            QVERIFY(backend->release(shortcut));
            QCOMPARE(posted, 1);
        }
        // The action goes with the application object.
        backend->press(shortcut);
        backend->release(shortcut);
        QCOMPARE(posted, 1);
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"

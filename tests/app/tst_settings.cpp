#include "AppFixtures.h"
#include "KeyboardShortcuts/FakeHotKeyBackend.h"
#include "TempPreferences.h"
#include "engine/FakeServices.h"

#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/Recorder.h"
#include "KeyboardShortcuts/RecorderLineEdit.h"
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
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

#include <memory>
#include <optional>

using namespace Qt::StringLiterals;
using namespace KeyboardShortcuts;

namespace {

// A feed that is never asked unless a test starts a check.
const QString unusedFeed = u"https://updates.codeplexor.invalid/feed.json"_s;

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

    std::optional<TempPreferences> m_temp;
    Preferences* m_preferences = nullptr;
    FakeClipboard m_clipboard;
    FakeFolderChooser m_chooser;

    UpdaterViewModel::Options options(const QString& feed = unusedFeed)
    {
        UpdaterViewModel::Options result;
        result.feedAddress = feed;
        result.currentVersion = u"1.0"_s;
        result.buildNumber = u"1"_s;
        result.preferences = m_preferences;
        result.openUrl = [](const QUrl&) { return true; };
        result.clock = [] { return 800000000.0; };
        return result;
    }

    // A fake backend in place of the platform's; it takes over the registrations made so far.
    static FakeHotKeyBackend* installFakeBackend()
    {
        auto fake = std::make_unique<FakeHotKeyBackend>();
        FakeHotKeyBackend* backend = fake.get();
        setBackend(std::move(fake));
        return backend;
    }

private Q_SLOTS:
    void init()
    {
        m_preferences = &m_temp.emplace().preferences;
        setPreferences(m_preferences);
    }

    void cleanup()
    {
        removeAllHandlers();
        setBackend(nullptr);
        setPreferences(nullptr);
        m_temp.reset();
    }

    // On unless stored off; a click stores it, a change made elsewhere shows.
    void theToggleFollowsTheStoredValue()
    {
        UpdaterViewModel updater(options());
        SettingsView view(updater);
        QCheckBox* toggle = view.automaticChecksToggle();
        QVERIFY(toggle->isChecked());
        toggle->click();
        QCOMPARE(m_preferences->boolean(PreferenceKeys::enableAutomaticChecks), false);
        SettingsView reopened(updater);
        QVERIFY(!reopened.automaticChecksToggle()->isChecked());
        m_preferences->setBoolean(PreferenceKeys::enableAutomaticChecks, true);
        QVERIFY(toggle->isChecked());
    }

    void theWindowRecordsTheGenerateShortcutAndReportsRefusals()
    {
        FakeHotKeyBackend* backend = installFakeBackend();
        const Shortcut shortcut(Key::j, EventModifierFlag::command | EventModifierFlag::shift);
        backend->refused.insert(shortcut);
        UpdaterViewModel updater(options());
        SettingsView view(updater);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(view.findChild<RecorderLineEdit*>(u"shortcutRecorder"_s)->shortcutName(),
                 Names::generateProject());
        QCOMPARE(view.versionLabel()->text(), u"1.0 (1)"_s);
        // Every control can be told apart by assistive tools.
        for (QWidget* control : view.findChildren<QWidget*>()) {
            if (control->isVisible() && control->focusPolicy() != Qt::NoFocus)
                QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(control->objectName()));
        }

        QVERIFY(view.shortcutStatus()->isHidden());
        setShortcut(shortcut, Names::generateProject());
        QVERIFY(view.shortcutStatus()->isVisible());
        QCOMPARE(view.shortcutStatus()->text(),
                 u"Ctrl+Shift+J is used by another application, so this shortcut does nothing. "
                 u"Record another one."_s);
        setShortcut(std::nullopt, Names::generateProject());
        QVERIFY(view.shortcutStatus()->isHidden());
    }

    void checkNowIsDisabledWhileACheckRuns()
    {
        // A server that accepts the request and never answers keeps the check running.
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        UpdaterViewModel::Options opts =
            options(u"http://127.0.0.1:%1/feed.json"_s.arg(server.serverPort()));
        opts.timeout = std::chrono::milliseconds(300);
        UpdaterViewModel updater(std::move(opts));
        SettingsView view(updater);
        QPushButton* button = view.checkNowButton();
        button->click();
        QVERIFY(updater.isChecking());
        QVERIFY(!button->isEnabled());
        QTRY_VERIFY(!updater.isChecking());
        QVERIFY(button->isEnabled());
    }

    void theMenuAndTheToolbarOpenOneSettingsWindow()
    {
        VantorApp app(*m_preferences, m_clipboard, m_chooser, unusedFeed);
        app.show();
        QVERIFY(QTest::qWaitForWindowExposed(&app.mainWindow()));
        QToolBar* toolBar = app.mainWindow().toolBar();
        QWidget* button = toolBar->widgetForAction(app.settingsToolbarAction());
        QCOMPARE(button->accessibleName(), u"Settings"_s);
        QTest::mouseClick(button, Qt::LeftButton);
        QPointer<SettingsView> first = app.settingsWindow();
        QVERIFY(first);
        app.settingsAction()->trigger();
        QCOMPARE(app.settingsWindow(), first.data());
        QCOMPARE(app.mainWindow().findChildren<SettingsView*>().size(), 1);

        // Closed, it opens afresh.
        first->close();
        QTRY_VERIFY(!first);
        app.settingsAction()->trigger();
        QVERIFY(app.settingsWindow() && app.settingsWindow()->isVisible());

        // The update check follows the About item, which opens its box.
        const QList<QAction*> help = app.helpMenu()->actions();
        QVERIFY(help.indexOf(app.checkForUpdatesAction()) > help.indexOf(app.aboutAction()));
        app.aboutAction()->trigger();
        QTRY_VERIFY(app.mainWindow().findChild<QDialog*>(u"aboutDialog"_s));
    }

    void aBuildWithoutAFeedOffersNoUpdateChecks()
    {
        UpdaterViewModel updater(options(QString()));
        SettingsView view(updater);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QVERIFY(view.findChildren<QCheckBox*>().isEmpty());
        QVERIFY(view.findChildren<QPushButton*>().isEmpty());
        auto* line = view.findChild<QLabel*>(u"updatedByInstallerLabel"_s);
        QVERIFY(line && line->isVisible());
        QVERIFY(view.versionLabel()->isVisible());

        VantorApp app(*m_preferences, m_clipboard, m_chooser, QString());
        QCOMPARE(app.checkForUpdatesAction(), nullptr);
        for (QAction* action : app.helpMenu()->actions())
            QVERIFY2(!action->text().contains(u"Update"_s), qPrintable(action->text()));
    }

    void theSettingsWindowIsADialogOfTheMainWindow()
    {
        VantorApp app(*m_preferences, m_clipboard, m_chooser, unusedFeed);
        app.show();
        QVERIFY(QTest::qWaitForWindowExposed(&app.mainWindow()));
        for (const QKeySequence& closing :
             {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
            app.showSettings();
            QPointer<SettingsView> view = app.settingsWindow();
            QVERIFY(QTest::qWaitForWindowActive(view));
            QCOMPARE(view->windowType(), Qt::Dialog);
            QCOMPARE(view->parentWidget(), &app.mainWindow());
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
        const Shortcut shortcut(Key::k, EventModifierFlag::control | EventModifierFlag::shift);
        FakeHotKeyBackend* backend = nullptr;
        {
            VantorApp app(*m_preferences, m_clipboard, m_chooser);
            backend = installFakeBackend();
            setShortcut(shortcut, Names::generateProject());
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

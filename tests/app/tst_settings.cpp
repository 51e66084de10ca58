#include "AppFixtures.h"
#include "KeyboardShortcuts/FakeHotKeyBackend.h"
#include "TempPreferences.h"
#include "engine/FakeServices.h"

#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/Recorder.h"
#include "KeyboardShortcuts/RecorderLineEdit.h"
#include "app/MainContainerView.h"
#include "app/VantorApp.h"
#include "model/PreferenceKeys.h"
#include "ui/SettingsView.h"
#include "ui/UpdaterViewModel.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTcpServer>
#include <QToolBar>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace KeyboardShortcuts;

class TestSettings : public QObject {
    Q_OBJECT

    // A feed that is never asked unless a test starts a check.
    const QString unusedFeed = u"https://updates.codeplexor.invalid/feed.json"_s;
    std::optional<TempPreferences> m_temp;
    Preferences* m_preferences = nullptr;
    FakeClipboard m_clipboard;
    FakeFolderChooser m_chooser;

    UpdaterViewModel::Options options(const QString& feed)
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

    // The automatic checks are on unless stored off; a click stores them, a change made
    // elsewhere shows. "Check Now" is disabled while a check runs: here against a server that
    // accepts the request and never answers.
    void theUpdateControls()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        UpdaterViewModel::Options opts =
            options(u"http://127.0.0.1:%1/feed.json"_s.arg(server.serverPort()));
        opts.timeout = std::chrono::milliseconds(300);
        UpdaterViewModel updater(std::move(opts));
        SettingsView view(updater);
        QCheckBox* toggle = view.automaticChecksToggle();
        QVERIFY(toggle->isChecked());
        toggle->click();
        QCOMPARE(m_preferences->boolean(PreferenceKeys::enableAutomaticChecks), false);
        QVERIFY(!SettingsView(updater).automaticChecksToggle()->isChecked());
        m_preferences->setBoolean(PreferenceKeys::enableAutomaticChecks, true);
        QVERIFY(toggle->isChecked());

        view.checkNowButton()->click();
        QVERIFY(updater.isChecking());
        QVERIFY(!view.checkNowButton()->isEnabled());
        QTRY_VERIFY(!updater.isChecking());
        QVERIFY(view.checkNowButton()->isEnabled());
    }

    void aBuildWithoutAFeedOffersNoUpdateChecks()
    {
        UpdaterViewModel updater(options(QString()));
        SettingsView view(updater);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QVERIFY(view.findChildren<QCheckBox*>().isEmpty());
        QVERIFY(view.findChildren<QPushButton*>().isEmpty());
        QVERIFY(view.findChild<QLabel*>(u"updatedByInstallerLabel"_s)->isVisible());

        VantorApp app(*m_preferences, m_clipboard, m_chooser, QString());
        QCOMPARE(app.checkForUpdatesAction(), nullptr);
        for (QAction* action : app.helpMenu()->actions())
            QVERIFY2(!action->text().contains(u"Update"_s), qPrintable(action->text()));
    }

    // The toolbar button and the menu item open one settings window, a dialog of the main window
    // whose first focus is the shortcut field, idle; every control has a name, and a shortcut
    // that another application holds is reported. Tab goes top to bottom, Escape or Ctrl+W
    // close it and it opens afresh. The update check follows the About item, which opens its box.
    void oneSettingsDialogOfTheMainWindow()
    {
        const Shortcut taken(Key::j, EventModifierFlag::command | EventModifierFlag::shift);
        VantorApp app(*m_preferences, m_clipboard, m_chooser, unusedFeed);
        auto backend = std::make_unique<FakeHotKeyBackend>();
        backend->refused.insert(taken);
        setBackend(std::move(backend));
        app.show();
        QVERIFY(QTest::qWaitForWindowExposed(&app.mainWindow()));
        QTest::mouseClick(app.mainWindow().toolBar()->widgetForAction(app.settingsToolbarAction()),
                          Qt::LeftButton);
        SettingsView* settings = app.settingsWindow();
        QCOMPARE(settings->shortcutRecorder()->name(), Names::generateProject());
        for (QWidget* control : settings->findChildren<QWidget*>()) {
            if (control->isVisible() && control->focusPolicy() != Qt::NoFocus)
                QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(control->objectName()));
        }
        QVERIFY(settings->shortcutStatus()->isHidden());
        setShortcut(taken, Names::generateProject());
        QCOMPARE(settings->shortcutStatus()->text(),
                 u"Ctrl+Shift+J is used by another application, so this shortcut does nothing. "
                 u"Record another one."_s);
        setShortcut(std::nullopt, Names::generateProject());
        QVERIFY(settings->shortcutStatus()->isHidden());

        for (const QKeySequence& closing :
             {QKeySequence(Qt::CTRL | Qt::Key_W), QKeySequence(Qt::Key_Escape)}) {
            QPointer<SettingsView> view = app.settingsWindow();
            QVERIFY(QTest::qWaitForWindowActive(view));
            app.settingsAction()->trigger();
            QCOMPARE(app.mainWindow().findChildren<SettingsView*>(), QList<SettingsView*>{view});
            QCOMPARE(view->windowType(), Qt::Dialog);
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
            app.settingsAction()->trigger();
        }

        const QList<QAction*> help = app.helpMenu()->actions();
        QVERIFY(help.indexOf(app.checkForUpdatesAction()) > help.indexOf(app.aboutAction()));
        app.aboutAction()->trigger();
        QTRY_VERIFY(app.mainWindow().findChild<QDialog*>(u"aboutDialog"_s));
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"

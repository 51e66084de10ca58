#include "FakeAlertPresenter.h"
#include "FakeKeyboardLayout.h"
#include "ModuleFixture.h"

#include "KeyboardShortcuts/ActionShortcut.h"
#include "KeyboardShortcuts/InWindowShortcut.h"
#include "KeyboardShortcuts/QtKeyMapping.h"
#include "KeyboardShortcuts/Recorder.h"
#include "KeyboardShortcuts/StringTable.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QShortcut>
#include <QVBoxLayout>
#include <QtTest>

using namespace KeyboardShortcuts;

namespace {

const Shortcut commandShiftK(Key::k, EventModifierFlag::command | EventModifierFlag::shift);

} // namespace

class TestRecorder : public QObject {
    Q_OBJECT

    std::unique_ptr<ModuleFixture> f;
    FakeAlertPresenter* alerts = nullptr;
    std::unique_ptr<QWidget> window;
    Recorder* recorder = nullptr;
    RecorderLineEdit* field = nullptr;
    QLineEdit* after = nullptr;
    QLabel* farAway = nullptr;
    QList<std::optional<Shortcut>> reported;
    const Name name{u"recorded"_qs};

    void capture()
    {
        // A field that kept the focus (after a recording) starts again with Space.
        if (field->hasFocus())
            QTest::keyClick(field, Qt::Key_Space);
        else
            field->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(field->isCapturing());
    }

    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(field, key, modifiers);
    }

private Q_SLOTS:
    void init()
    {
        f = std::make_unique<ModuleFixture>();
        KeyboardLayout::setCurrent(FakeKeyboardLayout::us());
        auto presenter = std::make_unique<FakeAlertPresenter>();
        alerts = presenter.get();
        AlertPresenter::setCurrent(std::move(presenter));
        reported.clear();

        window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window.get());
        recorder = new Recorder(u"Generate/Regenerate Content"_qs, name,
                                [this](const std::optional<Shortcut>& s) { reported.append(s); });
        field = recorder->field();
        layout->addWidget(recorder);
        after = new QLineEdit;
        layout->addWidget(after);
        farAway = new QLabel(u"far away"_qs);
        layout->addWidget(farAway);
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }

    void cleanup()
    {
        window.reset();
        AlertPresenter::setCurrent(nullptr);
        KeyboardLayout::setCurrent(nullptr);
        f.reset();
    }

    // Idle, the field shows the shortcut. Capturing suspends every action; Escape and Tab end it
    // keeping the old shortcut, Escape keeping the focus, Tab moving on.
    void capturingLifecycle()
    {
        QVERIFY(field->text().isEmpty() && !field->cancelButton()->isVisible());
        setShortcut(commandShiftK, name);
        QCOMPARE(field->text(), u"Ctrl+Shift+K"_qs);
        QVERIFY(field->cancelButton()->isVisible());
        f->changes.clear();
        capture();
        QVERIFY(isDispatchSuspended());
        press(Qt::Key_Escape);
        QVERIFY(!field->isCapturing() && !isDispatchSuspended() && field->hasFocus());
        capture();
        press(Qt::Key_Tab);
        QTRY_VERIFY(after->hasFocus());
        QVERIFY(!field->isCapturing() && !isDispatchSuspended());
        QCOMPARE(getShortcut(name), std::optional(commandShiftK));
        QVERIFY(f->changes.isEmpty() && reported.isEmpty());
    }

    // With the clear button (through accessibility, as a click), and by key while capturing;
    // either way the field captures at once, so a new shortcut can be recorded.
    void clearing()
    {
        for (const bool byKey : {false, true}) {
            reported.clear();
            setShortcut(commandShiftK, name);
            if (byKey) {
                press(Qt::Key_Backspace);
            } else {
                QAccessibleInterface* fieldInterface = QAccessible::queryAccessibleInterface(field);
                for (int i = 0; i < fieldInterface->childCount(); ++i) {
                    QAccessibleInterface* child = fieldInterface->child(i);
                    if (child->text(QAccessible::Name) == u"Clear"_qs && child->actionInterface())
                        child->actionInterface()->doAction(
                            QAccessibleActionInterface::pressAction());
                }
            }
            QVERIFY(!getShortcut(name));
            QVERIFY(!f->preferences.contains(name.preferenceKey()));
            QCOMPARE(reported, QList<std::optional<Shortcut>>{std::nullopt});
            QVERIFY(field->text().isEmpty() && !field->cancelButton()->isVisible());
            QVERIFY(f->backend->held.empty());
            QTRY_VERIFY(field->isCapturing());
        }
    }

    // A key pressed while capturing: refused with a beep (no hot-key modifier, no key code),
    // ignored (a modifier key alone), refused with an alert (the application's own menu items,
    // read off its menu bar with submenus; option-only combinations where the system refuses
    // them; those another program holds, unless used anyway with the alert's last button), or
    // recorded.
    void recording_data()
    {
        QTest::addColumn<QString>("setup"); // system version, or "taken" elsewhere
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<QString>("alert");     // "beep", a menu item title, "disallowed", "system"
        QTest::addColumn<Shortcut>("recorded"); // key code -1: none
        const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
        const Qt::KeyboardModifiers alt = Qt::AltModifier;
        const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
        const auto row = [](const char* name, const QString& setup, Qt::Key key,
                            Qt::KeyboardModifiers modifiers, const QString& alert,
                            std::optional<Shortcut> recorded) {
            QTest::newRow(name) << setup << int(key) << modifiers << alert
                                << recorded.value_or(Shortcut(-1, 0));
        };
        namespace F = EventModifierFlag;
        const QString beep = u"beep"_qs;
        const QString system = u"system"_qs;
        row("shift is not enough", {}, Qt::Key_A, shift, beep, {});
        row("modifier key alone", {}, Qt::Key_Control, ctrl, {}, {});
        row("key without code", {}, Qt::Key_Print, ctrl, beep, {});
        row("F5 alone", {}, Qt::Key_F5, {}, {}, Shortcut(Key::f5, 0));
        row("ctrl-shift-k", {}, Qt::Key_K, ctrl | shift, {}, commandShiftK);
        row("escape with a modifier", {}, Qt::Key_Escape, ctrl, {},
            Shortcut(Key::escape, F::command));
        row("menu item in a submenu", {}, Qt::Key_L, ctrl | alt, u"Clear List"_qs, {});
        row("menu item with an ampersand", {}, Qt::Key_W, ctrl | shift, u"Save & Close"_qs, {});
        row("menu item on a function key", {}, Qt::Key_F1, {}, u"Help"_qs, {});
        row("15.1 option-shift", u"15.1"_qs, Qt::Key_K, alt | shift, u"disallowed"_qs, {});
        row("15.1 control-option", u"15.1"_qs, Qt::Key_K, alt | Qt::MetaModifier, {},
            Shortcut(Key::k, F::control | F::option));
        row("15.2 option", u"15.2"_qs, Qt::Key_K, alt, {}, Shortcut(Key::k, F::option));
        row("taken: used anyway", u"taken"_qs, Qt::Key_K, ctrl, system,
            Shortcut(Key::k, F::command));
        row("plain F12 is not checked", u"taken"_qs, Qt::Key_F12, {}, {}, Shortcut(Key::f12, 0));
        row("shift-F12 is checked", u"taken"_qs, Qt::Key_F12, shift, system,
            Shortcut(Key::f12, F::shift));
    }

    void recording()
    {
        QFETCH(QString, setup);
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(QString, alert);
        QFETCH(Shortcut, recorded);
        QMainWindow main;
        QMenu* file = main.menuBar()->addMenu(u"&File"_qs);
        file->addMenu(u"Open &Recent"_qs)
            ->addAction(u"Clear &List"_qs, QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_L));
        file->addSeparator();
        file->addAction(u"Save && &Close"_qs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_W));
        main.menuBar()->addMenu(u"&Help"_qs)->addAction(u"Help"_qs, QKeySequence(Qt::Key_F1));
        if (setup.startsWith(u"15."))
            field->setEnvironment({true, 15, setup.mid(3, 1).toInt(), true});
        if (setup == u"taken") {
            const QKeyEvent event(QEvent::KeyPress, key, modifiers);
            f->backend->taken.insert(*QtKeyMapping::fromEvent(event));
        }
        alerts->answers.append(AlertPresenter::secondButton);
        QSignalSpy refused(field, &RecorderLineEdit::keyRefused);
        QSignalSpy changed(recorder, &Recorder::shortcutChanged);
        capture();
        press(Qt::Key(key), modifiers);

        const bool stored = recorded.carbonKeyCode() >= 0;
        QCOMPARE(getShortcut(name), stored ? std::optional(recorded) : std::nullopt);
        QCOMPARE(reported,
                 stored ? QList{std::optional(recorded)} : QList<std::optional<Shortcut>>());
        QCOMPARE(changed.size(), stored ? 1 : 0);
        QCOMPARE(f->backend->heldShortcuts(), stored ? QList{recorded} : QList<Shortcut>());
        QCOMPARE(field->text(), stored ? QtKeyMapping::shownText(recorded) : QString());
        // Recorded, the field keeps the focus without capturing; else it goes on capturing.
        QVERIFY(field->hasFocus());
        QCOMPARE(field->isCapturing(), !stored);
        QCOMPARE(refused.size(), alert == u"beep" ? 1 : 0);
        QCOMPARE(alerts->shown.size(), alert.isEmpty() || alert == u"beep" ? 0 : 1);
        if (alerts->shown.isEmpty())
            return;
        const Alert& shown = alerts->shown[0];
        if (alert == u"disallowed") {
            QCOMPARE(shown.message, StringTable::text(StringTable::disallowed));
        } else if (alert == u"system") {
            QCOMPARE(shown.message, StringTable::text(StringTable::usedBySystem));
            QCOMPARE(shown.buttons,
                     (QStringList{StringTable::text(StringTable::ok),
                                  StringTable::text(StringTable::forceUseShortcut)}));
        } else {
            QCOMPARE(shown.message, StringTable::text(StringTable::usedByMenuItem).arg(alert));
        }
    }

    // The alert as the user meets it, a real message box: Escape answers the first button, which
    // does not store the shortcut, and capturing goes on once the window is back in front; the
    // second button stores it anyway and leaves the field idle.
    void messageBoxAnswers()
    {
        AlertPresenter::setCurrent(nullptr);
        f->backend->taken.insert(Shortcut(Key::q, EventModifierFlag::command));
        QStringList answers{u"escape"_qs, u"Use Anyway"_qs};
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || box->property("answered").toBool())
                return;
            box->setProperty("answered", true);
            const QString how = answers.takeFirst();
            if (how == u"escape")
                QTest::keyClick(box, Qt::Key_Escape);
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == how)
                    button->click();
            }
        });
        poll.start(10);
        capture();
        press(Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!getShortcut(name));
        // Back to the front, as the window manager brings it.
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QVERIFY(field->isCapturing());
        press(Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(answers.isEmpty());
        QCOMPARE(getShortcut(name), std::optional(Shortcut(Key::q, EventModifierFlag::command)));
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QVERIFY(field->hasFocus() && !field->isCapturing());
    }

    // A shortcut the system refuses, at once or later, shows as not active.
    void refusedShortcutShowsAsNotActive()
    {
        f->backend->refused.insert(commandShiftK);
        setShortcut(commandShiftK, name);
        QVERIFY(field->refusedMark()->isVisible());
        QCOMPARE(field->refusedMark()->toolTip(),
                 u"Ctrl+Shift+K is used by another application"_qs);
        // Another shortcut is shown as usual, until the system gives it up.
        const Shortcut commandJ(Key::j, EventModifierFlag::command);
        setShortcut(commandJ, name);
        QVERIFY(!field->refusedMark()->isVisible());
        f->backend->refuseLater(commandJ);
        QVERIFY(field->refusedMark()->isVisible());
    }

    void fieldFitsLongNames()
    {
        const Shortcut shortcut(Key::f12, EventModifierFlag::control | EventModifierFlag::option |
                                              EventModifierFlag::shift |
                                              EventModifierFlag::command);
        f->backend->refused.insert(shortcut);
        setShortcut(shortcut, name);
        QTRY_VERIFY([this] {
            window->adjustSize();
            return field->width() >= field->sizeHint().width();
        }());
        // Room for the text between the warning mark and the clear button.
        const int marks = 2 * field->height();
        QVERIFY2(field->width() - marks > field->fontMetrics().horizontalAdvance(field->text()),
                 qPrintable(field->text()));
    }

    // A recorder given another name shows that name's shortcut and ends capturing.
    void renamingEndsCapturing()
    {
        setShortcut(commandShiftK, name);
        capture();
        recorder->setName(Name(u"other"_qs));
        QVERIFY(field->text().isEmpty());
        QTRY_VERIFY(!field->isCapturing());
        setShortcut(Shortcut(Key::f5, 0), name);
        QVERIFY(field->text().isEmpty());
    }

    void clickOutsideEndsCapturing()
    {
        capture();
        QTest::mouseClick(farAway, Qt::LeftButton, {}, QPoint(5, farAway->height() - 5));
        QVERIFY(!field->isCapturing());
        QVERIFY(!field->hasFocus());
    }

    // A window shortcut and an action take the name's shortcut as it changes; the window
    // shortcut rests while a recorder captures.
    void shortcutsInTheWindowFollowTheName()
    {
        InWindowShortcut inWindow(name, window.get());
        QAction action;
        KeyboardShortcuts::setShortcut(&action, name);
        QVERIFY(!inWindow.shortcut()->isEnabled() && action.shortcut().isEmpty());
        setShortcut(commandShiftK, name);
        const QKeySequence ctrlShiftK(Qt::CTRL | Qt::SHIFT | Qt::Key_K);
        QCOMPARE(inWindow.shortcut()->key(), ctrlShiftK);
        QCOMPARE(action.shortcut(), ctrlShiftK);
        QCOMPARE(shortcutName(&action), std::optional(name));
        capture();
        QVERIFY(!inWindow.shortcut()->isEnabled());
        after->setFocus();
        QTRY_VERIFY(inWindow.shortcut()->isEnabled());
        QSignalSpy activated(&inWindow, &InWindowShortcut::activated);
        QTest::keyClick(after, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(activated.size(), 1);

        // No longer following: no shortcut, whatever the name gets.
        KeyboardShortcuts::setShortcut(&action, std::nullopt);
        QVERIFY(action.shortcut().isEmpty() && !shortcutName(&action));
        setShortcut(Shortcut(Key::f5, 0), name);
        QVERIFY(action.shortcut().isEmpty());
    }
};

QTEST_MAIN(TestRecorder)
#include "tst_recorder.moc"

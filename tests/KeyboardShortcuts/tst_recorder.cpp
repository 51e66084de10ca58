#include "FakeKeyboardLayout.h"
#include "ModuleFixture.h"

#include "KeyboardShortcuts/ActionShortcut.h"
#include "KeyboardShortcuts/AlertPresenter.h"
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

class FakeAlertPresenter : public AlertPresenter {
public:
    QList<Alert> shown;
    QList<int> answers;

    int present(QWidget*, const Alert& alert) override
    {
        shown.append(alert);
        return answers.isEmpty() ? firstButton : answers.takeFirst();
    }
};

} // namespace

class TestRecorder : public QObject {
    Q_OBJECT

    std::unique_ptr<ModuleFixture> f;
    FakeAlertPresenter* alerts = nullptr;
    std::unique_ptr<QWidget> window;
    QLineEdit* before = nullptr;
    Recorder* recorder = nullptr;
    RecorderLineEdit* field = nullptr;
    QLineEdit* after = nullptr;
    QLabel* farAway = nullptr;
    QList<std::optional<Shortcut>> reported;
    QList<bool> activeStatus;
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
        activeStatus.clear();
        NotificationCenter::defaultCenter().addObserver(
            recorderActiveStatusDidChange, &f->context, [this](const QVariantMap& userInfo) {
                activeStatus.append(userInfo.value(isActiveUserInfoKey).toBool());
            });

        window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window.get());
        before = new QLineEdit;
        layout->addWidget(before);
        recorder = new Recorder(u"Generate/Regenerate Content"_qs, name,
                                [this](const std::optional<Shortcut>& s) { reported.append(s); });
        field = recorder->field();
        layout->addWidget(recorder);
        after = new QLineEdit;
        layout->addWidget(after);
        farAway = new QLabel(u"far away"_qs);
        farAway->setMinimumHeight(80);
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

    // Idle, the field shows the shortcut. Capturing suspends every action and says so; Escape
    // and Tab end it keeping the old shortcut, Tab moving on.
    void capturingLifecycle()
    {
        QVERIFY(field->text().isEmpty() && !field->cancelButton()->isVisible());
        setShortcut(commandShiftK, name);
        QCOMPARE(field->text(), u"Ctrl+Shift+K"_qs);
        QVERIFY(field->cancelButton()->isVisible() && !isDispatchSuspended());
        f->changes.clear();
        capture();
        QVERIFY(isDispatchSuspended());
        QCOMPARE(activeStatus, QList{true});
        press(Qt::Key_Escape);
        QVERIFY(!field->isCapturing() && !isDispatchSuspended());
        QCOMPARE(activeStatus, (QList{true, false}));
        capture();
        press(Qt::Key_Tab);
        QTRY_VERIFY(after->hasFocus());
        QVERIFY(!field->isCapturing() && !isDispatchSuspended());
        QCOMPARE(getShortcut(name), std::optional(commandShiftK));
        QVERIFY(f->changes.isEmpty() && reported.isEmpty());
    }

    // The field is not picked as a window's first focus; focused, Space starts capturing.
    void focusAloneDoesNotCapture()
    {
        QWidget other;
        auto* otherRecorder = new Recorder(name, {}, &other);
        other.show();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QTest::qWait(20);
        RecorderLineEdit* otherField = otherRecorder->field();
        QVERIFY(!otherField->isCapturing() && !isDispatchSuspended());
        otherField->setFocus(Qt::ActiveWindowFocusReason);
        QTRY_VERIFY(otherField->hasFocus());
        QVERIFY(!otherField->isCapturing());
        QTest::keyClick(otherField, Qt::Key_Space);
        QVERIFY(otherField->isCapturing());
        // Escape cancels; the focus stays in the field.
        QTest::keyClick(otherField, Qt::Key_Escape);
        QVERIFY(!otherField->isCapturing() && otherField->hasFocus());
        QTest::keyClick(otherField, Qt::Key_Return);
        QVERIFY(otherField->isCapturing());
    }

    void keyPresses_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<Shortcut>("recorded"); // key code -1: refused
        const auto row = [](const char* name, Qt::Key key, Qt::KeyboardModifiers modifiers,
                            std::optional<Shortcut> recorded) {
            QTest::newRow(name) << int(key) << modifiers << recorded.value_or(Shortcut(-1, 0));
        };
        namespace F = EventModifierFlag;
        row("letter alone beeps", Qt::Key_K, {}, {});
        row("shift is not enough", Qt::Key_A, Qt::ShiftModifier, {});
        row("modifier key alone", Qt::Key_Control, Qt::ControlModifier, {});
        row("key without code", Qt::Key_Print, Qt::ControlModifier, {});
        row("F5 alone", Qt::Key_F5, {}, Shortcut(Key::f5, 0));
        row("shift-F5", Qt::Key_F5, Qt::ShiftModifier, Shortcut(Key::f5, F::shift));
        row("ctrl-shift-k", Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier, commandShiftK);
        row("meta is control", Qt::Key_K, Qt::MetaModifier, Shortcut(Key::k, F::control));
        row("escape with a modifier", Qt::Key_Escape, Qt::ControlModifier,
            Shortcut(Key::escape, F::command));
        row("keypad", Qt::Key_5, Qt::AltModifier | Qt::KeypadModifier,
            Shortcut(Key::keypad5, F::option));
    }

    void keyPresses()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(Shortcut, recorded);
        const bool accepted = recorded.carbonKeyCode() >= 0;
        QSignalSpy refused(field, &RecorderLineEdit::keyRefused);
        QSignalSpy changed(recorder, &Recorder::shortcutChanged);
        capture();
        press(Qt::Key(key), modifiers);
        if (!accepted) {
            QCOMPARE(refused.size(), key == Qt::Key_Control ? 0 : 1);
            QVERIFY(field->isCapturing() && !getShortcut(name));
            QVERIFY(reported.isEmpty() && f->changes.isEmpty());
            return;
        }
        const Shortcut& expected = recorded;
        QCOMPARE(refused.size(), 0);
        QCOMPARE(getShortcut(name), std::optional(expected));
        QCOMPARE(reported, QList{std::optional(expected)});
        QCOMPARE(changed.size(), 1);
        QCOMPARE(field->text(), QtKeyMapping::shownText(expected));
        // Recorded, the field keeps the focus without capturing.
        QVERIFY(!field->isCapturing() && field->hasFocus());
        // Accepting registers the hot key through the module.
        QCOMPARE(f->backend->heldShortcuts(), QList{expected});
        QVERIFY(alerts->shown.isEmpty());
    }

    void clearing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("backspace") << u"backspace"_qs;
        QTest::newRow("forward delete") << u"delete"_qs;
        QTest::newRow("clear button") << u"button"_qs;
        QTest::newRow("clear button through accessibility") << u"accessible"_qs;
    }

    void clearing()
    {
        QFETCH(QString, how);
        setShortcut(commandShiftK, name);
        if (how == u"backspace" || how == u"delete") {
            capture();
            press(how == u"delete" ? Qt::Key_Delete : Qt::Key_Backspace);
        } else if (how == u"button") {
            field->cancelButton()->trigger();
        } else {
            QAccessibleInterface* fieldInterface = QAccessible::queryAccessibleInterface(field);
            for (int i = 0; i < fieldInterface->childCount(); ++i) {
                QAccessibleInterface* child = fieldInterface->child(i);
                if (child->text(QAccessible::Name) == u"Clear"_qs && child->actionInterface())
                    child->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
            }
        }
        QVERIFY(!getShortcut(name));
        QVERIFY(!f->preferences.contains(name.preferenceKey()));
        QCOMPARE(reported, QList<std::optional<Shortcut>>{std::nullopt});
        QVERIFY(field->text().isEmpty() && !field->cancelButton()->isVisible());
        QVERIFY(f->backend->held.empty());
        // The field captures at once, so a new shortcut can be recorded.
        QTRY_VERIFY(field->isCapturing());
    }

    // Combinations refused with an alert: those of the application's own menu items (read off
    // its menu bar, submenus too), option-only ones where the system refuses them, and those
    // another program holds. The alert is answered with its last button.
    void refusals_data()
    {
        QTest::addColumn<QString>("setup"); // system version, or a combination taken elsewhere
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<QString>("alert"); // menu item title, "disallowed", "system" or none
        QTest::addColumn<bool>("stored");
        const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
        const Qt::KeyboardModifiers alt = Qt::AltModifier;
        const auto row = [](const char* name, const QString& setup, Qt::Key key,
                            Qt::KeyboardModifiers modifiers, const QString& alert, bool stored) {
            QTest::newRow(name) << setup << int(key) << modifiers << alert << stored;
        };
        row("menu item", {}, Qt::Key_Q, ctrl, u"Quit"_qs, false);
        row("menu item in a submenu", {}, Qt::Key_L, ctrl | alt, u"Clear List"_qs, false);
        row("menu item with an ampersand", {}, Qt::Key_W, ctrl | Qt::ShiftModifier,
            u"Save & Close"_qs, false);
        row("menu item on a function key", {}, Qt::Key_F1, {}, u"Help"_qs, false);
        row("menu letter with other modifiers", {}, Qt::Key_Q, ctrl | Qt::ShiftModifier, {}, true);
        row("15.0 option", u"15.0"_qs, Qt::Key_K, alt, u"disallowed"_qs, false);
        row("15.1 option-shift", u"15.1"_qs, Qt::Key_K, alt | Qt::ShiftModifier, u"disallowed"_qs,
            false);
        row("15.1 control-option", u"15.1"_qs, Qt::Key_K, alt | Qt::MetaModifier, {}, true);
        row("15.1 command-option", u"15.1"_qs, Qt::Key_K, alt | ctrl, {}, true);
        row("15.2 option", u"15.2"_qs, Qt::Key_K, alt, {}, true);
        row("15.1 outside a sandbox", u"15.1 unsandboxed"_qs, Qt::Key_K, alt, {}, true);
        row("taken: used anyway", u"taken"_qs, Qt::Key_K, ctrl, u"system"_qs, true);
        row("taken for sure: no use anyway", u"taken for sure"_qs, Qt::Key_K, ctrl, u"system"_qs,
            false);
        row("plain F12 is not checked", u"taken"_qs, Qt::Key_F12, {}, {}, true);
        row("shift-F12 is checked", u"taken"_qs, Qt::Key_F12, Qt::ShiftModifier, u"system"_qs,
            true);
    }

    void refusals()
    {
        QFETCH(QString, setup);
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(QString, alert);
        QFETCH(bool, stored);
        QMainWindow main;
        QMenu* file = main.menuBar()->addMenu(u"&File"_qs);
        file->addMenu(u"Open &Recent"_qs)
            ->addAction(u"Clear &List"_qs, QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_L));
        file->addAction(u"Save && &Close"_qs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_W));
        file->addSeparator();
        file->addAction(u"&Quit"_qs, QKeySequence(Qt::CTRL | Qt::Key_Q));
        main.menuBar()->addMenu(u"&Help"_qs)->addAction(u"Help"_qs, QKeySequence(Qt::Key_F1));
        if (setup.startsWith(u"15."))
            field->setEnvironment({true, 15, setup.mid(3, 1).toInt(), !setup.contains(u"un")});
        const bool forSure = setup.endsWith(u"for sure");
        if (setup.startsWith(u"taken")) {
            const QKeyEvent event(QEvent::KeyPress, key, modifiers);
            f->backend->taken.insert(*QtKeyMapping::fromEvent(event));
            f->backend->refusesTaken = forSure;
        }
        alerts->answers.append(AlertPresenter::secondButton);
        capture();
        press(Qt::Key(key), modifiers);
        QCOMPARE(getShortcut(name).has_value(), stored);
        QCOMPARE(field->isCapturing(), !stored);
        QCOMPARE(alerts->shown.size(), alert.isEmpty() ? 0 : 1);
        if (alert.isEmpty())
            return;
        const Alert& shown = alerts->shown[0];
        if (alert == u"disallowed") {
            QCOMPARE(shown.message, StringTable::text(StringTable::disallowed));
        } else if (alert == u"system") {
            QCOMPARE(shown.message, StringTable::text(StringTable::usedBySystem));
            QCOMPARE(shown.informativeText, StringTable::text(forSure ? StringTable::chooseAnother
                                                                      : StringTable::canBeChanged));
            QStringList buttons{StringTable::text(StringTable::ok)};
            if (!forSure)
                buttons << StringTable::text(StringTable::forceUseShortcut);
            QCOMPARE(shown.buttons, buttons);
        } else {
            QCOMPARE(shown.message, StringTable::text(StringTable::usedByMenuItem).arg(alert));
            QVERIFY(shown.message.contains(u"\u201C"_qs + alert + u"\u201D"_qs));
        }
    }

    // The alerts as the user meets them: real message boxes, answered by key, by closing the
    // box or by a button.
    void messageBoxAnswers_data()
    {
        QTest::addColumn<bool>("menuClash");
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("stored");
        QTest::newRow("system clash, escape") << false << u"escape"_qs << false;
        QTest::newRow("system clash, use anyway") << false << u"Use Anyway"_qs << true;
        QTest::newRow("menu clash, escape") << true << u"escape"_qs << false;
        QTest::newRow("menu clash, closed") << true << u"close"_qs << false;
    }

    void messageBoxAnswers()
    {
        QFETCH(bool, menuClash);
        QFETCH(QString, how);
        QFETCH(bool, stored);
        AlertPresenter::setCurrent(nullptr);
        QMainWindow main;
        if (menuClash)
            main.menuBar()
                ->addMenu(u"&File"_qs)
                ->addAction(u"&Quit"_qs, QKeySequence(Qt::CTRL | Qt::Key_Q));
        else
            f->backend->taken.insert(Shortcut(Key::q, EventModifierFlag::command));
        bool answered = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || std::exchange(answered, true))
                return;
            if (how == u"escape")
                QTest::keyClick(box, Qt::Key_Escape);
            else if (how == u"close")
                box->close();
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == how)
                    button->click();
            }
        });
        poll.start(10);
        capture();
        press(Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(answered);
        QCOMPARE(getShortcut(name).has_value(), stored);
        QVERIFY(f->changes.isEmpty() != stored);
    }

    // A shortcut the system refuses, at once or later, shows as not active; the stored value
    // stays.
    void refusedShortcutShowsAsNotActive()
    {
        f->backend->refused.insert(commandShiftK);
        setShortcut(commandShiftK, name);
        QVERIFY(isRefusedBySystem(name) && field->refusedMark()->isVisible());
        QCOMPARE(field->refusedMark()->toolTip(),
                 u"Ctrl+Shift+K is used by another application"_qs);
        QCOMPARE(field->toolTip(), field->refusedMark()->toolTip());
        QCOMPARE(getShortcut(name), std::optional(commandShiftK));
        // Another shortcut is shown as usual, until the system gives it up.
        const Shortcut commandJ(Key::j, EventModifierFlag::command);
        setShortcut(commandJ, name);
        QVERIFY(!isRefusedBySystem(name) && !field->refusedMark()->isVisible());
        QVERIFY(field->toolTip().isEmpty());
        f->backend->refuseLater(commandJ);
        QVERIFY(isRefusedBySystem(name) && field->refusedMark()->isVisible());
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

    // Every recorder of a name shows its shortcut; changing a recorder's name ends capturing.
    void recordersFollowTheirName()
    {
        auto* second = new Recorder(name, {}, window.get());
        window->layout()->addWidget(second);
        capture();
        press(Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(second->field()->text(), u"Ctrl+Shift+K"_qs);
        second->field()->cancelButton()->trigger();
        QVERIFY(field->text().isEmpty());
        second->setName(Name(u"other"_qs));
        setShortcut(commandShiftK, name);
        QVERIFY(second->field()->text().isEmpty());
        capture();
        recorder->setName(Name(u"other"_qs));
        QVERIFY(field->text().isEmpty());
        QTRY_VERIFY(!field->isCapturing());
    }

    void clickOutsideEndsCapturing()
    {
        capture();
        // A click just beside the field (within the margin) keeps capturing.
        QTest::mouseClick(
            window.get(), Qt::LeftButton, {},
            field->mapTo(window.get(), QPoint(field->width() + 2, field->height() / 2)));
        QVERIFY(field->isCapturing());
        QTest::mouseClick(farAway, Qt::LeftButton, {}, QPoint(5, farAway->height() - 5));
        QVERIFY(!field->isCapturing());
        QVERIFY(!field->hasFocus());
    }

    void inWindowShortcutFollowsTheName()
    {
        InWindowShortcut inWindow(name, window.get());
        QVERIFY(!inWindow.shortcut()->isEnabled());
        setShortcut(commandShiftK, name);
        QCOMPARE(inWindow.shortcut()->key(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K));
        QVERIFY(inWindow.shortcut()->isEnabled());
        capture();
        QVERIFY(!inWindow.shortcut()->isEnabled());
        after->setFocus();
        QTRY_VERIFY(inWindow.shortcut()->isEnabled());
        QSignalSpy activated(&inWindow, &InWindowShortcut::activated);
        QTest::keyClick(after, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(activated.size(), 1);
    }

    void actionShortcutFollowsTheName()
    {
        QAction action;
        setShortcut(commandShiftK, name);
        KeyboardShortcuts::setShortcut(&action, name);
        QCOMPARE(action.shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K));
        QCOMPARE(shortcutName(&action), std::optional(name));
        setShortcut(Shortcut(Key::f5, 0), name);
        QCOMPARE(action.shortcut(), QKeySequence(Qt::Key_F5));
        KeyboardShortcuts::setShortcut(&action, std::nullopt);
        QVERIFY(action.shortcut().isEmpty());
        QVERIFY(!shortcutName(&action));
        setShortcut(commandShiftK, name);
        QVERIFY(action.shortcut().isEmpty());
    }
};

QTEST_MAIN(TestRecorder)
#include "tst_recorder.moc"

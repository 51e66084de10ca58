#include "FakeKeyboardLayout.h"
#include "ModuleFixture.h"

#include "KeyboardShortcuts/ActionShortcut.h"
#include "KeyboardShortcuts/AlertPresenter.h"
#include "KeyboardShortcuts/InWindowShortcut.h"
#include "KeyboardShortcuts/MenuBarItems.h"
#include "KeyboardShortcuts/QtKeyMapping.h"
#include "KeyboardShortcuts/Recorder.h"
#include "KeyboardShortcuts/StringTable.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QAbstractButton>
#include <QAccessible>
#include <QMenu>
#include <QMenuBar>
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
    const Name name{QStringLiteral("recorded")};

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
        recorder = new Recorder(QStringLiteral("Generate/Regenerate Content"), name,
                                [this](const std::optional<Shortcut>& s) { reported.append(s); });
        field = recorder->field();
        layout->addWidget(recorder);
        after = new QLineEdit;
        layout->addWidget(after);
        farAway = new QLabel(QStringLiteral("far away"));
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

    void idleField()
    {
        QCOMPARE(field->placeholderText(), StringTable::text(StringTable::recordShortcut));
        QCOMPARE(field->minimumWidth(), 130);
        QVERIFY(field->sizeHint().width() >= 130);
        QVERIFY(field->text().isEmpty());
        QVERIFY(!field->cancelButton()->isVisible());
        QCOMPARE(qobject_cast<QLabel*>(recorder->label())->text(),
                 u"Generate/Regenerate Content"_qs);
        QVERIFY(!field->isCapturing());
        QVERIFY(!isDispatchSuspended());

        setShortcut(commandShiftK, name);
        QCOMPARE(field->text(), u"Ctrl+Shift+K"_qs);
        QVERIFY(field->cancelButton()->isVisible());
    }

    void notPickedAsFirstFocusOfAWindow()
    {
        QWidget other;
        auto* otherRecorder = new Recorder(name, {}, &other);
        other.show();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QTest::qWait(20);
        QVERIFY(!otherRecorder->field()->isCapturing());
        QVERIFY(!isDispatchSuspended());
    }

    void theWindowsFocusShowsTheFieldAndSpaceStartsCapturing()
    {
        QWidget other;
        auto* otherRecorder = new Recorder(name, {}, &other);
        RecorderLineEdit* otherField = otherRecorder->field();
        otherField->setFocus(Qt::ActiveWindowFocusReason);
        other.show();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QTRY_VERIFY(otherField->hasFocus());
        QVERIFY(!otherField->isCapturing());
        QTest::keyClick(otherField, Qt::Key_Space);
        QVERIFY(otherField->isCapturing());
        // Escape cancels; the focus stays in the field.
        QTest::keyClick(otherField, Qt::Key_Escape);
        QVERIFY(!otherField->isCapturing());
        QVERIFY(otherField->hasFocus());
        QTest::keyClick(otherField, Qt::Key_Return);
        QVERIFY(otherField->isCapturing());
    }

    void capturingSuspendsActions()
    {
        capture();
        QCOMPARE(field->placeholderText(), StringTable::text(StringTable::pressShortcut));
        QVERIFY(isDispatchSuspended());
        QCOMPARE(activeStatus, QList{true});
        after->setFocus();
        QTRY_VERIFY(!field->isCapturing());
        QCOMPARE(field->placeholderText(), StringTable::text(StringTable::recordShortcut));
        QVERIFY(!isDispatchSuspended());
        QCOMPARE(activeStatus, (QList{true, false}));
    }

    void keyPresses_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<qint64>("keyCode");
        QTest::addColumn<quint64>("flags");
        const auto none = Qt::KeyboardModifiers();
        QTest::newRow("letter alone beeps")
            << int(Qt::Key_K) << none << false << qint64(0) << quint64(0);
        QTest::newRow("shift is not enough")
            << int(Qt::Key_A) << Qt::KeyboardModifiers(Qt::ShiftModifier) << false << qint64(0)
            << quint64(0);
        QTest::newRow("modifier key alone")
            << int(Qt::Key_Control) << Qt::KeyboardModifiers(Qt::ControlModifier) << false
            << qint64(0) << quint64(0);
        QTest::newRow("key without code")
            << int(Qt::Key_Print) << Qt::KeyboardModifiers(Qt::ControlModifier) << false
            << qint64(0) << quint64(0);
        QTest::newRow("F5 alone") << int(Qt::Key_F5) << none << true << Key::f5.rawValue
                                  << quint64(0);
        QTest::newRow("shift-F5") << int(Qt::Key_F5) << Qt::KeyboardModifiers(Qt::ShiftModifier)
                                  << true << Key::f5.rawValue << EventModifierFlag::shift;
        QTest::newRow("ctrl-shift-k")
            << int(Qt::Key_K) << (Qt::ControlModifier | Qt::ShiftModifier) << true
            << Key::k.rawValue << (EventModifierFlag::command | EventModifierFlag::shift);
        QTest::newRow("meta is control")
            << int(Qt::Key_K) << Qt::KeyboardModifiers(Qt::MetaModifier) << true << Key::k.rawValue
            << EventModifierFlag::control;
        QTest::newRow("escape with a modifier")
            << int(Qt::Key_Escape) << Qt::KeyboardModifiers(Qt::ControlModifier) << true
            << Key::escape.rawValue << EventModifierFlag::command;
        QTest::newRow("keypad") << int(Qt::Key_5) << (Qt::AltModifier | Qt::KeypadModifier) << true
                                << Key::keypad5.rawValue << EventModifierFlag::option;
    }

    void keyPresses()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, accepted);
        QFETCH(qint64, keyCode);
        QFETCH(quint64, flags);
        QSignalSpy refused(field, &RecorderLineEdit::keyRefused);
        QSignalSpy changed(recorder, &Recorder::shortcutChanged);
        capture();
        press(Qt::Key(key), modifiers);
        if (!accepted) {
            QCOMPARE(refused.size(), key == Qt::Key_Control ? 0 : 1);
            QVERIFY(field->isCapturing());
            QVERIFY(!getShortcut(name));
            QVERIFY(reported.isEmpty());
            QVERIFY(f->changes.isEmpty());
            return;
        }
        const Shortcut expected(keyCode, carbonModifiersFromEventFlags(flags));
        QCOMPARE(refused.size(), 0);
        QCOMPARE(getShortcut(name), std::optional(expected));
        QCOMPARE(reported, QList{std::optional(expected)});
        QCOMPARE(changed.size(), 1);
        QCOMPARE(field->text(), QtKeyMapping::shownText(expected));
        QVERIFY(field->cancelButton()->isVisible());
        // Recorded, the field keeps the focus without capturing.
        QVERIFY(!field->isCapturing());
        QVERIFY(field->hasFocus());
        // Accepting registers the hot key through the module.
        QCOMPARE(f->backend->heldShortcuts(), QList{expected});
        QVERIFY(alerts->shown.isEmpty());
    }

    void escapeKeepsTheOldShortcut()
    {
        setShortcut(commandShiftK, name);
        f->changes.clear();
        capture();
        press(Qt::Key_Escape);
        QVERIFY(!field->isCapturing());
        QCOMPARE(getShortcut(name), std::optional(commandShiftK));
        QVERIFY(f->changes.isEmpty());
        QVERIFY(reported.isEmpty());
    }

    void tabMovesOn()
    {
        capture();
        press(Qt::Key_Tab);
        QTRY_VERIFY(after->hasFocus());
        QVERIFY(!field->isCapturing());
        QVERIFY(!getShortcut(name));
    }

    void deleteKeysClear_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("backspace") << int(Qt::Key_Backspace);
        QTest::newRow("forward delete") << int(Qt::Key_Delete);
    }

    void deleteKeysClear()
    {
        QFETCH(int, key);
        setShortcut(commandShiftK, name);
        capture();
        press(Qt::Key(key));
        QVERIFY(!getShortcut(name));
        QVERIFY(!f->preferences.contains(name.preferenceKey()));
        QCOMPARE(reported, QList<std::optional<Shortcut>>{std::nullopt});
        QVERIFY(field->text().isEmpty());
        QVERIFY(!field->cancelButton()->isVisible());
        QVERIFY(field->isCapturing());
        QVERIFY(f->backend->held.empty());
    }

    void clearButton()
    {
        setShortcut(commandShiftK, name);
        QVERIFY(!field->isCapturing());
        field->cancelButton()->trigger();
        QVERIFY(!getShortcut(name));
        QCOMPARE(reported, QList<std::optional<Shortcut>>{std::nullopt});
        // The field takes the focus so a new shortcut can be recorded at once.
        QTRY_VERIFY(field->isCapturing());
    }

    void menuItemClash()
    {
        QMainWindow main;
        QMenu* file = main.menuBar()->addMenu(QStringLiteral("&File"));
        QMenu* recent = file->addMenu(QStringLiteral("Open &Recent"));
        recent->addAction(QStringLiteral("Clear &List"),
                          QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_L));
        file->addAction(QStringLiteral("&Quit"), QKeySequence(Qt::CTRL | Qt::Key_Q));

        capture();
        press(Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(alerts->shown.size(), 1);
        QCOMPARE(alerts->shown[0].message,
                 StringTable::text(StringTable::usedByMenuItem).arg(u"Quit"_qs));
        QVERIFY(alerts->shown[0].message.contains(u"\u201CQuit\u201D"_qs));
        QVERIFY(!getShortcut(name));
        // Capturing again after the alert.
        QVERIFY(field->isCapturing());

        press(Qt::Key_L, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(alerts->shown.size(), 2);
        QVERIFY(alerts->shown[1].message.contains(u"Clear List"_qs));

        // The same letter with other modifiers is free.
        press(Qt::Key_Q, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(alerts->shown.size(), 2);
        QCOMPARE(getShortcut(name), std::optional(Shortcut(Key::q, EventModifierFlag::command |
                                                                       EventModifierFlag::shift)));
    }

    void refusedOptionShortcuts_data()
    {
        QTest::addColumn<int>("minor");
        QTest::addColumn<bool>("sandboxed");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<bool>("refused");
        QTest::newRow("15.0 option") << 0 << true << Qt::KeyboardModifiers(Qt::AltModifier) << true;
        QTest::newRow("15.1 option-shift")
            << 1 << true << (Qt::AltModifier | Qt::ShiftModifier) << true;
        QTest::newRow("15.1 control-option")
            << 1 << true << (Qt::AltModifier | Qt::MetaModifier) << false;
        QTest::newRow("15.1 command-option")
            << 1 << true << (Qt::AltModifier | Qt::ControlModifier) << false;
        QTest::newRow("15.2 option")
            << 2 << true << Qt::KeyboardModifiers(Qt::AltModifier) << false;
        QTest::newRow("15.1 outside a sandbox")
            << 1 << false << Qt::KeyboardModifiers(Qt::AltModifier) << false;
    }

    void refusedOptionShortcuts()
    {
        QFETCH(int, minor);
        QFETCH(bool, sandboxed);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, refused);
        field->setEnvironment({true, 15, minor, sandboxed});
        capture();
        press(Qt::Key_K, modifiers);
        QCOMPARE(getShortcut(name).has_value(), !refused);
        QCOMPARE(alerts->shown.size(), refused ? 1 : 0);
        if (refused) {
            QCOMPARE(alerts->shown[0].message, StringTable::text(StringTable::disallowed));
            QVERIFY(field->isCapturing());
        }
    }

    void thisSystemRefusesNothing()
    {
        const RecorderEnvironment environment = RecorderEnvironment::current();
        QVERIFY(!environment.refusesOptionOnlyShortcuts());
        // The sandbox variable is read from the environment once per process.
        QCOMPARE(environment.isSandboxed, qEnvironmentVariableIsSet("APP_SANDBOX_CONTAINER_ID"));
    }

    void systemClash_data()
    {
        QTest::addColumn<bool>("refusesTaken");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("stored");
        QTest::newRow("ok") << false << AlertPresenter::firstButton << false;
        QTest::newRow("use anyway") << false << AlertPresenter::secondButton << true;
        QTest::newRow("system refuses for sure: no use anyway")
            << true << AlertPresenter::secondButton << false;
    }

    void systemClash()
    {
        QFETCH(bool, refusesTaken);
        QFETCH(int, answer);
        QFETCH(bool, stored);
        f->backend->taken.insert(commandShiftK);
        f->backend->refusesTaken = refusesTaken;
        alerts->answers.append(answer);
        capture();
        press(Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(alerts->shown.size(), 1);
        const Alert& alert = alerts->shown[0];
        QCOMPARE(alert.message, StringTable::text(StringTable::usedBySystem));
        if (refusesTaken) {
            QCOMPARE(alert.informativeText, StringTable::text(StringTable::chooseAnother));
            QCOMPARE(alert.buttons, QStringList{StringTable::text(StringTable::ok)});
        } else {
            QCOMPARE(alert.informativeText, StringTable::text(StringTable::canBeChanged));
            QCOMPARE(alert.buttons,
                     (QStringList{StringTable::text(StringTable::ok),
                                  StringTable::text(StringTable::forceUseShortcut)}));
        }
        QCOMPARE(getShortcut(name).has_value(), stored);
        QCOMPARE(field->isCapturing(), !stored);
    }

    // The alerts as the user meets them: real message boxes, answered by key, by closing the
    // box or by a button.
    void messageBoxAnswers_data()
    {
        QTest::addColumn<bool>("menuClash");
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("stored");
        QTest::newRow("system clash, escape") << false << u"escape"_qs << false;
        QTest::newRow("system clash, closed") << false << u"close"_qs << false;
        QTest::newRow("system clash, OK") << false << u"OK"_qs << false;
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
            main.menuBar()->addMenu(u"&File"_qs)->addAction(u"&Quit"_qs, QKeySequence(Qt::CTRL | Qt::Key_Q));
        else
            f->backend->taken.insert(Shortcut(Key::q, EventModifierFlag::command));
        bool answered = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            QMessageBox* box = nullptr;
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (widget->isVisible() && qobject_cast<QMessageBox*>(widget))
                    box = static_cast<QMessageBox*>(widget);
            }
            if (!box || answered)
                return;
            answered = true;
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

    void refusedShortcutShowsAsNotActive_data()
    {
        QTest::addColumn<bool>("later");
        QTest::newRow("refused at once") << false;
        QTest::newRow("given up later") << true;
    }

    void refusedShortcutShowsAsNotActive()
    {
        QFETCH(bool, later);
        if (!later)
            f->backend->refused.insert(commandShiftK);
        setShortcut(commandShiftK, name);
        if (later) {
            QVERIFY(!field->refusedMark()->isVisible());
            f->backend->refuseLater(commandShiftK);
        }
        QVERIFY(isRefusedBySystem(name));
        QVERIFY(field->refusedMark()->isVisible());
        QCOMPARE(field->refusedMark()->toolTip(), u"Ctrl+Shift+K is used by another application"_qs);
        QCOMPARE(field->toolTip(), field->refusedMark()->toolTip());
        // The stored value stays; another shortcut that the system takes is shown as usual.
        QCOMPARE(getShortcut(name), std::optional(commandShiftK));
        setShortcut(Shortcut(Key::j, EventModifierFlag::command), name);
        QVERIFY(!isRefusedBySystem(name));
        QVERIFY(!field->refusedMark()->isVisible());
        QVERIFY(field->toolTip().isEmpty());
    }

    void fieldFitsLongNames_data()
    {
        QTest::addColumn<Shortcut>("shortcut");
        QTest::newRow("meta alt space") << Shortcut(Key::space, EventModifierFlag::control | EventModifierFlag::option);
        QTest::newRow("ctrl volume mute") << Shortcut(Key::mute, EventModifierFlag::command);
        QTest::newRow("all modifiers") << Shortcut(Key::f12, EventModifierFlag::control | EventModifierFlag::option | EventModifierFlag::shift | EventModifierFlag::command);
    }

    void fieldFitsLongNames()
    {
        QFETCH(Shortcut, shortcut);
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

    void clearButtonIsAnAccessibleButton()
    {
        setShortcut(commandShiftK, name);
        QAccessibleInterface* fieldInterface = QAccessible::queryAccessibleInterface(field);
        QAccessibleInterface* clear = nullptr;
        for (int i = 0; i < fieldInterface->childCount(); ++i) {
            QAccessibleInterface* child = fieldInterface->child(i);
            if (child->text(QAccessible::Name) == u"Clear"_qs)
                clear = child;
        }
        QVERIFY(clear);
        QVERIFY(clear->actionInterface());
        clear->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(!getShortcut(name));
    }

    void plainF12IsNotCheckedAgainstTheSystem()
    {
        f->backend->taken.insert(Shortcut(Key::f12, 0));
        f->backend->taken.insert(Shortcut(Key::f12, EventModifierFlag::shift));
        capture();
        press(Qt::Key_F12);
        QVERIFY(alerts->shown.isEmpty());
        QCOMPARE(getShortcut(name), std::optional(Shortcut(Key::f12, 0)));
        capture();
        press(Qt::Key_F12, Qt::ShiftModifier);
        QCOMPARE(alerts->shown.size(), 1);
    }

    void twoRecordersStayInStep()
    {
        auto* second = new Recorder(name, {}, window.get());
        window->layout()->addWidget(second);
        capture();
        press(Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(second->field()->text(), u"Ctrl+Shift+K"_qs);
        second->field()->cancelButton()->trigger();
        QVERIFY(field->text().isEmpty());
        // A recorder of another name keeps its text.
        second->setName(Name(QStringLiteral("other")));
        setShortcut(commandShiftK, name);
        QVERIFY(second->field()->text().isEmpty());
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

    void changingTheNameDropsTheFocus()
    {
        setShortcut(commandShiftK, Name(QStringLiteral("other")));
        capture();
        recorder->setName(Name(QStringLiteral("other")));
        QCOMPARE(field->text(), u"Ctrl+Shift+K"_qs);
        QTRY_VERIFY(!field->isCapturing());
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

    void openMenuRunsHotKeysItself()
    {
        setShortcut(commandShiftK, name);
        int runs = 0;
        onKeyUp(name, [&runs] { ++runs; });
        QMenu menu;
        QAction* item = menu.addAction(QStringLiteral("Item"));
        QSignalSpy triggered(item, &QAction::triggered);
        menu.popup(window->mapToGlobal(QPoint(10, 10)));
        QTRY_VERIFY(isMenuTracking());
        QVERIFY(f->backend->held.empty());
        QVERIFY(menu.windowHandle());
        QTest::keyClick(menu.windowHandle(), Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(runs, 1);
        QVERIFY(menu.isVisible());
        menu.hide();
        QTRY_VERIFY(!isMenuTracking());
        QCOMPARE(f->backend->heldShortcuts(), QList{commandShiftK});
        QCOMPARE(triggered.size(), 0);
    }

    void menuBarItems()
    {
        QMenuBar bar;
        QMenu* edit = bar.addMenu(QStringLiteral("&Edit"));
        edit->addAction(QStringLiteral("Save && &Close"),
                        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_W));
        edit->addSeparator();
        edit->addAction(QStringLiteral("Help"), QKeySequence(Qt::Key_F1));
        const QList<MenuItem> items = MenuBarItems::ofMenuBar(bar);
        QCOMPARE(items.size(), 1);
        QCOMPARE(items[0].title, u"Edit"_qs);
        QCOMPARE(items[0].submenu.size(), 2);
        QCOMPARE(items[0].submenu[0].title, u"Save & Close"_qs);
        QCOMPARE(items[0].submenu[0].keyEquivalent, u"w"_qs);
        QCOMPARE(items[0].submenu[0].keyEquivalentModifierMask,
                 EventModifierFlag::command | EventModifierFlag::shift);
        QCOMPARE(items[0].submenu[1].keyEquivalent, u"\uF704"_qs);
        QCOMPARE(items[0].submenu[1].keyEquivalentModifierMask, quint64(0));
    }
};

QTEST_MAIN(TestRecorder)
#include "tst_recorder.moc"

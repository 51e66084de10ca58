#include "KeyboardShortcuts/RecorderLineEdit.h"

#include "KeyboardShortcuts/AlertPresenter.h"
#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/MenuBarItems.h"
#include "KeyboardShortcuts/QtKeyMapping.h"
#include "KeyboardShortcuts/SpecialKey.h"
#include "KeyboardShortcuts/StringTable.h"
#include "platform/NotificationCenter.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QTimer>

namespace KeyboardShortcuts {

namespace {

// Device-independent modifier flags without Caps Lock and the keypad flag.
constexpr quint64 anyModifierMask = 0xFFDE0000;
// Control, Option, Command, Help and the flags above them: the modifiers a hot key needs.
constexpr quint64 hotKeyModifierMask = 0xFF5C0000;
// A click this close outside the field still counts as inside.
constexpr int clickMargin = 3;
// F12 alone is never checked against the keys other programs hold.
const Shortcut plainF12(Key::f12, 0);

bool isModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_Mode_switch:
        return true;
    default:
        return false;
    }
}

} // namespace

RecorderLineEdit::RecorderLineEdit(const Name& name, OnChange onChange, QWidget* parent)
    : QLineEdit(parent)
    , m_shortcutName(name)
    , m_onChange(std::move(onChange))
    , m_environment(RecorderEnvironment::current())
{
    // Read-only keeps the caret hidden and typed text out; every key is handled here.
    setReadOnly(true);
    setAlignment(Qt::AlignCenter);
    setFocusPolicy(Qt::StrongFocus);
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setMinimumWidth(minimumFieldWidth);
    setPlaceholderText(StringTable::text(StringTable::recordShortcut));
    setAccessibleName(StringTable::text(StringTable::recordShortcut));

    m_cancelButton = addAction(style()->standardIcon(QStyle::SP_LineEditClearButton),
                               QLineEdit::TrailingPosition);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    m_cancelButton->setText(QCoreApplication::translate("KeyboardShortcuts", "Clear"));
    m_cancelButton->setToolTip(m_cancelButton->text());
    connect(m_cancelButton, &QAction::triggered, this, &RecorderLineEdit::clearShortcut);
    m_refusedMark = addAction(style()->standardIcon(QStyle::SP_MessageBoxWarning),
                              QLineEdit::LeadingPosition);
    m_refusedMark->setObjectName(QStringLiteral("refusedMark"));
    // Clicking the mark only shows its tooltip; it changes nothing.
    m_refusedMark->setEnabled(false);

    setTextFromName();
    NotificationCenter::defaultCenter().addObserver(
        shortcutByNameDidChange, this, [this](const QVariantMap& userInfo) {
            if (userInfo.value(nameUserInfoKey).value<Name>() == m_shortcutName)
                setTextFromName();
        });
    NotificationCenter::defaultCenter().addObserver(hotKeyRegistrationDidChange, this,
                                                    [this](const QVariantMap&) {
                                                        updateRefusedMark();
                                                    });
}

RecorderLineEdit::~RecorderLineEdit()
{
    stopCapturing();
}

void RecorderLineEdit::setShortcutName(const Name& name)
{
    if (name == m_shortcutName) {
        m_shortcutName = name;
        return;
    }
    m_shortcutName = name;
    setTextFromName();
    QTimer::singleShot(0, this, &RecorderLineEdit::removeFocus);
}

QSize RecorderLineEdit::sizeHint() const
{
    // Wide enough for the text (or the placeholder), the marks shown beside it and the frame; the
    // fixed minimum for short texts. A mark takes a square of the field's height.
    const QString shown = text().isEmpty() ? placeholderText() : text();
    const int height = QLineEdit::sizeHint().height();
    int marks = 0;
    for (const QAction* mark : {m_cancelButton, m_refusedMark})
        marks += mark && mark->isVisible() ? 1 : 0;
    const int frame = QLineEdit::minimumSizeHint().width();
    const int width = fontMetrics().horizontalAdvance(shown) + marks * height + frame;
    return {std::max(minimumFieldWidth, width), height};
}

QSize RecorderLineEdit::minimumSizeHint() const
{
    return sizeHint();
}

void RecorderLineEdit::setTextFromName()
{
    const std::optional<Shortcut> shortcut = getShortcut(m_shortcutName);
    setText(shortcut ? QtKeyMapping::shownText(*shortcut) : QString());
    updateCancelButton();
    updateRefusedMark();
}

void RecorderLineEdit::updateRefusedMark()
{
    const bool refused = isRefusedBySystem(m_shortcutName);
    const QString why =
        refused ? StringTable::text(StringTable::usedByOtherApplication).arg(text()) : QString();
    m_refusedMark->setText(why);
    m_refusedMark->setToolTip(why);
    m_refusedMark->setVisible(refused);
    setToolTip(why);
    setAccessibleDescription(why);
    updateGeometry();
}

void RecorderLineEdit::updateCancelButton()
{
    m_cancelButton->setVisible(!text().isEmpty());
}

void RecorderLineEdit::startCapturing()
{
    m_captureOnFocus = false;
    if (m_capturing)
        return;
    m_capturing = true;
    setPlaceholderText(StringTable::text(StringTable::pressShortcut));
    updateCancelButton();
    setDispatchSuspended(true);
    NotificationCenter::defaultCenter().post(recorderActiveStatusDidChange,
                                             {{isActiveUserInfoKey, true}});
    // Mouse releases anywhere in the application, to end capturing on a click outside.
    qApp->installEventFilter(this);
    // Every key comes here, also combinations another program or this one holds as hot keys:
    // the checks below decide about them, not whoever holds them. Only X11 has such a grab.
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        grabKeyboard();
}

void RecorderLineEdit::stopCapturing()
{
    m_captureOnFocus = false;
    if (!m_capturing)
        return;
    m_capturing = false;
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        releaseKeyboard();
    qApp->removeEventFilter(this);
    setPlaceholderText(StringTable::text(StringTable::recordShortcut));
    updateCancelButton();
    setDispatchSuspended(false);
    NotificationCenter::defaultCenter().post(recorderActiveStatusDidChange,
                                             {{isActiveUserInfoKey, false}});
}

void RecorderLineEdit::removeFocus()
{
    // Also when the window is in the back and only remembers the field as its focus, so the
    // field does not start capturing again when the window comes back.
    if (hasFocus() || (window() && window()->focusWidget() == this))
        clearFocus();
    stopCapturing();
}

void RecorderLineEdit::deferKeyFocus()
{
    // Not the window's first focus when it comes to the front: capturing starts only when the
    // user picks the field.
    setFocusPolicy(Qt::NoFocus);
    QTimer::singleShot(0, this, [this] { setFocusPolicy(Qt::StrongFocus); });
}

void RecorderLineEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    // The focus a window gives when it opens or comes back only shows the field; the user starts
    // recording by picking it (Tab, a click, Space or Enter). So Escape and the window's keys
    // keep working in a window that opens on this field. After an alert the field captures again
    // however the focus comes back.
    if (event->reason() != Qt::ActiveWindowFocusReason || m_captureOnFocus)
        startCapturing();
}

void RecorderLineEdit::mousePressEvent(QMouseEvent* event)
{
    QLineEdit::mousePressEvent(event);
    if (hasFocus())
        startCapturing();
}

void RecorderLineEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    stopCapturing();
}

void RecorderLineEdit::hideEvent(QHideEvent* event)
{
    QLineEdit::hideEvent(event);
    removeFocus();
}

void RecorderLineEdit::clearShortcut()
{
    if (text().isEmpty())
        return;
    setText(QString());
    textDidChange();
}

void RecorderLineEdit::textDidChange()
{
    const bool isEmpty = text().isEmpty();
    if (isEmpty) {
        setShortcut(std::nullopt, m_shortcutName);
        if (m_onChange)
            m_onChange(std::nullopt);
        Q_EMIT shortcutChanged(std::nullopt);
    }
    updateCancelButton();
    if (isEmpty)
        setFocus(Qt::OtherFocusReason);
}

bool RecorderLineEdit::event(QEvent* event)
{
    // Activation reaches every widget of the window before the window picks its focus.
    if (event->type() == QEvent::WindowActivate)
        deferKeyFocus();
    else if (event->type() == QEvent::WindowDeactivate)
        removeFocus();
    // Idle with the focus: Space or Enter starts recording.
    if (!m_capturing && event->type() == QEvent::KeyPress && hasFocus()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier &&
            (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)) {
            startCapturing();
            return true;
        }
    }
    if (m_capturing) {
        switch (event->type()) {
        case QEvent::ShortcutOverride:
            // Every combination comes to the field, none triggers a menu or window shortcut.
            event->accept();
            return true;
        case QEvent::KeyPress:
            if (handleKeyPress(static_cast<QKeyEvent*>(event)))
                return true;
            break;
        case QEvent::KeyRelease:
            return true;
        default:
            break;
        }
    }
    return QLineEdit::event(event);
}

bool RecorderLineEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (m_capturing && event->type() == QEvent::MouseButtonRelease && watched->isWidgetType()) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const bool relevant =
            mouse->button() == Qt::LeftButton || mouse->button() == Qt::RightButton;
        const QPoint point = mapFromGlobal(mouse->globalPosition().toPoint());
        const QRect area = rect().adjusted(-clickMargin, -clickMargin, clickMargin, clickMargin);
        if (relevant && !area.contains(point))
            removeFocus();
    }
    return QLineEdit::eventFilter(watched, event);
}

void RecorderLineEdit::refuse()
{
    QApplication::beep();
    Q_EMIT keyRefused();
}

int RecorderLineEdit::showAlert(const Alert& alert)
{
    removeFocus();
    const int answer = AlertPresenter::current().present(this, alert);
    // Capturing starts again so the user can try another combination at once: now, or when the
    // window comes back to the front and gives the field its focus again.
    m_captureOnFocus = true;
    setFocus(Qt::OtherFocusReason);
    return answer;
}

bool RecorderLineEdit::handleKeyPress(QKeyEvent* event)
{
    // Modifier keys by themselves only prepare a combination.
    if (isModifierKey(event->key()))
        return true;
    const quint64 flags = QtKeyMapping::eventModifierFlags(*event);
    const bool noModifiers = (flags & anyModifierMask) == 0;
    const std::optional<qint64> keyCode = QtKeyMapping::virtualKeyCode(*event);
    const std::optional<SpecialKey> special =
        keyCode ? specialKeyByKeyCode(*keyCode) : std::nullopt;

    if (noModifiers && special == SpecialKey::tab)
        return false;
    if (noModifiers && keyCode == Key::escape.rawValue) {
        // Cancelled: the field keeps the focus, so the keyboard stays where the user was.
        stopCapturing();
        return true;
    }
    if (noModifiers && (special == SpecialKey::deleteKey || special == SpecialKey::deleteForward)) {
        m_cancelButton->trigger();
        return true;
    }
    const bool isFunctionKey = event->key() >= Qt::Key_F1 && event->key() <= Qt::Key_F35;
    if ((flags & hotKeyModifierMask) == 0 && !isFunctionKey) {
        refuse();
        return true;
    }
    const std::optional<Shortcut> shortcut = QtKeyMapping::fromEvent(*event);
    if (!shortcut) {
        refuse();
        return true;
    }

    if (const std::optional<MenuItem> item =
            findMenuItem(MenuBarItems::ofApplication(), *shortcut)) {
        showAlert({StringTable::text(StringTable::usedByMenuItem).arg(item->title),
                   QString(),
                   {StringTable::text(StringTable::ok)}});
        return true;
    }
    if (m_environment.isRefused(*shortcut)) {
        showAlert({StringTable::text(StringTable::disallowed),
                   QString(),
                   {StringTable::text(StringTable::ok)}});
        return true;
    }
    if (*shortcut != plainF12 && backend().isTakenBySystem(*shortcut)) {
        // Where the system refuses a taken combination for sure, using it anyway would store a
        // shortcut that does nothing: only the first button then.
        if (backend().refusesTakenShortcuts()) {
            showAlert({StringTable::text(StringTable::usedBySystem),
                       StringTable::text(StringTable::chooseAnother),
                       {StringTable::text(StringTable::ok)}});
            return true;
        }
        const int answer = showAlert({StringTable::text(StringTable::usedBySystem),
                                      StringTable::text(StringTable::canBeChanged),
                                      {StringTable::text(StringTable::ok),
                                       StringTable::text(StringTable::forceUseShortcut)}});
        if (answer != AlertPresenter::secondButton)
            return true;
    }
    accept(*shortcut);
    return true;
}

void RecorderLineEdit::accept(const Shortcut& shortcut)
{
    setText(QtKeyMapping::shownText(shortcut));
    updateCancelButton();
    setShortcut(shortcut, m_shortcutName);
    if (m_onChange)
        m_onChange(shortcut);
    Q_EMIT shortcutChanged(shortcut);
    // Recorded: the field keeps the focus (idle), so the user can go on from it with Tab.
    stopCapturing();
}

} // namespace KeyboardShortcuts

#pragma once

#include "KeyboardShortcuts/Name.h"
#include "KeyboardShortcuts/RecorderEnvironment.h"
#include "KeyboardShortcuts/Shortcut.h"

#include <QLineEdit>

#include <functional>
#include <optional>

class QAction;

namespace KeyboardShortcuts {

struct Alert;

// The field in which the user records the shortcut of a name. It shows the stored shortcut as
// the platform writes it (for example "Ctrl+Shift+K") or a placeholder. Picked by the user (Tab,
// a click, or Space or Enter while it has the focus) it captures keys: the next combination with
// a modifier (or a function key alone) becomes the name's shortcut, unless a menu item or another
// program already uses it. Escape cancels, Tab moves on, Backspace and Delete clear; after a
// recording or a cancel the field keeps the focus without capturing. The focus a window gives it
// when the window opens does not start capturing. Global shortcut actions are suspended while it
// captures.
//
// While capturing it holds the keyboard grab, so combinations that other programs (or this one)
// hold as hot keys reach it too. A stored shortcut that the system refused shows with a warning
// mark whose tooltip says why.
//
// The field writes through setShortcut and reports every change; it registers no hot key of its
// own.
class RecorderLineEdit : public QLineEdit {
    Q_OBJECT

public:
    using OnChange = std::function<void(const std::optional<Shortcut>&)>;

    static constexpr int minimumFieldWidth = 130;

    explicit RecorderLineEdit(const Name& name, OnChange onChange = {}, QWidget* parent = nullptr);
    ~RecorderLineEdit() override;

    const Name& shortcutName() const { return m_shortcutName; }
    // Shows another name; when it differs from the current one the field also gives up the focus
    // on the next turn of the event loop.
    void setShortcutName(const Name& name);

    bool isCapturing() const { return m_capturing; }
    // The clear button beside the text; visible exactly when there is text.
    QAction* cancelButton() const { return m_cancelButton; }
    // The warning mark before the text; visible exactly when the stored shortcut was refused by
    // the system. Its tooltip says who holds it.
    QAction* refusedMark() const { return m_refusedMark; }

    // What the refused-modifier check knows of the system; the running system by default.
    void setEnvironment(const RecorderEnvironment& environment) { m_environment = environment; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    // The user recorded a shortcut or cleared it (none). Emitted after it was stored.
    void shortcutChanged(const std::optional<KeyboardShortcuts::Shortcut>& shortcut);
    // A key press was refused with the system beep; capturing goes on.
    void keyRefused();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void setTextFromName();
    void updateCancelButton();
    void updateRefusedMark();
    void startCapturing();
    void stopCapturing();
    void removeFocus();
    void deferKeyFocus();
    void clearShortcut();
    void textDidChange();
    // Handles a key press while capturing; false passes the event on.
    bool handleKeyPress(QKeyEvent* event);
    void refuse();
    int showAlert(const Alert& alert);
    void accept(const Shortcut& shortcut);

    Name m_shortcutName;
    OnChange m_onChange;
    RecorderEnvironment m_environment;
    QAction* m_cancelButton = nullptr;
    QAction* m_refusedMark = nullptr;
    bool m_capturing = false;
    // An alert closed: the next focus starts capturing, also the focus of window activation.
    bool m_captureOnFocus = false;
};

} // namespace KeyboardShortcuts

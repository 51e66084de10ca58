#pragma once

#include "KeyboardShortcuts/RecorderLineEdit.h"

#include <QWidget>

class QLabel;

namespace KeyboardShortcuts {

// The recorder field of a name with an optional label in front of it, for forms such as the
// settings window.
class Recorder : public QWidget {
    Q_OBJECT

public:
    using OnChange = RecorderLineEdit::OnChange;

    // Without a label.
    explicit Recorder(const Name& name, OnChange onChange = {}, QWidget* parent = nullptr);
    // With a text label, for example "Generate/Regenerate Content".
    Recorder(const QString& title, const Name& name, OnChange onChange = {},
             QWidget* parent = nullptr);
    // With any label widget, which the recorder takes over.
    Recorder(QWidget* label, const Name& name, OnChange onChange = {}, QWidget* parent = nullptr);

    RecorderLineEdit* field() const { return m_field; }
    QWidget* label() const { return m_label; }

    // Points the field at another name.
    void setName(const Name& name);
    const Name& name() const { return m_field->shortcutName(); }

Q_SIGNALS:
    // The user recorded a shortcut or cleared it (none).
    void shortcutChanged(const std::optional<KeyboardShortcuts::Shortcut>& shortcut);

private:
    void build(QWidget* label);

    RecorderLineEdit* m_field;
    QWidget* m_label = nullptr;
};

} // namespace KeyboardShortcuts

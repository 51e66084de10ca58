#include "KeyboardShortcuts/Recorder.h"

#include <QHBoxLayout>
#include <QLabel>

namespace KeyboardShortcuts {

Recorder::Recorder(const Name& name, OnChange onChange, QWidget* parent)
    : Recorder(nullptr, name, std::move(onChange), parent)
{}

Recorder::Recorder(const QString& title, const Name& name, OnChange onChange, QWidget* parent)
    : Recorder(new QLabel(title), name, std::move(onChange), parent)
{
    m_field->setAccessibleName(title);
}

Recorder::Recorder(QWidget* label, const Name& name, OnChange onChange, QWidget* parent)
    : QWidget(parent)
    , m_field(new RecorderLineEdit(name, std::move(onChange), this))
{
    m_field->setObjectName(QStringLiteral("shortcutRecorder"));
    connect(m_field, &RecorderLineEdit::shortcutChanged, this, &Recorder::shortcutChanged);
    build(label);
}

void Recorder::build(QWidget* label)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (label) {
        m_label = label;
        label->setParent(this);
        if (auto* text = qobject_cast<QLabel*>(label))
            text->setBuddy(m_field);
        layout->addWidget(label, 0, Qt::AlignVCenter);
    }
    layout->addWidget(m_field, 0, Qt::AlignLeading | Qt::AlignVCenter);
    layout->addStretch(1);
    setFocusProxy(m_field);
}

void Recorder::setName(const Name& name)
{
    m_field->setShortcutName(name);
}

} // namespace KeyboardShortcuts

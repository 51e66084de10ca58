#include "ui/SegmentedControl.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>

SegmentedControl::SegmentedControl(const QString& title, const QStringList& segments,
                                   QWidget* parent)
    : QWidget(parent)
    , m_group(new QButtonGroup(this))
{
    setAccessibleName(title);
    setObjectName(title);
    setAttribute(Qt::WA_StyledBackground);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    for (int i = 0; i < segments.size(); ++i) {
        auto* button = new QPushButton(segments.at(i), this);
        button->setCheckable(true);
        button->setObjectName(title + QLatin1Char('/') + segments.at(i));
        button->setAccessibleName(segments.at(i));
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        m_group->addButton(button, i);
        layout->addWidget(button);
    }
    m_group->setExclusive(true);
    if (!segments.isEmpty())
        m_group->button(0)->setChecked(true);
    connect(m_group, &QButtonGroup::idClicked, this, &SegmentedControl::activated);

    // Segments sit in a rounded track; the current one is raised on the base colour.
    setStyleSheet(QStringLiteral(
        "SegmentedControl { background: palette(midlight); border-radius: 7px; }"
        "SegmentedControl > QPushButton { border: none; border-radius: 5px; padding: 3px 12px;"
        " background: transparent; color: palette(window-text); }"
        "SegmentedControl > QPushButton:checked { background: palette(base);"
        " border: 1px solid palette(mid); font-weight: 600; }"
        "SegmentedControl > QPushButton:focus { border: 1px solid palette(highlight); }"));
}

int SegmentedControl::currentIndex() const
{
    return m_group->checkedId();
}

void SegmentedControl::setCurrentIndex(int index)
{
    if (QAbstractButton* button = m_group->button(index))
        button->setChecked(true);
}

QPushButton* SegmentedControl::segment(int index) const
{
    return qobject_cast<QPushButton*>(m_group->button(index));
}

int SegmentedControl::count() const
{
    return int(m_group->buttons().size());
}

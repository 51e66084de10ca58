#pragma once

#include "ui/ColorContrast.h"

#include <QAbstractButton>
#include <QColor>

// A tag offered in the tag sheet: its name in the tag's colour on a capsule of that colour at
// opacity 0.15, outlined 2 points wide while selected. Given less than its full width (a long
// name in a narrow sheet), it ends the name in "…" and shows it whole in its tooltip. A button: a
// click (or Enter/Space while focused) emits clicked().
class TagChip : public QAbstractButton {
    Q_OBJECT

public:
    TagChip(const QString& name, const QColor& color, QWidget* parent = nullptr);

    QColor chipColor() const { return m_color; }
    void setChipColor(const QColor& color);
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);
    // The colours as painted with the capsule at `tintOpacity` (0.15 at rest): the text is the
    // chip's colour made readable on the tint.
    ColorContrast::TintedText shownColors(qreal tintOpacity = 0.15) const;

    // The name as drawn at the chip's width: ending in "…" when the chip is narrower than it.
    QString shownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    QColor m_color;
    bool m_selected = false;
};

#pragma once

#include <QAbstractButton>
#include <QColor>

// A colour picker's face: a rounded swatch of the colour (over a checkerboard, so that
// translucency shows). A click (or Enter/Space while focused) emits clicked(); the owner opens
// the colour chooser. The whole swatch can be drawn at a reduced opacity to look inactive.
class ColorWell : public QAbstractButton {
    Q_OBJECT

public:
    explicit ColorWell(QWidget* parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor& color);
    qreal drawOpacity() const { return m_drawOpacity; }
    void setDrawOpacity(qreal opacity);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QColor m_color;
    qreal m_drawOpacity = 1.0;
};

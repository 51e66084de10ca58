#pragma once

#include "ui/ButtonText.h"

#include <QColor>
#include <QPushButton>

#include <functional>

// A button that is only its text, in a colour of its own ("Cancel" in the secondary colour,
// "Remove Tag" in red), with a light tint under the pointer and a ring while focused. The
// colour is asked for at every paint, so a palette-derived colour follows theme changes.
class PlainButton : public QPushButton {
    Q_OBJECT

public:
    PlainButton(const QString& text, std::function<QColor()> color, QWidget* parent = nullptr);

    QColor textColor() const { return m_color(); }

    // Hides QAbstractButton::setText: the text is drawn as it stands and is the accessible
    // name, "&" included.
    void setText(const QString& text) { setDrawnButtonText(this, text); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    std::function<QColor()> m_color;
};

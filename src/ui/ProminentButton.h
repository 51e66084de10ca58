#pragma once

#include "ui/ButtonText.h"

#include <QPushButton>

// The main action of a screen or sheet: a rounded button filled with the accent colour, its
// text in the palette's highlighted-text colour. Drawn from the current palette at every paint,
// so it follows a change between a light and a dark theme.
class ProminentButton : public QPushButton {
    Q_OBJECT

public:
    explicit ProminentButton(const QString& text = QString(), QWidget* parent = nullptr);

    // Hides QAbstractButton::setText: the text is drawn as it stands and is the accessible
    // name, "&" included.
    void setText(const QString& text) { setDrawnButtonText(this, text); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
};

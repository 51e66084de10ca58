#pragma once

#include "ui/ButtonText.h"
#include "ui/SymbolIcon.h"

#include <QColor>
#include <QMargins>
#include <QPushButton>

#include <optional>

// A push button drawn by the application in one of three looks, so that buttons look alike on
// every desktop style and follow a light or a dark palette:
// - bordered: the palette's button colour with a hairline outline;
// - prominent: filled with a tint colour at an opacity;
// - plain: text only.
// A symbol, drawn in the label's colour, may stand before the text. A checkable button has a
// second appearance for its checked state (toggle buttons). The text is the accessible name.
class TintedButton : public QPushButton {
    Q_OBJECT

public:
    struct Appearance {
        // Invalid: the palette's button colour.
        QColor fill;
        qreal fillOpacity = 1.0;
        // Invalid: the palette's text colour.
        QColor text;
        bool outlined = false;
        bool filled = true;
    };

    static Appearance bordered();
    static Appearance prominent(const QColor& tint, qreal opacity);
    static Appearance plain(const QColor& text = QColor());

    explicit TintedButton(const QString& text = QString(), QWidget* parent = nullptr);

    void setAppearance(const Appearance& appearance);
    void setCheckedAppearance(const Appearance& appearance);
    const Appearance& appearance() const { return m_appearance; }

    // The symbol before the text; none for a text-only button.
    void setSymbol(std::optional<Symbol> symbol);
    std::optional<Symbol> symbol() const { return m_symbol; }

    void setPadding(const QMargins& padding);
    const QMargins& padding() const { return m_padding; }
    void setCornerRadius(qreal radius);

    // Hides QAbstractButton::setText: the text is drawn as it stands and is the accessible
    // name, "&" included.
    void setText(const QString& text) { setDrawnButtonText(this, text); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int symbolSize() const;

    Appearance m_appearance = bordered();
    std::optional<Appearance> m_checkedAppearance;
    std::optional<Symbol> m_symbol;
    QMargins m_padding{12, 5, 12, 5};
    qreal m_cornerRadius = 6;
};

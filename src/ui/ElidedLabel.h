#pragma once

#include <QLabel>

// A one-line label that shortens its text to the width it is given instead of asking for more,
// with the ellipsis where `mode` says (the middle, for paths). The full text stays the label's
// text, accessible name and tooltip.
class ElidedLabel : public QLabel {
    Q_OBJECT

public:
    explicit ElidedLabel(const QString& text = QString(), Qt::TextElideMode mode = Qt::ElideMiddle,
                         QWidget* parent = nullptr);

    void setFullText(const QString& text);
    const QString& fullText() const { return m_fullText; }
    // The text as painted at the current width.
    QString shownText() const;

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_fullText;
    Qt::TextElideMode m_mode;
};

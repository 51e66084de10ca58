#pragma once

#include <QWidget>

// One line of text that is shortened with an ellipsis when it does not fit: in the middle for
// paths ("/home/a/…/project", keeping both ends), at the end for names. The full text is the
// accessible name, and the tooltip while the text is shortened.
class ElidedLabel : public QWidget {
    Q_OBJECT

public:
    explicit ElidedLabel(const QString& text = QString(), Qt::TextElideMode mode = Qt::ElideMiddle,
                         QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);
    // The text as drawn at the current width.
    QString shownText() const;
    bool isElided() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    QString m_text;
    Qt::TextElideMode m_mode;
};

#pragma once

#include <QAbstractButton>

// The first cell of the library's "Recent" grid: a dashed, rounded outline around a "plus" and
// "Open Project". A button; a click (or Enter/Space while focused) emits clicked(), which the
// library turns into a request to choose a folder.
class OpenProjectCard : public QAbstractButton {
    Q_OBJECT

public:
    explicit OpenProjectCard(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
};

#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QWidget;

namespace KeyboardShortcuts {

// A warning alert of the recorder: a message, an optional informative text and its buttons, the
// first being the default.
struct Alert {
    QString message;
    QString informativeText;
    QStringList buttons;
};

// Shows the recorder's alerts modally and returns the answer: firstButton for the first button,
// firstButton + 1 for the second, and so on. Tests install one that answers by itself.
class AlertPresenter {
public:
    static constexpr int firstButton = 1000;
    static constexpr int secondButton = 1001;

    virtual ~AlertPresenter() = default;

    // Shows `alert` over `parent`'s window (application-modal without a parent) and waits for
    // the answer.
    virtual int present(QWidget* parent, const Alert& alert) = 0;

    // The presenter in use: message boxes unless another one is installed.
    static AlertPresenter& current();
    // Installs `presenter` (none restores message boxes) and returns the previous one.
    static std::unique_ptr<AlertPresenter> setCurrent(std::unique_ptr<AlertPresenter> presenter);
};

} // namespace KeyboardShortcuts

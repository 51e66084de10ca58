#pragma once

#include "KeyboardShortcuts/AlertPresenter.h"

namespace KeyboardShortcuts {

// Alerts as warning message boxes, modal to the parent's window.
class MessageBoxAlertPresenter : public AlertPresenter {
public:
    int present(QWidget* parent, const Alert& alert) override;
};

} // namespace KeyboardShortcuts

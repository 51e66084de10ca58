#pragma once

#include "KeyboardShortcuts/AlertPresenter.h"

#include <QList>

// Collects the alerts instead of showing them; answers with the queued answers, then with the
// first button.
class FakeAlertPresenter : public KeyboardShortcuts::AlertPresenter {
public:
    QList<KeyboardShortcuts::Alert> shown;
    QList<int> answers;

    int present(QWidget*, const KeyboardShortcuts::Alert& alert) override
    {
        shown.append(alert);
        return answers.isEmpty() ? firstButton : answers.takeFirst();
    }
};

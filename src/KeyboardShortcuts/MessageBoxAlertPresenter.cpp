#include "KeyboardShortcuts/MessageBoxAlertPresenter.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace KeyboardShortcuts {

int MessageBoxAlertPresenter::present(QWidget* parent, const Alert& alert)
{
    QWidget* window = parent ? parent->window() : nullptr;
    QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(), alert.message,
                    QMessageBox::NoButton, window);
    box.setInformativeText(alert.informativeText);
    box.setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    QList<QAbstractButton*> buttons;
    for (qsizetype i = 0; i < alert.buttons.size(); ++i) {
        QPushButton* button = box.addButton(alert.buttons[i], i == 0 ? QMessageBox::AcceptRole
                                                                     : QMessageBox::RejectRole);
        if (i == 0)
            box.setDefaultButton(button);
        buttons.append(button);
    }
    // Escape and closing the box answer the first button. Left to itself the box would pick its
    // one reject-role button, which here is the one that stores the shortcut anyway.
    if (!buttons.isEmpty())
        box.setEscapeButton(buttons.first());
    box.exec();
    const qsizetype index = buttons.indexOf(box.clickedButton());
    return firstButton + int(index < 0 ? 0 : index);
}

} // namespace KeyboardShortcuts

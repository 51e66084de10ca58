#include "KeyboardShortcuts/AlertPresenter.h"

#include "KeyboardShortcuts/MessageBoxAlertPresenter.h"

namespace KeyboardShortcuts {

namespace {

std::unique_ptr<AlertPresenter>& installed()
{
    static std::unique_ptr<AlertPresenter> presenter;
    return presenter;
}

} // namespace

AlertPresenter& AlertPresenter::current()
{
    if (!installed())
        installed() = std::make_unique<MessageBoxAlertPresenter>();
    return *installed();
}

std::unique_ptr<AlertPresenter>
AlertPresenter::setCurrent(std::unique_ptr<AlertPresenter> presenter)
{
    std::unique_ptr<AlertPresenter> previous = std::move(installed());
    installed() = std::move(presenter);
    return previous;
}

} // namespace KeyboardShortcuts

#pragma once

#include "ui/UpdatePresenter.h"

#include <QPointer>
#include <QString>

class QMessageBox;
class QWidget;

// Shows the answers of update checks in message boxes: up to date; a newer release with its
// notes and the buttons "View Release" and "Later"; or what went wrong.
//
// The boxes are window-modal to the parent window (the active window when none is set) but do
// not block the caller. One box shows at a time: a new answer replaces a box still open.
class UpdateDialogs : public UpdatePresenter {
public:
    explicit UpdateDialogs(QWidget* parentWindow = nullptr);
    ~UpdateDialogs() override;

    void setParentWindow(QWidget* parentWindow);

    void presentUpToDate(const QString& currentVersion) override;
    void presentUpdateAvailable(const UpdateRelease& release, const QString& currentVersion,
                                std::function<void()> viewRelease) override;
    void presentCheckFailed(const UpdateError& error) override;

    // The box on screen; null when none is open.
    QMessageBox* currentMessage() const { return m_box; }

    // Release notes longer than this are cut in the message and shown whole under "Show
    // Details...".
    static constexpr qsizetype maximumNotesLength = 1200;
    static constexpr qsizetype maximumNotesLines = 20;

    // `notes` trimmed and cut to the limits above, with "…" where it was cut.
    static QString notesExcerpt(const QString& notes);

private:
    QMessageBox* createBox();

    QPointer<QWidget> m_parentWindow;
    QPointer<QMessageBox> m_box;
};

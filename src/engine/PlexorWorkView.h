#pragma once

#include "engine/PlexorViewModel.h"
#include "model/ViewMode.h"
#include "platform/BackgroundCopy.h"

#include <QSet>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>

class Clipboard;
class PlexorInputView;
class PlexorPreviewView;
class Preferences;
class QStackedWidget;
class TokenCounter;

// The main tab's host of one open project: it owns the collection engine, shows the input
// screen or the preview, scans the folder with the project's saved selection and expansion, and
// answers the global shortcut's notification by generating and copying without a click.
//
// The engine lives as long as this view: the main window discards the view (and the engine with
// its tree, selection and switches) whenever the project library is shown, and makes a new one
// when the main tab comes back. Switching between the input screen and the preview keeps both.
//
// Scans: the first time the view is shown it loads its folder with the saved sets it holds then;
// a later change of folder loads the new folder with the saved sets held at that moment (set
// them before the folder). Saving the state makes the saved sets the engine's current selection
// and expanded folders, so the screens' refresh (which always saves first: a type switch, the
// show-all switch, "Refresh Folder") keeps them; entries that are gone or now filtered out drop.
class PlexorWorkView : public QWidget {
    Q_OBJECT

public:
    using PathSet = PlexorViewModel::PathSet;

    // Both services must outlive the view; the engine reads the stored prefix and suffix from
    // `preferences` and copies through `clipboard`.
    PlexorWorkView(Preferences& preferences, Clipboard& clipboard, QWidget* parent = nullptr);
    ~PlexorWorkView() override;

    PlexorViewModel& viewModel() { return *m_engine; }
    PlexorInputView* inputView() const { return m_input; }
    PlexorPreviewView* previewView() const { return m_preview; }
    TokenCounter& tokenCounter() const { return *m_tokens; }

    // plexor shows the input screen, preview the preview; projects is not a screen of this view
    // and is ignored.
    ViewMode viewMode() const { return m_viewMode; }
    void setViewMode(ViewMode mode);

    // The open project's saved selection and expanded folders (none: never saved).
    void setSavedPaths(const std::optional<PathSet>& selected,
                       const std::optional<PathSet>& expanded);
    // The open folder (an absolute path; none without a folder) and its path as shown. A change
    // of folder after the first showing rescans.
    void setFolder(const std::optional<QString>& url, const QString& folderPath);
    const std::optional<QString>& url() const { return m_url; }

    // What the global shortcut does, in this order: the state is saved (saveStateRequested), the
    // engine generates from the folder and copies, generated(url), then the preview is shown
    // and justRegenerated raised. Without a folder it does nothing, as on the project library;
    // when the engine cannot generate, it stops after the state is saved. Where the desktop
    // takes no copy from a window in the back (BackgroundCopy), the copy and justRegenerated
    // wait until the window has the focus, which it asks for with `activationToken`; without a
    // token, or without the focus in time, the window is brought forward and the preview asks
    // for one click on "Copy".
    void generateFromShortcut(const QString& activationToken = {});

Q_SIGNALS:
    // The view switched between the input screen and the preview by itself (Generate, Back, the
    // shortcut); the main window follows.
    void viewModeChanged(ViewMode mode);
    // The engine's selection and expansion, to be stored with the open project.
    void saveStateRequested(const QSet<QString>& selectedPaths, const QSet<QString>& expandedPaths);
    // Content was generated for `url` and copied (or waits for the copy, see
    // generateFromShortcut).
    void generated(const std::optional<QString>& url);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void saveState();
    void refresh();
    void load();
    // Brings every file's token count of the tree up to date (on a worker).
    void countFileTokens();
    void bringWindowForward();

    std::unique_ptr<PlexorViewModel> m_engine;
    std::unique_ptr<TokenCounter> m_tokens;
    QStackedWidget* m_stack = nullptr;
    PlexorInputView* m_input = nullptr;
    PlexorPreviewView* m_preview = nullptr;
    ViewMode m_viewMode = ViewMode::plexor;
    std::optional<QString> m_url;
    QString m_folderPath;
    std::optional<PathSet> m_savedSelectedPaths;
    std::optional<PathSet> m_savedExpandedPaths;
    bool m_appeared = false;
    BackgroundCopy m_backgroundCopy;
};

#pragma once

#include <QObject>
#include <QPointer>

#include <memory>
#include <optional>

class Clipboard;
class FolderChooser;
class MainContainerView;
class Preferences;
class QAction;
class QMenu;
class SettingsView;
class UpdateDialogs;
class UpdaterViewModel;

// The application entry: the objects that live for the whole run, the main window and its
// menus. File holds "Settings..." and "Quit"; View holds the sidebar's show/hide command; Help
// holds "About Code Plexor" and, in a build with an update feed, "Check for Updates...". Commands
// of other parts of the application go into these menus (fileMenu(), before settingsAction()) or
// into menus of their own on mainWindow().menuBar().
//
// Before the window is built it installs the desktop's global-shortcut backend, attaches the
// release of the "generateProject" shortcut (posting "triggerGenerateFromShortcut") and creates
// the update checks. The background update checks start only with startAutomaticChecks().
class VantorApp : public QObject {
    Q_OBJECT

public:
    // Application-wide settings made before any window: the application and desktop-file names
    // and the window icon. Call once, right after the QApplication is made.
    static void configureApplication();

    // Over the user's preferences, the desktop clipboard and the desktop's folder dialog.
    explicit VantorApp(QObject* parent = nullptr);
    // All services must outlive the application object. `feedAddress` replaces the update feed
    // this build was made with (an empty one: a build without update checks).
    VantorApp(Preferences& preferences, Clipboard& clipboard, FolderChooser& folderChooser,
              const std::optional<QString>& feedAddress = std::nullopt, QObject* parent = nullptr);
    ~VantorApp() override;

    MainContainerView& mainWindow() const { return *m_window; }
    QMenu* fileMenu() const { return m_fileMenu; }
    QMenu* viewMenu() const { return m_viewMenu; }
    QMenu* helpMenu() const { return m_helpMenu; }
    QAction* quitAction() const { return m_quit; }
    QAction* settingsAction() const { return m_settings; }
    // The toolbar's gear button; opens the same window as settingsAction().
    QAction* settingsToolbarAction() const { return m_settingsToolbar; }
    QAction* aboutAction() const { return m_about; }
    // Null in a build without an update feed.
    QAction* checkForUpdatesAction() const { return m_checkForUpdates; }

    UpdaterViewModel& updaterViewModel() const { return *m_updater; }
    // The settings window; null until it is first opened.
    SettingsView* settingsWindow() const;

    // Shows the main window at its first size.
    void show();
    // What a launch of the application asks for: the main window shown in front and, when
    // `folder` is an existing folder, that folder open in the main tab
    // (MainContainerView::openFolder).
    void activate(const QString& folder);
    // Opens the settings window, or brings it to the front when it is already open.
    void showSettings();
    void showAbout();
    // Starts the background update checks; call once the main window is shown.
    void startAutomaticChecks();

private:
    void attachGlobalShortcut();
    void createUpdater(Preferences* preferences, const std::optional<QString>& feedAddress);
    void buildMenus();
    void buildToolbar();

    // Declared in this order so that the updater goes before its presenter and the window
    // (with the settings window that uses the updater) before the updater.
    std::unique_ptr<UpdateDialogs> m_updateDialogs;
    std::unique_ptr<UpdaterViewModel> m_updater;
    std::unique_ptr<MainContainerView> m_window;
    QPointer<SettingsView> m_settingsWindow;
    QMenu* m_fileMenu = nullptr;
    QMenu* m_viewMenu = nullptr;
    QMenu* m_helpMenu = nullptr;
    QAction* m_quit = nullptr;
    QAction* m_settings = nullptr;
    QAction* m_settingsToolbar = nullptr;
    QAction* m_about = nullptr;
    QAction* m_checkForUpdates = nullptr;
};

#pragma once

#include <QObject>

#include <memory>

class Clipboard;
class FolderChooser;
class MainContainerView;
class Preferences;
class QAction;
class QMenu;

// The application entry: the objects that live for the whole run, the main window and its
// menus. File holds "Quit"; View holds the sidebar's show/hide command. Commands of other parts
// of the application go into these menus (fileMenu(), before quitAction()) or into menus of
// their own on mainWindow().menuBar().
class VantorApp : public QObject {
    Q_OBJECT

public:
    // Application-wide settings made before any window: the application and desktop-file names
    // and the window icon. Call once, right after the QApplication is made.
    static void configureApplication();

    // Over the user's preferences, the desktop clipboard and the desktop's folder dialog.
    explicit VantorApp(QObject* parent = nullptr);
    // All services must outlive the application object.
    VantorApp(Preferences& preferences, Clipboard& clipboard, FolderChooser& folderChooser,
              QObject* parent = nullptr);
    ~VantorApp() override;

    MainContainerView& mainWindow() const { return *m_window; }
    QMenu* fileMenu() const { return m_fileMenu; }
    QMenu* viewMenu() const { return m_viewMenu; }
    QAction* quitAction() const { return m_quit; }

    // Shows the main window at its first size.
    void show();

private:
    void buildMenus();

    std::unique_ptr<MainContainerView> m_window;
    QMenu* m_fileMenu = nullptr;
    QMenu* m_viewMenu = nullptr;
    QAction* m_quit = nullptr;
};

#include "app/VantorApp.h"

#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/PlatformBackend.h"
#include "app/MainContainerView.h"
#include "engine/Notifications.h"
#include "platform/NotificationCenter.h"
#include "ui/AboutDialog.h"
#include "ui/SettingsView.h"
#include "ui/SymbolIcon.h"
#include "ui/UpdateDialogs.h"
#include "ui/UpdaterViewModel.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QToolBar>

namespace {

// The main window's first size; the user's later changes are the window manager's to keep.
constexpr QSize firstWindowSize{1100, 760};

// The desktop's settings shortcut where it defines one, else the common Ctrl+,.
QKeySequence settingsShortcut()
{
    if (!QKeySequence::keyBindings(QKeySequence::Preferences).isEmpty())
        return QKeySequence(QKeySequence::Preferences);
    return QKeySequence(Qt::CTRL | Qt::Key_Comma);
}

} // namespace

void VantorApp::configureApplication()
{
    QApplication::setApplicationName(QStringLiteral("Code Plexor"));
    QApplication::setApplicationVersion(QStringLiteral(CODEPLEXOR_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.codeplexor.CodePlexor"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("codeplexor"),
                                                 QIcon(QStringLiteral(":/icons/codeplexor.svg"))));
}

VantorApp::VantorApp(QObject* parent)
    : QObject(parent)
{
    attachGlobalShortcut();
    createUpdater(nullptr, std::nullopt);
    m_window = std::make_unique<MainContainerView>();
    m_updateDialogs->setParentWindow(m_window.get());
    buildMenus();
    buildToolbar();
}

VantorApp::VantorApp(Preferences& preferences, Clipboard& clipboard, FolderChooser& folderChooser,
                     const std::optional<QString>& feedAddress, QObject* parent)
    : QObject(parent)
{
    attachGlobalShortcut();
    createUpdater(&preferences, feedAddress);
    m_window = std::make_unique<MainContainerView>(preferences, clipboard, folderChooser);
    m_updateDialogs->setParentWindow(m_window.get());
    buildMenus();
    buildToolbar();
}

VantorApp::~VantorApp()
{
    // The settings window and the message boxes use the updater; close them first.
    m_window.reset();
    m_updater->setPresenter(nullptr);
}

void VantorApp::attachGlobalShortcut()
{
    // The null backend where the desktop offers no global hot keys (Wayland, offscreen).
    KeyboardShortcuts::PlatformBackend::install();
    // What a desktop that lists the application's shortcuts shows for it.
    KeyboardShortcuts::backend().setDescription(QStringLiteral("Generate/Regenerate Content"));
    // Only the work view of the main tab observes this, so the shortcut does nothing while
    // the library is shown. The action goes with this object.
    KeyboardShortcuts::onKeyUp(KeyboardShortcuts::Names::generateProject(), this, [] {
        QVariantMap userInfo;
        if (const QString token = KeyboardShortcuts::backend().activationToken(); !token.isEmpty())
            userInfo.insert(Notifications::activationTokenUserInfoKey, token);
        NotificationCenter::defaultCenter().post(Notifications::triggerGenerateFromShortcut,
                                                 userInfo);
    });
}

void VantorApp::createUpdater(Preferences* preferences, const std::optional<QString>& feedAddress)
{
    UpdaterViewModel::Options options = UpdaterViewModel::buildOptions();
    if (preferences)
        options.preferences = preferences;
    if (feedAddress)
        options.feedAddress = *feedAddress;
    m_updater = std::make_unique<UpdaterViewModel>(std::move(options));
    m_updateDialogs = std::make_unique<UpdateDialogs>();
    m_updater->setPresenter(m_updateDialogs.get());
}

void VantorApp::buildMenus()
{
    QMenuBar* bar = m_window->menuBar();
    m_fileMenu = bar->addMenu(QStringLiteral("&File"));
    m_fileMenu->setObjectName(QStringLiteral("fileMenu"));
    m_settings = m_fileMenu->addAction(QStringLiteral("&Settings..."));
    m_settings->setObjectName(QStringLiteral("settingsAction"));
    m_settings->setMenuRole(QAction::PreferencesRole);
    m_settings->setShortcut(settingsShortcut());
    connect(m_settings, &QAction::triggered, this, &VantorApp::showSettings);
    m_fileMenu->addSeparator();
    m_quit = m_fileMenu->addAction(QStringLiteral("&Quit"));
    m_quit->setObjectName(QStringLiteral("quitAction"));
    m_quit->setShortcut(QKeySequence::Quit);
    m_quit->setMenuRole(QAction::QuitRole);
    connect(m_quit, &QAction::triggered, qApp, &QCoreApplication::quit, Qt::QueuedConnection);

    m_viewMenu = bar->addMenu(QStringLiteral("&View"));
    m_viewMenu->setObjectName(QStringLiteral("viewMenu"));
    m_viewMenu->addAction(m_window->toggleSidebarAction());

    m_helpMenu = bar->addMenu(QStringLiteral("&Help"));
    m_helpMenu->setObjectName(QStringLiteral("helpMenu"));
    m_about = m_helpMenu->addAction(QStringLiteral("&About Code Plexor"));
    m_about->setObjectName(QStringLiteral("aboutAction"));
    m_about->setMenuRole(QAction::AboutRole);
    connect(m_about, &QAction::triggered, this, &VantorApp::showAbout);
    // A build without an update feed is updated by whatever installed it: no command for it.
    if (m_updater->hasFeed()) {
        m_helpMenu->addSeparator();
        m_checkForUpdates = m_helpMenu->addAction(QStringLiteral("Check for &Updates..."));
        m_checkForUpdates->setObjectName(QStringLiteral("checkForUpdatesAction"));
        m_checkForUpdates->setMenuRole(QAction::ApplicationSpecificRole);
        connect(m_checkForUpdates, &QAction::triggered, m_updater.get(),
                &UpdaterViewModel::checkForUpdates);
    }
}

void VantorApp::buildToolbar()
{
    m_settingsToolbar = new QAction(SymbolIcon::icon(Symbol::gearshape), QStringLiteral("Settings"),
                                    m_window.get());
    m_settingsToolbar->setObjectName(QStringLiteral("settingsToolbarAction"));
    m_settingsToolbar->setToolTip(QStringLiteral("Settings"));
    connect(m_settingsToolbar, &QAction::triggered, this, &VantorApp::showSettings);
    // At the trailing end, after whatever the window put there.
    m_window->toolBar()->addAction(m_settingsToolbar);
    if (QWidget* button = m_window->toolBar()->widgetForAction(m_settingsToolbar)) {
        button->setObjectName(QStringLiteral("settingsToolbarButton"));
        button->setAccessibleName(QStringLiteral("Settings"));
    }
}

SettingsView* VantorApp::settingsWindow() const
{
    return m_settingsWindow.data();
}

void VantorApp::showSettings()
{
    if (!m_settingsWindow) {
        m_settingsWindow = new SettingsView(*m_updater, m_window.get());
        m_settingsWindow->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_settingsWindow->show();
    m_settingsWindow->raise();
    m_settingsWindow->activateWindow();
}

void VantorApp::showAbout()
{
    auto* dialog = new AboutDialog(m_updater->versionText(), m_window.get());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void VantorApp::startAutomaticChecks()
{
    if (m_updater->hasFeed())
        m_updater->startAutomaticChecks();
}

void VantorApp::show()
{
    if (!m_window->isVisible())
        m_window->resize(firstWindowSize);
    m_window->show();
}

void VantorApp::activate(const QString& folder)
{
    show();
    if (m_window->isMinimized())
        m_window->showNormal();
    m_window->raise();
    m_window->activateWindow();
    // Requests come from other processes: only a folder is opened.
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        m_window->openFolder(folder);
}

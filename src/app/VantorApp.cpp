#include "app/VantorApp.h"

#include "app/MainContainerView.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>

namespace {

// The main window's first size; the user's later changes are the window manager's to keep.
constexpr QSize firstWindowSize{1100, 760};

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
    , m_window(std::make_unique<MainContainerView>())
{
    buildMenus();
}

VantorApp::VantorApp(Preferences& preferences, Clipboard& clipboard, FolderChooser& folderChooser,
                     QObject* parent)
    : QObject(parent)
    , m_window(std::make_unique<MainContainerView>(preferences, clipboard, folderChooser))
{
    buildMenus();
}

VantorApp::~VantorApp() = default;

void VantorApp::buildMenus()
{
    QMenuBar* bar = m_window->menuBar();
    m_fileMenu = bar->addMenu(QStringLiteral("&File"));
    m_fileMenu->setObjectName(QStringLiteral("fileMenu"));
    m_quit = m_fileMenu->addAction(QStringLiteral("&Quit"));
    m_quit->setObjectName(QStringLiteral("quitAction"));
    m_quit->setShortcut(QKeySequence::Quit);
    m_quit->setMenuRole(QAction::QuitRole);
    connect(m_quit, &QAction::triggered, qApp, &QCoreApplication::quit, Qt::QueuedConnection);

    m_viewMenu = bar->addMenu(QStringLiteral("&View"));
    m_viewMenu->setObjectName(QStringLiteral("viewMenu"));
    m_viewMenu->addAction(m_window->toggleSidebarAction());
}

void VantorApp::show()
{
    if (!m_window->isVisible())
        m_window->resize(firstWindowSize);
    m_window->show();
}

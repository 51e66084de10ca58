#include "engine/PlexorWorkView.h"

#include "engine/Notifications.h"
#include "engine/TokenCounter.h"
#include "platform/NotificationCenter.h"
#include "ui/PlexorInputView.h"
#include "ui/PlexorPreviewView.h"

#include <QStackedWidget>
#include <QVBoxLayout>

PlexorWorkView::PlexorWorkView(Preferences& preferences, Clipboard& clipboard, QWidget* parent)
    : QWidget(parent)
    , m_engine(std::make_unique<PlexorViewModel>(preferences, clipboard))
    , m_tokens(std::make_unique<TokenCounter>())
{
    setObjectName(QStringLiteral("workView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_stack = new QStackedWidget(this);
    m_input = new PlexorInputView(*m_engine, m_stack);
    m_preview = new PlexorPreviewView(*m_engine, m_stack);
    m_stack->addWidget(m_input);
    m_stack->addWidget(m_preview);
    layout->addWidget(m_stack);

    connect(m_input, &PlexorInputView::refreshRequested, this, &PlexorWorkView::refresh);
    connect(m_input, &PlexorInputView::saveStateRequested, this, &PlexorWorkView::saveState);
    connect(m_input, &PlexorInputView::generated, this, &PlexorWorkView::generated);
    connect(m_input, &PlexorInputView::viewModeRequested, this, &PlexorWorkView::setViewMode);
    connect(m_preview, &PlexorPreviewView::viewModeRequested, this, &PlexorWorkView::setViewMode);

    // Token counts: every file of a new tree, and again after each generation (files may have
    // changed; unchanged ones cost a stat).
    m_input->setTokenCounter(m_tokens.get());
    m_preview->setTokenCounter(m_tokens.get());
    connect(m_engine.get(), &PlexorViewModel::filesChanged, this, &PlexorWorkView::countFileTokens);
    connect(m_input, &PlexorInputView::generated, this, &PlexorWorkView::countFileTokens);
    connect(m_engine.get(), &PlexorViewModel::justRegeneratedChanged, this, [this](bool raised) {
        if (raised)
            countFileTokens();
    });

    // Observed only while this view exists, which is what keeps the shortcut quiet while the
    // project library is shown.
    NotificationCenter::defaultCenter().addObserver(
        QString(Notifications::triggerGenerateFromShortcut), this,
        [this](const QVariantMap& userInfo) {
            generateFromShortcut(
                userInfo.value(Notifications::activationTokenUserInfoKey).toString());
        });
    connect(&m_backgroundCopy, &BackgroundCopy::copyNow, this, [this] {
        m_engine->copyToClipboard();
        // A copy at once is followed by the rest of generateFromShortcut; one after the
        // activation comes with the preview already shown.
        if (m_backgroundCopy.path() == BackgroundCopy::Path::activation)
            m_engine->raiseJustRegenerated();
    });
    connect(&m_backgroundCopy, &BackgroundCopy::clickNeeded, this, [this] {
        bringWindowForward();
        m_preview->setClickToCopyNoticeVisible(true);
    });
}

PlexorWorkView::~PlexorWorkView()
{
    // The screens observe the engine; they go before it.
    delete m_stack;
}

void PlexorWorkView::setViewMode(ViewMode mode)
{
    if (mode == ViewMode::projects || mode == m_viewMode)
        return;
    m_viewMode = mode;
    m_stack->setCurrentWidget(mode == ViewMode::preview ? static_cast<QWidget*>(m_preview)
                                                        : static_cast<QWidget*>(m_input));
    Q_EMIT viewModeChanged(mode);
}

void PlexorWorkView::setSavedPaths(const std::optional<PathSet>& selected,
                                   const std::optional<PathSet>& expanded)
{
    m_savedSelectedPaths = selected;
    m_savedExpandedPaths = expanded;
}

void PlexorWorkView::setFolder(const std::optional<QString>& url, const QString& folderPath)
{
    const bool changed = url != m_url;
    m_url = url;
    m_folderPath = folderPath;
    m_input->setFolder(url, folderPath);
    m_preview->setUrl(url);
    if (changed && m_appeared)
        load();
}

void PlexorWorkView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_appeared)
        return;
    m_appeared = true;
    load();
}

void PlexorWorkView::load()
{
    m_engine->loadFiles(m_url, m_savedSelectedPaths, m_savedExpandedPaths);
}

void PlexorWorkView::countFileTokens()
{
    QStringList paths;
    const std::function<void(const FileItemList&)> collect = [&](const FileItemList& nodes) {
        for (const auto& node : nodes) {
            if (node->isFolder())
                collect(node->children());
            else
                paths.append(node->path());
        }
    };
    collect(m_engine->files());
    m_tokens->countFiles(paths);
}

void PlexorWorkView::refresh()
{
    load();
}

void PlexorWorkView::saveState()
{
    m_engine->saveState([this](const PathSet& selected, const PathSet& expanded) {
        // What is stored is what the project is opened with from now on, and what a rescan
        // brings back.
        m_savedSelectedPaths = selected;
        m_savedExpandedPaths = expanded;
        Q_EMIT saveStateRequested(selected, expanded);
    });
}

void PlexorWorkView::generateFromShortcut(const QString& activationToken)
{
    if (!m_url)
        return;
    saveState();
    if (!m_engine->generateContent(m_url))
        return;
    m_backgroundCopy.start(window()->windowHandle(), activationToken);
    Q_EMIT generated(m_url);
    setViewMode(ViewMode::preview);
    const BackgroundCopy::Path path = m_backgroundCopy.path();
    if (path == BackgroundCopy::Path::direct || path == BackgroundCopy::Path::wlCopy)
        m_engine->raiseJustRegenerated();
}

void PlexorWorkView::bringWindowForward()
{
    QWidget* shown = window();
    if (shown->isMinimized())
        shown->showNormal();
    shown->raise();
    shown->activateWindow();
}

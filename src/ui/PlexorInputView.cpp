#include "ui/PlexorInputView.h"

#include "engine/PlexorViewModel.h"
#include "engine/TokenCounter.h"
#include "model/FileItem.h"
#include "platform/FileManager.h"
#include "tags/FlowLayout.h"
#include "tags/NamedColors.h"
#include "tags/TagRules.h"
#include "ui/Badge.h"
#include "ui/ElidedLabel.h"
#include "ui/ExactTextEdit.h"
#include "ui/FileTreeActions.h"
#include "ui/FileTreeModel.h"
#include "ui/FileTreeRow.h"
#include "ui/FileTreeView.h"
#include "ui/Theme.h"
#include "ui/TintedButton.h"
#include "ui/TokenCountText.h"

#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QScrollArea>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace {

constexpr int screenMargin = 20;
constexpr int sectionSpacing = 18;
constexpr int editorHeight = 96;
constexpr int treeMinimumHeight = 260;
constexpr qreal editorRadius = 8;

// The type size between the headline and the second-level title.
QPixmap symbolPixmap(Symbol symbol, const QColor& color, int size, qreal ratio)
{
    QPixmap pixmap(QSize(size, size) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    SymbolIcon::paint(painter, QRectF(0, 0, size, size), symbol, color);
    return pixmap;
}

QColor purple(qreal opacity)
{
    return NamedColors::color(NamedColor::purple, opacity);
}

} // namespace

PlexorInputView::PlexorInputView(PlexorViewModel& engine, QWidget* parent)
    : QWidget(parent)
    , m_engine(engine)
{
    setObjectName(QStringLiteral("inputView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    layout->addWidget(buildHeader());
    auto* divider = new QFrame(this);
    divider->setObjectName(QStringLiteral("headerDivider"));
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Plain);
    divider->setFixedHeight(1);
    m_divider = divider;
    layout->addWidget(divider);

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("inputScrollArea"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Not a Tab stop of its own: the controls inside are, and the area follows the focus.
    scroll->setFocusPolicy(Qt::NoFocus);
    auto* content = new QWidget(scroll);
    content->setObjectName(QStringLiteral("inputContent"));
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(screenMargin, 16, screenMargin, 16);
    column->setSpacing(sectionSpacing);

    column->addWidget(buildFileTypes());

    QWidget* prefixMarker =
        buildSavedMarker(QStringLiteral("prefix"), m_prefixSaved, m_prefixReset);
    m_prefixEditor =
        buildEditor(QStringLiteral("prefixEditor"), tr("Prefix"), &PlexorViewModel::prefixText);
    auto* prefixStep = new QVBoxLayout;
    prefixStep->setSpacing(8);
    prefixStep->addWidget(buildStep(Symbol::circle1, QStringLiteral("Prefix:"), prefixMarker));
    prefixStep->addWidget(m_prefixEditor);
    column->addLayout(prefixStep);

    auto* refresh = new TintedButton(QStringLiteral("Refresh Folder"), content);
    refresh->setObjectName(QStringLiteral("refreshFolderButton"));
    refresh->setSymbol(Symbol::arrowClockwise);
    connect(refresh, &QPushButton::clicked, this, &PlexorInputView::askForRescan);
    m_selectChanged = new TintedButton(QStringLiteral("Select Changed Files"), content);
    m_selectChanged->setObjectName(QStringLiteral("selectChangedFilesButton"));
    m_selectChanged->setToolTip(
        tr("Select every file git reports as modified, added, renamed or untracked"));
    connect(m_selectChanged, &QPushButton::clicked, this, &PlexorInputView::selectChangedFiles);
    auto* fileButtons = new QWidget(content);
    auto* fileButtonRow = new QHBoxLayout(fileButtons);
    fileButtonRow->setContentsMargins(0, 0, 0, 0);
    fileButtonRow->setSpacing(8);
    fileButtonRow->addWidget(m_selectChanged);
    fileButtonRow->addWidget(refresh);
    buildTree();
    auto* filesStep = new QVBoxLayout;
    filesStep->setSpacing(8);
    filesStep->addWidget(buildStep(Symbol::circle2, QStringLiteral("Files:"), fileButtons));
    filesStep->addWidget(m_treeFilter);
    filesStep->addWidget(m_tree, 1);
    // The filter sits above the tree; Tab reaches it first.
    setTabOrder(m_treeFilter, m_tree);
    column->addLayout(filesStep, 1);

    QWidget* suffixMarker =
        buildSavedMarker(QStringLiteral("suffix"), m_suffixSaved, m_suffixReset);
    m_suffixEditor =
        buildEditor(QStringLiteral("suffixEditor"), tr("Suffix"), &PlexorViewModel::suffixText);
    auto* suffixStep = new QVBoxLayout;
    suffixStep->setSpacing(8);
    suffixStep->addWidget(buildStep(Symbol::circle3, QStringLiteral("Suffix:"), suffixMarker));
    suffixStep->addWidget(m_suffixEditor);
    column->addLayout(suffixStep);

    scroll->setWidget(content);
    layout->addWidget(scroll, 1);

    m_generate = new TintedButton(QStringLiteral("Generate Content"), this);
    m_generate->setObjectName(QStringLiteral("generateButton"));
    m_generate->setSymbol(Symbol::sparkles);
    m_generate->setFont(Theme::mediumLarge(QFont::DemiBold));
    m_generate->setAppearance(TintedButton::prominent(NamedColors::color(NamedColor::orange), 0.6));
    m_generate->setPadding(QMargins(16, 9, 16, 9));
    m_generate->setCornerRadius(8);
    m_generate->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_generate->setDefault(true);
    connect(m_generate, &QPushButton::clicked, this, &PlexorInputView::generate);
    m_selectionSummary = new QLabel(this);
    m_selectionSummary->setObjectName(QStringLiteral("selectionSummary"));
    m_selectionSummary->setVisible(false);
    auto* generateRow = new QHBoxLayout;
    generateRow->setContentsMargins(16, 12, 16, 16);
    generateRow->setSpacing(12);
    generateRow->addWidget(m_generate);
    generateRow->addWidget(m_selectionSummary);
    layout->addLayout(generateRow);

    // The engine's texts and flags drive the editors and the markers.
    showPrefix();
    showSuffix();
    connect(&m_engine, &PlexorViewModel::prefixTextChanged, this, &PlexorInputView::showPrefix);
    connect(&m_engine, &PlexorViewModel::suffixTextChanged, this, &PlexorInputView::showSuffix);
    for (ExactTextEdit* editor : {m_prefixEditor, m_suffixEditor}) {
        connect(editor, &ExactTextEdit::edited, this,
                [this, editor](qsizetype from, qsizetype removed, const QString& inserted) {
                    applyEdit(editor, from, removed, inserted);
                });
    }
    const auto showMarker = [](QLabel* saved, TintedButton* reset, bool raised) {
        saved->setVisible(raised);
        reset->setVisible(!raised);
    };
    showMarker(m_prefixSaved, m_prefixReset, m_engine.prefixJustSaved());
    showMarker(m_suffixSaved, m_suffixReset, m_engine.suffixJustSaved());
    connect(&m_engine, &PlexorViewModel::prefixJustSavedChanged, this,
            [=, this](bool raised) { showMarker(m_prefixSaved, m_prefixReset, raised); });
    connect(&m_engine, &PlexorViewModel::suffixJustSavedChanged, this,
            [=, this](bool raised) { showMarker(m_suffixSaved, m_suffixReset, raised); });
    connect(m_prefixReset, &QPushButton::clicked, &m_engine, &PlexorViewModel::resetPrefix);
    connect(m_suffixReset, &QPushButton::clicked, &m_engine, &PlexorViewModel::resetSuffix);

    connect(&m_engine, &PlexorViewModel::selectedFileTypesChanged, this,
            &PlexorInputView::syncFileTypes);
    connect(&m_engine, &PlexorViewModel::showAllFilesChanged, m_showAll,
            &QAbstractButton::setChecked);
    syncFileTypes();
    m_showAll->setChecked(m_engine.showAllFiles());
    connect(&m_engine, &PlexorViewModel::respectGitignoreChanged, m_gitignoreSwitch,
            &QAbstractButton::setChecked);
    m_gitignoreSwitch->setChecked(m_engine.respectGitignore());
    connect(&m_engine, &PlexorViewModel::inGitWorkTreeChanged, m_selectChanged,
            &QWidget::setEnabled);
    m_selectChanged->setEnabled(m_engine.inGitWorkTree());

    updateHeader();
    applyColors();
    restoreExpansion();
}

PlexorInputView::~PlexorInputView() = default;

QString PlexorInputView::titleFor(const std::optional<QString>& url)
{
    if (!url)
        return QStringLiteral("Code Plexor");
    const QString path = PlexorViewModel::folderPath(*url);
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    return name.isEmpty() ? path : name;
}

QString PlexorInputView::tagFor(const QString& folderPath)
{
    return TagRules::pathDerivedTag(folderPath).value_or(QString(TagRules::uncategorized));
}

void PlexorInputView::setFolder(const std::optional<QString>& url, const QString& folderPath)
{
    m_url = url;
    m_folderPath = folderPath;
    updateHeader();
}

// --- Building ----------------------------------------------------------------------------------

QWidget* PlexorInputView::buildHeader()
{
    auto* header = new QWidget(this);
    header->setObjectName(QStringLiteral("inputHeader"));
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(screenMargin, 16, screenMargin, 14);
    row->setSpacing(12);

    auto* text = new QVBoxLayout;
    text->setSpacing(6);
    auto* titleRow = new QHBoxLayout;
    titleRow->setSpacing(10);
    // Shortened at its end when the window is narrower than the name.
    m_title = new ElidedLabel(QString(), Qt::ElideRight, header);
    m_title->setObjectName(QStringLiteral("titleLabel"));
    m_title->setFont(Theme::font(Theme::TextStyle::largeTitle, QFont::Bold));
    m_title->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    titleRow->addWidget(m_title);
    m_tagChip = new Badge(QString(), header);
    m_tagChip->setObjectName(QStringLiteral("tagChip"));
    m_tagChip->setFont(Theme::mediumLarge(QFont::DemiBold));
    titleRow->addWidget(m_tagChip, 0, Qt::AlignVCenter);
    titleRow->addStretch(1);
    text->addLayout(titleRow);

    auto* folderRow = new QHBoxLayout;
    folderRow->setSpacing(6);
    m_folderIcon = new QLabel(header);
    m_folderIcon->setObjectName(QStringLiteral("folderIcon"));
    m_folderIcon->setFixedSize(16, 16);
    folderRow->addWidget(m_folderIcon);
    m_folderLine = new ElidedLabel(QString(), Qt::ElideMiddle, header);
    m_folderLine->setObjectName(QStringLiteral("folderPathLabel"));
    m_folderLine->setFont(Theme::font(Theme::TextStyle::subheadline));
    folderRow->addWidget(m_folderLine, 1);
    text->addLayout(folderRow);
    row->addLayout(text, 1);

    m_showInFinder = new TintedButton(QStringLiteral("Show in File Manager"), header);
    m_showInFinder->setObjectName(QStringLiteral("showInFinderButton"));
    m_showInFinder->setSymbol(Symbol::macwindow);
    m_showInFinder->setToolTip(QStringLiteral("Show in File Manager"));
    connect(m_showInFinder, &QPushButton::clicked, this, [this] {
        if (m_url)
            FileManager::current().revealFolder(*m_url);
    });
    row->addWidget(m_showInFinder, 0, Qt::AlignVCenter);
    return header;
}

QWidget* PlexorInputView::buildFileTypes()
{
    auto* section = new QWidget(this);
    section->setObjectName(QStringLiteral("fileTypesRow"));
    auto* row = new QHBoxLayout(section);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    m_fileTypesCaption = new QLabel(QStringLiteral("File Types"), section);
    m_fileTypesCaption->setObjectName(QStringLiteral("fileTypesCaption"));
    m_fileTypesCaption->setFont(Theme::font(Theme::TextStyle::subheadline, QFont::Medium));
    row->addWidget(m_fileTypesCaption, 0, Qt::AlignTop);

    m_typeButtons = new QWidget(section);
    m_typeButtons->setObjectName(QStringLiteral("fileTypeButtons"));
    auto* flow = new FlowLayout(m_typeButtons, 6);
    flow->setContentsMargins(0, 0, 0, 0);
    m_showAll = new TintedButton(QStringLiteral("All"), m_typeButtons);
    m_showAll->setObjectName(QStringLiteral("fileTypeAll"));
    m_showAll->setCheckable(true);
    m_showAll->setFont(Theme::font(Theme::TextStyle::body, QFont::Medium));
    m_showAll->setPadding(QMargins(9, 3, 9, 3));
    m_showAll->setToolTip(tr("Take every file, whatever its type"));
    // The state change, not the click: an accessibility client toggles without clicking.
    connect(m_showAll, &QPushButton::toggled, this, &PlexorInputView::changeShowAll);
    flow->addWidget(m_showAll);
    row->addWidget(m_typeButtons, 1);

    m_gitignoreSwitch = new QCheckBox(QStringLiteral("Respect .gitignore"), section);
    m_gitignoreSwitch->setObjectName(QStringLiteral("respectGitignoreSwitch"));
    m_gitignoreSwitch->setToolTip(
        tr("Leave out what git ignores when the folder is inside a git work tree"));
    connect(m_gitignoreSwitch, &QAbstractButton::toggled, this,
            &PlexorInputView::changeRespectGitignore);
    row->addWidget(m_gitignoreSwitch, 0, Qt::AlignTop);

    // The caption sits on the middle of the first line of buttons.
    m_fileTypesCaption->setFixedHeight(m_showAll->sizeHint().height());
    return section;
}

QWidget* PlexorInputView::buildStep(Symbol symbol, const QString& heading, QWidget* trailing)
{
    auto* step = new QWidget(this);
    auto* row = new QHBoxLayout(step);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    auto* icon = new QLabel(step);
    icon->setProperty("symbol", int(symbol));
    icon->setFixedSize(22, 22);
    m_stepSymbols.append(icon);
    row->addWidget(icon);
    auto* label = new QLabel(heading, step);
    label->setFont(Theme::font(Theme::TextStyle::headline));
    row->addWidget(label);
    row->addStretch(1);
    row->addWidget(trailing);
    return step;
}

QWidget* PlexorInputView::buildSavedMarker(const QString& name, QLabel*& saved,
                                           TintedButton*& reset)
{
    auto* marker = new QWidget(this);
    auto* row = new QHBoxLayout(marker);
    row->setContentsMargins(0, 0, 0, 0);
    saved = new QLabel(QStringLiteral("Saved"), marker);
    saved->setObjectName(name + QStringLiteral("SavedLabel"));
    saved->setFont(Theme::font(Theme::TextStyle::caption, QFont::Medium));
    row->addWidget(saved);
    reset = new TintedButton(QStringLiteral("Reset"), marker);
    reset->setObjectName(name + QStringLiteral("ResetButton"));
    reset->setFont(Theme::font(Theme::TextStyle::caption));
    reset->setAppearance(TintedButton::plain(NamedColors::color(NamedColor::gray)));
    reset->setPadding(QMargins(6, 2, 6, 2));
    reset->setToolTip(tr("Back to the standard text"));
    row->addWidget(reset);
    // Both take the same room, so the heading row keeps its height when they swap.
    marker->setMinimumHeight(reset->sizeHint().height());
    return marker;
}

ExactTextEdit* PlexorInputView::buildEditor(const QString& name, const QString& accessibleName,
                                            const QString& (PlexorViewModel::*text)() const)
{
    auto* editor =
        new ExactTextEdit([this, text]() -> const QString& { return (m_engine.*text)(); }, this);
    editor->setObjectName(name);
    editor->setAccessibleName(accessibleName);
    editor->setFixedHeight(editorHeight);
    editor->setTabChangesFocus(true);
    editor->setFrameShape(QFrame::NoFrame);
    return editor;
}

void PlexorInputView::buildTree()
{
    m_tree = new FileTreeView(this);
    m_tree->setObjectName(QStringLiteral("fileTree"));
    m_tree->setAccessibleName(tr("Files"));
    m_tree->setHeaderHidden(true);
    m_tree->setUniformRowHeights(true);
    m_tree->setExpandsOnDoubleClick(false);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setAnimated(false);
    m_tree->setIndentation(18);
    m_tree->setMinimumHeight(treeMinimumHeight);
    m_tree->setFrameShape(QFrame::NoFrame);
    m_tree->setItemDelegate(new FileTreeRow(m_tree));
    m_model = new FileTreeModel(m_engine, m_tree);
    m_tree->setModel(m_model);

    m_treeActions = new FileTreeActions(m_tree, m_model, m_engine);

    // Disclosure writes the nodes; a scan brings the nodes' state back into the view. While a
    // filter shows its finds in opened folders, the user's own expansion is left alone, so that
    // clearing the filter brings it back.
    connect(m_tree, &QTreeView::expanded, this, [this](const QModelIndex& index) {
        if (!m_model->filter().isActive())
            m_engine.setExpanded(m_model->node(index), true);
    });
    connect(m_tree, &QTreeView::collapsed, this, [this](const QModelIndex& index) {
        if (!m_model->filter().isActive())
            m_engine.setExpanded(m_model->node(index), false);
    });
    connect(m_model, &FileTreeModel::expansionChanged, this,
            [this](const QModelIndex& index, bool expanded) {
                if (m_tree->isExpanded(index) != expanded)
                    m_tree->setExpanded(index, expanded);
            });
    connect(m_model, &QAbstractItemModel::modelReset, this, &PlexorInputView::restoreExpansion);

    m_treeFilter = new QLineEdit(this);
    m_treeFilter->setObjectName(QStringLiteral("treeFilter"));
    m_treeFilter->setPlaceholderText(tr("Filter Files"));
    m_treeFilter->setAccessibleName(m_treeFilter->placeholderText());
    m_treeFilter->setClearButtonEnabled(true);
    connect(m_treeFilter, &QLineEdit::textChanged, m_model, &FileTreeModel::setFilterQuery);
    auto* clearFilter = new QAction(m_treeFilter);
    clearFilter->setShortcut(QKeySequence(Qt::Key_Escape));
    clearFilter->setShortcutContext(Qt::WidgetShortcut);
    connect(clearFilter, &QAction::triggered, m_treeFilter, &QLineEdit::clear);
    m_treeFilter->addAction(clearFilter);
    auto* find = new QAction(this);
    find->setShortcut(QKeySequence::Find);
    find->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(find, &QAction::triggered, this, [this] {
        m_treeFilter->setFocus(Qt::ShortcutFocusReason);
        m_treeFilter->selectAll();
    });
    addAction(find);
}

// --- Behaviour ---------------------------------------------------------------------------------

void PlexorInputView::generate()
{
    // Without a folder there is nothing to generate, and the user's clipboard stays as it is.
    if (!m_url)
        return;
    Q_EMIT saveStateRequested();
    if (!m_engine.generateAndCopy(m_url))
        return;
    Q_EMIT generated(m_url);
    Q_EMIT viewModeRequested(ViewMode::preview);
}

void PlexorInputView::askForRescan()
{
    Q_EMIT saveStateRequested();
    Q_EMIT refreshRequested();
}

void PlexorInputView::changeFileType(const QString& extension, bool enabled)
{
    // A switch that only shows what the engine already holds changes nothing.
    if (m_engine.isFileTypeEnabled(extension) == enabled)
        return;
    m_engine.setFileTypeEnabled(extension, enabled);
    askForRescan();
}

void PlexorInputView::changeShowAll(bool showAll)
{
    if (m_engine.showAllFiles() == showAll)
        return;
    m_engine.setShowAllFiles(showAll);
    askForRescan();
}

void PlexorInputView::changeRespectGitignore(bool respect)
{
    if (m_engine.respectGitignore() == respect)
        return;
    m_engine.setRespectGitignore(respect);
    askForRescan();
}

void PlexorInputView::selectChangedFiles()
{
    QString error;
    if (!m_engine.selectChangedFiles(m_url, &error) && !error.isEmpty())
        QMessageBox::warning(this, tr("Select Changed Files"), error);
}

void PlexorInputView::syncFileTypes()
{
    QStringList types;
    for (const FileTypeSwitch& type : m_engine.selectedFileTypes())
        types.append(type.extension);
    std::sort(types.begin(), types.end());
    if (types != m_shownTypes) {
        m_shownTypes = types;
        rebuildFileTypeButtons();
    }
    for (TintedButton* button : std::as_const(m_typeButtonList))
        button->setChecked(m_engine.isFileTypeEnabled(button->text()));
}

void PlexorInputView::rebuildFileTypeButtons()
{
    // The table only grows, but a rebuild may run inside a button's own click, so the old
    // buttons go later.
    for (TintedButton* button : std::as_const(m_typeButtonList)) {
        m_typeButtons->layout()->removeWidget(button);
        button->hide();
        button->deleteLater();
    }
    m_typeButtonList.clear();
    for (const QString& extension : std::as_const(m_shownTypes)) {
        auto* button = new TintedButton(extension, m_typeButtons);
        button->setObjectName(QStringLiteral("fileType:") + extension);
        button->setCheckable(true);
        button->setFont(m_showAll->font());
        button->setPadding(m_showAll->padding());
        connect(button, &QPushButton::toggled, this,
                [this, extension](bool checked) { changeFileType(extension, checked); });
        m_typeButtons->layout()->addWidget(button);
        m_typeButtonList.append(button);
    }
    // Made after the rest of the screen, the buttons would come last in the Tab order; they
    // follow "All", where they sit.
    QWidget* previous = m_showAll;
    for (TintedButton* button : std::as_const(m_typeButtonList)) {
        setTabOrder(previous, button);
        previous = button;
    }
    applyColors();
}

void PlexorInputView::showPrefix()
{
    if (!m_applyingEdit)
        m_prefixEditor->showSourceText();
}

void PlexorInputView::showSuffix()
{
    if (!m_applyingEdit)
        m_suffixEditor->showSourceText();
}

void PlexorInputView::applyEdit(ExactTextEdit* editor, qsizetype from, qsizetype removed,
                                const QString& inserted)
{
    const bool prefix = editor == m_prefixEditor;
    QString text = prefix ? m_engine.prefixText() : m_engine.suffixText();
    text.replace(from, removed, inserted);
    m_applyingEdit = true;
    if (prefix) {
        m_engine.setPrefixText(text);
        m_engine.savePrefix();
    } else {
        m_engine.setSuffixText(text);
        m_engine.saveSuffix();
    }
    m_applyingEdit = false;
}

void PlexorInputView::restoreExpansion()
{
    if (m_model->filter().isActive()) {
        m_tree->expandAll();
        return;
    }
    std::vector<const FileItem*> pending;
    for (auto it = m_engine.files().rbegin(); it != m_engine.files().rend(); ++it)
        pending.push_back(it->get());
    while (!pending.empty()) {
        const FileItem* item = pending.back();
        pending.pop_back();
        if (!item->isFolder())
            continue;
        if (item->isExpanded())
            m_tree->setExpanded(m_model->indexOf(item), true);
        const FileItemList& children = item->children();
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            if ((*it)->isFolder())
                pending.push_back(it->get());
        }
    }
}

void PlexorInputView::updateHeader()
{
    m_title->setText(titleFor(m_url));
    const QString tag = tagFor(m_folderPath);
    m_tagChip->setText(QStringLiteral("#") + tag);
    m_tagChip->setAccessibleName(QStringLiteral("#") + tag);
    m_folderLine->setText(m_folderPath.isEmpty() ? QStringLiteral("No folder selected")
                                                 : m_folderPath);
    m_showInFinder->setEnabled(m_url.has_value());
    m_generate->setEnabled(m_url.has_value());
    applyColors();
}

void PlexorInputView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)
        applyColors();
}

void PlexorInputView::setTokenCounter(TokenCounter* counter)
{
    m_tokens = counter;
    m_model->setTokenCounter(counter);
    connect(counter, &TokenCounter::filesCounted, this, [this] {
        // Rows read their counts when painted.
        m_tree->viewport()->update();
        updateSelectionSummary();
    });
    connect(&m_engine, &PlexorViewModel::selectedFilesChanged, this,
            &PlexorInputView::updateSelectionSummary);
    connect(&m_engine, &PlexorViewModel::filesChanged, this,
            &PlexorInputView::updateSelectionSummary);
    updateSelectionSummary();
}

QString PlexorInputView::selectionSummary() const
{
    return m_selectionSummary->text();
}

void PlexorInputView::updateSelectionSummary()
{
    int files = 0;
    qint64 tokens = 0;
    bool pending = false;
    for (const FileItem* node : m_engine.collectSelectedItems()) {
        if (node->isFolder())
            continue;
        ++files;
        if (const auto count = m_tokens->fileTokens(node->path()))
            tokens += *count;
        else
            pending = pending || m_tokens->countingFiles();
    }
    const QString text = (files == 1 ? QStringLiteral("1 file") : QStringLiteral("%1 files").arg(files))
                         + QStringLiteral(" \u00b7 ") + TokenCountText::compact(tokens)
                         + (pending ? QStringLiteral(" tokens\u2026") : QStringLiteral(" tokens"));
    m_selectionSummary->setText(text);
    m_selectionSummary->setAccessibleName(text);
    m_selectionSummary->setVisible(true);
}

void PlexorInputView::applyColors()
{
    // Setting child palettes and style sheets sends palette changes of their own; they must not
    // come back here.
    if (m_applyingColors)
        return;
    m_applyingColors = true;
    const qreal ratio = devicePixelRatioF();

    // The chip: the tag's keyword colour; the muted secondary colour follows the palette.
    const TagRules::Swatch swatch = TagRules::keywordSwatch(tagFor(m_folderPath));
    Badge::Style chip;
    chip.color = swatch.color == NamedColor::secondary
                     ? Theme::withOpacity(Theme::secondaryText(), swatch.opacity)
                     : swatch.toColor();
    chip.backgroundOpacity = 0.15;
    chip.padding = QMargins(8, 4, 8, 4);
    chip.cornerRadius = 6;
    m_tagChip->setBadgeStyle(chip);

    m_folderIcon->setPixmap(symbolPixmap(Symbol::folderFill, Theme::accent(), 16, ratio));
    Theme::setTextAndInputColor(m_folderLine, Theme::secondaryText());
    QPalette line = m_divider->palette();
    line.setColor(QPalette::WindowText, Theme::separator());
    m_divider->setPalette(line);
    Theme::setTextAndInputColor(m_fileTypesCaption, Theme::secondaryText());
    Theme::setTextAndInputColor(m_selectionSummary, Theme::secondaryText());
    for (QLabel* icon : std::as_const(m_stepSymbols))
        icon->setPixmap(symbolPixmap(Symbol(icon->property("symbol").toInt()),
                                     Theme::secondaryText(), 22, ratio));
    const QColor green = NamedColors::color(NamedColor::green);
    Theme::setTextAndInputColor(m_prefixSaved, green);
    Theme::setTextAndInputColor(m_suffixSaved, green);

    // Toggles: the "All" switch in the accent colour, the types in orange; gray when off.
    const TintedButton::Appearance off{NamedColors::color(NamedColor::gray), 0.18, QColor(), false,
                                       true};
    m_showAll->setAppearance(off);
    m_showAll->setCheckedAppearance(
        TintedButton::Appearance{Theme::accent(), 1.0, QColor(Qt::white), false, true});
    const TintedButton::Appearance on{NamedColors::color(NamedColor::orange), 1.0,
                                      QColor(Qt::white), false, true};
    for (TintedButton* button : std::as_const(m_typeButtonList)) {
        button->setAppearance(off);
        button->setCheckedAppearance(on);
    }

    const QColor editorBackground = Theme::withOpacity(Theme::controlBackground(), 0.7);
    const auto editorSheet = [&](qreal outline) {
        return QStringLiteral("QPlainTextEdit { background: %1; color: %2; border: 1px solid %3;"
                              " border-radius: %4px; padding: 4px; }")
            .arg(Theme::cssColor(editorBackground), Theme::cssColor(Theme::primaryText()),
                 Theme::cssColor(purple(outline)))
            .arg(editorRadius);
    };
    m_prefixEditor->setStyleSheet(editorSheet(0.3));
    m_suffixEditor->setStyleSheet(editorSheet(0.4));
    m_tree->setStyleSheet(
        QStringLiteral("QTreeView { background: %1; border: 1px solid %2; border-radius: %3px;"
                       " padding: 4px; }")
            .arg(Theme::cssColor(Theme::withOpacity(Theme::controlBackground(), 0.5)),
                 Theme::cssColor(purple(0.5)))
            .arg(editorRadius));
    m_applyingColors = false;
}

#include "engine/PlexorViewModel.h"

#include "engine/FileTreeScanner.h"
#include "engine/GitWorkTree.h"
#include "model/PreferenceKeys.h"
#include "platform/FolderBookmark.h"
#include "platform/FolderWalk.h"
#include "platform/Log.h"
#include "platform/MemoryAdvice.h"
#include "platform/TextFileReader.h"

#include <QTimer>

#include <algorithm>
#include <new>

namespace {

// Opens each file block: five line feeds, the rule, a line feed.
constexpr QStringView fileOpener = u"\n\n\n\n\n------------------------------------\n";
constexpr QStringView fileRule = u"------------------------------------";

QString lastPathComponent(const QString& path)
{
    if (path == u"/")
        return path;
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QString joinPaths(const QString& head, const QString& tail)
{
    if (tail.isEmpty())
        return head;
    if (head.isEmpty() || head.endsWith(u'/'))
        return head + tail;
    return head + u'/' + tail;
}

} // namespace

PlexorViewModel::PlexorViewModel(Preferences& preferences, Clipboard& clipboard, QObject* parent)
    : QObject(parent)
    , m_preferences(preferences)
    , m_clipboard(clipboard)
    , m_walkFactory(&FolderWalk::create)
    , m_selectedFileTypes(defaultFileTypes())
    , m_respectGitignore(preferences.boolean(PreferenceKeys::respectGitignore).value_or(false))
{
    loadSavedTexts();
}

PlexorViewModel::~PlexorViewModel() = default;

const QList<FileTypeSwitch>& PlexorViewModel::defaultFileTypes()
{
    static const QList<FileTypeSwitch> table{
        {QStringLiteral(".swift"), true}, {QStringLiteral(".py"), true},
        {QStringLiteral(".js"), true},    {QStringLiteral(".ts"), true},
        {QStringLiteral(".html"), true},  {QStringLiteral(".css"), true},
        {QStringLiteral(".java"), true},  {QStringLiteral(".go"), true},
        {QStringLiteral(".h"), true},     {QStringLiteral(".c"), true},
        {QStringLiteral(".cpp"), true},   {QStringLiteral(".yaml"), true},
        {QStringLiteral(".json"), true},  {QStringLiteral(".ino"), true},
        {QStringLiteral(".txt"), false},  {QStringLiteral(".md"), true},
    };
    return table;
}

QString PlexorViewModel::defaultPrefixText()
{
    return QStringLiteral("Here are the files of my project.");
}

QString PlexorViewModel::defaultSuffixText()
{
    return QStringLiteral(
        "I want you to read everything above carefully, analyze how my app works completely. "
        "When you are finished just reply 'I\u2019m ready!'. I will ask questions or request new "
        "features when you are ready. If I want new features give me the full code, ready to "
        "copy and replace the original file. Unless it is just a small change in a single "
        "place.\n");
}

QString PlexorViewModel::suffixSeparator()
{
    return QStringLiteral("\n\n-------------\n");
}

QStringList PlexorViewModel::ignoredNames()
{
    QStringList names;
    for (const QByteArray& name : FileTreeScanner::ignoredNames())
        names.append(QString::fromUtf8(name));
    return names;
}

QString PlexorViewModel::folderPath(const QString& location)
{
    qsizetype end = location.size();
    while (end > 1 && location.at(end - 1) == u'/')
        --end;
    return location.left(end);
}

// --- The tree -------------------------------------------------------------------------------

QList<FileItem*> PlexorViewModel::fileList() const
{
    QList<FileItem*> list;
    list.reserve(static_cast<qsizetype>(m_files.size()));
    for (const auto& node : m_files)
        list.append(node.get());
    return list;
}

void PlexorViewModel::setWalkFactory(WalkFactory factory)
{
    m_walkFactory = factory ? std::move(factory) : WalkFactory(&FolderWalk::create);
}

void PlexorViewModel::loadFiles(const std::optional<QString>& folder,
                                const std::optional<PathSet>& savedSelectedPaths,
                                const std::optional<PathSet>& savedExpandedPaths)
{
    if (!folder)
        return;
    const ScopedFolderAccess access(*folder);
    if (!access.granted())
        return;

    const QString root = folderPath(*folder);
    const std::unique_ptr<FolderWalk> walk = m_walkFactory();
    if (root.isEmpty() || !walk->start(root)) {
        replaceFiles({});
        return;
    }

    FileTreeScanner::Options options;
    for (const FileTypeSwitch& type : std::as_const(m_selectedFileTypes)) {
        if (type.enabled)
            options.enabledExtensions.append(type.extension.toUtf8());
    }
    options.showAllFiles = m_showAllFiles;
    options.savedExpandedPaths = savedExpandedPaths ? &*savedExpandedPaths : nullptr;
    std::unique_ptr<GitWorkTree> git;
    if (m_respectGitignore) {
        git = GitWorkTree::open(root);
        options.gitIgnores = git.get();
    }
    const bool inWorkTree = git || GitWorkTree::contains(root);
    replaceFiles(FileTreeScanner(std::move(options)).scan(*walk, root));
    if (inWorkTree != m_inGitWorkTree) {
        m_inGitWorkTree = inWorkTree;
        Q_EMIT inGitWorkTreeChanged(inWorkTree);
    }

    setSelectedFiles(savedSelectedPaths ? restoreSelection(*savedSelectedPaths, m_files)
                                        : QSet<QUuid>());
}

void PlexorViewModel::replaceFiles(FileItemList files)
{
    Q_EMIT filesAboutToChange();
    // The old tree is released when this function returns, after observers have moved on.
    FileItemList previous = std::exchange(m_files, std::move(files));
    Q_EMIT filesChanged();
}

void PlexorViewModel::setExpanded(FileItem* node, bool expanded)
{
    if (!node || node->isExpanded() == expanded)
        return;
    node->setExpanded(expanded);
    Q_EMIT expansionChanged(node);
}

// --- Selection and type switches -------------------------------------------------------------

void PlexorViewModel::setSelectedFiles(const QSet<QUuid>& ids)
{
    if (ids == m_selectedFiles)
        return;
    m_selectedFiles = ids;
    Q_EMIT selectedFilesChanged();
}

void PlexorViewModel::toggleSelection(const QUuid& id)
{
    if (!m_selectedFiles.remove(id))
        m_selectedFiles.insert(id);
    Q_EMIT selectedFilesChanged();
}

bool PlexorViewModel::isFileTypeEnabled(const QString& extension) const
{
    return std::any_of(
        m_selectedFileTypes.cbegin(), m_selectedFileTypes.cend(),
        [&](const FileTypeSwitch& type) { return type.extension == extension && type.enabled; });
}

void PlexorViewModel::setFileTypeEnabled(const QString& extension, bool enabled)
{
    const auto found =
        std::find_if(m_selectedFileTypes.begin(), m_selectedFileTypes.end(),
                     [&](const FileTypeSwitch& type) { return type.extension == extension; });
    if (found == m_selectedFileTypes.end())
        m_selectedFileTypes.append(FileTypeSwitch{extension, enabled});
    else if (found->enabled != enabled)
        found->enabled = enabled;
    else
        return;
    Q_EMIT selectedFileTypesChanged();
}

void PlexorViewModel::setShowAllFiles(bool showAll)
{
    if (m_showAllFiles == showAll)
        return;
    m_showAllFiles = showAll;
    Q_EMIT showAllFilesChanged(showAll);
}

void PlexorViewModel::setRespectGitignore(bool respect)
{
    if (m_respectGitignore == respect)
        return;
    m_respectGitignore = respect;
    m_preferences.setBoolean(PreferenceKeys::respectGitignore, respect);
    Q_EMIT respectGitignoreChanged(respect);
}

QList<const FileItem*> PlexorViewModel::filesAt(const QString& folder,
                                                const QSet<QString>& relativePaths) const
{
    const QString root = folderPath(folder);
    const qsizetype rootLength = root.size() + (root.endsWith(u'/') ? 0 : 1);
    QList<const FileItem*> files;
    for (const FileItem* file : filesIn(m_files)) {
        if (file->path().startsWith(root) && relativePaths.contains(file->path().mid(rootLength)))
            files.append(file);
    }
    return files;
}

bool PlexorViewModel::selectChangedFiles(const std::optional<QString>& folder, QString* error)
{
    if (!folder)
        return false;
    const ScopedFolderAccess access(*folder);
    if (!access.granted())
        return false;
    const std::unique_ptr<GitWorkTree> git = GitWorkTree::open(folderPath(*folder));
    if (!git) {
        if (error)
            *error = QStringLiteral("%1 is not inside a git work tree").arg(*folder);
        return false;
    }
    const std::optional<QSet<QString>> changed = git->changedFiles(error);
    if (!changed)
        return false;
    select(filesAt(*folder, *changed));
    return true;
}

void PlexorViewModel::saveState(const SaveCallback& onSave) const
{
    PathSet selected;
    for (const FileItem* node : collectSelectedItems())
        selected.insert(node->path());
    onSave(selected, collectExpandedPaths(m_files));
}

void PlexorViewModel::select(const QList<const FileItem*>& nodes)
{
    bool changed = false;
    for (const FileItem* node : nodes) {
        if (!m_selectedFiles.contains(node->id())) {
            m_selectedFiles.insert(node->id());
            changed = true;
        }
    }
    if (changed)
        Q_EMIT selectedFilesChanged();
}

void PlexorViewModel::deselect(const QList<const FileItem*>& nodes)
{
    bool changed = false;
    for (const FileItem* node : nodes)
        changed = m_selectedFiles.remove(node->id()) || changed;
    if (changed)
        Q_EMIT selectedFilesChanged();
}

void PlexorViewModel::deselectAll()
{
    setSelectedFiles({});
}

namespace {

void addFiles(const FileItemList& nodes, QList<const FileItem*>& files)
{
    for (const auto& node : nodes) {
        if (node->isFolder())
            addFiles(node->children(), files);
        else
            files.append(node.get());
    }
}

} // namespace

QList<const FileItem*> PlexorViewModel::filesInside(const FileItem& folder)
{
    QList<const FileItem*> files;
    addFiles(folder.children(), files);
    return files;
}

QList<const FileItem*> PlexorViewModel::filesIn(const FileItemList& nodes)
{
    QList<const FileItem*> files;
    addFiles(nodes, files);
    return files;
}

namespace {

void addSelected(const PlexorViewModel::PathSet& savedPaths, const FileItemList& nodes,
                 QSet<QUuid>& ids)
{
    for (const auto& node : nodes) {
        if (savedPaths.contains(node->path()))
            ids.insert(node->id());
        addSelected(savedPaths, node->children(), ids);
    }
}

void addExpanded(const FileItemList& nodes, PlexorViewModel::PathSet& paths)
{
    for (const auto& node : nodes) {
        if (node->isExpanded())
            paths.insert(node->path());
        addExpanded(node->children(), paths);
    }
}

} // namespace

QSet<QUuid> PlexorViewModel::restoreSelection(const PathSet& savedPaths, const FileItemList& nodes)
{
    QSet<QUuid> ids;
    if (!savedPaths.isEmpty())
        addSelected(savedPaths, nodes, ids);
    return ids;
}

PlexorViewModel::PathSet PlexorViewModel::collectExpandedPaths(const FileItemList& nodes)
{
    PathSet paths;
    addExpanded(nodes, paths);
    return paths;
}

void PlexorViewModel::collectSelected(const FileItem& node, QList<FileItem*>& out) const
{
    if (m_selectedFiles.contains(node.id()))
        out.append(const_cast<FileItem*>(&node));
    for (const auto& child : node.children())
        collectSelected(*child, out);
}

QList<FileItem*> PlexorViewModel::collectSelectedItems(const FileItem& node) const
{
    QList<FileItem*> out;
    if (!m_selectedFiles.isEmpty())
        collectSelected(node, out);
    return out;
}

QList<FileItem*> PlexorViewModel::collectSelectedItems() const
{
    QList<FileItem*> out;
    if (m_selectedFiles.isEmpty())
        return out;
    for (const auto& node : m_files)
        collectSelected(*node, out);
    return out;
}

// --- Generation ------------------------------------------------------------------------------

void PlexorViewModel::setGeneratedContent(const QString& text)
{
    if (text == m_generatedContent)
        return;
    m_generatedContent = text;
    Q_EMIT generatedContentChanged();
}

void PlexorViewModel::editGeneratedContent(qsizetype from, qsizetype removed, QStringView inserted)
{
    from = std::clamp<qsizetype>(from, 0, m_generatedContent.size());
    removed = std::clamp<qsizetype>(removed, 0, m_generatedContent.size() - from);
    if (removed == 0 && inserted.isEmpty())
        return;
    m_generatedContent.replace(from, removed, inserted.data(), inserted.size());
    Q_EMIT generatedContentChanged();
}

void PlexorViewModel::prepareForEditing()
{
    m_generatedContent.detach();
}

QString PlexorViewModel::displayPath(const FileItem& node, const QString& rootPath)
{
    const QString& path = node.path();
    const qsizetype at = path.indexOf(rootPath);
    if (at < 0)
        return node.name();
    QString rest = path;
    rest.remove(at, rootPath.size());
    if (rest.startsWith(u'/'))
        rest.remove(0, 1);
    return joinPaths(lastPathComponent(rootPath), rest);
}

std::vector<PlexorViewModel::ContentEntry>
PlexorViewModel::contentEntries(const QString& root) const
{
    std::vector<ContentEntry> entries;
    for (const FileItem* node : collectSelectedItems()) {
        if (!node->isFolder())
            entries.push_back(ContentEntry{displayPath(*node, root), node});
    }
    return entries;
}

bool PlexorViewModel::appendContent(const std::vector<ContentEntry>& entries, QString& out,
                                    const ContentSink& sink) const
{
    out += m_prefixText;
    out += u"\n\n";
    if (!entries.empty()) {
        for (size_t i = 0; i < entries.size(); ++i) {
            if (i > 0)
                out += u'\n';
            out += entries[i].displayPath;
        }
        if (sink && !sink(out))
            return false;
        TextFileReader reader;
        QString error;
        for (const ContentEntry& entry : entries) {
            const qsizetype blockStart = out.size();
            out += fileOpener;
            out += entry.displayPath;
            out += u'\n';
            out += fileRule;
            out += u"\n\n";
            if (!reader.appendFile(entry.node->path(), out, &error)) {
                out.truncate(blockStart);
                Log::line(QStringLiteral("Error reading file ") + entry.node->path() +
                          QStringLiteral(": ") + error);
                continue;
            }
            out += u"\n\n";
            if (sink && !sink(out))
                return false;
        }
    }
    out += suffixSeparator();
    out += m_suffixText;
    return !sink || sink(out);
}

bool PlexorViewModel::generateContent(const std::optional<QString>& folder)
{
    if (!folder)
        return false;
    const ScopedFolderAccess access(*folder);
    if (!access.granted())
        return false;

    const std::vector<ContentEntry> entries = contentEntries(folderPath(*folder));
    qsizetype listLength = 0;
    for (const ContentEntry& entry : entries)
        listLength += entry.displayPath.size() + 1;

    // The text is built in one block reserved up front: a file of n bytes never gives more than
    // n UTF-16 units. Files that grew since are still taken, by growing the block. Sizes are
    // only hints: a file past the reader's limit is refused anyway and reserves nothing, and a
    // reservation that cannot be had is left to growth.
    const qint64 sizeLimit = TextFileReader::sizeLimit();
    qint64 contentBytes = 0;
    for (const ContentEntry& entry : entries) {
        const qint64 size = TextFileReader::fileSize(entry.node->path());
        if (size <= sizeLimit)
            contentBytes = std::min(contentBytes + size, sizeLimit);
    }
    const qsizetype blockOverhead = fileOpener.size() + fileRule.size() + 5;
    QString out;
    try {
        out.reserve(m_prefixText.size() + 2 + listLength * 2 +
                    static_cast<qsizetype>(entries.size()) * blockOverhead +
                    static_cast<qsizetype>(contentBytes) + suffixSeparator().size() +
                    m_suffixText.size());
    } catch (const std::bad_alloc&) {
        out = QString();
    }
    MemoryAdvice::preferLargePages(out.constData(), out.capacity() * qsizetype(sizeof(QChar)));
    appendContent(entries, out, {});
    // Multi-byte text or files left out can leave much of the block unused.
    if (out.capacity() - out.size() > out.size() / 4)
        out.squeeze();

    m_generatedContent = std::move(out);
    Q_EMIT generatedContentChanged();
    return true;
}

bool PlexorViewModel::writeContent(const std::optional<QString>& folder,
                                   const ContentSink& sink) const
{
    if (!folder)
        return false;
    const ScopedFolderAccess access(*folder);
    if (!access.granted())
        return false;
    QString out;
    return appendContent(contentEntries(folderPath(*folder)), out, sink);
}

void PlexorViewModel::copyToClipboard()
{
    m_clipboard.clear();
    m_clipboard.setText(m_generatedContent);
    raiseFlag(Flag::JustCopied);
}

bool PlexorViewModel::generateAndCopy(const std::optional<QString>& folder)
{
    if (!generateContent(folder))
        return false;
    copyToClipboard();
    return true;
}

// --- Prefix and suffix ---------------------------------------------------------------------

void PlexorViewModel::setPrefixText(const QString& text)
{
    if (text == m_prefixText)
        return;
    m_prefixText = text;
    Q_EMIT prefixTextChanged(m_prefixText);
}

void PlexorViewModel::setSuffixText(const QString& text)
{
    if (text == m_suffixText)
        return;
    m_suffixText = text;
    Q_EMIT suffixTextChanged(m_suffixText);
}

void PlexorViewModel::loadSavedTexts()
{
    // A value of another type reads as the default; it is kept before a keystroke replaces it.
    if (!m_preferences.text(PreferenceKeys::savedPrefixText))
        m_preferences.keepOriginal(QString(PreferenceKeys::savedPrefixText));
    if (!m_preferences.text(PreferenceKeys::savedSuffixText))
        m_preferences.keepOriginal(QString(PreferenceKeys::savedSuffixText));
    setPrefixText(
        m_preferences.text(PreferenceKeys::savedPrefixText).value_or(defaultPrefixText()));
    setSuffixText(
        m_preferences.text(PreferenceKeys::savedSuffixText).value_or(defaultSuffixText()));
}

void PlexorViewModel::savePrefix()
{
    m_preferences.setText(PreferenceKeys::savedPrefixText, m_prefixText);
    raiseFlag(Flag::PrefixJustSaved);
}

void PlexorViewModel::saveSuffix()
{
    m_preferences.setText(PreferenceKeys::savedSuffixText, m_suffixText);
    raiseFlag(Flag::SuffixJustSaved);
}

void PlexorViewModel::resetPrefix()
{
    setPrefixText(defaultPrefixText());
    savePrefix();
}

void PlexorViewModel::resetSuffix()
{
    setSuffixText(defaultSuffixText());
    saveSuffix();
}

// --- Confirmation flags ----------------------------------------------------------------------

void PlexorViewModel::raiseJustRegenerated()
{
    raiseFlag(Flag::JustRegenerated);
}

void PlexorViewModel::raiseFlag(Flag flag)
{
    setFlag(flag, true);
    // Each raise has its own lowering; a precise timer, because the coarse one that Qt picks for
    // two seconds may be off by a tenth of a second.
    QTimer::singleShot(FlagDuration, Qt::PreciseTimer, this,
                       [this, flag] { setFlag(flag, false); });
}

void PlexorViewModel::setFlag(Flag flag, bool raised)
{
    bool* field = nullptr;
    void (PlexorViewModel::*signal)(bool) = nullptr;
    switch (flag) {
    case Flag::JustCopied:
        field = &m_justCopied;
        signal = &PlexorViewModel::justCopiedChanged;
        break;
    case Flag::JustRegenerated:
        field = &m_justRegenerated;
        signal = &PlexorViewModel::justRegeneratedChanged;
        break;
    case Flag::PrefixJustSaved:
        field = &m_prefixJustSaved;
        signal = &PlexorViewModel::prefixJustSavedChanged;
        break;
    case Flag::SuffixJustSaved:
        field = &m_suffixJustSaved;
        signal = &PlexorViewModel::suffixJustSavedChanged;
        break;
    }
    if (*field == raised)
        return;
    *field = raised;
    Q_EMIT(this->*signal)(raised);
}

#pragma once

#include "engine/FileTypeSwitch.h"
#include "model/FileItem.h"
#include "model/Preferences.h"
#include "platform/Clipboard.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

class FolderWalk;

// The collection engine of one open project: it scans the project folder into a tree of
// FileItem nodes, holds the selection and the file-type switches, keeps the prefix and suffix
// texts, generates the combined text and copies it to the clipboard.
//
// Every field is observable through its change signal. Everything runs on the thread that owns
// the engine (the main thread); scans and file reads are synchronous.
//
// A folder location is an absolute path text; std::nullopt stands for "no folder", in which case
// scans and generations do nothing. Every scan and generation is bracketed with an access grant
// for the folder (ScopedFolderAccess); when access is refused nothing changes.
class PlexorViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QList<FileItem*> files READ fileList NOTIFY filesChanged)
    Q_PROPERTY(QSet<QUuid> selectedFiles READ selectedFiles WRITE setSelectedFiles NOTIFY
                   selectedFilesChanged)
    Q_PROPERTY(QList<FileTypeSwitch> selectedFileTypes READ selectedFileTypes NOTIFY
                   selectedFileTypesChanged)
    Q_PROPERTY(bool showAllFiles READ showAllFiles WRITE setShowAllFiles NOTIFY showAllFilesChanged)
    Q_PROPERTY(bool respectGitignore READ respectGitignore WRITE setRespectGitignore NOTIFY
                   respectGitignoreChanged)
    Q_PROPERTY(bool inGitWorkTree READ inGitWorkTree NOTIFY inGitWorkTreeChanged)
    Q_PROPERTY(QString generatedContent READ generatedContent WRITE setGeneratedContent NOTIFY
                   generatedContentChanged)
    Q_PROPERTY(QString prefixText READ prefixText WRITE setPrefixText NOTIFY prefixTextChanged)
    Q_PROPERTY(QString suffixText READ suffixText WRITE setSuffixText NOTIFY suffixTextChanged)
    Q_PROPERTY(bool justCopied READ justCopied NOTIFY justCopiedChanged)
    Q_PROPERTY(bool justRegenerated READ justRegenerated NOTIFY justRegeneratedChanged)
    Q_PROPERTY(bool prefixJustSaved READ prefixJustSaved NOTIFY prefixJustSavedChanged)
    Q_PROPERTY(bool suffixJustSaved READ suffixJustSaved NOTIFY suffixJustSavedChanged)
    Q_PROPERTY(QString defaultPrefixText READ defaultPrefixText CONSTANT)
    Q_PROPERTY(QString defaultSuffixText READ defaultSuffixText CONSTANT)
    Q_PROPERTY(QString suffixSeparator READ suffixSeparator CONSTANT)

public:
    using PathSet = QSet<QString>;
    using SaveCallback = std::function<void(const PathSet& selected, const PathSet& expanded)>;
    using WalkFactory = std::function<std::unique_ptr<FolderWalk>()>;

    // How long a confirmation flag stays raised, in milliseconds.
    static constexpr int FlagDuration = 2000;

    // Reads the stored prefix and suffix from `preferences` (loadSavedTexts). Both objects must
    // outlive the engine.
    explicit PlexorViewModel(Preferences& preferences = Preferences::standard(),
                             Clipboard& clipboard = Clipboard::system(), QObject* parent = nullptr);
    ~PlexorViewModel() override;

    // --- The tree ---------------------------------------------------------------------------

    // Top-level nodes, folders first, each level in natural name order (FileTreeScanner); the
    // generated text lists and copies files in this tree order. Nodes stay valid until the next
    // scan replaces the tree (announced by filesAboutToChange, then filesChanged).
    const FileItemList& files() const { return m_files; }
    QList<FileItem*> fileList() const;

    // Scans `folder` into a new tree. Nodes whose paths are in `savedExpandedPaths` start
    // expanded; the selection becomes the nodes whose paths are in `savedSelectedPaths` (empty
    // when none is given). Does nothing without a folder or when access is refused; a folder
    // that cannot be walked gives an empty tree and leaves the selection alone.
    void loadFiles(const std::optional<QString>& folder,
                   const std::optional<PathSet>& savedSelectedPaths = std::nullopt,
                   const std::optional<PathSet>& savedExpandedPaths = std::nullopt);

    // Opens or closes a folder row. Emits expansionChanged when the state changes.
    void setExpanded(FileItem* node, bool expanded);

    // The six names left out of every scan, with everything below them.
    static QStringList ignoredNames();

    // --- Selection and type switches ---------------------------------------------------------

    const QSet<QUuid>& selectedFiles() const { return m_selectedFiles; }
    void setSelectedFiles(const QSet<QUuid>& ids);
    bool isSelected(const QUuid& id) const { return m_selectedFiles.contains(id); }
    // What a click on a row does: selects the node when it is not selected, and the reverse.
    // Only that node changes; selecting a folder selects nothing below it.
    void toggleSelection(const QUuid& id);

    // The file-type table, in its fixed order (new extensions at the end).
    const QList<FileTypeSwitch>& selectedFileTypes() const { return m_selectedFileTypes; }
    static const QList<FileTypeSwitch>& defaultFileTypes();
    bool isFileTypeEnabled(const QString& extension) const;
    // Sets the switch of `extension` (with its dot), adding it when the table lacks it. Takes
    // effect at the next scan.
    void setFileTypeEnabled(const QString& extension, bool enabled);

    bool showAllFiles() const { return m_showAllFiles; }
    // Takes effect at the next scan.
    void setShowAllFiles(bool showAll);

    // "Respect .gitignore": whether the scan also leaves out what git ignores, when the folder
    // lies in a git work tree. Read from the preference store when the engine is made; a change
    // is stored at once and takes effect at the next scan.
    bool respectGitignore() const { return m_respectGitignore; }
    void setRespectGitignore(bool respect);

    // Whether the folder of the last scan lies inside a git work tree.
    bool inGitWorkTree() const { return m_inGitWorkTree; }
    // "Select Changed Files": selects every file of the tree that git reports as modified,
    // added, renamed or untracked (not ignored), as a click on each unselected one would. False
    // with `error` set when git cannot tell (no work tree, unreadable repository).
    bool selectChangedFiles(const std::optional<QString>& folder, QString* error = nullptr);
    // The files of the tree scanned from `folder` whose paths relative to it are in `paths`.
    QList<const FileItem*> filesAt(const QString& folder, const QSet<QString>& relativePaths) const;

    // Hands the selected paths (folders included) and the expanded paths to `onSave`.
    void saveState(const SaveCallback& onSave) const;

    // --- Bulk selection ----------------------------------------------------------------------
    // Each changes the selection exactly as a click on every listed row whose state differs
    // would, and announces it once.

    // Selects the listed nodes that are not selected.
    void select(const QList<const FileItem*>& nodes);
    // Deselects the listed nodes that are selected.
    void deselect(const QList<const FileItem*>& nodes);
    // Deselects every node of the tree, folders included.
    void deselectAll();
    // Every file below `folder`, at any depth, in tree pre-order.
    static QList<const FileItem*> filesInside(const FileItem& folder);
    // Every file of `nodes` and below, in tree pre-order.
    static QList<const FileItem*> filesIn(const FileItemList& nodes);

    // The ids of all nodes in `nodes`, at any depth, whose path is in `savedPaths`.
    static QSet<QUuid> restoreSelection(const PathSet& savedPaths, const FileItemList& nodes);
    // The paths of all expanded nodes in `nodes`, also inside collapsed folders.
    static PathSet collectExpandedPaths(const FileItemList& nodes);
    // `node` when it is selected, then the selected nodes below it, in tree pre-order.
    QList<FileItem*> collectSelectedItems(const FileItem& node) const;
    // The selected nodes of the whole tree, in tree pre-order, folders included.
    QList<FileItem*> collectSelectedItems() const;

    // --- Generation --------------------------------------------------------------------------

    const QString& generatedContent() const { return m_generatedContent; }
    // The preview edits the text in place; a later copy takes the edited text.
    void setGeneratedContent(const QString& text);
    // Replaces the `removed` characters at `from` by `inserted` (an edit in the preview), so that
    // every other character stays exactly as it is. Out-of-range values are clamped.
    void editGeneratedContent(qsizetype from, qsizetype removed, QStringView inserted);
    // Gives the text its own characters when it still shares them with a copy handed out (the
    // clipboard's, after copyToClipboard), so that the next edit does not first copy the whole
    // text. The preview calls it when the user turns to its editor.
    void prepareForEditing();

    // Builds the text from the prefix, the selected files and the suffix. Does nothing without a
    // folder or when access is refused, and then returns false. A file that cannot be read as
    // UTF-8 is logged ("Error reading file PATH: REASON") and left out, its path still listed.
    bool generateContent(const std::optional<QString>& folder);
    // Receives the generated text piece by piece and empties `text` once it has taken it;
    // false stops the generation.
    using ContentSink = std::function<bool(QString& text)>;
    // Produces the text generateContent would, handing it to `sink` after the file list and
    // after every file block, so that no more than one file's text is held at a time.
    // generatedContent is not touched. False when there is no folder, access is refused or the
    // sink stopped it.
    bool writeContent(const std::optional<QString>& folder, const ContentSink& sink) const;

    // Clears the clipboard, puts generatedContent on it and raises justCopied.
    void copyToClipboard();
    // What Generate, Regenerate and the global shortcut do: generates from `folder` and copies
    // the new text. When nothing was generated (no folder, access refused) the clipboard is left
    // alone, no flag is raised and the result is false.
    bool generateAndCopy(const std::optional<QString>& folder);

    // The name of the project folder followed by the node's path relative to `rootPath`; the
    // node's name when its path does not contain `rootPath`.
    static QString displayPath(const FileItem& node, const QString& rootPath);
    // The path text a folder location stands for: without trailing "/" (except for "/" itself).
    static QString folderPath(const QString& location);

    // --- Prefix and suffix -------------------------------------------------------------------

    const QString& prefixText() const { return m_prefixText; }
    const QString& suffixText() const { return m_suffixText; }
    // Setting a text does not store it; the screens call savePrefix/saveSuffix after each edit.
    void setPrefixText(const QString& text);
    void setSuffixText(const QString& text);

    // Reads both texts from the store; a missing key gives the default text, a stored empty text
    // stays empty.
    void loadSavedTexts();
    // Store the current text and raise prefixJustSaved / suffixJustSaved.
    void savePrefix();
    void saveSuffix();
    // Set the default text and store it (the key is written, not removed).
    void resetPrefix();
    void resetSuffix();

    static QString defaultPrefixText();
    static QString defaultSuffixText();
    static QString suffixSeparator();

    // --- Confirmation flags ------------------------------------------------------------------
    // Each raise schedules its own lowering FlagDuration later; a later raise does not cancel an
    // earlier lowering, so the flag drops FlagDuration after the first raise.

    bool justCopied() const { return m_justCopied; }
    bool justRegenerated() const { return m_justRegenerated; }
    bool prefixJustSaved() const { return m_prefixJustSaved; }
    bool suffixJustSaved() const { return m_suffixJustSaved; }
    // Used by the callers of generation (preview, shortcut); the engine never raises it itself.
    void raiseJustRegenerated();

    // Replaces the folder walk the scans use (the platform's by default); for tools and tests.
    void setWalkFactory(WalkFactory factory);

Q_SIGNALS:
    // Emitted before a scan replaces the tree (the old nodes are still valid) and after.
    void filesAboutToChange();
    void filesChanged();
    // A folder row was opened or closed.
    void expansionChanged(FileItem* node);
    void selectedFilesChanged();
    void selectedFileTypesChanged();
    void showAllFilesChanged(bool showAll);
    void respectGitignoreChanged(bool respect);
    void inGitWorkTreeChanged(bool inside);
    void generatedContentChanged();
    void prefixTextChanged(const QString& text);
    void suffixTextChanged(const QString& text);
    void justCopiedChanged(bool raised);
    void justRegeneratedChanged(bool raised);
    void prefixJustSavedChanged(bool raised);
    void suffixJustSavedChanged(bool raised);

private:
    enum class Flag { JustCopied, JustRegenerated, PrefixJustSaved, SuffixJustSaved };

    struct ContentEntry {
        QString displayPath;
        const FileItem* node;
    };

    void replaceFiles(FileItemList files);
    std::vector<ContentEntry> contentEntries(const QString& root) const;
    // Appends the text for `entries` to `out`, handing it to `sink` (when given) at each step.
    bool appendContent(const std::vector<ContentEntry>& entries, QString& out,
                       const ContentSink& sink) const;
    void collectSelected(const FileItem& node, QList<FileItem*>& out) const;
    void raiseFlag(Flag flag);
    void setFlag(Flag flag, bool raised);

    Preferences& m_preferences;
    Clipboard& m_clipboard;
    WalkFactory m_walkFactory;

    FileItemList m_files;
    QSet<QUuid> m_selectedFiles;
    QList<FileTypeSwitch> m_selectedFileTypes;
    bool m_showAllFiles = false;
    bool m_respectGitignore = false;
    bool m_inGitWorkTree = false;
    QString m_generatedContent;
    QString m_prefixText;
    QString m_suffixText;
    bool m_justCopied = false;
    bool m_justRegenerated = false;
    bool m_prefixJustSaved = false;
    bool m_suffixJustSaved = false;
};

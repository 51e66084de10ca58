#pragma once

#include "model/ViewMode.h"
#include "ui/SymbolIcon.h"

#include <QString>
#include <QWidget>

#include <optional>

class Badge;
class ElidedLabel;
class ExactTextEdit;
class FileTreeActions;
class FileTreeModel;
class PlexorViewModel;
class QCheckBox;
class QLabel;
class QLineEdit;
class QTreeView;
class QVBoxLayout;
class TintedButton;

// The main tab's input screen, where one generation is prepared: the project's name, tag and
// folder; the file-type switches; the prefix, the file tree and the suffix as three numbered
// steps; and the "Generate Content" button.
//
// The screen keeps no state of its own: every control reads and writes the engine, and what the
// host must do is asked for through the signals, which are emitted synchronously in the order
// each action needs (a type switch: the switch is set, saveStateRequested, refreshRequested).
class TokenCounter;

class PlexorInputView : public QWidget {
    Q_OBJECT

public:
    // The engine must outlive the screen.
    explicit PlexorInputView(PlexorViewModel& engine, QWidget* parent = nullptr);
    ~PlexorInputView() override;

    // The open folder (an absolute path; none when no folder is open) and its path as shown.
    void setFolder(const std::optional<QString>& url, const QString& folderPath);
    const std::optional<QString>& url() const { return m_url; }

    QTreeView* fileTree() const { return m_tree; }
    FileTreeModel* fileTreeModel() const { return m_model; }
    QLineEdit* treeFilter() const { return m_treeFilter; }
    QCheckBox* gitignoreSwitch() const { return m_gitignoreSwitch; }
    TintedButton* selectChangedButton() const { return m_selectChanged; }
    FileTreeActions* fileTreeActions() const { return m_treeActions; }

    // Shows token counts from `counter` (which must outlive the screen): each file's in its tree
    // row and, by "Generate Content", the selected files' number and tokens, for example
    // "37 files · 48.2k tokens" (with "…" while files are still being counted).
    void setTokenCounter(TokenCounter* counter);
    QString selectionSummary() const;

    // What the "Generate Content" button does, in this order: saveStateRequested, the engine
    // generates from the open folder and copies the text, generated(url), and
    // viewModeRequested(preview). Without a folder (the button is disabled then) it does nothing;
    // when the engine cannot generate, it stops after saveStateRequested.
    void generate();

    // The title for a folder: its last path component, or "Code Plexor" without a folder.
    static QString titleFor(const std::optional<QString>& url);
    // The chip's tag: the tag read off the shown path, or "uncategorized".
    static QString tagFor(const QString& folderPath);

Q_SIGNALS:
    // The host should rescan the open folder without the saved sets.
    void refreshRequested();
    // The host should store the engine's selection and expansion with the open project.
    void saveStateRequested();
    // Content was generated (and copied) for `url`.
    void generated(const std::optional<QString>& url);
    // The screen asks the main window to show another screen (the preview, after Generate).
    void viewModeRequested(ViewMode mode);

protected:
    void changeEvent(QEvent* event) override;

private:
    QWidget* buildHeader();
    QWidget* buildFileTypes();
    QWidget* buildStep(Symbol symbol, const QString& heading, QWidget* trailing);
    QWidget* buildSavedMarker(const QString& name, QLabel*& saved, TintedButton*& reset);
    ExactTextEdit* buildEditor(const QString& name, const QString& accessibleName,
                               const QString& (PlexorViewModel::*text)() const);
    void buildTree();

    void syncFileTypes();
    void rebuildFileTypeButtons();
    void changeFileType(const QString& extension, bool enabled);
    void changeShowAll(bool showAll);
    void changeRespectGitignore(bool respect);
    void selectChangedFiles();
    void askForRescan();
    void showPrefix();
    void showSuffix();
    void applyEdit(ExactTextEdit* editor, qsizetype from, qsizetype removed,
                   const QString& inserted);
    void restoreExpansion();
    void updateHeader();
    void updateSelectionSummary();
    void applyColors();

    PlexorViewModel& m_engine;
    std::optional<QString> m_url;
    QString m_folderPath;

    QWidget* m_divider = nullptr;
    ElidedLabel* m_title = nullptr;
    Badge* m_tagChip = nullptr;
    QLabel* m_folderIcon = nullptr;
    ElidedLabel* m_folderLine = nullptr;
    TintedButton* m_showInFinder = nullptr;
    QLabel* m_fileTypesCaption = nullptr;
    TintedButton* m_showAll = nullptr;
    QWidget* m_typeButtons = nullptr;
    QList<TintedButton*> m_typeButtonList;
    QStringList m_shownTypes;
    QList<QLabel*> m_stepSymbols;
    QLabel* m_prefixSaved = nullptr;
    TintedButton* m_prefixReset = nullptr;
    QLabel* m_suffixSaved = nullptr;
    TintedButton* m_suffixReset = nullptr;
    ExactTextEdit* m_prefixEditor = nullptr;
    ExactTextEdit* m_suffixEditor = nullptr;
    QTreeView* m_tree = nullptr;
    FileTreeModel* m_model = nullptr;
    QLineEdit* m_treeFilter = nullptr;
    QCheckBox* m_gitignoreSwitch = nullptr;
    TintedButton* m_selectChanged = nullptr;
    FileTreeActions* m_treeActions = nullptr;
    TintedButton* m_generate = nullptr;
    QLabel* m_selectionSummary = nullptr;
    TokenCounter* m_tokens = nullptr;
    // Set while an edit from an editor goes into the engine, so that the engine's change signal
    // does not show the text anew (which would move the cursor).
    bool m_applyingEdit = false;
    bool m_applyingColors = false;
};

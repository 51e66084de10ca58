#include "engine/FakeServices.h"
#include "engine/TestTree.h"

#include "TabOrder.h"

#include "app/FolderChooser.h"
#include "app/MainContainerView.h"
#include "app/SidebarView.h"
#include "app/VantorApp.h"
#include "engine/Notifications.h"
#include "engine/PlexorWorkView.h"
#include "library/ProjectCard.h"
#include "library/ProjectContextMenu.h"
#include "library/ProjectLibrary.h"
#include "library/ProjectLibraryView.h"
#include "library/RecentFoldersStore.h"
#include "library/SidebarRow.h"
#include "model/PreferenceKeys.h"
#include "model/Preferences.h"
#include "platform/FileManager.h"
#include "platform/NotificationCenter.h"
#include "tags/CustomTagManager.h"
#include "tags/TagSelectionView.h"
#include "ui/ElidedLabel.h"
#include "ui/FileTreeActions.h"
#include "ui/FileTreeModel.h"
#include "ui/PlexorInputView.h"
#include "ui/PlexorPreviewView.h"
#include "ui/SegmentedControl.h"
#include "ui/LargeTextEdit.h"
#include "ui/TintedButton.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QTreeView>
#include <QtTest>

#include <memory>

namespace {

using PathSet = QSet<QString>;

class FakeFolderChooser : public FolderChooser {
public:
    std::optional<QString> answer;
    int asked = 0;
    std::optional<QString> chooseFolder(QWidget*) override
    {
        ++asked;
        return answer;
    }
};

class FakeFileManager : public FileManager {
public:
    QStringList revealed;
    void revealFolder(const QString& folderPath) override { revealed << folderPath; }
};

// The text the engine makes for one selected file of a project.
QString expectedText(const QString& prefix, const QString& listed, const QString& content,
                     const QString& suffix)
{
    return prefix + QStringLiteral("\n\n") + listed +
           QStringLiteral("\n\n\n\n\n------------------------------------\n") + listed +
           QStringLiteral("\n------------------------------------\n\n") + content +
           QStringLiteral("\n\n") + PlexorViewModel::suffixSeparator() + suffix;
}

QString lastCopied(const FakeClipboard& clipboard)
{
    for (auto it = clipboard.calls.crbegin(); it != clipboard.calls.crend(); ++it) {
        if (it->startsWith(QStringLiteral("set:")))
            return it->mid(4);
    }
    return {};
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_configDir;
    std::unique_ptr<Preferences> m_preferences;
    FakeClipboard m_clipboard;
    FakeFolderChooser m_chooser;
    FakeFileManager m_fileManager;
    std::unique_ptr<TestTree> m_project;
    std::unique_ptr<TestTree> m_other;
    std::unique_ptr<MainContainerView> m_window;

    QString preferencesPath() const { return m_configDir->filePath(QStringLiteral("prefs.json")); }

    MainContainerView& openWindow()
    {
        m_window = std::make_unique<MainContainerView>(*m_preferences, m_clipboard, m_chooser);
        m_window->resize(1000, 760);
        m_window->show();
        if (!QTest::qWaitForWindowExposed(m_window.get()))
            qWarning("window not exposed");
        return *m_window;
    }

    template <typename T>
    T* find(const QString& name) const
    {
        return m_window->findChild<T*>(name);
    }

    PlexorWorkView* workView() const { return m_window->workView(); }
    PlexorViewModel& engine() const { return m_window->workView()->viewModel(); }

    void click(QAbstractButton* button) const
    {
        QVERIFY(button);
        QVERIFY(button->isVisible());
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // Opens `folder` through the folder chooser, as a user would.
    void chooseFolder(const QString& folder)
    {
        m_chooser.answer = folder;
        click(m_window->sidebar()->selectFolderButton());
    }

    QModelIndex treeIndex(const QString& path) const
    {
        QTreeView* tree = workView()->inputView()->fileTree();
        FileTreeModel* model = workView()->inputView()->fileTreeModel();
        QModelIndex parent;
        for (;;) {
            bool descended = false;
            for (int row = 0; row < model->rowCount(parent); ++row) {
                const QModelIndex index = model->index(row, 0, parent);
                const QString here = index.data(FileTreeModel::PathRole).toString();
                if (here == path)
                    return index;
                if (path.startsWith(here + u'/')) {
                    tree->expand(index);
                    parent = index;
                    descended = true;
                    break;
                }
            }
            if (!descended)
                return {};
        }
    }

    // Clicks the tree row of `path`, opening its folders first.
    void clickRow(const QString& path) const
    {
        QTreeView* tree = workView()->inputView()->fileTree();
        const QModelIndex index = treeIndex(path);
        QVERIFY2(index.isValid(), qPrintable(path));
        tree->scrollTo(index);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(index).center());
    }

    std::optional<RecentFolder> record(const QString& path) const
    {
        for (const RecentFolder& folder : m_window->store().recentFolders()) {
            if (folder.path == path)
                return folder;
        }
        return std::nullopt;
    }

    QStringList sidebarTexts() const
    {
        QStringList texts;
        QListWidget* list = m_window->sidebar()->list();
        for (int row = 0; row < list->count(); ++row) {
            QWidget* widget = list->itemWidget(list->item(row));
            const QString accessible = list->item(row)->data(Qt::AccessibleTextRole).toString();
            if (!accessible.isEmpty()) {
                texts << accessible;
                continue;
            }
            const QList<QLabel*> labels =
                widget ? widget->findChildren<QLabel*>() : QList<QLabel*>();
            texts << (labels.isEmpty() ? QStringLiteral("--") : labels.first()->text());
        }
        return texts;
    }

    SidebarRow* sidebarRow(const QUuid& id) const
    {
        QListWidget* list = m_window->sidebar()->list();
        const int row = m_window->sidebar()->rowOf(id);
        QWidget* widget = row >= 0 ? list->itemWidget(list->item(row)) : nullptr;
        return widget ? widget->findChild<SidebarRow*>() : nullptr;
    }

    ProjectCard* libraryCard(const QUuid& id) const
    {
        for (ProjectCard* card : m_window->projectsScreen()->findChildren<ProjectCard*>()) {
            if (card->folder().id == id)
                return card;
        }
        return nullptr;
    }

    void triggerMenuItem(const RecentFolder& folder, const QString& text)
    {
        std::unique_ptr<QMenu> menu(m_window->sidebar()->buildContextMenu(folder));
        for (QAction* action : menu->actions()) {
            if (QString(action->text()).remove(u'&') == text) {
                action->trigger();
                return;
            }
        }
        QFAIL(qPrintable(QStringLiteral("no menu item ") + text));
    }

private Q_SLOTS:
    void init()
    {
        m_configDir = std::make_unique<QTemporaryDir>();
        m_preferences = std::make_unique<Preferences>(preferencesPath());
        m_clipboard.calls.clear();
        m_chooser = FakeFolderChooser();
        m_fileManager.revealed.clear();
        FileManager::setCurrent(&m_fileManager);
        m_project = std::make_unique<TestTree>();
        QVERIFY(m_project->add(QStringLiteral("README.md"), "# App\n"));
        QVERIFY(m_project->add(QStringLiteral("src/main.c"), "int main(void) { return 0; }\n"));
        QVERIFY(m_project->add(QStringLiteral("src/util.h"), "#pragma once\n"));
        QVERIFY(m_project->add(QStringLiteral("docs/guide.md"), "Guide\n"));
        m_other = std::make_unique<TestTree>();
        QVERIFY(m_other->add(QStringLiteral("lib/core.py"), "print('hi')\n"));
    }

    void cleanup()
    {
        m_window.reset();
        FileManager::setCurrent(nullptr);
        m_other.reset();
        m_project.reset();
        m_preferences.reset();
        m_configDir.reset();
    }

    void firstStartShowsTheProjectsScreen()
    {
        MainContainerView& window = openWindow();
        QCOMPARE(window.viewMode(), ViewMode::projects);
        QCOMPARE(window.detailArea()->currentWidget(), window.projectsScreen());
        QVERIFY(!window.workView());
        QCOMPARE(window.modePicker()->currentIndex(), 0);
        QCOMPARE(window.modePicker()->segment(0)->text(), QStringLiteral("Projects"));
        QCOMPARE(window.modePicker()->segment(1)->text(), QStringLiteral("Plexor"));
        QCOMPARE(window.modePicker()->segment(2)->text(), QStringLiteral("Preview"));
        QCOMPARE(window.modePicker()->width(), MainContainerView::modePickerWidth);
        QCOMPARE(sidebarTexts(), QStringList{QStringLiteral("Projects")});
        const int sidebarWidth = window.splitter()->sizes().first();
        QVERIFY(sidebarWidth >= MainContainerView::sidebarMinimumWidth);
        QVERIFY(sidebarWidth <= MainContainerView::sidebarMaximumWidth);
    }

    void choosingAFolderAddsItAndOpensTheMainTab()
    {
        MainContainerView& window = openWindow();
        // A cancelled chooser changes nothing.
        click(window.sidebar()->selectFolderButton());
        QCOMPARE(m_chooser.asked, 1);
        QCOMPARE(window.viewMode(), ViewMode::projects);
        QVERIFY(window.store().recentFolders().isEmpty());

        chooseFolder(m_project->root());
        QCOMPARE(window.viewMode(), ViewMode::plexor);
        QCOMPARE(window.modePicker()->currentIndex(), 1);
        QCOMPARE(window.store().accessibleURL(), std::optional<QString>(m_project->root()));
        QVERIFY(record(m_project->root()));
        QCOMPARE(find<QLabel>(QStringLiteral("titleLabel"))->text(), QStringLiteral("app"));
        QCOMPARE(workView()->inputView()->fileTreeModel()->rowCount(), 3);
        QTRY_COMPARE(window.sidebar()->highlightedProjects(),
                     QList<QUuid>{record(m_project->root())->id});
        QCOMPARE(sidebarTexts(), (QStringList{QStringLiteral("Projects"), QStringLiteral("--"),
                                              QStringLiteral("app")}));
    }

    void generateStoresTheSelectionCopiesAndShowsThePreview()
    {
        MainContainerView& window = openWindow();
        chooseFolder(m_project->root());
        const QString mainC = m_project->path(QStringLiteral("src/main.c"));
        clickRow(mainC);
        QCOMPARE(engine().selectedFiles().size(), 1);
        // A click stores nothing by itself.
        QVERIFY(!record(m_project->root())->savedSelectedPaths);

        click(find<QPushButton>(QStringLiteral("generateButton")));
        const std::optional<RecentFolder> stored = record(m_project->root());
        QCOMPARE(stored->savedSelectedPaths, std::optional<PathSet>(PathSet{mainC}));
        QCOMPARE(stored->savedExpandedPaths,
                 std::optional<PathSet>(PathSet{m_project->path(QStringLiteral("src"))}));
        QCOMPARE(lastCopied(m_clipboard),
                 expectedText(PlexorViewModel::defaultPrefixText(),
                              QStringLiteral("app/src/main.c"),
                              QStringLiteral("int main(void) { return 0; }\n"),
                              PlexorViewModel::defaultSuffixText()));
        QCOMPARE(window.viewMode(), ViewMode::preview);
        QCOMPARE(window.modePicker()->currentIndex(), 2);
        QCOMPARE(find<QPushButton>(QStringLiteral("copyButton"))->text(), QStringLiteral("Copied"));
        QCOMPARE(find<LargeTextEdit>(QStringLiteral("previewEditor"))->text(),
                 lastCopied(m_clipboard));
        // The generated folder is the one reopened at the next start.
        QVERIFY(m_preferences->bytes(PreferenceKeys::lastFolderBookmark));

        // Back keeps the selection.
        click(find<QPushButton>(QStringLiteral("backButton")));
        QCOMPARE(window.viewMode(), ViewMode::plexor);
        QCOMPARE(engine().selectedFiles().size(), 1);
    }

    void typeSwitchesStoreBeforeTheRescan()
    {
        openWindow();
        chooseFolder(m_project->root());
        const QString guide = m_project->path(QStringLiteral("docs/guide.md"));
        clickRow(guide);
        QCOMPARE(engine().selectedFiles().size(), 1);

        click(find<QPushButton>(QStringLiteral("fileType:.md")));
        QVERIFY(!engine().isFileTypeEnabled(QStringLiteral(".md")));
        // Stored first, then rescanned without the saved sets: Markdown is gone and nothing is
        // selected any more.
        QCOMPARE(record(m_project->root())->savedSelectedPaths, std::optional<PathSet>({guide}));
        QVERIFY(engine().selectedFiles().isEmpty());
        FileTreeModel* model = workView()->inputView()->fileTreeModel();
        QCOMPARE(model->rowCount(), 1);
        QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("src"));

        click(find<QPushButton>(QStringLiteral("fileTypeAll")));
        QVERIFY(engine().showAllFiles());
        QCOMPARE(model->rowCount(), 3);
    }

    void editingThePrefixStoresItAndShowsSaved()
    {
        openWindow();
        chooseFolder(m_project->root());
        auto* editor = find<QPlainTextEdit>(QStringLiteral("prefixEditor"));
        auto* saved = find<QLabel>(QStringLiteral("prefixSavedLabel"));
        auto* reset = find<QPushButton>(QStringLiteral("prefixResetButton"));
        QVERIFY(!saved->isVisible());
        QVERIFY(reset->isVisible());

        editor->setFocus();
        editor->moveCursor(QTextCursor::End);
        QTest::keyClicks(editor, QStringLiteral(" Thanks"));
        const QString typed = PlexorViewModel::defaultPrefixText() + QStringLiteral(" Thanks");
        QCOMPARE(m_preferences->text(PreferenceKeys::savedPrefixText), std::optional(typed));
        QCOMPARE(engine().prefixText(), typed);
        QVERIFY(saved->isVisible());
        QVERIFY(!reset->isVisible());
        QCOMPARE(saved->text(), QStringLiteral("Saved"));

        // The marker goes 2 seconds after the first save.
        QElapsedTimer clock;
        clock.start();
        QTRY_VERIFY_WITH_TIMEOUT(reset->isVisible(), 4000);
        QVERIFY(!saved->isVisible());
        QVERIFY(clock.elapsed() <= 2500);

        // Reset brings the standard text back into the editor and the store.
        click(reset);
        QCOMPARE(editor->toPlainText(), PlexorViewModel::defaultPrefixText());
        QCOMPARE(m_preferences->text(PreferenceKeys::savedPrefixText),
                 std::optional(PlexorViewModel::defaultPrefixText()));
        QVERIFY(saved->isVisible());
    }

    void previewEditsAreCopiedAndRegenerateDiscardsThem()
    {
        openWindow();
        chooseFolder(m_project->root());
        clickRow(m_project->path(QStringLiteral("README.md")));
        click(find<QPushButton>(QStringLiteral("generateButton")));
        const QString generated = engine().generatedContent();

        auto* editor = find<LargeTextEdit>(QStringLiteral("previewEditor"));
        editor->setFocus();
        editor->setCursorPosition(0);
        QTest::keyClicks(editor, QStringLiteral("NOTE "));
        click(find<QPushButton>(QStringLiteral("copyButton")));
        QCOMPARE(lastCopied(m_clipboard), QStringLiteral("NOTE ") + generated);

        auto* regenerate = find<QPushButton>(QStringLiteral("regenerateButton"));
        click(regenerate);
        QCOMPARE(editor->text(), generated);
        QCOMPARE(lastCopied(m_clipboard), generated);
        QCOMPARE(regenerate->text(), QStringLiteral("Updated & Copied"));
        QCOMPARE(find<QPushButton>(QStringLiteral("copyButton"))->text(), QStringLiteral("Copied"));
        QTRY_COMPARE_WITH_TIMEOUT(regenerate->text(), QStringLiteral("Regenerate"), 4000);
        QCOMPARE(find<QPushButton>(QStringLiteral("copyButton"))->text(), QStringLiteral("Copy"));
    }

    void sidebarMenuPinsUnpinsRemovesAndReveals()
    {
        MainContainerView& window = openWindow();
        chooseFolder(m_other->root());
        chooseFolder(m_project->root());
        QTRY_COMPARE(sidebarTexts(), (QStringList{QStringLiteral("Projects"), QStringLiteral("--"),
                                                  QStringLiteral("app"), QStringLiteral("app")}));

        const RecentFolder other = *record(m_other->root());
        {
            std::unique_ptr<QMenu> menu(window.sidebar()->buildContextMenu(other));
            QStringList texts;
            for (QAction* action : menu->actions())
                texts << (action->isSeparator() ? QStringLiteral("--")
                                                : QString(action->text()).remove(u'&'));
            QCOMPARE(texts, (QStringList{QStringLiteral("Show in File Manager"), QStringLiteral("--"),
                                         QStringLiteral("Pin"), QStringLiteral("Assign Tag..."),
                                         QStringLiteral("Remove")}));
        }
        triggerMenuItem(other, QStringLiteral("Show in File Manager"));
        QCOMPARE(m_fileManager.revealed, QStringList{m_other->root()});

        triggerMenuItem(other, QStringLiteral("Pin"));
        QVERIFY(record(m_other->root())->isPinned);
        QTRY_COMPARE(sidebarTexts(),
                     (QStringList{QStringLiteral("Projects"), QStringLiteral("Pinned"),
                                  QStringLiteral("app"), QStringLiteral("--"),
                                  QStringLiteral("Recents"), QStringLiteral("app")}));
        const QListWidget* list = window.sidebar()->list();
        QCOMPARE(window.sidebar()->projectAt(2)->id, other.id);
        QCOMPARE(window.sidebar()->rowOf(record(m_project->root())->id), list->count() - 1);

        triggerMenuItem(*record(m_other->root()), QStringLiteral("Unpin"));
        QVERIFY(!record(m_other->root())->isPinned);
        QTRY_COMPARE(sidebarTexts().size(), 4);

        // Removing the open project's record keeps the folder open.
        triggerMenuItem(*record(m_project->root()), QStringLiteral("Remove"));
        QVERIFY(!record(m_project->root()));
        QCOMPARE(window.store().accessibleURL(), std::optional<QString>(m_project->root()));
        QTRY_COMPARE(sidebarTexts().size(), 3);
        QCOMPARE(window.viewMode(), ViewMode::plexor);
    }

    void clickingASidebarRowOpensItInTheSameEngine()
    {
        MainContainerView& window = openWindow();
        chooseFolder(m_other->root());
        chooseFolder(m_project->root());
        PlexorViewModel* before = &engine();
        engine().setFileTypeEnabled(QStringLiteral(".c"), false);

        QListWidget* list = window.sidebar()->list();
        QTRY_VERIFY(window.sidebar()->rowOf(record(m_other->root())->id) >= 0);
        const int row = window.sidebar()->rowOf(record(m_other->root())->id);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
        QCOMPARE(window.store().accessibleURL(), std::optional<QString>(m_other->root()));
        QCOMPARE(&engine(), before);
        QVERIFY(!engine().isFileTypeEnabled(QStringLiteral(".c")));
        QCOMPARE(workView()->inputView()->fileTreeModel()->index(0, 0).data().toString(),
                 QStringLiteral("lib"));
        QTRY_COMPARE(window.sidebar()->highlightedProjects(),
                     QList<QUuid>{record(m_other->root())->id});

        // The keyboard opens the current row as well.
        const int projectRow = window.sidebar()->rowOf(record(m_project->root())->id);
        list->setFocus();
        list->setCurrentRow(projectRow, QItemSelectionModel::NoUpdate);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(window.store().accessibleURL(), std::optional<QString>(m_project->root()));
    }

    void projectsScreenDiscardsTheWorkView()
    {
        MainContainerView& window = openWindow();
        chooseFolder(m_project->root());
        const QString mainC = m_project->path(QStringLiteral("src/main.c"));
        clickRow(mainC);
        click(find<QPushButton>(QStringLiteral("generateButton")));
        click(find<QPushButton>(QStringLiteral("backButton")));
        // Unsaved: README.md is ticked and src closed after the last save.
        clickRow(m_project->path(QStringLiteral("README.md")));
        workView()->inputView()->fileTree()->collapse(
            treeIndex(m_project->path(QStringLiteral("src"))));

        click(window.modePicker()->segment(0));
        QCOMPARE(window.viewMode(), ViewMode::projects);
        QVERIFY(!window.workView());
        click(window.modePicker()->segment(1));
        QVERIFY(window.workView());
        QCOMPARE(window.viewMode(), ViewMode::plexor);
        const QList<FileItem*> selected = engine().collectSelectedItems();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected.first()->path(), mainC);
        // The tree shows the stored expansion.
        QTreeView* tree = workView()->inputView()->fileTree();
        QVERIFY(tree->isExpanded(treeIndex(m_project->path(QStringLiteral("src")))));
    }

    void droppingTwoFoldersOpensTheFirst()
    {
        MainContainerView& window = openWindow();
        QMimeData data;
        data.setUrls(
            {QUrl::fromLocalFile(m_other->root() + u'/'), QUrl::fromLocalFile(m_project->root())});
        QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&window, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&window, &drop);
        QVERIFY(drop.isAccepted());

        QTRY_COMPARE(window.viewMode(), ViewMode::plexor);
        QCOMPARE(window.store().accessibleURL(), std::optional<QString>(m_other->root()));
        QCOMPARE(window.store().recentFolders().size(), 1);
        QVERIFY(record(m_other->root()));

        // A drop without local files does nothing.
        QMimeData web;
        web.setUrls({QUrl(QStringLiteral("https://example.org/app"))});
        window.handleDroppedItems(web.urls());
        QTest::qWait(10);
        QCOMPARE(window.store().accessibleURL(), std::optional<QString>(m_other->root()));
    }

    void aRestartRestoresTheLastGeneratedFolder()
    {
        openWindow();
        chooseFolder(m_project->root());
        const QString mainC = m_project->path(QStringLiteral("src/main.c"));
        clickRow(mainC);
        click(find<QPushButton>(QStringLiteral("generateButton")));
        chooseFolder(m_other->root());
        m_window.reset();

        MainContainerView& window = openWindow();
        QCOMPARE(window.viewMode(), ViewMode::plexor);
        QCOMPARE(window.store().accessibleURL(), std::optional<QString>(m_project->root()));
        QCOMPARE(window.store().recentFolders().size(), 2);
        const QList<FileItem*> selected = engine().collectSelectedItems();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected.first()->path(), mainC);
        QTRY_COMPARE(window.sidebar()->highlightedProjects(),
                     QList<QUuid>{record(m_project->root())->id});
    }

    void clickingACardOpensTheProjectEvenWhenItsFolderIsGone()
    {
        MainContainerView& window = openWindow();
        chooseFolder(m_other->root());
        chooseFolder(m_project->root());
        const QUuid otherId = record(m_other->root())->id;
        const QUuid projectId = record(m_project->root())->id;
        const QString otherRoot = m_other->root();

        window.setViewMode(ViewMode::projects);
        QCOMPARE(window.detailArea()->currentWidget(), window.projectsScreen());
        QTRY_VERIFY(libraryCard(otherId));
        QTest::mouseClick(libraryCard(otherId), Qt::LeftButton);
        QCOMPARE(window.viewMode(), ViewMode::plexor);
        QCOMPARE(window.store().accessibleURL(), std::optional<QString>(otherRoot));
        QCOMPARE(workView()->inputView()->fileTreeModel()->index(0, 0).data().toString(),
                 QStringLiteral("lib"));

        // The project's folder disappears: its card still switches to the main tab, where the
        // folder opened before stays open.
        m_project.reset();
        window.setViewMode(ViewMode::projects);
        QTRY_VERIFY(libraryCard(projectId));
        QTest::mouseClick(libraryCard(projectId), Qt::LeftButton);
        QCOMPARE(window.viewMode(), ViewMode::plexor);
        QCOMPARE(window.modePicker()->currentIndex(), 1);
        QCOMPARE(window.store().accessibleURL(), std::optional<QString>(otherRoot));
    }

    void theLibrarySortModeFollowsTheWindow()
    {
        MainContainerView& window = openWindow();
        QSignalSpy changes(&window, &MainContainerView::projectSortModeChanged);
        window.projectsScreen()->setSortMode(ProjectSortMode::tags);
        QCOMPARE(window.projectSortMode(), ProjectSortMode::tags);
        window.setProjectSortMode(ProjectSortMode::recent);
        QCOMPARE(window.projectsScreen()->sortMode(), ProjectSortMode::recent);
        QCOMPARE(changes.size(), 2);
    }

    void removingATagFallsBackToThePathTag_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("fallback");
        QTest::newRow("under a Coding folder")
            << QStringLiteral("Coding/web/site") << QStringLiteral("#web");
        QTest::newRow("elsewhere")
            << QStringLiteral("plain/site") << QStringLiteral("#uncategorized");
    }

    void removingATagFallsBackToThePathTag()
    {
        QFETCH(QString, folder);
        QFETCH(QString, fallback);
        QVERIFY(m_project->add(folder + QStringLiteral("/index.html"), "<p>hi</p>\n"));
        const QString root = m_project->path(folder);
        MainContainerView& window = openWindow();
        chooseFolder(root);
        const RecentFolder project = *record(root);
        window.store().applyTag(project, QStringLiteral("client"), QStringLiteral("#3366CC"));
        QTRY_COMPARE(sidebarRow(project.id) ? sidebarRow(project.id)->tagText() : QString(),
                     QStringLiteral("#client"));

        triggerMenuItem(*record(root), QStringLiteral("Assign Tag..."));
        TagSelectionView* sheet = window.tagSheet();
        QVERIFY(sheet);
        QVERIFY(sheet->isVisible());
        QCOMPARE(sheet->windowModality(), Qt::WindowModal);
        QCOMPARE(window.folderForTagging()->id, project.id);
        QCOMPARE(sheet->selectedTag(), QStringLiteral("client"));
        QCOMPARE(sheet->customColor(), QColor(QStringLiteral("#3366CC")));

        auto* remove = sheet->findChild<QPushButton*>(QStringLiteral("removeTagButton"));
        QVERIFY(remove);
        click(remove);
        QVERIFY(!window.folderForTagging());
        QVERIFY(!window.tagSheet());
        QVERIFY(!record(root)->manualTag.value_or(QString()).size());
        QVERIFY(!record(root)->customColorHex);
        QTRY_COMPARE(sidebarRow(project.id) ? sidebarRow(project.id)->tagText() : QString(),
                     fallback);
    }

    void cancellingTheTagSheetChangesNothing()
    {
        MainContainerView& window = openWindow();
        chooseFolder(m_project->root());
        const RecentFolder project = *record(m_project->root());
        window.setViewMode(ViewMode::projects);
        // The library's menu opens the same sheet.
        std::unique_ptr<ProjectContextMenu> menu(
            window.projectsScreen()->createContextMenu(project, nullptr));
        menu->assignTagAction()->trigger();
        QVERIFY(window.tagSheet());
        QCOMPARE(window.folderForTagging()->id, project.id);
        QCOMPARE(window.tagSheet()->selectedTag(), QString());
        click(window.tagSheet()->findChild<QPushButton*>(QStringLiteral("cancelButton")));
        QVERIFY(!window.folderForTagging());
        QVERIFY(!window.tagSheet());
        QCOMPARE(record(m_project->root())->manualTag, project.manualTag);
        QCOMPARE(window.viewMode(), ViewMode::projects);
    }

    void tagsAndColoursSurviveARestart()
    {
        MainContainerView& window = openWindow();
        chooseFolder(m_other->root());
        chooseFolder(m_project->root());
        triggerMenuItem(*record(m_other->root()), QStringLiteral("Assign Tag..."));
        TagSelectionView* sheet = window.tagSheet();
        QVERIFY(sheet);
        sheet->setColorChooser([](const QColor&, QWidget*) -> std::optional<QColor> {
            return QColor(QStringLiteral("#22AA55"));
        });
        QLineEdit* name = sheet->findChild<QLineEdit*>(QStringLiteral("customTagField"));
        QVERIFY(name);
        QTest::keyClicks(name, QStringLiteral("backend"));
        click(sheet->findChild<QAbstractButton*>(QStringLiteral("tagColorButton")));
        click(sheet->findChild<QPushButton*>(QStringLiteral("saveButton")));
        QVERIFY(!window.tagSheet());
        QCOMPARE(record(m_other->root())->manualTag,
                 std::optional<QString>(QStringLiteral("backend")));
        QCOMPARE(record(m_other->root())->customColorHex.value_or(QString()).toUpper(),
                 QStringLiteral("#22AA55"));
        const QUuid otherId = record(m_other->root())->id;
        m_window.reset();

        openWindow();
        QCOMPARE(record(m_other->root())->manualTag,
                 std::optional<QString>(QStringLiteral("backend")));
        QCOMPARE(record(m_other->root())->customColorHex.value_or(QString()).toUpper(),
                 QStringLiteral("#22AA55"));
        QTRY_VERIFY(sidebarRow(otherId));
        QCOMPARE(sidebarRow(otherId)->tagText(), QStringLiteral("#backend"));
        QCOMPARE(sidebarRow(otherId)->projectColor().rgb(), QColor(0x22, 0xAA, 0x55).rgb());
    }

    void theShortcutGeneratesOnlyOnTheMainTab()
    {
        MainContainerView& window = openWindow();
        chooseFolder(m_project->root());
        clickRow(m_project->path(QStringLiteral("README.md")));
        click(find<QPushButton>(QStringLiteral("generateButton")));
        click(window.modePicker()->segment(0));
        m_clipboard.calls.clear();

        NotificationCenter::defaultCenter().post(
            QString(Notifications::triggerGenerateFromShortcut));
        QCOMPARE(window.viewMode(), ViewMode::projects);
        QVERIFY(m_clipboard.calls.isEmpty());

        click(window.modePicker()->segment(1));
        // The new work view rebuilt the selection from the record.
        NotificationCenter::defaultCenter().post(
            QString(Notifications::triggerGenerateFromShortcut));
        QCOMPARE(window.viewMode(), ViewMode::preview);
        QCOMPARE(window.modePicker()->currentIndex(), 2);
        QCOMPARE(lastCopied(m_clipboard),
                 expectedText(PlexorViewModel::defaultPrefixText(), QStringLiteral("app/README.md"),
                              QStringLiteral("# App\n"), PlexorViewModel::defaultSuffixText()));
        QCOMPARE(find<QPushButton>(QStringLiteral("regenerateButton"))->text(),
                 QStringLiteral("Updated & Copied"));
        QCOMPARE(find<QPushButton>(QStringLiteral("copyButton"))->text(), QStringLiteral("Copied"));
    }

    void theSidebarCommandHidesAndShowsTheSidebar()
    {
        MainContainerView& window = openWindow();
        chooseFolder(m_project->root());
        QTRY_COMPARE(window.sidebar()->highlightedProjects().size(), 1);
        const int rows = window.sidebar()->list()->count();
        QAction* toggle = window.toggleSidebarAction();
        QCOMPARE(toggle->shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S));
        QVERIFY(toggle->isChecked());

        toggle->trigger();
        QVERIFY(!window.sidebar()->isVisible());
        toggle->trigger();
        QVERIFY(window.sidebar()->isVisible());
        QCOMPARE(window.sidebar()->list()->count(), rows);
        QCOMPARE(window.sidebar()->highlightedProjects().size(), 1);
    }

    void theApplicationEntryBuildsTheMenus()
    {
        VantorApp::configureApplication();
        QCOMPARE(QApplication::applicationName(), QStringLiteral("Code Plexor"));
        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("org.codeplexor.CodePlexor"));
        QVERIFY(!QApplication::windowIcon().isNull());

        VantorApp app(*m_preferences, m_clipboard, m_chooser);
        QCOMPARE(app.quitAction()->shortcut(), QKeySequence(QKeySequence::Quit));
        QCOMPARE(app.quitAction()->menuRole(), QAction::QuitRole);
        QVERIFY(app.fileMenu()->actions().contains(app.quitAction()));
        QVERIFY(app.viewMenu()->actions().contains(app.mainWindow().toggleSidebarAction()));
        QStringList menus;
        for (QAction* action : app.mainWindow().menuBar()->actions())
            menus << action->text();
        QCOMPARE(menus, (QStringList{QStringLiteral("&File"), QStringLiteral("&View"),
                                     QStringLiteral("&Help")}));

        app.show();
        QVERIFY(QTest::qWaitForWindowExposed(&app.mainWindow()));
        QCOMPARE(app.mainWindow().viewMode(), ViewMode::projects);
        // The sidebar command works from the keyboard.
        QTest::keyClick(&app.mainWindow(), Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
        QVERIFY(!app.mainWindow().sidebar()->isVisible());
        QVERIFY(!app.mainWindow().toggleSidebarAction()->isChecked());
    }

    void everyMenuItemHasItsOwnAccessLetter()
    {
        VantorApp app(*m_preferences, m_clipboard, m_chooser,
                      QStringLiteral("https://x.invalid/f"));
        openWindow();
        chooseFolder(m_project->root());
        RecentFolder project = *record(m_project->root());
        std::unique_ptr<QMenu> rowMenu(m_window->sidebar()->buildContextMenu(project));
        project.isPinned = true;
        std::unique_ptr<QMenu> pinnedMenu(m_window->sidebar()->buildContextMenu(project));
        TagSelectionView sheet(QString(), std::nullopt, CustomTagManager::shared());
        std::unique_ptr<QMenu> chipMenu(sheet.createChipMenu(QStringLiteral("mine")));

        PlexorInputView* input = m_window->workView()->inputView();
        const QModelIndex folderRow = treeIndex(m_project->path(QStringLiteral("src")));
        QVERIFY(folderRow.isValid());
        std::unique_ptr<QMenu> treeMenu(input->fileTreeActions()->menuFor(folderRow));
        QList<QMenu*> menus{rowMenu.get(), pinnedMenu.get(), chipMenu.get(), treeMenu.get()};
        for (QAction* action : app.mainWindow().menuBar()->actions())
            menus << action->menu();
        for (QMenu* menu : std::as_const(menus)) {
            QSet<QChar> letters;
            for (QAction* action : menu->actions()) {
                if (action->isSeparator())
                    continue;
                const QString text = action->text();
                const qsizetype marker = text.indexOf(u'&');
                QVERIFY2(marker >= 0 && marker + 1 < text.size(), qPrintable(text));
                const QChar letter = text.at(marker + 1).toLower();
                QVERIFY2(!letters.contains(letter), qPrintable(text));
                letters.insert(letter);
            }
        }
    }

    // Checked through the interface assistive tools read. Buttons the application draws show
    // their text as it stands, "&" included; others have at least a name (icon-only ones too).
    void everyControlIsNamedAsItReads()
    {
        MainContainerView& window = openWindow();
        chooseFolder(m_project->root());
        window.setViewMode(ViewMode::preview);
        click(find<QPushButton>(QStringLiteral("regenerateButton")));
        QCOMPARE(find<QPushButton>(QStringLiteral("regenerateButton"))->text(),
                 QStringLiteral("Updated & Copied"));
        for (ViewMode mode : {ViewMode::preview, ViewMode::plexor}) {
            window.setViewMode(mode);
            for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
                if (!button->isVisible())
                    continue;
                const QString name =
                    QAccessible::queryAccessibleInterface(button)->text(QAccessible::Name);
                QVERIFY2(!name.isEmpty(), qPrintable(button->objectName()));
                if (qobject_cast<TintedButton*>(button) && !button->text().isEmpty())
                    QCOMPARE(name, button->text());
            }
        }
        QVERIFY(!find<LargeTextEdit>(QStringLiteral("previewEditor"))->accessibleName().isEmpty());
        window.setViewMode(ViewMode::plexor);
        QVERIFY(!find<QPlainTextEdit>(QStringLiteral("prefixEditor"))->accessibleName().isEmpty());
        QVERIFY(!find<QTreeView>(QStringLiteral("fileTree"))->accessibleName().isEmpty());
    }

    void longSidebarRowsEndInAnEllipsis()
    {
        MainContainerView& window = openWindow();
        QTemporaryDir parent;
        const QString folder = parent.filePath(
            QStringLiteral("a-project-folder-whose-name-is-much-wider-than-any-sidebar"));
        QVERIFY(QDir().mkpath(folder));
        chooseFolder(folder);
        QVERIFY(record(folder));
        const RecentFolder project = *record(folder);
        const QString tag = QStringLiteral("a-tag-that-is-also-far-too-long-for-the-row");
        window.store().applyTag(project, tag, QStringLiteral("#FF9500"));
        QListWidget* list = window.sidebar()->list();
        QTRY_VERIFY(sidebarRow(project.id) && sidebarRow(project.id)->tagText().contains(tag));
        QCoreApplication::processEvents();

        SidebarRow* row = sidebarRow(project.id);
        QCOMPARE(list->horizontalScrollBar()->maximum(), 0);
        QVERIFY(row->mapTo(list->viewport(), QPoint(row->width(), 0)).x() <=
                list->viewport()->width());
        for (QWidget* part : row->findChildren<QWidget*>()) {
            if (part->isVisible())
                QVERIFY2(part->geometry().right() < row->width(), qPrintable(part->objectName()));
        }
        QVERIFY(row->findChild<ElidedLabel*>(QStringLiteral("projectName"))->isElided());
        QVERIFY(row->findChild<ElidedLabel*>(QStringLiteral("projectPath"))->isElided());
        // The whole texts are in the row's tooltip.
        const QString tip = list->item(window.sidebar()->rowOf(project.id))->toolTip();
        for (const QString& whole : QStringList{ProjectLibrary::displayName(project), u'#' + tag,
                                                ProjectLibrary::displayPath(project)})
            QVERIFY2(tip.contains(whole), qPrintable(tip));
    }

    void tabFollowsEveryScreenTopToBottom()
    {
        MainContainerView& window = openWindow();
        // Tall enough that every screen shows whole.
        window.resize(1000, 1400);
        chooseFolder(m_other->root());
        chooseFolder(m_project->root());
        for (ViewMode mode : {ViewMode::projects, ViewMode::plexor, ViewMode::preview}) {
            window.setViewMode(mode);
            QCoreApplication::processEvents();
            QWidget* screen = mode == ViewMode::projects
                                  ? static_cast<QWidget*>(window.projectsScreen())
                              : mode == ViewMode::plexor
                                  ? static_cast<QWidget*>(window.workView()->inputView())
                                  : static_cast<QWidget*>(window.workView()->previewView());
            const QStringList problems = tabOrderProblems(screen);
            QVERIFY2(problems.isEmpty(), qPrintable(rawValue(mode) + u": " + problems.join(u"; ")));
        }
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

#include "engine/TestEngine.h"
#include "engine/TestTree.h"

#include "engine/Notifications.h"
#include "engine/PlexorWorkView.h"
#include "engine/TokenEncoding.h"
#include "model/PreferenceKeys.h"
#include "platform/FileManager.h"
#include "platform/NotificationCenter.h"
#include "ui/Badge.h"
#include "ui/ElidedLabel.h"
#include "ui/FileTreeActions.h"
#include "ui/FileTreeModel.h"
#include "ui/PlexorInputView.h"
#include "ui/PlexorPreviewView.h"
#include "ui/TintedButton.h"
#include "ui/TokenCountText.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTreeView>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// The model's index of the node at `path`, searched through the model itself.
QModelIndex findIndex(const QAbstractItemModel& model, const QString& path,
                      const QModelIndex& parent = {})
{
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex index = model.index(row, 0, parent);
        const QString here = index.data(FileTreeModel::PathRole).toString();
        if (here == path)
            return index;
        if (path.startsWith(here + u'/'))
            return findIndex(model, path, index);
    }
    return {};
}

using PathSet = QSet<QString>;

PathSet selectedPaths(const PlexorViewModel& engine)
{
    PathSet paths;
    for (const FileItem* item : engine.collectSelectedItems())
        paths << item->path();
    return paths;
}

void postShortcut()
{
    NotificationCenter::defaultCenter().post(QString(Notifications::triggerGenerateFromShortcut));
}

class FakeFileManager : public FileManager {
public:
    QStringList revealed;
    void revealFolder(const QString& folderPath) override { revealed << folderPath; }
};

} // namespace

class TestInputView : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEngine> m_rig;
    std::unique_ptr<TestTree> m_tree;
    std::unique_ptr<PlexorViewModel> m_engine;
    std::unique_ptr<PlexorInputView> m_view;
    // The screen that holds the input view and the preview, over a project of its own.
    std::unique_ptr<TestTree> m_first;
    std::unique_ptr<PlexorWorkView> m_work;

    void makeWorkView()
    {
        m_first = std::make_unique<TestTree>();
        QVERIFY(m_first->add(u"one.c"_s, "1\n"));
        QVERIFY(m_first->add(u"dir/two.c"_s, "2\n"));
        m_work = std::make_unique<PlexorWorkView>(m_rig->store.preferences, m_rig->clipboard);
    }

    const FileItem* node(const QString& relative) const
    {
        return findNode(m_work->viewModel().files(), m_first->root(), relative);
    }

    template <typename T = TintedButton>
    T* find(const QString& name) const
    {
        return m_view->findChild<T*>(name);
    }

    // Shows `widget` (the input view unless given) and waits for it on the screen.
    void show(QWidget* widget = nullptr)
    {
        widget = widget ? widget : m_view.get();
        widget->resize(900, 900);
        widget->show();
        QVERIFY(QTest::qWaitForWindowExposed(widget));
    }

    QModelIndex topRow(const QString& name) const
    {
        return findIndex(*m_view->fileTreeModel(), m_tree->path(name));
    }

    QStringList selectedNames() const
    {
        QStringList names;
        for (const FileItem* node : m_engine->collectSelectedItems())
            names.append(node->name());
        names.sort();
        return names;
    }

private Q_SLOTS:
    void init()
    {
        m_rig = std::make_unique<TestEngine>();
        m_tree = std::make_unique<TestTree>();
        QVERIFY(m_tree->addAll(pathList("a.md,lib/b.py,lib/inner/c.py")));
        m_engine = m_rig->make();
        m_view = std::make_unique<PlexorInputView>(*m_engine);
    }

    void cleanup()
    {
        m_work.reset();
        m_first.reset();
        m_view.reset();
        m_engine.reset();
        m_tree.reset();
        m_rig.reset();
    }

    // The header names the folder (or its absence), its tag and its shortened path, and reveals
    // the folder in the file manager.
    void header()
    {
        FakeFileManager fileManager;
        FileManager::setCurrent(&fileManager);
        const auto restore = qScopeGuard([] { FileManager::setCurrent(nullptr); });
        const auto shown = [this] {
            return QStringList{find<ElidedLabel>(u"titleLabel"_s)->text(),
                               find<Badge>(u"tagChip"_s)->text(),
                               find<ElidedLabel>(u"folderPathLabel"_s)->text()};
        };
        TintedButton* reveal = find(u"showInFinderButton"_s);
        m_view->setFolder(std::nullopt, QString());
        QCOMPARE(shown(),
                 (QStringList{u"Code Plexor"_s, u"#uncategorized"_s, u"No folder selected"_s}));
        QVERIFY(!reveal->isEnabled());
        const QString app = u"/cloud/Coding/swift/app"_s;
        m_view->setFolder(app, u".../swift/app"_s);
        QCOMPARE(shown(), (QStringList{u"app"_s, u"#swift"_s, u".../swift/app"_s}));
        reveal->click();
        QCOMPARE(fileManager.revealed, QStringList{app});
    }

    void fileTypeButtonsAreSortedAndFollowTheEngine()
    {
        QStringList texts;
        for (auto* child : find<QWidget>(u"fileTypeButtons"_s)
                               ->findChildren<TintedButton*>(Qt::FindDirectChildrenOnly))
            texts << child->text();
        QStringList expected;
        for (const FileTypeSwitch& type : PlexorViewModel::defaultFileTypes())
            expected << type.extension;
        expected.sort();
        QCOMPARE(texts, QStringList{u"All"_s} + expected);
        QVERIFY(!find(u"fileType:.txt"_s)->isChecked());
        QVERIFY(find(u"fileType:.md"_s)->isChecked());
        // A new extension in the engine gets a button; switches set there show.
        m_engine->setFileTypeEnabled(u".rs"_s, true);
        QVERIFY(find(u"fileType:.rs"_s)->isChecked());
        m_engine->setShowAllFiles(true);
        QVERIFY(find(u"fileTypeAll"_s)->isChecked());
    }

    // However a switch is worked, it is set, then the state is saved, then the folder rescanned
    // (the work view's test clicks the file types and the refresh button).
    void switchesSaveThenRescan()
    {
        // The switches as they stood when the state was saved.
        QStringList events;
        connect(m_view.get(), &PlexorInputView::saveStateRequested, this, [&] {
            events << u"save .md=%1 all=%2 git=%3"_s.arg(m_engine->isFileTypeEnabled(u".md"_s))
                          .arg(m_engine->showAllFiles())
                          .arg(m_engine->respectGitignore());
        });
        connect(m_view.get(), &PlexorInputView::refreshRequested, this,
                [&events] { events << u"refresh"_s; });
        show();
        m_engine->loadFiles(m_tree->root());
        QAccessible::queryAccessibleInterface(find(u"fileTypeAll"_s))
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::toggleAction());
        QCOMPARE(events, (QStringList{u"save .md=1 all=1 git=0"_s, u"refresh"_s}));
        auto* gitignore = find<QAbstractButton>(u"respectGitignoreSwitch"_s);
        gitignore->setFocus();
        QTest::keyClick(gitignore, Qt::Key_Space);
        QCOMPARE(events.mid(2), (QStringList{u"save .md=1 all=1 git=1"_s, u"refresh"_s}));
    }

    void editors_data()
    {
        QTest::addColumn<QString>("part");
        QTest::addColumn<QString>("key");
        QTest::newRow("prefix") << u"prefix"_s << QString(PreferenceKeys::savedPrefixText);
        QTest::newRow("suffix") << u"suffix"_s << QString(PreferenceKeys::savedSuffixText);
    }

    // Every keystroke is stored with the exact text; a text set in the engine is shown without
    // being stored again; reset stores the standard text.
    void editors()
    {
        QFETCH(QString, part);
        QFETCH(QString, key);
        const bool prefix = part == u"prefix";
        // No-break spaces, CR LF, a line separator, a tab and a trailing newline, as stored.
        m_rig->store.preferences.setText(key, u"a\u00a0b\r\nc\u2028d\te\r\n"_s);
        m_engine->loadSavedTexts();
        show();
        auto* editor = find<QPlainTextEdit>(part + u"Editor"_s);
        auto* saved = find<QLabel>(part + u"SavedLabel"_s);
        TintedButton* reset = find(part + u"ResetButton"_s);
        QVERIFY(!saved->isVisible());
        editor->setFocus();
        editor->moveCursor(QTextCursor::Start);
        editor->moveCursor(QTextCursor::NextCharacter);
        QTest::keyClick(editor, Qt::Key_X);
        const QString expected = u"ax\u00a0b\r\nc\u2028d\te\r\n"_s;
        QCOMPARE(m_rig->store.preferences.text(key), std::optional(expected));
        QCOMPARE(prefix ? m_engine->prefixText() : m_engine->suffixText(), expected);
        QCOMPARE(editor->textCursor().position(), 2);
        QVERIFY(saved->isVisible());
        QVERIFY(!reset->isVisible());
        QVERIFY(!find<QLabel>((prefix ? u"suffix"_s : u"prefix"_s) + u"SavedLabel"_s)->isVisible());

        prefix ? m_engine->setPrefixText(u"Bye"_s) : m_engine->setSuffixText(u"Bye"_s);
        QCOMPARE(editor->toPlainText(), u"Bye"_s);
        QCOMPARE(m_rig->store.preferences.text(key), std::optional(expected));
        reset->click();
        const QString standard =
            prefix ? PlexorViewModel::defaultPrefixText() : PlexorViewModel::defaultSuffixText();
        QCOMPARE(editor->toPlainText(), standard);
        QCOMPARE(m_rig->store.preferences.text(key), std::optional(standard));
    }

    // The tree's model over a tree of its own, beside the screen's.
    void treeModelFollowsScansExpansionSelectionAndRescans()
    {
        TestTree tree;
        QVERIFY(tree.addAll(pathList("README.md,src/main.c,src/util/strings.h,"
                                     "src/util/strings.c,docs/a.md,notes.txt")));
        FileTreeModel model(*m_engine);
        const auto find = [&model, &tree](const char* relative) {
            return findIndex(model, tree.path(QString::fromUtf8(relative)));
        };
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        m_engine->loadFiles(tree.root(), tree.paths({u"src/main.c"_s}), tree.paths({u"src"_s}));
        QCOMPARE(resets.size(), 1);
        // README.md, docs, src at the top (notes.txt is switched off).
        QCOMPARE(model.rowCount(), 3);

        const QModelIndex src = find("src");
        QCOMPARE(model.rowCount(src), 2);
        QCOMPARE(src.data(FileTreeModel::ExpandedRole).toBool(), true);
        QCOMPARE(src.data(FileTreeModel::IsFolderRole).toBool(), true);
        const QModelIndex util = find("src/util");

        const QModelIndex mainC = find("src/main.c");
        QCOMPARE(mainC.data(FileTreeModel::SelectedRole).toBool(), true);

        // Opening a folder in the engine is announced for that row.
        QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
        QSignalSpy expansions(&model, &FileTreeModel::expansionChanged);
        m_engine->setExpanded(model.node(util), true);
        m_engine->setExpanded(model.node(util), true);
        QCOMPARE(changes.size(), 1);
        QCOMPARE(changes.first().at(0).toModelIndex(), util);
        QCOMPARE(expansions.size(), 1);
        QCOMPARE(expansions.first().at(1).toBool(), true);
        QCOMPARE(util.data(FileTreeModel::ExpandedRole).toBool(), true);

        // A rescan without saved sets: a new tree, nothing selected or open.
        m_engine->loadFiles(tree.root());
        QCOMPARE(resets.size(), 2);
        QCOMPARE(find("src").data(FileTreeModel::ExpandedRole).toBool(), false);
        QCOMPARE(find("src/main.c").data(FileTreeModel::SelectedRole).toBool(), false);

        // A tick is announced for its row alone, once; so is a change made in the engine.
        const QModelIndex strings = find("src/util/strings.h");
        const QModelIndex docs = find("docs");
        changes.clear();
        QVERIFY(model.setData(strings, true, FileTreeModel::SelectedRole));
        QVERIFY(model.setData(strings, true, FileTreeModel::SelectedRole));
        QCOMPARE(changes.size(), 1);
        QCOMPARE(changes.first().at(0).toModelIndex(), strings);
        QVERIFY(m_engine->isSelected(model.node(strings)->id()));
        changes.clear();
        m_engine->setSelectedFiles({model.node(docs)->id()});
        QSet<QModelIndex> changed;
        for (const QList<QVariant>& change : std::as_const(changes))
            changed.insert(change.at(0).toModelIndex());
        QCOMPARE(changed, (QSet<QModelIndex>{strings, docs}));
        QCOMPARE(changes.size(), 2);
        QVERIFY(model.setData(docs, Qt::Unchecked, Qt::CheckStateRole));
        QVERIFY(m_engine->selectedFiles().isEmpty());
        QVERIFY(!model.setData(docs, true, Qt::DisplayRole));
    }

    // A folder row selects the folder alone; a second click clears it; other buttons do nothing;
    // Space toggles the current row.
    void clickingRowsTogglesOnlyThatNode()
    {
        show();
        m_engine->loadFiles(m_tree->root());
        QTreeView* view = m_view->fileTree();
        const QModelIndex lib = topRow(u"lib"_s);
        view->expand(lib);
        const QModelIndex b = findIndex(*m_view->fileTreeModel(), m_tree->path(u"lib/b.py"_s));
        const auto click = [view](const QModelIndex& index, Qt::MouseButton button) {
            QTest::mouseClick(view->viewport(), button, {}, view->visualRect(index).center());
        };
        click(lib, Qt::LeftButton);
        QCOMPARE(selectedNames(), QStringList{u"lib"_s});
        click(b, Qt::LeftButton);
        click(lib, Qt::LeftButton);
        click(lib, Qt::RightButton);
        QCOMPARE(selectedNames(), QStringList{u"b.py"_s});
        view->setFocus();
        view->setCurrentIndex(b);
        QTest::keyClick(view, Qt::Key_Space);
        QVERIFY(selectedNames().isEmpty());
        QTest::keyClick(view, Qt::Key_Space);
        QCOMPARE(selectedNames(), QStringList{u"b.py"_s});
    }

    // Saved expansion shows; the filter opens what it finds and gives the saved state back.
    void filterShowsFindsAndRestoresExpansion()
    {
        show();
        const QString inner = m_tree->path(u"lib/inner"_s);
        // Saved state: the inner folder open inside the closed outer one.
        m_engine->loadFiles(m_tree->root(), std::nullopt, QSet<QString>{inner});
        QTreeView* tree = m_view->fileTree();
        FileTreeModel* model = m_view->fileTreeModel();
        const QModelIndex closedLib = topRow(u"lib"_s);
        QVERIFY(!tree->isExpanded(closedLib));
        QVERIFY(tree->isExpanded(model->index(0, 0, closedLib)));
        QLineEdit* filter = m_view->treeFilter();
        QCOMPARE(filter->accessibleName(), filter->placeholderText());

        // Ctrl+F reaches the field from anywhere on the screen.
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(filter->hasFocus());
        QTest::keyClicks(filter, u"PY C"_s);
        QCOMPARE(model->rowCount(), 1);
        const QModelIndex libIndex = model->index(0, 0);
        const QModelIndex innerIndex = model->index(0, 0, libIndex);
        const QModelIndex file = model->index(0, 0, innerIndex);
        QCOMPARE(file.data(FileTreeModel::PathRole).toString(), m_tree->path(u"lib/inner/c.py"_s));
        QVERIFY(tree->isExpanded(libIndex));
        const FileItem* libNode = model->node(libIndex);
        // A tick while filtering is an ordinary tick; closing a folder is the filter's own.
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(file).center());
        tree->collapse(innerIndex);
        QVERIFY(model->node(innerIndex)->isExpanded());

        filter->setFocus();
        QTest::keyClick(filter, Qt::Key_Escape);
        QVERIFY(filter->text().isEmpty());
        QCOMPARE(model->rowCount(), 2);
        QCOMPARE(PlexorViewModel::collectExpandedPaths(m_engine->files()), QSet<QString>{inner});
        QVERIFY(!tree->isExpanded(model->indexOf(libNode)));
        QCOMPARE(selectedNames(), QStringList{u"c.py"_s});
    }

    void bulkSelectionCommands()
    {
        show();
        m_engine->loadFiles(m_tree->root());
        QTreeView* tree = m_view->fileTree();
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(selectedNames(), (QStringList{u"a.md"_s, u"b.py"_s, u"c.py"_s}));
        // With a filter, Deselect All clears only what it shows.
        m_view->treeFilter()->setText(u"inner"_s);
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(selectedNames(), (QStringList{u"a.md"_s, u"b.py"_s}));
        m_view->treeFilter()->clear();
        QTest::keyClick(tree, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(selectedNames().isEmpty());

        // A folder's menu works on the files inside it.
        const std::unique_ptr<QMenu> menu(m_view->fileTreeActions()->menuFor(topRow(u"lib"_s)));
        menu->actions().at(0)->trigger();
        QCOMPARE(selectedNames(), (QStringList{u"b.py"_s, u"c.py"_s}));
    }

    // What a screen reader invokes on a row does what a click does.
    void rowsAnswerAccessibilityActions()
    {
        show();
        m_engine->loadFiles(m_tree->root(), QSet<QString>{});
        QAccessibleInterface* treeInterface =
            QAccessible::queryAccessibleInterface(m_view->fileTree());
        QAccessibleInterface* row = nullptr;
        // The view lays its rows out on the next turn of the event loop.
        QTRY_VERIFY([&] {
            for (int i = 0; i < treeInterface->childCount(); ++i) {
                if (treeInterface->child(i)->text(QAccessible::Name) == u"a.md")
                    row = treeInterface->child(i);
            }
            return row != nullptr;
        }());
        const QString toggle = QAccessibleActionInterface::toggleAction();
        row->actionInterface()->doAction(toggle);
        QCOMPARE(selectedNames(), QStringList{u"a.md"_s});
        QVERIFY(row->state().checked);
        row->actionInterface()->doAction(toggle);
        QVERIFY(selectedNames().isEmpty());
    }

    // The work view: the input view and the preview over one engine.
    void tokenCountsReachTheScreens()
    {
        makeWorkView();
        m_work->setSavedPaths(m_first->paths(pathList("one.c,dir/two.c")),
                              m_first->paths({u"dir"_s}));
        m_work->setFolder(m_first->root(), m_first->root());
        show(m_work.get());
        PlexorInputView* input = m_work->inputView();
        // "1\n" is two tokens.
        QTRY_COMPARE(input->selectionSummary(), u"2 files \u00b7 4 tokens"_s);
        const FileTreeModel* model = input->fileTreeModel();
        for (const auto& node : m_work->viewModel().files()) {
            const QVariant tokens = model->indexOf(node.get()).data(FileTreeModel::TokenCountRole);
            QCOMPARE(tokens, node->isFolder() ? QVariant() : QVariant(qint64(2)));
        }

        // A changed file is counted again when the text is generated.
        QVERIFY(m_first->add(u"one.c"_s, "Here are the files of my project."));
        input->generate();
        QTRY_COMPARE(input->selectionSummary(), u"2 files \u00b7 10 tokens"_s);
        const qint64 whole =
            TokenEncoding::o200kBase().count(m_work->viewModel().generatedContent());
        QTRY_COMPARE(m_work->previewView()->shownTokens(), TokenCountText::full(whole));
        // A new text never shows the count of the one before.
        QVERIFY(m_first->add(u"one.c"_s, "changed"));
        input->generate();
        QCOMPARE(m_work->previewView()->shownTokens(), QString());
    }

    void aRescanKeepsTheSelectionAndOpenFoldersJustSaved()
    {
        makeWorkView();
        QVERIFY(m_first->add(u"dir/notes.txt"_s, "n\n"));
        m_work->setFolder(m_first->root(), m_first->root());
        show(m_work.get());
        PlexorViewModel& engine = m_work->viewModel();
        PlexorInputView* input = m_work->inputView();
        engine.toggleSelection(node(u"one.c"_s)->id());
        engine.toggleSelection(node(u"dir/two.c"_s)->id());
        input->fileTree()->expand(input->fileTreeModel()->indexOf(node(u"dir"_s)));
        QList<PathSet> saved;
        connect(m_work.get(), &PlexorWorkView::saveStateRequested, this,
                [&saved](const PathSet& selected, const PathSet&) { saved << selected; });
        const auto click = [input](const QString& name) {
            QTest::mouseClick(input->findChild<TintedButton*>(name), Qt::LeftButton);
        };

        // Adding a type rescans with what was just saved: ticks and the open folder stay.
        click(u"fileType:.txt"_s);
        const PathSet ticked = m_first->paths(pathList("one.c,dir/two.c"));
        QCOMPARE(saved, QList<PathSet>{ticked});
        QVERIFY(node(u"dir/notes.txt"_s));
        QCOMPARE(selectedPaths(engine), ticked);
        QVERIFY(node(u"dir"_s)->isExpanded());
        QVERIFY(input->fileTree()->isExpanded(input->fileTreeModel()->indexOf(node(u"dir"_s))));

        // Files now filtered out drop from the selection; the rest stays through a refresh.
        click(u"fileType:.c"_s);
        QVERIFY(selectedPaths(engine).isEmpty());
        engine.toggleSelection(node(u"dir/notes.txt"_s)->id());
        click(u"refreshFolderButton"_s);
        const PathSet notes = m_first->paths({u"dir/notes.txt"_s});
        QCOMPARE(saved.last(), notes);
        QCOMPARE(selectedPaths(engine), notes);
        QCOMPARE(PlexorViewModel::collectExpandedPaths(engine.files()), m_first->paths({u"dir"_s}));
    }

    // The shortcut stores the selection before it generates, then copies and shows the preview
    // (the window's test follows the labels and the record); without a folder it does nothing.
    void theShortcutSavesThenGeneratesAndShowsThePreview()
    {
        makeWorkView();
        show(m_work.get());
        PlexorViewModel& engine = m_work->viewModel();
        QStringList events;
        connect(m_work.get(), &PlexorWorkView::saveStateRequested, this,
                [&](const PathSet& selected, const PathSet&) {
                    events << u"save %1, no text %2"_s.arg(selected.size())
                                  .arg(engine.generatedContent().isEmpty());
                });
        connect(m_work.get(), &PlexorWorkView::generated, this,
                [&](const std::optional<QString>& url) { events << url.value_or(QString()); });
        postShortcut();
        QVERIFY(events.isEmpty() && m_rig->clipboard.calls.isEmpty());
        auto* generate = m_work->findChild<QPushButton*>(u"generateButton"_s);
        QVERIFY(!generate->isEnabled());

        m_work->setSavedPaths(m_first->paths({u"one.c"_s}), std::nullopt);
        m_work->setFolder(m_first->root(), m_first->root());
        QVERIFY(generate->isEnabled());
        postShortcut();
        QCOMPARE(events, (QStringList{u"save 1, no text 1"_s, m_first->root()}));
        QVERIFY(m_rig->clipboard.calls.last().contains(u"app/one.c"_s));
        auto* screens = m_work->findChild<QStackedWidget*>();
        QCOMPARE(screens->currentWidget(), m_work->previewView());
        // Back on the input screen, the engine keeps its text.
        m_work->setViewMode(ViewMode::plexor);
        QCOMPARE(screens->currentWidget(), m_work->inputView());
        QVERIFY(!engine.generatedContent().isEmpty());
    }
};

QTEST_MAIN(TestInputView)
#include "tst_input.moc"

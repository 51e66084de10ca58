#include "HostileTree.h"
#include "engine/FakeServices.h"
#include "engine/TestTree.h"

#include "engine/PlexorViewModel.h"
#include "model/PreferenceKeys.h"
#include "model/Preferences.h"
#include "platform/FileManager.h"
#include "tags/TagRules.h"
#include "ui/Badge.h"
#include "ui/ElidedLabel.h"
#include "ui/FileTreeActions.h"
#include "ui/FileTreeModel.h"
#include "ui/PlexorInputView.h"
#include "ui/Theme.h"
#include "ui/TintedButton.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTreeView>
#include <QtTest>

#include <memory>

namespace {

class FakeFileManager : public FileManager {
public:
    QStringList revealed;
    void revealFolder(const QString& folderPath) override { revealed << folderPath; }
};

} // namespace

class TestInputView : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_configDir;
    std::unique_ptr<Preferences> m_preferences;
    FakeClipboard m_clipboard;
    std::unique_ptr<TestTree> m_tree;
    std::unique_ptr<PlexorViewModel> m_engine;
    std::unique_ptr<PlexorInputView> m_view;
    // What happened, in order, as the host sees it.
    QStringList m_events;

    template <typename T>
    T* find(const QString& name) const
    {
        T* child = m_view->findChild<T*>(name);
        if (!child)
            qWarning("no child %s", qPrintable(name));
        return child;
    }

    void show()
    {
        m_view->resize(900, 900);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }

private Q_SLOTS:
    void init()
    {
        m_configDir = std::make_unique<QTemporaryDir>();
        m_preferences =
            std::make_unique<Preferences>(m_configDir->filePath(QStringLiteral("prefs.json")));
        m_tree = std::make_unique<TestTree>();
        QVERIFY(m_tree->add(QStringLiteral("a.md"), "A\n"));
        QVERIFY(m_tree->add(QStringLiteral("lib/b.py"), "B\n"));
        QVERIFY(m_tree->add(QStringLiteral("lib/inner/c.py"), "C\n"));
        m_engine = std::make_unique<PlexorViewModel>(*m_preferences, m_clipboard);
        m_view = std::make_unique<PlexorInputView>(*m_engine);
        m_events.clear();
        connect(m_view.get(), &PlexorInputView::saveStateRequested, this, [this] {
            m_events << QStringLiteral("save .md=%1")
                            .arg(m_engine->isFileTypeEnabled(QStringLiteral(".md")));
        });
        connect(m_view.get(), &PlexorInputView::refreshRequested, this,
                [this] { m_events << QStringLiteral("refresh"); });
        connect(m_view.get(), &PlexorInputView::generated, this,
                [this](const std::optional<QString>& url) {
                    m_events << QStringLiteral("generated ") + url.value_or(QStringLiteral("-"));
                });
        connect(m_view.get(), &PlexorInputView::viewModeRequested, this,
                [this](ViewMode mode) { m_events << QStringLiteral("mode ") + rawValue(mode); });
    }

    void cleanup()
    {
        m_view.reset();
        m_engine.reset();
        m_tree.reset();
        m_preferences.reset();
        m_configDir.reset();
    }

    void header_data()
    {
        QTest::addColumn<std::optional<QString>>("url");
        QTest::addColumn<QString>("folderPath");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("chip");
        QTest::addColumn<QString>("folderLine");

        QTest::newRow("no folder")
            << std::optional<QString>() << QString() << QStringLiteral("Code Plexor")
            << QStringLiteral("#uncategorized") << QStringLiteral("No folder selected");
        QTest::newRow("coding folder")
            << std::optional<QString>(QStringLiteral("/Users/a/Coding/Robots/arm"))
            << QStringLiteral("/Users/a/Coding/Robots/arm") << QStringLiteral("arm")
            << QStringLiteral("#Robots") << QStringLiteral("/Users/a/Coding/Robots/arm");
        QTest::newRow("shortened cloud path")
            << std::optional<QString>(QStringLiteral("/cloud/Coding/Swift/app"))
            << QStringLiteral(".../Swift/app") << QStringLiteral("app") << QStringLiteral("#Swift")
            << QStringLiteral(".../Swift/app");
        QTest::newRow("trailing slash")
            << std::optional<QString>(QStringLiteral("/home/u/tool/"))
            << QStringLiteral("/home/u/tool") << QStringLiteral("tool")
            << QStringLiteral("#uncategorized") << QStringLiteral("/home/u/tool");
    }

    void header()
    {
        QFETCH(std::optional<QString>, url);
        QFETCH(QString, folderPath);
        QFETCH(QString, title);
        QFETCH(QString, chip);
        QFETCH(QString, folderLine);

        m_view->setFolder(url, folderPath);
        QCOMPARE(find<QLabel>(QStringLiteral("titleLabel"))->text(), title);
        QCOMPARE(find<Badge>(QStringLiteral("tagChip"))->text(), chip);
        QCOMPARE(find<ElidedLabel>(QStringLiteral("folderPathLabel"))->text(), folderLine);
        QCOMPARE(find<TintedButton>(QStringLiteral("showInFinderButton"))->isEnabled(),
                 url.has_value());
    }

    void chipColours()
    {
        m_view->setFolder(std::nullopt, QString());
        const Badge* chip = find<Badge>(QStringLiteral("tagChip"));
        // Without a tag: the palette's secondary text colour at half opacity.
        QCOMPARE(chip->badgeStyle().color, Theme::withOpacity(Theme::secondaryText(), 0.5));
        QCOMPARE(chip->badgeStyle().backgroundOpacity, 0.15);
        m_view->setFolder(QStringLiteral("/p/Coding/swift/app"),
                          QStringLiteral("/p/Coding/swift/app"));
        QCOMPARE(chip->badgeStyle().color, TagRules::keywordColor(QStringLiteral("swift")));
    }

    void showInFinderRevealsTheFolder()
    {
        FakeFileManager fileManager;
        FileManager::setCurrent(&fileManager);
        show();
        m_view->setFolder(m_tree->root(), m_tree->root());
        QTest::mouseClick(find<TintedButton>(QStringLiteral("showInFinderButton")), Qt::LeftButton);
        FileManager::setCurrent(nullptr);
        QCOMPARE(fileManager.revealed, QStringList{m_tree->root()});
    }

    void typeSwitchesAreSortedAndSaveBeforeRefresh()
    {
        show();
        QWidget* buttons = find<QWidget>(QStringLiteral("fileTypeButtons"));
        QStringList texts;
        for (QWidget* child : buttons->findChildren<TintedButton*>(Qt::FindDirectChildrenOnly))
            texts << static_cast<TintedButton*>(child)->text();
        QStringList expected{QStringLiteral("All")};
        for (const FileTypeSwitch& type : PlexorViewModel::defaultFileTypes())
            expected << type.extension;
        std::sort(expected.begin() + 1, expected.end());
        QCOMPARE(texts, expected);
        QVERIFY(!find<TintedButton>(QStringLiteral("fileType:.txt"))->isChecked());
        QVERIFY(find<TintedButton>(QStringLiteral("fileType:.md"))->isChecked());

        // The switch is set before the state is saved, and the refresh comes last.
        QTest::mouseClick(find<TintedButton>(QStringLiteral("fileType:.md")), Qt::LeftButton);
        QCOMPARE(m_events, (QStringList{QStringLiteral("save .md=0"), QStringLiteral("refresh")}));
        QVERIFY(!find<TintedButton>(QStringLiteral("fileType:.md"))->isChecked());

        m_events.clear();
        QTest::mouseClick(find<TintedButton>(QStringLiteral("fileTypeAll")), Qt::LeftButton);
        QVERIFY(m_engine->showAllFiles());
        QCOMPARE(m_events, (QStringList{QStringLiteral("save .md=0"), QStringLiteral("refresh")}));

        m_events.clear();
        QTest::mouseClick(find<TintedButton>(QStringLiteral("refreshFolderButton")),
                          Qt::LeftButton);
        QCOMPARE(m_events, (QStringList{QStringLiteral("save .md=0"), QStringLiteral("refresh")}));

        // Switches changed in the engine show on the buttons; a new extension gets a button.
        m_engine->setShowAllFiles(false);
        QVERIFY(!find<TintedButton>(QStringLiteral("fileTypeAll"))->isChecked());
        m_engine->setFileTypeEnabled(QStringLiteral(".rs"), true);
        QVERIFY(find<TintedButton>(QStringLiteral("fileType:.rs"))->isChecked());
        // A keyboard press works like a click.
        m_events.clear();
        auto* rust = find<TintedButton>(QStringLiteral("fileType:.rs"));
        rust->setFocus();
        QTest::keyClick(rust, Qt::Key_Space);
        QVERIFY(!m_engine->isFileTypeEnabled(QStringLiteral(".rs")));
        QCOMPARE(m_events.size(), 2);
    }

    void generateRunsItsStepsInOrder()
    {
        show();
        m_view->setFolder(m_tree->root(), m_tree->root());
        m_engine->loadFiles(m_tree->root(), QSet<QString>{m_tree->path(QStringLiteral("a.md"))});
        connect(m_engine.get(), &PlexorViewModel::generatedContentChanged, this,
                [this] { m_events << QStringLiteral("content"); });
        connect(m_engine.get(), &PlexorViewModel::justCopiedChanged, this, [this](bool raised) {
            if (raised)
                m_events << QStringLiteral("copied ") + m_clipboard.calls.value(1).left(8);
        });
        QTest::mouseClick(find<TintedButton>(QStringLiteral("generateButton")), Qt::LeftButton);
        QCOMPARE(m_events, (QStringList{QStringLiteral("save .md=1"), QStringLiteral("content"),
                                        QStringLiteral("copied set:Here"),
                                        QStringLiteral("generated ") + m_tree->root(),
                                        QStringLiteral("mode Preview")}));
        QVERIFY(m_engine->generatedContent().contains(QStringLiteral("app/a.md")));

        // Without a folder the button is disabled and nothing happens, the clipboard included.
        m_events.clear();
        m_clipboard.calls.clear();
        m_view->setFolder(std::nullopt, QString());
        QVERIFY(!find<TintedButton>(QStringLiteral("generateButton"))->isEnabled());
        m_view->generate();
        QVERIFY(m_events.isEmpty());
        QVERIFY(m_clipboard.calls.isEmpty());
    }

    // Every odd kind of entry at once: the tree shows and every file it lists generates, with
    // nothing blocking on the FIFO or the socket.
    void hostileTreeShowsAndGenerates()
    {
        const HostileTree hostile;
        QVERIFY2(hostile.isValid(), qPrintable(hostile.error()));
        show();
        m_engine->setShowAllFiles(true);
        m_view->setFolder(hostile.root(), hostile.root());
        m_engine->loadFiles(hostile.root());
        QVERIFY(m_view->fileTreeModel()->rowCount() > 10);
        m_view->fileTreeActions()->selectAllAction()->trigger();
        QTest::mouseClick(find<TintedButton>(QStringLiteral("generateButton")), Qt::LeftButton);
        const QString text = m_engine->generatedContent();
        for (const QString& file : hostile.readableFiles())
            QVERIFY2(text.contains(QString::fromUtf8(HostileTree::content(file.toUtf8()))),
                     qPrintable(file));
        QVERIFY(m_clipboard.calls.join(u'\n').contains(QStringLiteral("<<plain.c>>")));
    }

    void prefixAndSuffixEditorsStoreEveryEdit()
    {
        show();
        auto* prefix = find<QPlainTextEdit>(QStringLiteral("prefixEditor"));
        auto* suffix = find<QPlainTextEdit>(QStringLiteral("suffixEditor"));
        QCOMPARE(prefix->toPlainText(), PlexorViewModel::defaultPrefixText());
        QCOMPARE(suffix->toPlainText(), PlexorViewModel::defaultSuffixText());

        prefix->setFocus();
        prefix->selectAll();
        QTest::keyClicks(prefix, QStringLiteral("Hi"));
        QCOMPARE(m_preferences->text(PreferenceKeys::savedPrefixText),
                 std::optional<QString>(QStringLiteral("Hi")));
        QVERIFY(m_engine->prefixJustSaved());
        QVERIFY(find<QLabel>(QStringLiteral("prefixSavedLabel"))->isVisible());
        // The suffix's marker is its own.
        QVERIFY(find<TintedButton>(QStringLiteral("suffixResetButton"))->isVisible());

        // A text set in the engine shows in the editor without being stored again.
        QSignalSpy saves(m_engine.get(), &PlexorViewModel::suffixJustSavedChanged);
        m_engine->setSuffixText(QStringLiteral("Bye"));
        QCOMPARE(suffix->toPlainText(), QStringLiteral("Bye"));
        QVERIFY(saves.isEmpty());
        QVERIFY(!m_preferences->text(PreferenceKeys::savedSuffixText));

        QTest::mouseClick(find<TintedButton>(QStringLiteral("suffixResetButton")), Qt::LeftButton);
        QCOMPARE(suffix->toPlainText(), PlexorViewModel::defaultSuffixText());
        QCOMPARE(m_preferences->text(PreferenceKeys::savedSuffixText),
                 std::optional(PlexorViewModel::defaultSuffixText()));
        QVERIFY(find<QLabel>(QStringLiteral("suffixSavedLabel"))->isVisible());
    }

    void editorsKeepTheExactText_data()
    {
        QTest::addColumn<QString>("editorName");
        QTest::addColumn<QString>("key");
        QTest::newRow("prefix") << QStringLiteral("prefixEditor")
                                << QString(PreferenceKeys::savedPrefixText);
        QTest::newRow("suffix") << QStringLiteral("suffixEditor")
                                << QString(PreferenceKeys::savedSuffixText);
    }

    void editorsKeepTheExactText()
    {
        QFETCH(QString, editorName);
        QFETCH(QString, key);
        // No-break spaces, CR LF, a line separator, a tab and a trailing newline, as stored.
        const QString stored = QStringLiteral("a\u00a0b\r\nc\u2028d\te\r\n");
        m_preferences->setText(key, stored);
        m_engine->loadSavedTexts();
        show();
        auto* editor = find<QPlainTextEdit>(editorName);
        editor->setFocus();
        QTextCursor cursor = editor->textCursor();
        cursor.setPosition(1);
        editor->setTextCursor(cursor);
        QTest::keyClick(editor, Qt::Key_X);
        const QString expected = QStringLiteral("ax\u00a0b\r\nc\u2028d\te\r\n");
        QCOMPARE(m_preferences->text(key), std::optional(expected));
        QCOMPARE(editorName == u"prefixEditor" ? m_engine->prefixText() : m_engine->suffixText(),
                 expected);
        // The cursor stays where the typing left it.
        QCOMPARE(editor->textCursor().position(), 2);
    }

    void treeExpansionFollowsTheNodes()
    {
        show();
        const QString lib = m_tree->path(QStringLiteral("lib"));
        const QString inner = m_tree->path(QStringLiteral("lib/inner"));
        // Saved state: the inner folder open inside the closed outer one.
        m_engine->loadFiles(m_tree->root(), std::nullopt, QSet<QString>{inner});
        QTreeView* tree = m_view->fileTree();
        FileTreeModel* model = m_view->fileTreeModel();
        QModelIndex libIndex;
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->index(row, 0).data(FileTreeModel::PathRole).toString() == lib)
                libIndex = model->index(row, 0);
        }
        QVERIFY(libIndex.isValid());
        QVERIFY(!tree->isExpanded(libIndex));
        QModelIndex innerIndex;
        for (int row = 0; row < model->rowCount(libIndex); ++row) {
            if (model->index(row, 0, libIndex).data(FileTreeModel::PathRole).toString() == inner)
                innerIndex = model->index(row, 0, libIndex);
        }
        QVERIFY(tree->isExpanded(innerIndex));

        // Opening in the view writes the node; closing the outer folder keeps the inner open.
        tree->expand(libIndex);
        QVERIFY(model->node(libIndex)->isExpanded());
        tree->collapse(libIndex);
        QVERIFY(!model->node(libIndex)->isExpanded());
        QCOMPARE(PlexorViewModel::collectExpandedPaths(m_engine->files()), QSet<QString>{inner});
        // A change made in the engine shows in the view.
        m_engine->setExpanded(model->node(libIndex), true);
        QVERIFY(tree->isExpanded(libIndex));
        // Keyboard: Right opens the current folder.
        tree->setFocus();
        tree->setCurrentIndex(innerIndex);
        QTest::keyClick(tree, Qt::Key_Left);
        QVERIFY(!model->node(innerIndex)->isExpanded());
    }

    // What a screen reader or an automation client invokes does what a click does.
    void switchesAndRowsAnswerAccessibilityActions()
    {
        show();
        m_engine->loadFiles(m_tree->root(), QSet<QString>{});
        const QString toggle = QAccessibleActionInterface::toggleAction();

        QTreeView* tree = m_view->fileTree();
        QAccessibleInterface* treeInterface = QAccessible::queryAccessibleInterface(tree);
        QAccessibleInterface* row = nullptr;
        // The view lays its rows out on the next turn of the event loop.
        QTRY_VERIFY([&] {
            for (int i = 0; i < treeInterface->childCount(); ++i) {
                if (treeInterface->child(i)->text(QAccessible::Name) == u"a.md")
                    row = treeInterface->child(i);
            }
            return row != nullptr;
        }());
        const QModelIndex index =
            m_view->fileTreeModel()->match(m_view->fileTreeModel()->index(0, 0), Qt::DisplayRole,
                                           QStringLiteral("a.md"))
                .value(0);
        const auto isSelected = [&index] { return index.data(FileTreeModel::SelectedRole).toBool(); };
        QVERIFY(!isSelected());
        QVERIFY(row->actionInterface()->actionNames().contains(toggle));
        row->actionInterface()->doAction(toggle);
        QVERIFY(isSelected());
        QVERIFY(row->state().checked);
        row->actionInterface()->doAction(toggle);
        QVERIFY(!isSelected());
        // A click toggles once.
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(index).center());
        QVERIFY(isSelected());

        for (const QString& name : {QStringLiteral("fileType:.md"), QStringLiteral("fileTypeAll"),
                                    QStringLiteral("respectGitignoreSwitch")}) {
            m_events.clear();
            QAccessibleInterface* control =
                QAccessible::queryAccessibleInterface(find<QAbstractButton>(name));
            QVERIFY(control->actionInterface()->actionNames().contains(toggle));
            control->actionInterface()->doAction(toggle);
            QCOMPARE(m_events.size(), 2);
            QCOMPARE(m_events.last(), QStringLiteral("refresh"));
        }
        QVERIFY(!m_engine->isFileTypeEnabled(QStringLiteral(".md")));
        QVERIFY(m_engine->showAllFiles());
        QVERIFY(m_engine->respectGitignore());
    }

    void gitignoreSwitchStoresThenRescans()
    {
        show();
        m_engine->loadFiles(m_tree->root());
        QCheckBox* gitignore = m_view->gitignoreSwitch();
        QCOMPARE(gitignore->text(), QStringLiteral("Respect .gitignore"));
        QVERIFY(!gitignore->isChecked());
        QTest::mouseClick(gitignore, Qt::LeftButton);
        QVERIFY(m_engine->respectGitignore());
        QCOMPARE(m_events, (QStringList{QStringLiteral("save .md=1"), QStringLiteral("refresh")}));
        // A folder outside any git work tree has no changed files to select.
        QVERIFY(!m_view->selectChangedButton()->isEnabled());
        QCOMPARE(m_view->selectChangedButton()->text(), QStringLiteral("Select Changed Files"));
    }

    void filterShowsFindsAndRestoresExpansion()
    {
        show();
        const QString lib = m_tree->path(QStringLiteral("lib"));
        const QString inner = m_tree->path(QStringLiteral("lib/inner"));
        m_engine->loadFiles(m_tree->root(), std::nullopt, QSet<QString>{inner});
        QTreeView* tree = m_view->fileTree();
        FileTreeModel* model = m_view->fileTreeModel();
        QLineEdit* filter = m_view->treeFilter();
        QCOMPARE(filter->accessibleName(), filter->placeholderText());

        // Ctrl+F reaches the field from anywhere on the screen.
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(filter->hasFocus());
        QSignalSpy resets(model, &QAbstractItemModel::modelReset);
        QTest::keyClicks(filter, QStringLiteral("PY C"));
        // "PY" and "PY " show what "P" showed: only the first and last letters reset the rows.
        QCOMPARE(resets.count(), 2);
        QCOMPARE(model->rowCount(), 1);
        const QModelIndex libIndex = model->index(0, 0);
        QCOMPARE(libIndex.data(FileTreeModel::PathRole).toString(), lib);
        QCOMPARE(model->rowCount(libIndex), 1);
        const QModelIndex innerIndex = model->index(0, 0, libIndex);
        const QModelIndex file = model->index(0, 0, innerIndex);
        QCOMPARE(file.data(FileTreeModel::PathRole).toString(),
                 m_tree->path(QStringLiteral("lib/inner/c.py")));
        QVERIFY(tree->isExpanded(libIndex));
        QVERIFY(tree->isExpanded(innerIndex));
        const FileItem* libNode = model->node(libIndex);
        // A tick while filtering is an ordinary tick; closing a folder is the filter's own.
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(file).center());
        QCOMPARE(m_engine->collectSelectedItems().size(), 1);
        tree->collapse(innerIndex);
        QVERIFY(model->node(innerIndex)->isExpanded());

        filter->setFocus();
        QTest::keyClick(filter, Qt::Key_Escape);
        QVERIFY(filter->text().isEmpty());
        QCOMPARE(model->rowCount(), 2);
        QCOMPARE(PlexorViewModel::collectExpandedPaths(m_engine->files()), QSet<QString>{inner});
        QVERIFY(!tree->isExpanded(model->indexOf(libNode)));
        QCOMPARE(m_engine->collectSelectedItems().size(), 1);
    }

    void bulkSelectionCommands()
    {
        show();
        m_engine->loadFiles(m_tree->root());
        QTreeView* tree = m_view->fileTree();
        FileTreeModel* model = m_view->fileTreeModel();
        FileTreeActions* actions = m_view->fileTreeActions();
        QCOMPARE(actions->selectAllAction()->text(), QStringLiteral("Select &All Files"));
        QCOMPARE(actions->deselectAllAction()->text(), QStringLiteral("Deselect A&ll"));
        const auto selectedNames = [this] {
            QStringList names;
            for (const FileItem* node : m_engine->collectSelectedItems())
                names.append(node->name());
            names.sort();
            return names;
        };

        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(selectedNames(), (QStringList{QStringLiteral("a.md"), QStringLiteral("b.py"),
                                               QStringLiteral("c.py")}));
        // With a filter, Deselect All clears only what it shows.
        m_view->treeFilter()->setText(QStringLiteral("inner"));
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(selectedNames(), (QStringList{QStringLiteral("a.md"), QStringLiteral("b.py")}));
        m_view->treeFilter()->clear();
        QTest::keyClick(tree, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(selectedNames().isEmpty());

        QModelIndex libIndex;
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->index(row, 0).data(FileTreeModel::IsFolderRole).toBool())
                libIndex = model->index(row, 0);
        }
        const std::unique_ptr<QMenu> folderMenu(actions->menuFor(libIndex));
        QStringList texts;
        for (QAction* action : folderMenu->actions())
            texts.append(QString(action->text()).remove(u'&'));
        QCOMPARE(texts,
                 (QStringList{QStringLiteral("Select Files Inside"),
                              QStringLiteral("Deselect Files Inside"), QString(),
                              QStringLiteral("Select All Files"), QStringLiteral("Deselect All")}));
        folderMenu->actions().at(0)->trigger();
        QCOMPARE(selectedNames(), (QStringList{QStringLiteral("b.py"), QStringLiteral("c.py")}));
        folderMenu->actions().at(1)->trigger();
        QVERIFY(selectedNames().isEmpty());
        QModelIndex fileIndex = model->index(0, 0, libIndex);
        if (fileIndex.data(FileTreeModel::IsFolderRole).toBool())
            fileIndex = model->index(1, 0, libIndex);
        const std::unique_ptr<QMenu> fileMenu(actions->menuFor(fileIndex));
        QCOMPARE(fileMenu->actions().size(), 2);
    }
};

QTEST_MAIN(TestInputView)
#include "tst_input.moc"

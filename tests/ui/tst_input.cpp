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

using namespace Qt::StringLiterals;

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

    template <typename T = TintedButton>
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

    QModelIndex topRow(const QString& name) const
    {
        QAbstractItemModel* model = m_view->fileTreeModel();
        return model->match(model->index(0, 0), Qt::DisplayRole, name, 1, Qt::MatchExactly)
            .value(0);
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
        m_configDir = std::make_unique<QTemporaryDir>();
        m_preferences = std::make_unique<Preferences>(m_configDir->filePath(u"prefs.json"_s));
        m_tree = std::make_unique<TestTree>();
        QVERIFY(m_tree->add(u"a.md"_s, "A\n"));
        QVERIFY(m_tree->add(u"lib/b.py"_s, "B\n"));
        QVERIFY(m_tree->add(u"lib/inner/c.py"_s, "C\n"));
        m_engine = std::make_unique<PlexorViewModel>(*m_preferences, m_clipboard);
        m_view = std::make_unique<PlexorInputView>(*m_engine);
        m_events.clear();
        // The switches as they stood when the state was saved.
        connect(m_view.get(), &PlexorInputView::saveStateRequested, this, [this] {
            m_events << u"save .md=%1 all=%2 git=%3"_s.arg(m_engine->isFileTypeEnabled(u".md"_s))
                            .arg(m_engine->showAllFiles())
                            .arg(m_engine->respectGitignore());
        });
        connect(m_view.get(), &PlexorInputView::refreshRequested, this,
                [this] { m_events << u"refresh"_s; });
        connect(m_view.get(), &PlexorInputView::generated, this,
                [this](const std::optional<QString>& url) {
                    m_events << u"generated "_s + url.value_or(u"-"_s);
                });
        connect(m_view.get(), &PlexorInputView::viewModeRequested, this,
                [this](ViewMode mode) { m_events << u"mode "_s + rawValue(mode); });
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
        QTest::newRow("no folder") << std::optional<QString>() << QString() << u"Code Plexor"_s
                                   << u"#uncategorized"_s << u"No folder selected"_s;
        QTest::newRow("shortened cloud path")
            << std::optional<QString>(u"/cloud/Coding/swift/app"_s) << u".../swift/app"_s
            << u"app"_s << u"#swift"_s << u".../swift/app"_s;
        QTest::newRow("trailing slash")
            << std::optional<QString>(u"/home/u/tool/"_s) << u"/home/u/tool"_s << u"tool"_s
            << u"#uncategorized"_s << u"/home/u/tool"_s;
        const QString longName = QString(300, u'n');
        QTest::newRow("long name") << std::optional<QString>(u"/p/"_s + longName)
                                   << u"/p/"_s + longName << longName << u"#uncategorized"_s
                                   << u"/p/"_s + longName;
    }

    void header()
    {
        QFETCH(std::optional<QString>, url);
        QFETCH(QString, folderPath);
        QFETCH(QString, title);
        QFETCH(QString, chip);
        QFETCH(QString, folderLine);
        FakeFileManager fileManager;
        FileManager::setCurrent(&fileManager);
        const auto restore = qScopeGuard([] { FileManager::setCurrent(nullptr); });

        m_view->setFolder(url, folderPath);
        QCOMPARE(find<ElidedLabel>(u"titleLabel"_s)->text(), title);
        // A long name is shortened, never making the window wider.
        QVERIFY(m_view->minimumSizeHint().width() < 700);
        QCOMPARE(find<Badge>(u"tagChip"_s)->text(), chip);
        QCOMPARE(find<ElidedLabel>(u"folderPathLabel"_s)->text(), folderLine);
        if (url && chip != u"#uncategorized")
            QCOMPARE(find<Badge>(u"tagChip"_s)->badgeStyle().color,
                     TagRules::keywordColor(chip.mid(1)));
        TintedButton* reveal = find(u"showInFinderButton"_s);
        QCOMPARE(reveal->isEnabled(), url.has_value());
        reveal->click();
        QCOMPARE(fileManager.revealed, url ? QStringList{*url} : QStringList());
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
    void switchesSaveThenRescan_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("saved");
        QTest::newRow("All, accessibility action")
            << u"fileTypeAll"_s << u"action"_s << u"save .md=1 all=1 git=0"_s;
        QTest::newRow("gitignore, space key")
            << u"respectGitignoreSwitch"_s << u"key"_s << u"save .md=1 all=0 git=1"_s;
    }

    void switchesSaveThenRescan()
    {
        QFETCH(QString, control);
        QFETCH(QString, how);
        QFETCH(QString, saved);
        show();
        m_engine->loadFiles(m_tree->root());
        auto* button = find<QAbstractButton>(control);
        if (how == u"key") {
            button->setFocus();
            QTest::keyClick(button, Qt::Key_Space);
        } else {
            const QString toggle = QAccessibleActionInterface::toggleAction();
            QAccessibleInterface* item = QAccessible::queryAccessibleInterface(button);
            QVERIFY(item->actionInterface()->actionNames().contains(toggle));
            item->actionInterface()->doAction(toggle);
        }
        QCOMPARE(m_events, (QStringList{saved, u"refresh"_s}));
    }

    void generateRunsItsStepsInOrder()
    {
        show();
        m_view->setFolder(m_tree->root(), m_tree->root());
        m_engine->loadFiles(m_tree->root(), QSet<QString>{m_tree->path(u"a.md"_s)});
        connect(m_engine.get(), &PlexorViewModel::generatedContentChanged, this,
                [this] { m_events << u"content"_s; });
        connect(m_engine.get(), &PlexorViewModel::justCopiedChanged, this, [this](bool raised) {
            if (raised)
                m_events << u"copied "_s + m_clipboard.calls.value(1).left(8);
        });
        QTest::mouseClick(find(u"generateButton"_s), Qt::LeftButton);
        QCOMPARE(m_events,
                 (QStringList{u"save .md=1 all=0 git=0"_s, u"content"_s, u"copied set:Here"_s,
                              u"generated "_s + m_tree->root(), u"mode Preview"_s}));

        // Without a folder the button is disabled and nothing happens, the clipboard included.
        m_events.clear();
        m_clipboard.calls.clear();
        m_view->setFolder(std::nullopt, QString());
        QVERIFY(!find(u"generateButton"_s)->isEnabled());
        m_view->generate();
        QVERIFY(m_events.isEmpty());
        QVERIFY(m_clipboard.calls.isEmpty());
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
        m_preferences->setText(key, u"a\u00a0b\r\nc\u2028d\te\r\n"_s);
        m_engine->loadSavedTexts();
        show();
        auto* editor = find<QPlainTextEdit>(part + u"Editor"_s);
        auto* saved = find<QLabel>(part + u"SavedLabel"_s);
        TintedButton* reset = find(part + u"ResetButton"_s);
        QVERIFY(!saved->isVisible());
        editor->setFocus();
        QTextCursor cursor = editor->textCursor();
        cursor.setPosition(1);
        editor->setTextCursor(cursor);
        QTest::keyClick(editor, Qt::Key_X);
        const QString expected = u"ax\u00a0b\r\nc\u2028d\te\r\n"_s;
        QCOMPARE(m_preferences->text(key), std::optional(expected));
        QCOMPARE(prefix ? m_engine->prefixText() : m_engine->suffixText(), expected);
        QCOMPARE(editor->textCursor().position(), 2);
        QVERIFY(saved->isVisible());
        QVERIFY(!reset->isVisible());
        // The other editor's marker is its own.
        QVERIFY(!find<QLabel>((prefix ? u"suffix"_s : u"prefix"_s) + u"SavedLabel"_s)->isVisible());

        prefix ? m_engine->setPrefixText(u"Bye"_s) : m_engine->setSuffixText(u"Bye"_s);
        QCOMPARE(editor->toPlainText(), u"Bye"_s);
        QCOMPARE(m_preferences->text(key), std::optional(expected));
        reset->click();
        const QString standard =
            prefix ? PlexorViewModel::defaultPrefixText() : PlexorViewModel::defaultSuffixText();
        QCOMPARE(editor->toPlainText(), standard);
        QCOMPARE(m_preferences->text(key), std::optional(standard));
    }

    // Saved expansion shows; the filter opens what it finds and gives the saved state back.
    void filterShowsFindsAndRestoresExpansion()
    {
        show();
        const QString lib = m_tree->path(u"lib"_s);
        const QString inner = m_tree->path(u"lib/inner"_s);
        // Saved state: the inner folder open inside the closed outer one.
        m_engine->loadFiles(m_tree->root(), std::nullopt, QSet<QString>{inner});
        QTreeView* tree = m_view->fileTree();
        FileTreeModel* model = m_view->fileTreeModel();
        const QModelIndex closedLib = topRow(u"lib"_s);
        QCOMPARE(closedLib.data(FileTreeModel::PathRole).toString(), lib);
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
        const QString toggle = QAccessibleActionInterface::toggleAction();
        row->actionInterface()->doAction(toggle);
        QCOMPARE(selectedNames(), QStringList{u"a.md"_s});
        QVERIFY(row->state().checked);
        row->actionInterface()->doAction(toggle);
        QVERIFY(selectedNames().isEmpty());
    }
};

QTEST_MAIN(TestInputView)
#include "tst_input.moc"

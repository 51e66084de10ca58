#include "engine/FakeServices.h"
#include "engine/TestTree.h"

#include "engine/Notifications.h"
#include "engine/PlexorWorkView.h"
#include "engine/TokenEncoding.h"
#include "model/Preferences.h"
#include "platform/NotificationCenter.h"
#include "ui/FileTreeModel.h"
#include "ui/PlexorInputView.h"
#include "ui/PlexorPreviewView.h"
#include "ui/TintedButton.h"
#include "ui/TokenCountText.h"

#include <QSignalSpy>
#include <QStackedWidget>
#include <QTreeView>
#include <QtTest>

#include <memory>

namespace {

using PathSet = QSet<QString>;

QStringList selectedPaths(const PlexorViewModel& engine)
{
    QStringList paths;
    for (const FileItem* item : engine.collectSelectedItems())
        paths << item->path();
    paths.sort();
    return paths;
}

void postShortcut()
{
    NotificationCenter::defaultCenter().post(QString(Notifications::triggerGenerateFromShortcut));
}

} // namespace

class TestWorkView : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_configDir;
    std::unique_ptr<Preferences> m_preferences;
    FakeClipboard m_clipboard;
    std::unique_ptr<TestTree> m_first;
    std::unique_ptr<TestTree> m_second;
    std::unique_ptr<PlexorWorkView> m_view;

    void show()
    {
        m_view->resize(800, 700);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }

private Q_SLOTS:
    void init()
    {
        m_configDir = std::make_unique<QTemporaryDir>();
        m_preferences =
            std::make_unique<Preferences>(m_configDir->filePath(QStringLiteral("prefs.json")));
        m_clipboard.calls.clear();
        m_first = std::make_unique<TestTree>();
        QVERIFY(m_first->add(QStringLiteral("one.c"), "1\n"));
        QVERIFY(m_first->add(QStringLiteral("dir/two.c"), "2\n"));
        m_second = std::make_unique<TestTree>();
        QVERIFY(m_second->add(QStringLiteral("three.py"), "3\n"));
        QVERIFY(m_second->add(QStringLiteral("four.md"), "4\n"));
        m_view = std::make_unique<PlexorWorkView>(*m_preferences, m_clipboard);
    }

    void cleanup()
    {
        m_view.reset();
        m_second.reset();
        m_first.reset();
        m_preferences.reset();
        m_configDir.reset();
    }

    void tokenCountsReachTheScreens()
    {
        m_view->setSavedPaths(PathSet{m_first->path(QStringLiteral("one.c")),
                                      m_first->path(QStringLiteral("dir/two.c"))},
                              PathSet{m_first->path(QStringLiteral("dir"))});
        m_view->setFolder(m_first->root(), m_first->root());
        show();
        PlexorInputView* input = m_view->inputView();
        // "1\n" is two tokens.
        QTRY_COMPARE(input->selectionSummary(), QStringLiteral("2 files \u00b7 4 tokens"));
        const FileTreeModel* model = input->fileTreeModel();
        for (const auto& node : m_view->viewModel().files()) {
            const QVariant tokens = model->indexOf(node.get()).data(FileTreeModel::TokenCountRole);
            QCOMPARE(tokens, node->isFolder() ? QVariant() : QVariant(qint64(2)));
        }

        // A changed file is counted again when the text is generated.
        QVERIFY(m_first->add(QStringLiteral("one.c"), "Here are the files of my project."));
        input->generate();
        QTRY_COMPARE(input->selectionSummary(), QStringLiteral("2 files \u00b7 10 tokens"));
        const qint64 whole = TokenEncoding::o200kBase().count(m_view->viewModel().generatedContent());
        QTRY_COMPARE(m_view->previewView()->shownTokens(), TokenCountText::full(whole));
    }

    void theFirstShowingScansWithTheSavedSets()
    {
        m_view->setSavedPaths(PathSet{m_first->path(QStringLiteral("dir/two.c"))},
                              PathSet{m_first->path(QStringLiteral("dir"))});
        m_view->setFolder(m_first->root(), m_first->root());
        QVERIFY(m_view->viewModel().files().empty());
        show();
        QCOMPARE(selectedPaths(m_view->viewModel()),
                 QStringList{m_first->path(QStringLiteral("dir/two.c"))});
        QCOMPARE(PlexorViewModel::collectExpandedPaths(m_view->viewModel().files()),
                 PathSet{m_first->path(QStringLiteral("dir"))});

        // Showing again (after being hidden) does not scan again.
        QSignalSpy scans(&m_view->viewModel(), &PlexorViewModel::filesChanged);
        m_view->hide();
        m_view->show();
        QVERIFY(scans.isEmpty());
    }

    void aNewFolderScansInTheSameEngineWithItsSavedSets()
    {
        m_view->setFolder(m_first->root(), m_first->root());
        show();
        PlexorViewModel* engine = &m_view->viewModel();
        engine->setFileTypeEnabled(QStringLiteral(".md"), false);
        QSignalSpy scans(engine, &PlexorViewModel::filesChanged);

        // The same folder again: nothing to do.
        m_view->setFolder(m_first->root(), m_first->root());
        QVERIFY(scans.isEmpty());

        m_view->setSavedPaths(PathSet{m_second->path(QStringLiteral("three.py"))}, std::nullopt);
        m_view->setFolder(m_second->root(), m_second->root());
        QCOMPARE(scans.size(), 1);
        QCOMPARE(&m_view->viewModel(), engine);
        QCOMPARE(selectedPaths(*engine), QStringList{m_second->path(QStringLiteral("three.py"))});
        // The switches stayed: no Markdown.
        QCOMPARE(engine->files().size(), size_t(1));
        QCOMPARE(m_view->inputView()->url(), std::optional<QString>(m_second->root()));
    }

    void aRescanKeepsTheSelectionAndOpenFoldersJustSaved()
    {
        QVERIFY(m_first->add(QStringLiteral("dir/notes.txt"), "n\n"));
        const QString one = m_first->path(QStringLiteral("one.c"));
        const QString two = m_first->path(QStringLiteral("dir/two.c"));
        const QString dir = m_first->path(QStringLiteral("dir"));
        const QString notes = m_first->path(QStringLiteral("dir/notes.txt"));
        m_view->setFolder(m_first->root(), m_first->root());
        show();
        PlexorViewModel& engine = m_view->viewModel();
        PlexorInputView* input = m_view->inputView();
        auto* tree = input->findChild<QTreeView*>(QStringLiteral("fileTree"));
        auto* model = qobject_cast<FileTreeModel*>(tree->model());
        QVERIFY(model);
        engine.toggleSelection(
            findNode(engine.files(), m_first->root(), QStringLiteral("one.c"))->id());
        engine.toggleSelection(
            findNode(engine.files(), m_first->root(), QStringLiteral("dir/two.c"))->id());
        tree->expand(
            model->indexOf(findNode(engine.files(), m_first->root(), QStringLiteral("dir"))));
        QList<PathSet> saved;
        connect(m_view.get(), &PlexorWorkView::saveStateRequested, this,
                [&saved](const PathSet& selected, const PathSet&) { saved << selected; });
        auto click = [input](const QString& name) {
            QTest::mouseClick(input->findChild<TintedButton*>(name), Qt::LeftButton);
        };

        // Adding a type rescans with what was just saved: ticks and the open folder stay.
        click(QStringLiteral("fileType:.txt"));
        QCOMPARE(saved, QList<PathSet>{(PathSet{one, two})});
        QVERIFY(findNode(engine.files(), m_first->root(), QStringLiteral("dir/notes.txt")));
        QCOMPARE(selectedPaths(engine), (QStringList{two, one}));
        const FileItem* dirNode = findNode(engine.files(), m_first->root(), QStringLiteral("dir"));
        QVERIFY(dirNode->isExpanded());
        QVERIFY(tree->isExpanded(model->indexOf(dirNode)));

        // Files now filtered out drop from the selection; the rest stays through a refresh.
        click(QStringLiteral("fileType:.c"));
        QVERIFY(selectedPaths(engine).isEmpty());
        engine.toggleSelection(
            findNode(engine.files(), m_first->root(), QStringLiteral("dir/notes.txt"))->id());
        click(QStringLiteral("refreshFolderButton"));
        QCOMPARE(saved.last(), PathSet{notes});
        QCOMPARE(selectedPaths(engine), QStringList{notes});
        QCOMPARE(PlexorViewModel::collectExpandedPaths(engine.files()), PathSet{dir});
    }

    void theShortcutSavesGeneratesCopiesAndShowsThePreview()
    {
        m_view->setSavedPaths(PathSet{m_first->path(QStringLiteral("one.c"))}, std::nullopt);
        m_view->setFolder(m_first->root(), m_first->root());
        show();
        PlexorViewModel& engine = m_view->viewModel();
        QStringList events;
        connect(m_view.get(), &PlexorWorkView::saveStateRequested, this,
                [&](const PathSet& selected, const PathSet&) {
                    events << QStringLiteral("save %1 %2")
                                  .arg(selected.size())
                                  .arg(engine.generatedContent().isEmpty());
                });
        connect(&engine, &PlexorViewModel::justCopiedChanged, this, [&](bool raised) {
            if (raised)
                events << QStringLiteral("copied");
        });
        connect(m_view.get(), &PlexorWorkView::generated, this,
                [&](const std::optional<QString>& url) {
                    events << QStringLiteral("generated ") + url.value_or(QString());
                });
        connect(m_view.get(), &PlexorWorkView::viewModeChanged, this,
                [&](ViewMode mode) { events << QStringLiteral("mode ") + rawValue(mode); });
        connect(&engine, &PlexorViewModel::justRegeneratedChanged, this, [&](bool raised) {
            if (raised)
                events << QStringLiteral("regenerated");
        });

        postShortcut();
        QCOMPARE(events,
                 (QStringList{QStringLiteral("save 1 1"), QStringLiteral("copied"),
                              QStringLiteral("generated ") + m_first->root(),
                              QStringLiteral("mode Preview"), QStringLiteral("regenerated")}));
        QVERIFY(m_clipboard.calls.last().contains(QStringLiteral("app/one.c")));
        QCOMPARE(m_view->viewMode(), ViewMode::preview);
        QCOMPARE(m_view->findChild<QStackedWidget*>()->currentWidget(), m_view->previewView());
        QTRY_VERIFY_WITH_TIMEOUT(!engine.justRegenerated(), 4000);

        // Switching back and forth keeps the engine and its text.
        m_view->setViewMode(ViewMode::plexor);
        QCOMPARE(m_view->findChild<QStackedWidget*>()->currentWidget(), m_view->inputView());
        QVERIFY(!engine.generatedContent().isEmpty());
    }

    void theShortcutWithoutAFolderDoesNothing()
    {
        show();
        m_view->viewModel().setGeneratedContent(QStringLiteral("earlier"));
        QSignalSpy saves(m_view.get(), &PlexorWorkView::saveStateRequested);
        postShortcut();
        QVERIFY(m_clipboard.calls.isEmpty());
        QVERIFY(saves.isEmpty());
        QVERIFY(!m_view->viewModel().justCopied());
        QCOMPARE(m_view->viewMode(), ViewMode::plexor);
    }

    void aDiscardedViewNoLongerAnswers()
    {
        show();
        m_view.reset();
        postShortcut();
        QVERIFY(m_clipboard.calls.isEmpty());
    }
};

QTEST_MAIN(TestWorkView)
#include "tst_workview.moc"

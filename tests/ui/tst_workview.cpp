#include "engine/TestEngine.h"
#include "engine/TestTree.h"

#include "engine/Notifications.h"
#include "engine/PlexorWorkView.h"
#include "engine/TokenEncoding.h"
#include "platform/NotificationCenter.h"
#include "ui/FileTreeModel.h"
#include "ui/PlexorInputView.h"
#include "ui/PlexorPreviewView.h"
#include "ui/TintedButton.h"
#include "ui/TokenCountText.h"

#include <QStackedWidget>
#include <QTreeView>
#include <QtTest>

#include <memory>

namespace {

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

} // namespace

using namespace Qt::StringLiterals;

class TestWorkView : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEngine> m_rig;
    std::unique_ptr<TestTree> m_first;
    std::unique_ptr<PlexorWorkView> m_view;

    const FileItem* node(const QString& relative) const
    {
        return findNode(m_view->viewModel().files(), m_first->root(), relative);
    }

    void show()
    {
        m_view->resize(800, 700);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }

private Q_SLOTS:
    void init()
    {
        m_rig = std::make_unique<TestEngine>();
        m_first = std::make_unique<TestTree>();
        QVERIFY(m_first->add(u"one.c"_s, "1\n"));
        QVERIFY(m_first->add(u"dir/two.c"_s, "2\n"));
        m_view = std::make_unique<PlexorWorkView>(m_rig->store.preferences, m_rig->clipboard);
    }

    void cleanup()
    {
        m_view.reset();
        m_first.reset();
        m_rig.reset();
    }

    void tokenCountsReachTheScreens()
    {
        m_view->setSavedPaths(m_first->paths(pathList("one.c,dir/two.c")),
                              m_first->paths({u"dir"_s}));
        m_view->setFolder(m_first->root(), m_first->root());
        show();
        PlexorInputView* input = m_view->inputView();
        // "1\n" is two tokens.
        QTRY_COMPARE(input->selectionSummary(), u"2 files \u00b7 4 tokens"_s);
        const FileTreeModel* model = input->fileTreeModel();
        for (const auto& node : m_view->viewModel().files()) {
            const QVariant tokens = model->indexOf(node.get()).data(FileTreeModel::TokenCountRole);
            QCOMPARE(tokens, node->isFolder() ? QVariant() : QVariant(qint64(2)));
        }

        // A changed file is counted again when the text is generated.
        QVERIFY(m_first->add(u"one.c"_s, "Here are the files of my project."));
        input->generate();
        QTRY_COMPARE(input->selectionSummary(), u"2 files \u00b7 10 tokens"_s);
        const qint64 whole =
            TokenEncoding::o200kBase().count(m_view->viewModel().generatedContent());
        QTRY_COMPARE(m_view->previewView()->shownTokens(), TokenCountText::full(whole));
        // A new text never shows the count of the one before.
        QVERIFY(m_first->add(u"one.c"_s, "changed"));
        input->generate();
        QCOMPARE(m_view->previewView()->shownTokens(), QString());
    }

    void eachNewFolderIsScannedOnceWithItsSavedSets()
    {
        m_view->setSavedPaths(m_first->paths({u"dir/two.c"_s}), m_first->paths({u"dir"_s}));
        m_view->setFolder(m_first->root(), m_first->root());
        PlexorViewModel* engine = &m_view->viewModel();
        QVERIFY(engine->files().empty());
        show();
        QCOMPARE(selectedPaths(*engine), m_first->paths({u"dir/two.c"_s}));
        QCOMPARE(PlexorViewModel::collectExpandedPaths(engine->files()),
                 m_first->paths({u"dir"_s}));

        // Showing again, or the same folder again: no new scan.
        QSignalSpy scans(engine, &PlexorViewModel::filesChanged);
        m_view->hide();
        m_view->show();
        m_view->setFolder(m_first->root(), m_first->root());
        QVERIFY(scans.isEmpty());

        // Another folder is scanned in the same engine with its saved sets.
        TestTree second;
        QVERIFY(second.addAll(pathList("three.py,four.md")));
        m_view->setSavedPaths(second.paths({u"three.py"_s}), std::nullopt);
        m_view->setFolder(second.root(), second.root());
        QCOMPARE(&m_view->viewModel(), engine);
        QCOMPARE(selectedPaths(*engine), second.paths({u"three.py"_s}));
    }

    void aRescanKeepsTheSelectionAndOpenFoldersJustSaved()
    {
        QVERIFY(m_first->add(u"dir/notes.txt"_s, "n\n"));
        m_view->setFolder(m_first->root(), m_first->root());
        show();
        PlexorViewModel& engine = m_view->viewModel();
        PlexorInputView* input = m_view->inputView();
        engine.toggleSelection(node(u"one.c"_s)->id());
        engine.toggleSelection(node(u"dir/two.c"_s)->id());
        input->fileTree()->expand(input->fileTreeModel()->indexOf(node(u"dir"_s)));
        QList<PathSet> saved;
        connect(m_view.get(), &PlexorWorkView::saveStateRequested, this,
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
        show();
        PlexorViewModel& engine = m_view->viewModel();
        QStringList events;
        connect(m_view.get(), &PlexorWorkView::saveStateRequested, this,
                [&](const PathSet& selected, const PathSet&) {
                    events << u"save %1, no text %2"_s.arg(selected.size())
                                  .arg(engine.generatedContent().isEmpty());
                });
        connect(m_view.get(), &PlexorWorkView::generated, this,
                [&](const std::optional<QString>& url) { events << url.value_or(QString()); });
        postShortcut();
        QVERIFY(events.isEmpty() && m_rig->clipboard.calls.isEmpty());

        m_view->setSavedPaths(m_first->paths({u"one.c"_s}), std::nullopt);
        m_view->setFolder(m_first->root(), m_first->root());
        postShortcut();
        QCOMPARE(events, (QStringList{u"save 1, no text 1"_s, m_first->root()}));
        QVERIFY(m_rig->clipboard.calls.last().contains(u"app/one.c"_s));
        auto* screens = m_view->findChild<QStackedWidget*>();
        QCOMPARE(screens->currentWidget(), m_view->previewView());
        // Back on the input screen, the engine keeps its text.
        m_view->setViewMode(ViewMode::plexor);
        QCOMPARE(screens->currentWidget(), m_view->inputView());
        QVERIFY(!engine.generatedContent().isEmpty());
    }
};

QTEST_MAIN(TestWorkView)
#include "tst_workview.moc"

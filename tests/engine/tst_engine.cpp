#include "TestEngine.h"
#include "TestTree.h"

#include "engine/FileTreeFilter.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

#include <fcntl.h>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

// Lowers the soft limit of open descriptors so that only `free` more can be opened (descriptor
// numbers below the limit that are not in use); the returned guard puts the limit back.
auto limitDescriptors(int free)
{
    rlimit saved{};
    ::getrlimit(RLIMIT_NOFILE, &saved);
    int limit = 0;
    for (int found = 0; found < free; ++limit)
        found += ::fcntl(limit, F_GETFD) < 0;
    rlimit lowered = saved;
    lowered.rlim_cur = static_cast<rlim_t>(limit);
    ::setrlimit(RLIMIT_NOFILE, &lowered);
    return qScopeGuard([saved] { ::setrlimit(RLIMIT_NOFILE, &saved); });
}

// Every node in pre-order, as `root`-relative paths ("dir/" for folders).
QStringList preOrder(const FileItemList& nodes, const QString& root)
{
    QStringList out;
    for (const auto& node : nodes) {
        out << node->path().mid(root.size() + 1) + (node->isFolder() ? u"/"_s : QString());
        out << preOrder(node->children(), root);
    }
    return out;
}

QSet<QUuid> ids(const PlexorViewModel& engine, const TestTree& tree, const QStringList& relatives)
{
    QSet<QUuid> set;
    for (const QString& relative : relatives)
        set.insert(findNode(engine.files(), tree.root(), relative)->id());
    return set;
}

} // namespace

// What a scan takes and how it orders it, what it keeps of the saved state, and the state
// around it: switches, selection, filter and the short-lived flags.
class TestEngineScan : public QObject {
    Q_OBJECT

    std::optional<TestEngine> m_rig;
    std::unique_ptr<PlexorViewModel> m_engine;

private Q_SLOTS:
    void init()
    {
        m_rig.emplace();
        m_engine = m_rig->make();
    }

    void cleanup()
    {
        m_engine.reset();
        m_rig.reset();
    }

    // Type switches, type rules shared with `plexor` and a single empty folder are checked by the
    // command-line test; here the rules it does not reach.
    void scanRules_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<bool>("showAll");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const char* entries, bool showAll,
                            const char* expected) {
            QTest::newRow(name) << pathList(entries) << showAll << QString::fromUtf8(expected);
        };
        row("ignored names at any depth, files and folders",
            "src/.git/config,src/.git/hooks/pre-commit.py,src/main.c,node_modules,"
            "lib/node_modules/pkg/index.js,Pods/Thing/x.swift,.build/debug/y.swift,"
            ".vscode/settings.json,.gitignore,deep/.gitignore/inner.c,pods/kept.swift",
            true, "pods/[kept.swift],src/[main.c]");
        row("extension test is a case-sensitive suffix",
            "App.SWIFT,types.d.ts,View.Swift,util.hpp,engine.cpp,config.yml,config.yaml,"
            "sketch.ino,notes.md,notes.txt,tsconfig",
            false, "config.yaml,engine.cpp,notes.md,sketch.ino,types.d.ts");
        row(".DS_Store endings, folder contents dropped",
            ".DS_Store,notes.DS_Store,Bundle.DS_Store/inner.c,Bundle.DS_Store/deeper/more.c,keep.c",
            true, "keep.c");
        row("hidden folder walked, hidden file by type", ".env,.github/ci.yaml", false,
            ".github/[ci.yaml]");
        row("folders holding only empty folders are pruned", "a/b/c/,a/d/e.txt,f/g/h.c,f/i/", false,
            "f/[g/[h.c]]");
    }

    void scanRules()
    {
        QFETCH(QStringList, entries);
        QFETCH(bool, showAll);
        QFETCH(QString, expected);
        TestTree tree;
        QVERIFY(tree.addAll(entries));
        m_engine->setShowAllFiles(showAll);
        m_engine->loadFiles(tree.root());
        QCOMPARE(sortedShape(m_engine->files()), expected);
    }

    // Links, loops and locked folders are checked on a hostile tree by the command-line test.
    void aRootReachedThroughALinkKeepsTheLinksPath()
    {
        TestTree tree;
        QVERIFY(tree.add(u"real/a.c"_s));
        const QString linkedRoot = tree.root() + u"-link"_s;
        QVERIFY(QFile::link(tree.path(u"real"_s), linkedRoot));
        m_engine->loadFiles(linkedRoot);
        QFile::remove(linkedRoot);
        QCOMPARE(m_engine->files().front()->path(), linkedRoot + u"/a.c"_s);
    }

    // Natural order, folders first and case-blind names are checked by the command-line test;
    // here that the letters follow the locale: in Swedish the a-umlaut comes after z.
    void entriesFollowTheLocalesLetters()
    {
        TestTree tree;
        QVERIFY(tree.addAll({u"z.c"_s, u"\u00e4.c"_s, u"a.c"_s}));
        const QLocale previous;
        QLocale::setDefault(QLocale(u"sv_SE"_s));
        m_engine->loadFiles(tree.root());
        QLocale::setDefault(previous);
        QCOMPARE(preOrder(m_engine->files(), tree.root()).join(u','), u"a.c,z.c,\u00e4.c"_s);
    }

    void savedSelectionAndExpansionComeBack()
    {
        TestTree tree;
        QVERIFY(tree.addAll(pathList("a.swift,src/b.c,src/inner/c.h")));
        const QString root = tree.root();
        const QSet<QString> selected = tree.paths(pathList("a.swift,gone.swift,src"));
        // A root given with trailing slashes still makes the paths the saved sets hold.
        m_engine->loadFiles(root + u"//"_s, selected,
                            tree.paths(pathList("src/inner,src/inner/c.h,nope")));
        const FileItem* a = findNode(m_engine->files(), root, u"a.swift"_s);
        const FileItem* src = findNode(m_engine->files(), root, u"src"_s);
        QCOMPARE(m_engine->selectedFiles(), (QSet<QUuid>{a->id(), src->id()}));
        QVERIFY(!src->isExpanded());
        QVERIFY(findNode(m_engine->files(), root, u"src/inner"_s)->isExpanded());

        // Saving keeps only paths of the current tree, folders included; expanded folders are
        // found inside collapsed ones.
        QSet<QString> savedSelected, savedExpanded;
        m_engine->saveState([&](const QSet<QString>& s, const QSet<QString>& e) {
            savedSelected = s;
            savedExpanded = e;
        });
        QCOMPARE(savedSelected, tree.paths(pathList("a.swift,src")));
        QCOMPARE(savedExpanded, tree.paths(pathList("src/inner,src/inner/c.h")));
    }

    void refusedOrVanishedFolders()
    {
        TestTree tree;
        QVERIFY(tree.addAll(pathList("a.c,b.c")));
        ScopedBookmarkService bookmarks;
        m_engine->loadFiles(tree.root(), tree.paths({u"a.c"_s}));
        const FileItem* before = m_engine->files().front().get();
        const QSet<QUuid> selection = m_engine->selectedFiles();
        QCOMPARE(selection.size(), 1);

        // Refused access, or no folder at all: nothing changes.
        bookmarks.refuse = true;
        QSignalSpy changed(m_engine.get(), &PlexorViewModel::filesChanged);
        QVERIFY(tree.add(u"new.c"_s));
        m_engine->loadFiles(tree.root());
        bookmarks.refuse = false;
        m_engine->loadFiles(std::nullopt);
        QCOMPARE(m_engine->files().front().get(), before);
        QCOMPARE(m_engine->selectedFiles(), selection);

        // A folder that is gone, or a file: an empty tree, the selection kept.
        for (const QString& path : {tree.path(u"missing"_s), tree.path(u"a.c"_s), QString()}) {
            m_engine->loadFiles(path);
            QVERIFY(m_engine->files().empty());
        }
        QCOMPARE(changed.count(), 3);
        QCOMPARE(m_engine->selectedFiles(), selection);
    }

    // A file whose name is not UTF-8 is checked by the command-line test. A folder of such a
    // name is left out with all it holds, in one log line; a file the type switches leave out
    // anyway is not logged.
    void namesThatAreNotUtf8AreLeftOutAndLogged()
    {
        TestTree tree;
        QVERIFY(tree.add(u"src/caf\u00e9.c"_s));
        for (const char* name : {"d\xE9/", "d\xE9/m.c", "off\xE9.txt"})
            QVERIFY(tree.addRaw(name));
        LogCapture log;
        m_engine->loadFiles(tree.root());
        QCOMPARE(sortedShape(m_engine->files()), u"src/[caf\u00e9.c]"_s);
        QCOMPARE(log.lines, QStringList{u"Left out "_s + tree.root() +
                                        u"/d\\xE9: its name is not valid UTF-8."_s});
    }

    // Every level holds a file and the next level; every tenth also holds, on both sides of
    // the next level in any directory order, a folder only reached after the walk comes back up.
    // The walk goes deeper than the folders it holds open, with three descriptors to spare.
    void deepTreesAreWalkedWhateverTheDescriptors()
    {
        TestTree tree;
        QStringList expected;
        QString level;
        for (int depth = 0; depth <= 80; ++depth) {
            QStringList entries{depth == 80 ? u"deep.c"_s : u"f%1.c"_s.arg(depth)};
            if (depth % 10 == 0)
                entries << u"a%1/s.c"_s.arg(depth) << u"z%1/s.c"_s.arg(depth);
            for (const QString& relative : std::as_const(entries)) {
                QVERIFY(tree.add(level + relative));
                expected << level + relative;
            }
            level += u"l%1/"_s.arg(depth);
        }
        LogCapture log;
        {
            const auto limit = limitDescriptors(3);
            m_engine->loadFiles(tree.root());
        }
        QStringList files = preOrder(m_engine->files(), tree.root());
        files.removeIf([](const QString& path) { return path.endsWith(u'/'); });
        files.sort();
        expected.sort();
        QCOMPARE(files, expected);
        QCOMPARE(log.lines, QStringList());

        // Without a descriptor to spare, a subfolder is left out and the log says so; an ignored
        // folder is not even opened.
        TestTree flat;
        QVERIFY(flat.addAll(pathList("top.c,sub/inner.c,node_modules/pkg/x.js")));
        log.lines.clear();
        {
            const auto limit = limitDescriptors(1);
            m_engine->loadFiles(flat.root());
        }
        QCOMPARE(sortedShape(m_engine->files()), u"top.c"_s);
        QCOMPARE(log.lines,
                 QStringList{u"Could not open folder "_s + flat.root() +
                             u"/sub: too many open files; its contents are left out."_s});
    }

    void switchesTakeEffectAtTheNextScan()
    {
        TestTree tree;
        QVERIFY(tree.addAll(pathList("a.md,b.c,c.rs")));
        QSignalSpy types(m_engine.get(), &PlexorViewModel::selectedFileTypesChanged);
        m_engine->loadFiles(tree.root(), tree.paths({u"a.md"_s}));
        m_engine->setFileTypeEnabled(u".md"_s, false);
        m_engine->setFileTypeEnabled(u".md"_s, false);
        m_engine->setFileTypeEnabled(u".rs"_s, true);
        QCOMPARE(types.count(), 2);
        QCOMPARE(m_engine->selectedFileTypes().last().extension, u".rs"_s);
        QCOMPARE(sortedShape(m_engine->files()), u"a.md,b.c"_s);
        m_engine->loadFiles(tree.root());
        QCOMPARE(sortedShape(m_engine->files()), u"b.c,c.rs"_s);
        QVERIFY(m_engine->selectedFiles().isEmpty());
    }

    // Select All and a folder's menu are checked through the file tree's commands; here that a
    // bulk change is one change and leaves the folder's own tick alone.
    void bulkSelectionIsOneChange()
    {
        TestTree tree;
        QVERIFY(tree.addAll(pathList("src/a.c,src/deep/b.c,top.c")));
        m_engine->loadFiles(tree.root(), tree.paths(pathList("src,src/a.c")));
        const FileItem* src = findNode(m_engine->files(), tree.root(), u"src"_s);
        QSignalSpy changed(m_engine.get(), &PlexorViewModel::selectedFilesChanged);
        m_engine->select(PlexorViewModel::filesInside(*src));
        QCOMPARE(m_engine->selectedFiles(),
                 ids(*m_engine, tree, pathList("src,src/a.c,src/deep/b.c")));
        m_engine->deselect(PlexorViewModel::filesIn(m_engine->files()));
        QCOMPARE(m_engine->selectedFiles(), ids(*m_engine, tree, {u"src"_s}));
        m_engine->select({});
        QCOMPARE(changed.count(), 2);
    }

    void filterFindsFilesByWords_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("no words shows everything")
            << u"  "_s
            << pathList("README.md,docs/Scan notes.md,src/engine/Scan.cpp,src/ui/View.cpp");
        QTest::newRow("one word, any case")
            << u"sCAN"_s << pathList("docs/Scan notes.md,src/engine/Scan.cpp");
        QTest::newRow("words in any order, folder names count")
            << u"cpp ENGINE"_s << pathList("src/engine/Scan.cpp");
        QTest::newRow("every word must match") << u"scan view"_s << QStringList();
        QTest::newRow("white space around words") << u"\t md  read "_s << pathList("README.md");
        QTest::newRow("project folder is not part of the path") << u"app/"_s << QStringList();
    }

    void filterFindsFilesByWords()
    {
        QFETCH(QString, query);
        QFETCH(QStringList, shown);
        TestTree tree;
        QVERIFY(tree.addAll(pathList("src/engine/Scan.cpp,src/ui/View.cpp,docs/Scan notes.md,"
                                     "README.md")));
        m_engine->loadFiles(tree.root());
        FileTreeFilter filter;
        filter.setTree(&m_engine->files());
        filter.setQuery(query);
        QStringList found;
        for (const FileItem* file : filter.shownFiles())
            found.append(file->path().mid(tree.root().size() + 1));
        found.sort();
        QCOMPARE(found, shown);
    }

    // What git ignores or reports changed is checked against git itself in the command-line
    // tests; here the stored switch and that changed files add to the selection.
    void gitSwitchIsStoredAndChangedFilesAddToTheSelection()
    {
        const QString git = QStandardPaths::findExecutable(u"git"_s);
        if (git.isEmpty())
            QSKIP("git is not installed");
        TestTree tree;
        QVERIFY(tree.addAll(pathList("same.c,edited.c")));
        const auto run = [&](const char* arguments) {
            QProcess process;
            process.setWorkingDirectory(tree.root());
            process.start(git, QString::fromUtf8(arguments).split(u' '));
            return process.waitForFinished() && process.exitCode() == 0;
        };
        QVERIFY(run("init -q") && run("add -A") &&
                run("-c user.name=T -c user.email=t@t commit -qm x"));
        QVERIFY(tree.add(u"edited.c"_s, "new"));

        m_engine->setRespectGitignore(true);
        QVERIFY(m_rig->make()->respectGitignore()); // the switch outlives the engine
        m_engine->loadFiles(tree.root(), tree.paths({u"same.c"_s}));
        QVERIFY(m_engine->selectChangedFiles(tree.root()));
        QCOMPARE(m_engine->selectedFiles(), ids(*m_engine, tree, pathList("edited.c,same.c")));
    }

    // Each raise lowers its flag two seconds later; a later raise does not put the earlier
    // lowering off: raised at 0 s and 1 s, the four flags still drop at about 2 s.
    void flagsDropTwoSecondsAfterTheFirstRaise()
    {
        QElapsedTimer clock;
        QList<qint64> loweredAt;
        for (auto signal :
             {&PlexorViewModel::justCopiedChanged, &PlexorViewModel::justRegeneratedChanged,
              &PlexorViewModel::prefixJustSavedChanged, &PlexorViewModel::suffixJustSavedChanged})
            connect(m_engine.get(), signal, this, [&](bool raised) {
                if (!raised)
                    loweredAt.append(clock.elapsed());
            });
        const auto raiseAll = [&] {
            m_engine->copyToClipboard();
            m_engine->raiseJustRegenerated();
            m_engine->savePrefix();
            m_engine->saveSuffix();
            return int(m_engine->justCopied()) + m_engine->justRegenerated() +
                   m_engine->prefixJustSaved() + m_engine->suffixJustSaved();
        };
        clock.start();
        QCOMPARE(raiseAll(), 4);
        QTest::qWait(1000);
        QCOMPARE(raiseAll(), 4);
        QTRY_COMPARE_WITH_TIMEOUT(loweredAt.size(), 4, 2000);
        for (qint64 time : std::as_const(loweredAt))
            QVERIFY2(time >= 1950 && time < 2600, qPrintable(QString::number(time)));
    }
};

QTEST_GUILESS_MAIN(TestEngineScan)
#include "tst_engine.moc"

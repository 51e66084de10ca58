#include "TestEngine.h"
#include "TestTree.h"

#include <QSignalSpy>
#include <QtTest>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Lowers the soft limit of open descriptors for its lifetime so that only `free` more can be
// opened (descriptor numbers below the limit that are not in use).
class DescriptorLimit {
public:
    explicit DescriptorLimit(int free)
    {
        ::getrlimit(RLIMIT_NOFILE, &m_saved);
        int limit = 0;
        for (int found = 0; found < free; ++limit)
            found += ::fcntl(limit, F_GETFD) < 0;
        rlimit lowered = m_saved;
        lowered.rlim_cur = static_cast<rlim_t>(limit);
        ::setrlimit(RLIMIT_NOFILE, &lowered);
    }
    ~DescriptorLimit() { ::setrlimit(RLIMIT_NOFILE, &m_saved); }
    DescriptorLimit(const DescriptorLimit&) = delete;
    DescriptorLimit& operator=(const DescriptorLimit&) = delete;

private:
    rlimit m_saved{};
};

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

} // namespace

class TestScan : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void scanRules_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("switches");
        QTest::addColumn<bool>("showAll");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const char* entries, const char* switches,
                            bool showAll, const char* expected) {
            QTest::newRow(name) << pathList(entries) << pathList(switches) << showAll
                                << QString::fromUtf8(expected);
        };
        row("text files off, empty folder pruned", "README.txt,docs/", "", false, "");
        row("all files still prune empty folders", "README.txt,docs/", "", true, "README.txt");
        row("ignored names at any depth, files and folders",
            "src/.git/config,src/.git/hooks/pre-commit.py,src/main.c,node_modules,"
            "lib/node_modules/pkg/index.js,Pods/Thing/x.swift,.build/debug/y.swift,"
            ".vscode/settings.json,.gitignore,deep/.gitignore/inner.c,pods/kept.swift",
            "", true, "pods/[kept.swift],src/[main.c]");
        row("extension test is a case-sensitive suffix",
            "App.SWIFT,types.d.ts,View.Swift,util.hpp,engine.cpp,config.yml,config.yaml,"
            "sketch.ino,notes.md,notes.txt,tsconfig",
            "", false, "config.yaml,engine.cpp,notes.md,sketch.ino,types.d.ts");
        row("switched-off and added types", "a.md,b.rs,c.c", "-.md,+.rs", false, "b.rs,c.c");
        row(".DS_Store endings, folder contents dropped",
            ".DS_Store,notes.DS_Store,Bundle.DS_Store/inner.c,Bundle.DS_Store/deeper/more.c,keep.c",
            "", true, "keep.c");
        row("hidden folder walked, hidden file by type", ".env,.github/ci.yaml", "", false,
            ".github/[ci.yaml]");
        row("hidden file with all files", ".env,.github/ci.yaml", "", true,
            ".env,.github/[ci.yaml]");
        row("folders holding only empty folders are pruned", "a/b/c/,a/d/e.txt,f/g/h.c,f/i/", "",
            false, "f/[g/[h.c]]");
    }

    void scanRules()
    {
        QFETCH(QStringList, entries);
        QFETCH(QStringList, switches);
        QFETCH(bool, showAll);
        QFETCH(QString, expected);
        TestTree tree;
        QVERIFY(tree.addAll(entries));
        TestEngine rig;
        auto engine = rig.make();
        for (const QString& typeSwitch : switches)
            engine->setFileTypeEnabled(typeSwitch.mid(1), typeSwitch.startsWith(u'+'));
        engine->setShowAllFiles(showAll);
        engine->loadFiles(tree.root());
        QCOMPARE(sortedShape(engine->files()), expected);
    }

    // Ignored folders and links to folders are not descended into; a folder ending in .DS_Store
    // is left out without cutting the walk, so its contents come by and drop for lack of it. A
    // folder that cannot be read is skipped silently.
    void walkSkipsIgnoredFoldersAndLinks()
    {
        TestTree tree;
        QVERIFY(tree.addAll(pathList("src/.git/objects/ab/cdef,node_modules/pkg/lib/util.js,"
                                     "Odd.DS_Store/inside.c,src/main.c,src/.gitignore,real/a.c,"
                                     "secret/hidden.c")));
        const QByteArray secret = QFile::encodeName(tree.path(u"secret"_s));
        QCOMPARE(::chmod(secret.constData(), 0), 0);
        QVERIFY(tree.link(u"linked"_s, tree.path(u"real"_s)));
        QVERIFY(tree.link(u"alias.c"_s, tree.path(u"real/a.c"_s)));
        QVERIFY(tree.link(u"dangling.c"_s, tree.path(u"gone.c"_s)));
        QStringList yielded;
        QStringList skipped;
        TestEngine rig;
        auto engine = rig.make();
        engine->setWalkFactory([&] { return std::make_unique<RecordingWalk>(&yielded, &skipped); });
        engine->loadFiles(tree.root());
        skipped.sort();
        QCOMPARE(skipped, pathList("node_modules,src/.git,src/.gitignore"));
        for (const QString& rel : std::as_const(yielded))
            QVERIFY2(!rel.contains(u".git/"_s) && !rel.startsWith(u"node_modules/"_s) &&
                         !rel.startsWith(u"linked/"_s),
                     qPrintable(rel));
        QVERIFY(yielded.contains(u"Odd.DS_Store/inside.c"_s));
        ::chmod(secret.constData(), 0755);
        // Folder permissions do not stop root from reading.
        const QString readable = ::geteuid() == 0 ? u",secret/[hidden.c]"_s : QString();
        QCOMPARE(sortedShape(engine->files()),
                 u"alias.c,dangling.c,real/[a.c]"_s + readable + u",src/[main.c]"_s);

        // A root reached through a link keeps the link's path.
        const QString linkedRoot = tree.root() + u"-link"_s;
        QVERIFY(QFile::link(tree.path(u"real"_s), linkedRoot));
        engine->loadFiles(linkedRoot);
        QCOMPARE(engine->files().front()->path(), linkedRoot + u"/a.c"_s);
        QFile::remove(linkedRoot);
    }

    void entriesAreSortedFoldersFirstInNaturalOrder_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("order");
        const QStringList project = pathList("main.py,src/x10.c,README.md,scripts/s.py,Tests/t.py,"
                                             "src/x9.c,file10.c,file2.c,File1.c,b.c,A.c,a.c,"
                                             "src/x.c,src/lib/l.c");
        const QString order = u"scripts/,scripts/s.py,src/,src/lib/,src/lib/l.c,src/x.c,src/x9.c,"
                              u"src/x10.c,Tests/,Tests/t.py,A.c,a.c,b.c,File1.c,file2.c,file10.c,"
                              u"main.py,README.md"_s;
        QTest::newRow("C locale: English rules") << u"C"_s << project << order;
        QTest::newRow("German") << u"de_DE"_s << project << order;
        const QStringList letters{u"z.c"_s, u"\u00e4.c"_s, u"a.c"_s};
        QTest::newRow("German a-umlaut beside a") << u"de_DE"_s << letters << u"a.c,\u00e4.c,z.c"_s;
        QTest::newRow("Swedish a-umlaut after z") << u"sv_SE"_s << letters << u"a.c,z.c,\u00e4.c"_s;
    }

    void entriesAreSortedFoldersFirstInNaturalOrder()
    {
        QFETCH(QString, locale);
        QFETCH(QStringList, entries);
        QFETCH(QString, order);
        TestTree tree;
        QVERIFY(tree.addAll(entries));
        const QLocale previous;
        QLocale::setDefault(QLocale(locale));
        TestEngine rig;
        auto engine = rig.make();
        engine->loadFiles(tree.root());
        QLocale::setDefault(previous);
        QCOMPARE(preOrder(engine->files(), tree.root()).join(u','), order);
    }

    void savedSelectionAndExpansionComeBack()
    {
        TestTree tree;
        QVERIFY(tree.addAll(pathList("a.swift,src/b.c,src/inner/c.h")));
        const QString root = tree.root();
        const QSet<QString> selected = tree.paths(pathList("a.swift,gone.swift,src"));
        TestEngine rig;
        auto engine = rig.make();
        // A root given with trailing slashes still makes the paths the saved sets hold.
        engine->loadFiles(root + u"//"_s, selected,
                          tree.paths(pathList("src/inner,src/inner/c.h,nope")));
        const FileItem* a = findNode(engine->files(), root, u"a.swift"_s);
        const FileItem* src = findNode(engine->files(), root, u"src"_s);
        QCOMPARE(engine->selectedFiles(), (QSet<QUuid>{a->id(), src->id()}));
        QVERIFY(!src->isExpanded());
        QVERIFY(findNode(engine->files(), root, u"src/inner"_s)->isExpanded());

        // Saving keeps only paths of the current tree, folders included; expanded folders are
        // found inside collapsed ones.
        QSet<QString> savedSelected, savedExpanded;
        engine->saveState([&](const QSet<QString>& s, const QSet<QString>& e) {
            savedSelected = s;
            savedExpanded = e;
        });
        QCOMPARE(savedSelected, tree.paths(pathList("a.swift,src")));
        QCOMPARE(savedExpanded, tree.paths(pathList("src/inner,src/inner/c.h")));

        // Every scan makes new nodes; no saved sets, or empty ones, give an empty selection.
        const QUuid before = a->id();
        engine->loadFiles(root, QSet<QString>(), QSet<QString>());
        QVERIFY(engine->selectedFiles().isEmpty());
        engine->loadFiles(root, selected);
        engine->loadFiles(root);
        QVERIFY(engine->selectedFiles().isEmpty());
        QVERIFY(findNode(engine->files(), root, u"a.swift"_s)->id() != before);
    }

    void refusedOrVanishedFolders()
    {
        TestTree tree;
        QVERIFY(tree.addAll(pathList("a.c,b.c")));
        ScopedBookmarkService bookmarks;
        TestEngine rig;
        auto engine = rig.make();
        engine->loadFiles(tree.root(), tree.paths({u"a.c"_s}));
        QCOMPARE(bookmarks.service.begun, 1);
        QCOMPARE(bookmarks.service.ended, 1);
        const FileItem* before = engine->files().front().get();
        const QSet<QUuid> selection = engine->selectedFiles();
        QCOMPARE(selection.size(), 1);

        // Refused access, or no folder at all: nothing changes.
        bookmarks.service.refuse = true;
        QSignalSpy changed(engine.get(), &PlexorViewModel::filesChanged);
        QVERIFY(tree.add(u"new.c"_s));
        engine->loadFiles(tree.root());
        bookmarks.service.refuse = false;
        engine->loadFiles(std::nullopt);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(engine->files().front().get(), before);
        QCOMPARE(engine->selectedFiles(), selection);
        QCOMPARE(bookmarks.service.ended, 1);

        // A folder that is gone, or a file: an empty tree, the selection kept.
        for (const QString& path : {tree.path(u"missing"_s), tree.path(u"a.c"_s), QString()}) {
            engine->loadFiles(path);
            QVERIFY(engine->files().empty());
        }
        QCOMPARE(changed.count(), 3);
        QCOMPARE(engine->selectedFiles(), selection);
    }

    // (A file whose name is not UTF-8 is checked by the command-line test, with the file of the
    // same name once decoded.) A folder of such a name is left out with all it holds, in one log
    // line; a file the type switches leave out anyway is not logged.
    void namesThatAreNotUtf8AreLeftOutAndLogged()
    {
        TestTree tree;
        QVERIFY(tree.addRaw("d\xE9/"));
        QVERIFY(tree.addRaw("d\xE9/m.c", "M"));
        QVERIFY(tree.addRaw("d\xE9/inner\xFF/"));
        QVERIFY(tree.addRaw("over\xC0\xAF.c"));
        QVERIFY(tree.addRaw("off\xE9.txt"));
        QVERIFY(tree.add(u"src/caf\u00e9.c"_s));
        LogCapture log;
        TestEngine rig;
        auto engine = rig.make();
        engine->loadFiles(tree.root());
        QCOMPARE(sortedShape(engine->files()), u"src/[caf\u00e9.c]"_s);
        log.lines.sort();
        const QString start = u"Left out "_s + tree.root();
        const QString end = u": its name is not valid UTF-8."_s;
        QCOMPARE(log.lines,
                 (QStringList{start + u"/d\\xE9"_s + end, start + u"/over\\xC0\\xAF.c"_s + end}));
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
        TestEngine rig;
        auto engine = rig.make();
        LogCapture log;
        {
            const DescriptorLimit limit(3);
            engine->loadFiles(tree.root());
        }
        QStringList files = preOrder(engine->files(), tree.root());
        files.removeIf([](const QString& path) { return path.endsWith(u'/'); });
        files.sort();
        expected.sort();
        QCOMPARE(files, expected);
        QCOMPARE(log.lines, QStringList());

        // Without a descriptor to spare, a subfolder is left out and the log says so.
        TestTree flat;
        QVERIFY(flat.addAll(pathList("top.c,sub/inner.c")));
        log.lines.clear();
        {
            const DescriptorLimit limit(1);
            engine->loadFiles(flat.root());
        }
        QCOMPARE(sortedShape(engine->files()), u"top.c"_s);
        QCOMPARE(log.lines,
                 QStringList{u"Could not open folder "_s + flat.root() +
                             u"/sub: too many open files; its contents are left out."_s});
    }
};

QTEST_GUILESS_MAIN(TestScan)
#include "tst_scan.moc"

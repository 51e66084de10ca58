#include "FakeServices.h"
#include "TestTree.h"

#include "engine/PlexorViewModel.h"
#include "model/Preferences.h"
#include "platform/Log.h"
#include "platform/PosixFolderWalk.h"

#include <QSignalSpy>
#include <QtTest>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Lowers the soft limit of open descriptors for its lifetime so that only `free` more can be
// opened (descriptor numbers below the limit that are not in use).
class DescriptorLimit {
public:
    explicit DescriptorLimit(int free)
    {
        ::getrlimit(RLIMIT_NOFILE, &m_saved);
        int limit = 0;
        for (int found = 0; found < free; ++limit) {
            if (::fcntl(limit, F_GETFD) < 0)
                ++found;
        }
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

} // namespace

class TestScan : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_configDir;
    std::unique_ptr<Preferences> m_preferences;
    FakeClipboard m_clipboard;

    std::unique_ptr<PlexorViewModel> makeEngine()
    {
        return std::make_unique<PlexorViewModel>(*m_preferences, m_clipboard);
    }

    static QStringList relativePaths(const QSet<QString>& paths, const QString& root)
    {
        QStringList list;
        for (const QString& path : paths)
            list.append(path.startsWith(root + u'/') ? path.mid(root.size() + 1) : path);
        list.sort();
        return list;
    }

private Q_SLOTS:
    void init()
    {
        m_configDir = std::make_unique<QTemporaryDir>();
        m_preferences =
            std::make_unique<Preferences>(m_configDir->filePath(QStringLiteral("prefs.json")));
    }

    void cleanup()
    {
        m_preferences.reset();
        m_configDir.reset();
    }

    void scanRules_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("switches");
        QTest::addColumn<bool>("showAll");
        QTest::addColumn<QString>("expected");

        const QStringList readme{QStringLiteral("README.txt"), QStringLiteral("docs/")};
        QTest::newRow("text files off, empty folder pruned")
            << readme << QStringList() << false << QString();
        QTest::newRow("text files on") << readme << QStringList{QStringLiteral("+.txt")} << false
                                       << QStringLiteral("README.txt");
        QTest::newRow("all files still prune empty folders")
            << readme << QStringList() << true << QStringLiteral("README.txt");

        QTest::newRow("ignored names at any depth, files and folders")
            << QStringList{QStringLiteral("src/.git/config"),
                           QStringLiteral("src/.git/hooks/pre-commit.py"),
                           QStringLiteral("src/main.c"),
                           QStringLiteral("node_modules"),
                           QStringLiteral("lib/node_modules/pkg/index.js"),
                           QStringLiteral("Pods/Thing/x.swift"),
                           QStringLiteral(".build/debug/y.swift"),
                           QStringLiteral(".vscode/settings.json"),
                           QStringLiteral(".gitignore"),
                           QStringLiteral("deep/.gitignore/inner.c"),
                           QStringLiteral("pods/kept.swift")}
            << QStringList() << true << QStringLiteral("pods/[kept.swift],src/[main.c]");

        QTest::newRow("extension test is a case-sensitive suffix")
            << QStringList{QStringLiteral("App.SWIFT"),   QStringLiteral("types.d.ts"),
                           QStringLiteral("View.Swift"),  QStringLiteral("util.hpp"),
                           QStringLiteral("engine.cpp"),  QStringLiteral("config.yml"),
                           QStringLiteral("config.yaml"), QStringLiteral("sketch.ino"),
                           QStringLiteral("notes.md"),    QStringLiteral("notes.txt"),
                           QStringLiteral("tsconfig")}
            << QStringList() << false
            << QStringLiteral("config.yaml,engine.cpp,notes.md,sketch.ino,types.d.ts");

        QTest::newRow("switched-off and added types")
            << QStringList{QStringLiteral("a.md"), QStringLiteral("b.rs"), QStringLiteral("c.c")}
            << QStringList{QStringLiteral("-.md"), QStringLiteral("+.rs")} << false
            << QStringLiteral("b.rs,c.c");

        QTest::newRow(".DS_Store endings, folder contents dropped")
            << QStringList{QStringLiteral(".DS_Store"), QStringLiteral("notes.DS_Store"),
                           QStringLiteral("Bundle.DS_Store/inner.c"),
                           QStringLiteral("Bundle.DS_Store/deeper/more.c"),
                           QStringLiteral("keep.c")}
            << QStringList() << true << QStringLiteral("keep.c");

        const QStringList hidden{QStringLiteral(".env"), QStringLiteral(".github/ci.yaml")};
        QTest::newRow("hidden folder walked, hidden file by type")
            << hidden << QStringList() << false << QStringLiteral(".github/[ci.yaml]");
        QTest::newRow("hidden file with all files")
            << hidden << QStringList() << true << QStringLiteral(".env,.github/[ci.yaml]");

        QTest::newRow("folders holding only empty folders are pruned")
            << QStringList{QStringLiteral("a/b/c/"), QStringLiteral("a/d/e.txt"),
                           QStringLiteral("f/g/h.c"), QStringLiteral("f/i/")}
            << QStringList() << false << QStringLiteral("f/[g/[h.c]]");
    }

    void scanRules()
    {
        QFETCH(QStringList, entries);
        QFETCH(QStringList, switches);
        QFETCH(bool, showAll);
        QFETCH(QString, expected);

        TestTree tree;
        QVERIFY(tree.addAll(entries));
        auto engine = makeEngine();
        for (const QString& typeSwitch : switches)
            engine->setFileTypeEnabled(typeSwitch.mid(1), typeSwitch.startsWith(u'+'));
        engine->setShowAllFiles(showAll);
        engine->loadFiles(tree.root());
        QCOMPARE(sortedShape(engine->files()), expected);
    }

    void ignoredFoldersAreNotDescended()
    {
        TestTree tree;
        QVERIFY(tree.addAll({QStringLiteral("src/.git/config"),
                             QStringLiteral("src/.git/objects/ab/cdef"),
                             QStringLiteral("node_modules/pkg/index.js"),
                             QStringLiteral("node_modules/pkg/lib/util.js"),
                             QStringLiteral("Odd.DS_Store/inside.c"), QStringLiteral("src/main.c"),
                             QStringLiteral("src/.gitignore")}));
        QStringList yielded;
        QStringList skipped;
        auto engine = makeEngine();
        engine->setWalkFactory([&] { return std::make_unique<RecordingWalk>(&yielded, &skipped); });
        engine->loadFiles(tree.root());

        skipped.sort();
        QCOMPARE(skipped, (QStringList{QStringLiteral("node_modules"), QStringLiteral("src/.git"),
                                       QStringLiteral("src/.gitignore")}));
        for (const QString& rel : std::as_const(yielded)) {
            QVERIFY2(!rel.startsWith(QStringLiteral("src/.git/")), qPrintable(rel));
            QVERIFY2(!rel.startsWith(QStringLiteral("node_modules/")), qPrintable(rel));
        }
        // A folder ending in .DS_Store is left out without cutting the walk: its contents still
        // come by and are dropped for lack of their folder.
        QVERIFY(yielded.contains(QStringLiteral("Odd.DS_Store/inside.c")));
        QCOMPARE(sortedShape(engine->files()), QStringLiteral("src/[main.c]"));
    }

    void linksAreFollowedForTheTestButNotDescended()
    {
        TestTree tree;
        QVERIFY(tree.addAll({QStringLiteral("real/a.c")}));
        QVERIFY(tree.link(QStringLiteral("linked"), tree.path(QStringLiteral("real"))));
        QVERIFY(tree.link(QStringLiteral("alias.c"), tree.path(QStringLiteral("real/a.c"))));
        QVERIFY(tree.link(QStringLiteral("dangling.c"), tree.path(QStringLiteral("gone.c"))));
        QStringList yielded;
        QStringList skipped;
        auto engine = makeEngine();
        engine->setWalkFactory([&] { return std::make_unique<RecordingWalk>(&yielded, &skipped); });
        engine->loadFiles(tree.root());

        QVERIFY(yielded.contains(QStringLiteral("linked")));
        QVERIFY(!yielded.contains(QStringLiteral("linked/a.c")));
        // The link to a folder is a folder with nothing found under it, so it is pruned; a link
        // to a file and a dangling link both count as files.
        QCOMPARE(sortedShape(engine->files()), QStringLiteral("alias.c,dangling.c,real/[a.c]"));
    }

    void rootReachedThroughALink()
    {
        TestTree tree;
        QVERIFY(tree.add(QStringLiteral("main.c")));
        const QString linkedRoot = tree.root() + QStringLiteral("-link");
        QVERIFY(QFile::link(tree.root(), linkedRoot));
        auto engine = makeEngine();
        engine->loadFiles(linkedRoot);
        QCOMPARE(sortedShape(engine->files()), QStringLiteral("main.c"));
        QCOMPARE(engine->files().front()->path(), linkedRoot + QStringLiteral("/main.c"));
        QFile::remove(linkedRoot);
    }

    void unreadableFoldersAreSkippedSilently()
    {
        if (::geteuid() == 0)
            QSKIP("Running as root: folder permissions do not stop root from reading.");
        TestTree tree;
        QVERIFY(tree.addAll({QStringLiteral("secret/hidden.c"), QStringLiteral("open/seen.c")}));
        const QByteArray secret = QFile::encodeName(tree.path(QStringLiteral("secret")));
        QCOMPARE(::chmod(secret.constData(), 0), 0);
        auto engine = makeEngine();
        engine->loadFiles(tree.root());
        ::chmod(secret.constData(), 0755);
        QCOMPARE(sortedShape(engine->files()), QStringLiteral("open/[seen.c]"));
    }

    void entriesAreSortedFoldersFirstInNaturalOrder_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("shape");
        const QStringList project{QStringLiteral("main.py"),    QStringLiteral("src/x10.c"),
                                  QStringLiteral("README.md"),  QStringLiteral("scripts/s.py"),
                                  QStringLiteral("Tests/t.py"), QStringLiteral("src/x9.c"),
                                  QStringLiteral("file10.c"),   QStringLiteral("file2.c"),
                                  QStringLiteral("File1.c"),    QStringLiteral("b.c"),
                                  QStringLiteral("A.c"),        QStringLiteral("a.c"),
                                  QStringLiteral("src/x.c"),    QStringLiteral("src/lib/l.c")};
        const QString projectShape =
            QStringLiteral("scripts/[s.py],src/[lib/[l.c],x.c,x9.c,x10.c],Tests/[t.py],"
                           "A.c,a.c,b.c,File1.c,file2.c,file10.c,main.py,README.md");
        QTest::newRow("C locale: English rules") << QStringLiteral("C") << project << projectShape;
        QTest::newRow("German") << QStringLiteral("de_DE") << project << projectShape;
        const QStringList letters{QStringLiteral("z.c"), QStringLiteral("\u00e4.c"),
                                  QStringLiteral("a.c")};
        QTest::newRow("German a-umlaut beside a")
            << QStringLiteral("de_DE") << letters << QStringLiteral("a.c,\u00e4.c,z.c");
        QTest::newRow("Swedish a-umlaut after z")
            << QStringLiteral("sv_SE") << letters << QStringLiteral("a.c,z.c,\u00e4.c");
    }

    void entriesAreSortedFoldersFirstInNaturalOrder()
    {
        QFETCH(QString, locale);
        QFETCH(QStringList, entries);
        QFETCH(QString, shape);
        TestTree tree;
        QVERIFY(tree.addAll(entries));
        const QLocale previous;
        QLocale::setDefault(QLocale(locale));
        auto engine = makeEngine();
        engine->loadFiles(tree.root());
        QLocale::setDefault(previous);
        std::function<QString(const FileItemList&)> orderedShape = [&](const FileItemList& nodes) {
            QStringList parts;
            for (const auto& node : nodes) {
                parts.append(node->name());
                if (node->isFolder())
                    parts.last() += QStringLiteral("/[") + orderedShape(node->children()) + u']';
            }
            return parts.join(u',');
        };
        QCOMPARE(orderedShape(engine->files()), shape);
    }

    void nodesKnowTheirPlace()
    {
        TestTree tree;
        QVERIFY(tree.addAll({QStringLiteral("a/empty/"), QStringLiteral("a/b.c"),
                             QStringLiteral("a/c/d.h"), QStringLiteral("e.c")}));
        auto engine = makeEngine();
        engine->loadFiles(tree.root() + QStringLiteral("//"));
        std::function<void(const FileItemList&, FileItem*)> check = [&](const FileItemList& nodes,
                                                                        FileItem* parent) {
            for (int row = 0; row < static_cast<int>(nodes.size()); ++row) {
                const FileItem& node = *nodes[static_cast<size_t>(row)];
                QCOMPARE(node.parent(), parent);
                QCOMPARE(node.row(), row);
                QCOMPARE(node.hasChildList(), node.isFolder());
                QVERIFY(!node.path().contains(QStringLiteral("//")));
                QCOMPARE(node.path(), (parent ? parent->path() : tree.root()) + u'/' + node.name());
                QVERIFY(!node.isExpanded());
                check(node.children(), const_cast<FileItem*>(&node));
            }
        };
        check(engine->files(), nullptr);
        QCOMPARE(sortedShape(engine->files()), QStringLiteral("a/[b.c,c/[d.h]],e.c"));
    }

    void savedSelectionAndExpansionComeBack()
    {
        TestTree tree;
        QVERIFY(tree.addAll({QStringLiteral("a.swift"), QStringLiteral("src/b.c"),
                             QStringLiteral("src/inner/c.h")}));
        const QString root = tree.root();
        const QSet<QString> selected{tree.path(QStringLiteral("a.swift")),
                                     tree.path(QStringLiteral("gone.swift")),
                                     tree.path(QStringLiteral("src"))};
        const QSet<QString> expanded{tree.path(QStringLiteral("src/inner")),
                                     tree.path(QStringLiteral("src/inner/c.h")),
                                     tree.path(QStringLiteral("nope"))};
        auto engine = makeEngine();
        engine->loadFiles(root, selected, expanded);

        const FileItem* a = findNode(engine->files(), root, QStringLiteral("a.swift"));
        const FileItem* src = findNode(engine->files(), root, QStringLiteral("src"));
        QVERIFY(a && src);
        QCOMPARE(engine->selectedFiles(), (QSet<QUuid>{a->id(), src->id()}));
        QVERIFY(!src->isExpanded());
        QVERIFY(findNode(engine->files(), root, QStringLiteral("src/inner"))->isExpanded());
        QVERIFY(findNode(engine->files(), root, QStringLiteral("src/inner/c.h"))->isExpanded());

        // Saving keeps only paths of the current tree, folders included; expanded folders are
        // found inside collapsed ones.
        QStringList savedSelected;
        QStringList savedExpanded;
        engine->saveState([&](const QSet<QString>& s, const QSet<QString>& e) {
            savedSelected = relativePaths(s, root);
            savedExpanded = relativePaths(e, root);
        });
        QCOMPARE(savedSelected, (QStringList{QStringLiteral("a.swift"), QStringLiteral("src")}));
        QCOMPARE(savedExpanded,
                 (QStringList{QStringLiteral("src/inner"), QStringLiteral("src/inner/c.h")}));

        // Empty saved sets and none both give an empty selection.
        engine->loadFiles(root, QSet<QString>(), QSet<QString>());
        QVERIFY(engine->selectedFiles().isEmpty());
        engine->loadFiles(root, selected);
        QCOMPARE(engine->selectedFiles().size(), 2);
        engine->loadFiles(root);
        QVERIFY(engine->selectedFiles().isEmpty());
    }

    void everyScanMakesNewNodes()
    {
        TestTree tree;
        QVERIFY(tree.addAll({QStringLiteral("a.c"), QStringLiteral("b/c.c")}));
        auto engine = makeEngine();
        QSignalSpy aboutToChange(engine.get(), &PlexorViewModel::filesAboutToChange);
        QSignalSpy changed(engine.get(), &PlexorViewModel::filesChanged);
        QStringList order;
        connect(engine.get(), &PlexorViewModel::filesAboutToChange, this,
                [&] { order.append(QStringLiteral("about")); });
        connect(engine.get(), &PlexorViewModel::filesChanged, this,
                [&] { order.append(QStringLiteral("changed")); });

        engine->loadFiles(tree.root());
        const FileItem* first = findNode(engine->files(), tree.root(), QStringLiteral("a.c"));
        QVERIFY(first);
        const QUuid firstId = first->id();
        QCOMPARE(firstId.version(), QUuid::Random);
        QCOMPARE(firstId.variant(), QUuid::DCE);
        engine->loadFiles(tree.root());
        const FileItem* second = findNode(engine->files(), tree.root(), QStringLiteral("a.c"));
        QCOMPARE(second->path(), tree.path(QStringLiteral("a.c")));
        QVERIFY(second->id() != firstId);
        QCOMPARE(order, (QStringList{QStringLiteral("about"), QStringLiteral("changed"),
                                     QStringLiteral("about"), QStringLiteral("changed")}));

        // Ids are unique within one tree as well.
        QSet<QUuid> ids;
        std::function<void(const FileItemList&)> collect = [&](const FileItemList& nodes) {
            for (const auto& node : nodes) {
                ids.insert(node->id());
                collect(node->children());
            }
        };
        collect(engine->files());
        QCOMPARE(ids.size(), 3);
    }

    void refusedAccessChangesNothing()
    {
        TestTree tree;
        QVERIFY(tree.addAll({QStringLiteral("a.c"), QStringLiteral("b.c")}));
        ScopedBookmarkService bookmarks;
        auto engine = makeEngine();
        engine->loadFiles(tree.root(), QSet<QString>{tree.path(QStringLiteral("a.c"))});
        QCOMPARE(bookmarks.service.begun, 1);
        QCOMPARE(bookmarks.service.ended, 1);
        const FileItem* before = engine->files().front().get();
        const QSet<QUuid> selection = engine->selectedFiles();
        QCOMPARE(selection.size(), 1);

        bookmarks.service.refuse = true;
        QSignalSpy changed(engine.get(), &PlexorViewModel::filesChanged);
        QVERIFY(tree.add(QStringLiteral("new.c")));
        engine->loadFiles(tree.root());
        QCOMPARE(changed.count(), 0);
        QCOMPARE(engine->files().front().get(), before);
        QCOMPARE(engine->selectedFiles(), selection);
        QCOMPARE(bookmarks.service.ended, 1);

        // No folder at all: nothing happens and no access is asked for.
        bookmarks.service.refuse = false;
        engine->loadFiles(std::nullopt);
        QCOMPARE(bookmarks.service.begun, 1);
        QCOMPARE(changed.count(), 0);
    }

    void vanishedFolderEmptiesTreeButKeepsSelection()
    {
        TestTree tree;
        QVERIFY(tree.add(QStringLiteral("a.c")));
        auto engine = makeEngine();
        engine->loadFiles(tree.root(), QSet<QString>{tree.path(QStringLiteral("a.c"))});
        QCOMPARE(engine->selectedFiles().size(), 1);
        QSignalSpy changed(engine.get(), &PlexorViewModel::filesChanged);
        engine->loadFiles(tree.root() + QStringLiteral("/missing"));
        QCOMPARE(changed.count(), 1);
        QVERIFY(engine->files().empty());
        QCOMPARE(engine->selectedFiles().size(), 1);
        engine->loadFiles(tree.path(QStringLiteral("a.c")));
        QVERIFY(engine->files().empty());
        engine->loadFiles(QString());
        QVERIFY(engine->files().empty());
    }

    void namesThatAreNotUtf8AreLeftOutAndLogged()
    {
        TestTree tree;
        // "k\xEF\xBF\xBD.c" is a real U+FFFD; "k\xE9.c" is Latin-1 and would decode to the same.
        QVERIFY(tree.addRaw("k\xEF\xBF\xBD.c", "A"));
        QVERIFY(tree.addRaw("k\xE9.c", "B"));
        QVERIFY(tree.addRaw("d\xE9/"));
        QVERIFY(tree.addRaw("d\xE9/m.c", "M"));
        QVERIFY(tree.addRaw("d\xE9/inner\xFF/"));
        QVERIFY(tree.addRaw("over\xC0\xAF.c"));
        QVERIFY(tree.addRaw("off\xE9.txt"));
        QVERIFY(tree.add(QStringLiteral("src/caf\u00e9.c")));
        QStringList log;
        const Log::Sink previous = Log::setSink([&log](const QString& line) { log << line; });
        auto engine = makeEngine();
        const QString kept = tree.path(QStringLiteral("k\uFFFD.c"));
        engine->loadFiles(tree.root(), QSet<QString>{kept});
        engine->generateContent(tree.root());
        Log::setSink(previous);

        QCOMPARE(sortedShape(engine->files()), QStringLiteral("k\uFFFD.c,src/[caf\u00e9.c]"));
        // One line per entry left out (a folder's contents are not walked), none for a file the
        // type switches leave out anyway.
        log.sort();
        const QString end = QStringLiteral(": its name is not valid UTF-8.");
        const QString start = QStringLiteral("Left out ") + tree.root();
        QCOMPARE(log, (QStringList{start + QStringLiteral("/d\\xE9") + end,
                                   start + QStringLiteral("/k\\xE9.c") + end,
                                   start + QStringLiteral("/over\\xC0\\xAF.c") + end}));
        const QString text = engine->generatedContent();
        QCOMPARE(text.count(QStringLiteral("\n\nA\n\n")), 1);
        QVERIFY(!text.contains(QStringLiteral("\n\nB\n\n")));
    }

    void deepTreesAreWalkedWhateverTheDescriptors_data()
    {
        QTest::addColumn<int>("freeDescriptors");
        QTest::newRow("deeper than the folders held open") << 0;
        QTest::newRow("three descriptors to spare") << 3;
    }

    void deepTreesAreWalkedWhateverTheDescriptors()
    {
        QFETCH(int, freeDescriptors);
        // Every level holds a file and the next level; every tenth also holds, on both sides
        // of the next level in any directory order, a folder that is only reached after the
        // walk comes back up.
        TestTree tree;
        QStringList expected;
        QString level;
        for (int depth = 0; depth < 80; ++depth) {
            QStringList entries{QStringLiteral("f%1.c").arg(depth)};
            if (depth % 10 == 0)
                entries << QStringLiteral("a%1/s.c").arg(depth)
                        << QStringLiteral("z%1/s.c").arg(depth);
            for (const QString& relative : std::as_const(entries)) {
                QVERIFY(tree.add(level + relative));
                expected << level + relative;
            }
            level += QStringLiteral("l%1/").arg(depth);
        }
        QVERIFY(tree.add(level + QStringLiteral("deep.c")));
        expected << level + QStringLiteral("deep.c");
        expected.sort();

        auto engine = makeEngine();
        QStringList log;
        const Log::Sink previous = Log::setSink([&log](const QString& line) { log << line; });
        {
            std::optional<DescriptorLimit> limit;
            if (freeDescriptors > 0)
                limit.emplace(freeDescriptors);
            engine->loadFiles(tree.root());
        }
        Log::setSink(previous);

        QStringList files;
        std::function<void(const FileItemList&)> collect = [&](const FileItemList& nodes) {
            for (const auto& node : nodes) {
                if (!node->isFolder())
                    files << node->path().mid(tree.root().size() + 1);
                collect(node->children());
            }
        };
        collect(engine->files());
        files.sort();
        QCOMPARE(files, expected);
        QCOMPARE(log, QStringList());
    }

    void walkWithoutDescriptorsToSpareSaysSo()
    {
        TestTree tree;
        QVERIFY(tree.addAll({QStringLiteral("top.c"), QStringLiteral("sub/inner.c")}));
        QStringList log;
        const Log::Sink previous = Log::setSink([&log](const QString& line) { log << line; });
        auto engine = makeEngine();
        {
            const DescriptorLimit limit(1);
            engine->loadFiles(tree.root());
        }
        Log::setSink(previous);
        QCOMPARE(sortedShape(engine->files()), QStringLiteral("top.c"));
        QCOMPARE(log, QStringList{QStringLiteral("Could not open folder ") + tree.root() +
                                  QStringLiteral("/sub: too many open files; its contents are "
                                                 "left out.")});
    }

    void walkYieldsPreOrderWithConsistentPaths()
    {
        TestTree tree;
        QVERIFY(tree.addAll({QStringLiteral("a/b/c/d.txt"), QStringLiteral("a/e.txt"),
                             QStringLiteral(".hidden/f"), QStringLiteral("g"),
                             QStringLiteral("caf\u00e9/\u00fc.c")}));
        PosixFolderWalk walk;
        QVERIFY(!walk.start(tree.path(QStringLiteral("g"))));
        QVERIFY(!walk.start(tree.path(QStringLiteral("missing"))));
        QVERIFY(walk.start(tree.root()));
        QStringList seen;
        while (walk.next()) {
            const QString rel = QString::fromUtf8(walk.relativePath());
            const QString name = QString::fromUtf8(walk.name());
            QVERIFY(rel.endsWith(name));
            QCOMPARE(walk.depth(), static_cast<int>(rel.count(u'/')));
            const qsizetype slash = rel.lastIndexOf(u'/');
            if (slash > 0)
                QVERIFY2(seen.contains(rel.left(slash)), qPrintable(rel));
            QCOMPARE(walk.isFolder(), QFileInfo(tree.path(rel)).isDir());
            if (rel == u"a/b")
                walk.skipDescendants();
            seen.append(rel);
        }
        seen.sort();
        QCOMPARE(seen, (QStringList{QStringLiteral(".hidden"), QStringLiteral(".hidden/f"),
                                    QStringLiteral("a"), QStringLiteral("a/b"),
                                    QStringLiteral("a/e.txt"), QStringLiteral("caf\u00e9"),
                                    QStringLiteral("caf\u00e9/\u00fc.c"), QStringLiteral("g")}));
    }
};

QTEST_GUILESS_MAIN(TestScan)
#include "tst_scan.moc"

#include "HostileTree.h"
#include "PlexorProcess.h"
#include "StoredRecords.h"
#include "engine/TestTree.h"
#include "engine/TokenEncoding.h"
#include "model/PreferenceKeys.h"
#include "model/Preferences.h"
#include "ui/CharacterCount.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QtTest>

#include <grp.h>

namespace {

const QByteArray rule = "------------------------------------";

QStringList commaList(const char* text)
{
    return QString::fromUtf8(text).split(u',', Qt::SkipEmptyParts);
}

// The file paths listed after the prefix of a generated text, without the project's name.
QStringList listedFiles(const QByteArray& text)
{
    const QList<QByteArray> lines = text.split('\n');
    QStringList files;
    for (qsizetype i = 2; i < lines.size() && !lines.at(i).isEmpty(); ++i)
        files.append(QString::fromUtf8(lines.at(i).mid(lines.at(i).indexOf('/') + 1)));
    files.sort();
    return files;
}

} // namespace

// The built `plexor` on real trees: `tree`, `generate`, `projects` and `tokens`; what git
// ignores or reports changed checked against git itself.
class TestPlexor : public QObject {
    Q_OBJECT

    std::unique_ptr<PlexorRunner> m_plexor;
    std::unique_ptr<TestTree> m_disk; // the projects' folders
    QString m_git;
    std::unique_ptr<PlexorRunner> m_gitPlexor;
    std::unique_ptr<TestTree> m_repository;

    PlexorRun plexor(const QStringList& arguments, const QString& workingDirectory = {})
    {
        return m_plexor->run(arguments, workingDirectory);
    }

    QString disk(const char* relative) const { return m_disk->path(QString::fromUtf8(relative)); }

    void storeLibrary(const QByteArray& recents)
    {
        Preferences preferences(m_plexor->preferencesPath());
        preferences.setText(PreferenceKeys::savedPrefixText, u"P"_s);
        preferences.setBytes(PreferenceKeys::recentFoldersJson, recents);
    }

    // Five projects in library order: three pinned by name, two unpinned newest first; two share
    // the name "beta". The folder of "project 10" does not exist.
    void seedLibrary()
    {
        QVERIFY(m_disk->addAll(words("Coding/Robots/arm/main.c Coding/Robots/arm/other.c "
                                     "work/beta/ other/beta/")));
        QVERIFY(m_disk->add(u"work/Project 2/"_s));
        const auto project = [this](const char* path, bool pinned, double lastAccessed,
                                    const char* tag) {
            RecentFolder folder =
                StoredRecords::project(disk(path), pinned, lastAccessed,
                                       *tag ? std::optional(QString::fromUtf8(tag)) : std::nullopt);
            folder.bookmarkData = QJsonDocument(QJsonObject{{u"path"_s, folder.path}}).toJson();
            return folder;
        };
        RecentFolder arm = project("Coding/Robots/arm", true, 50, "");
        arm.savedSelectedPaths = QSet<QString>{disk("Coding/Robots/arm/main.c")};
        storeLibrary(RecentFolderCodec::encode({arm, project("work/Project 2", true, 10, "Swift"),
                                                project("work/project 10", true, 20, ""),
                                                project("work/beta", false, 200, "apps"),
                                                project("other/beta", false, 100, "Python")}));
    }

    // Runs git in `folder` with the git cases' configuration folder and home, and no other.
    QByteArray git(const char* arguments, const QString& folder = {}) const
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_CONFIG_HOME"_s, m_gitPlexor->configHome());
        environment.insert(u"HOME"_s, m_gitPlexor->configHome());
        environment.insert(u"GIT_CONFIG_NOSYSTEM"_s, u"1"_s);
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(folder.isEmpty() ? m_repository->root() : folder);
        process.start(m_git, words("-c user.name=T -c user.email=t@t") + words(arguments));
        if (!process.waitForFinished() || process.exitCode() != 0)
            qWarning("git %s failed: %s", arguments, process.readAllStandardError().constData());
        return process.readAllStandardOutput();
    }

    // The files of a git listing that the scan takes with every type on: none below one of the
    // fixed ignored names, none that is gone from the disk.
    static QStringList takenByScan(const QList<QByteArray>& paths, const QString& folder)
    {
        static const QStringList fixed = words(".git .build .vscode Pods node_modules .gitignore");
        QStringList files;
        for (const QByteArray& raw : paths) {
            const QString path = QString::fromUtf8(raw);
            const QStringList parts = path.split(u'/');
            if (!path.isEmpty() && QFileInfo(folder + u'/' + path).isFile() &&
                std::none_of(parts.begin(), parts.end(),
                             [](const QString& part) { return fixed.contains(part); }))
                files.append(path);
        }
        files.removeDuplicates();
        files.sort();
        return files;
    }

    static QStringList filesOfListing(const QByteArray& listing)
    {
        return listedEntries(listing).filter(QRegularExpression(u"[^/]$"_s));
    }

private Q_SLOTS:
    // A work tree for the git cases: nested ignore rules, a global and a local exclude file, a
    // tracked file inside an ignored folder, and every kind of change.
    void initTestCase()
    {
        m_git = QStandardPaths::findExecutable(u"git"_s);
        if (m_git.isEmpty())
            return;
        m_gitPlexor = std::make_unique<PlexorRunner>();
        m_repository = std::make_unique<TestTree>();
        const TestTree& t = *m_repository;
        git("init -q");
        QVERIFY(t.add(u".gitignore"_s, "*.log\nbuild/\n!important.log\ndocs/*.md\n!docs/keep.md\n"
                                       "logs/\n!logs/keep.c\n/top.c\n"));
        QVERIFY(t.add(u"src/.gitignore"_s, "generated/\n*.tmp.c\n!keep.tmp.c\n"));
        QVERIFY(t.add(u".git/info/exclude"_s, "secret.c\n"));
        QVERIFY(QDir().mkpath(m_gitPlexor->configHome() + u"/git"_s));
        QVERIFY(StoredRecords::writeFile(m_gitPlexor->configHome() + u"/git/ignore"_s, "*.bak\n"));
        QVERIFY(t.addAll(words("top.c sub/top.c src/main.c src/gen.tmp.c src/keep.tmp.c "
                               "src/generated/x.c src/lib/util.h src/lib/old.h build/out.c a.log "
                               "important.log docs/a.md docs/keep.md logs/keep.c secret.c "
                               "src/secret.c notes.bak node_modules/m.js build/tracked.c")));
        // A path long enough that the next one in a compressed index (an ignored but tracked
        // file) drops over 127 bytes of it.
        QVERIFY(t.add(u"b"_s + QString(140, u'n') + u"/deep.c"_s, "x"));
        git("add -A");
        git("add -f build/tracked.c");
        git("commit -q -m start");
        // Modified, staged new, renamed, untracked, deleted, modified but ignored.
        QVERIFY(t.add(u"src/main.c"_s, "changed"));
        QVERIFY(t.add(u"staged.c"_s, "s"));
        git("add staged.c");
        git("mv src/lib/util.h src/lib/tools.h");
        QVERIFY(t.addAll(words("new.c src/lib/new/deep.h build/untracked.c build/sub/deep.c "
                               "build/sub/intent.c")));
        git("add -N -f build/sub/intent.c");
        QVERIFY(QFile::remove(t.path(u"src/lib/old.h"_s)));
        QVERIFY(t.add(u"build/tracked.c"_s, "changed too"));
    }

    void init()
    {
        m_plexor = std::make_unique<PlexorRunner>();
        m_disk = std::make_unique<TestTree>();
    }

    void optionsChooseTheFiles_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QStringList>("generated");
        const auto row = [](const char* name, const char* options, const char* listed,
                            const char* generated) {
            QTest::newRow(name) << words(options) << commaList(listed) << commaList(generated);
        };
        row("defaults: known types, no ignored or empty folder", "",
            "README.md,main.c,src/,src/lib/,src/lib/util.h,src/main.c,vendor/,vendor/v.c", "");
        row("all files", "--all-files",
            ".env,README.md,main.c,notes.txt,notestxt,src/,src/lib/,src/lib/util.h,src/main.c,"
            "vendor/,vendor/v.c",
            "");
        row("gitignore outside a git work tree", "--gitignore",
            "README.md,main.c,src/,src/lib/,src/lib/util.h,src/main.c,vendor/,vendor/v.c", "");
        row("type switches in both spellings", "--type=txt=on --type .md=off",
            "main.c,notes.txt,src/,src/lib/,src/lib/util.h,src/main.c,vendor/,vendor/v.c", "");
        row("select all", "--select-all",
            "README.md,main.c,src/,src/lib/,src/lib/util.h,src/main.c,vendor/,vendor/v.c",
            "README.md,main.c,src/lib/util.h,src/main.c,vendor/v.c");
        row("include by name at any depth", "--include main.c", "main.c,src/,src/main.c",
            "main.c,src/main.c");
        row("anchored include, excluded folder", "--include=/*.c --include **/*.h --exclude=src/",
            "main.c", "main.c");
        row("exclude alone", "--exclude *.h --exclude vendor", "README.md,main.c,src/,src/main.c",
            "");
        // `tree` has no --select: no listing.
        row("exclude beats select", "--select=src/main.c --select-all --exclude=src/*.c", "",
            "README.md,main.c,src/lib/util.h,vendor/v.c");
    }

    void optionsChooseTheFiles()
    {
        QFETCH(QStringList, options);
        QFETCH(QStringList, listed);
        QFETCH(QStringList, generated);
        TestTree tree;
        // "notestxt" has no extension: --type=txt=on must not take it.
        QVERIFY(tree.addAll(commaList("main.c,src/main.c,src/lib/util.h,vendor/v.c,notes.txt,"
                                      "notestxt,README.md,.env,node_modules/x.js,empty/")));
        QVERIFY(tree.add(u".gitignore"_s, "main.c\n"));
        if (!listed.isEmpty()) {
            const PlexorRun run = plexor(QStringList{u"tree"_s, tree.root()} + options);
            QCOMPARE(run.err, QByteArray());
            QCOMPARE(listedEntries(run.out), listed);
        }
        const PlexorRun run = plexor(QStringList{u"generate"_s, tree.root()} + options);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(listedFiles(run.out), generated);
    }

    void gitignoreListsWhatGitLists_data()
    {
        QTest::addColumn<QString>("folder");
        // A file the scan takes without the switch and git leaves out.
        QTest::addColumn<QString>("ignored");
        QTest::newRow("top of the work tree") << QString() << u"src/gen.tmp.c"_s;
        QTest::newRow("folder inside the work tree") << u"src"_s << u"gen.tmp.c"_s;
        QTest::newRow("ignored folder holding tracked files") << u"build"_s << u"sub/deep.c"_s;
    }

    void gitignoreListsWhatGitLists()
    {
        QFETCH(QString, folder);
        QFETCH(QString, ignored);
        if (m_git.isEmpty())
            QSKIP("git is not installed");
        const QString path = folder.isEmpty() ? m_repository->root() : m_repository->path(folder);
        // Every layout of the index file git writes: plain, with extended flags (the file added
        // with --intent-to-add), with compressed paths, split in two files with entries deleted,
        // replaced and added after the split.
        const QByteArray keepSplit = "-c splitIndex.maxPercentChange=100 ";
        for (const QByteArray& layout :
             QByteArrayList{"update-index --index-version 2", "update-index --index-version 3",
                            "update-index --index-version 4",
                            "update-index --split-index;" + keepSplit +
                                "rm -q --cached build/tracked.c;" + keepSplit +
                                "update-index --chmod=+x src/main.c;" + keepSplit +
                                "add -f build/untracked.c"}) {
            for (const QByteArray& command : layout.split(';'))
                git(command.constData());
            const QStringList expected = takenByScan(
                git("ls-files --cached --others --exclude-standard", path).split('\n'), path);
            QVERIFY(!expected.isEmpty() && !expected.contains(ignored));
            const PlexorRun run =
                m_gitPlexor->run({u"tree"_s, path, u"--gitignore"_s, u"--all-files"_s});
            QCOMPARE(run.exitCode, 0);
            QCOMPARE(run.err, QByteArray());
            QVERIFY2(filesOfListing(run.out) == expected, layout.constData());
        }
        QVERIFY(StoredRecords::readFile(m_repository->path(u".git/index"_s)).contains("link"));
        for (const char* command : {"add -f build/tracked.c", "update-index --chmod=-x src/main.c",
                                    "rm -q --cached build/untracked.c",
                                    "update-index --no-split-index"})
            git(command);
        // Without the switch the scan takes the ignored files as before.
        const PlexorRun plain = m_gitPlexor->run({u"tree"_s, path, u"--all-files"_s});
        QVERIFY(filesOfListing(plain.out).contains(ignored));
    }

    void changedListsWhatGitStatusReports()
    {
        if (m_git.isEmpty())
            QSKIP("git is not installed");
        const QString root = m_repository->root();
        const PlexorRun run = m_gitPlexor->run({u"tree"_s, root, u"--changed"_s, u"--all-files"_s});
        QCOMPARE(run.exitCode, 0);
        QList<QByteArray> paths;
        for (const QByteArray& line : git("status --porcelain -uall").split('\n')) {
            const QByteArray path = line.mid(3);
            const qsizetype arrow = path.indexOf(" -> ");
            paths.append(arrow < 0 ? path : path.mid(arrow + 4));
        }
        const QStringList expected = takenByScan(paths, root);
        QVERIFY(expected.contains(u"src/lib/tools.h"_s));
        QCOMPARE(filesOfListing(run.out), expected);
        // generate --changed selects the same files.
        const PlexorRun generated =
            m_gitPlexor->run({u"generate"_s, root, u"--changed"_s, u"--all-files"_s});
        QCOMPARE(generated.exitCode, 0);
        QCOMPARE(listedFiles(generated.out), expected);
    }

    void treeLineFormatAndOrder()
    {
        TestTree tree;
        QVERIFY(tree.addAll(commaList("a/b/c.c,B.c,a.c,z/x10.c,z/x9.c")));
        const PlexorRun run = plexor({u"tree"_s, u"app/"_s}, QFileInfo(tree.root()).absolutePath());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QByteArray("a/\n  b/\n    c.c\nz/\n  x9.c\n  x10.c\na.c\nB.c\n"));
    }

    void generateWithTheDefaultTexts()
    {
        TestTree tree;
        QVERIFY(tree.add(u"src/main.c"_s, "int main() {}\n"));
        QVERIFY(tree.add(u"other.c"_s, "no"));
        const PlexorRun run =
            plexor({u"generate"_s, tree.root(), u"--select"_s, u"./src/main.c"_s});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.out,
                 "Here are the files of my project.\n\napp/src/main.c\n\n\n\n\n" + rule +
                     "\napp/src/main.c\n" + rule + "\n\nint main() {}\n\n\n\n\n-------------\n" +
                     "I want you to read everything above carefully, analyze how my app works "
                     "completely. When you are finished just reply 'I\xe2\x80\x99m ready!'. I will "
                     "ask questions or request new features when you are ready. If I want new "
                     "features give me the full code, ready to copy and replace the original "
                     "file. Unless it is just a small change in a single place.\n");
        // Not even an empty preference file is written.
        QVERIFY(!QFile::exists(m_plexor->preferencesPath()));

        // The same text into a file, which it replaces.
        QVERIFY(tree.add(u"../out.txt"_s, "old content"));
        const PlexorRun toFile = plexor({u"generate"_s, tree.root(), u"--select=src/main.c"_s,
                                         u"--output"_s, tree.path(u"../out.txt"_s)});
        QCOMPARE(toFile.exitCode, 0);
        QCOMPARE(toFile.out, QByteArray());
        QCOMPARE(StoredRecords::readFile(tree.path(u"../out.txt"_s)), run.out);
    }

    // plexor only reads the preference file: a corrupt one is neither moved aside nor replaced.
    void corruptPreferenceFileIsLeftAlone()
    {
        TestTree tree;
        QVERIFY(tree.add(u"a.c"_s, "A"));
        QVERIFY(QDir().mkpath(QFileInfo(m_plexor->preferencesPath()).absolutePath()));
        QVERIFY(StoredRecords::writeFile(m_plexor->preferencesPath(), "{\"savedPrefixText"));
        for (const QStringList& arguments : {QStringList{u"tree"_s, tree.root()},
                                             {u"generate"_s, tree.root(), u"--select-all"_s},
                                             {u"projects"_s}})
            QCOMPARE(plexor(arguments).exitCode, 0);
        QCOMPARE(StoredRecords::readFile(m_plexor->preferencesPath()), "{\"savedPrefixText");
        QCOMPARE(QFileInfo(m_plexor->preferencesPath()).dir().entryList(QDir::Files | QDir::Hidden),
                 QStringList{u"CodePlexor.json"_s});
    }

    // Names that are not UTF-8, a file that is not text and a selection not in the tree: each
    // is one line on standard error, nothing of them on standard output.
    void whatIsLeftOutIsReported()
    {
        TestTree tree;
        QVERIFY(tree.addRaw("k\xEF\xBF\xBD.c", "A"));
        QVERIFY(tree.addRaw("k\xE9.c", "B"));
        QVERIFY(tree.add(u"bad.c"_s, "\xff\xfe"));
        const QByteArray leftOut = "Left out " + QFile::encodeName(tree.root()) +
                                   "/k\\xE9.c: its name is not valid UTF-8.\n";
        PlexorRun run = plexor({u"tree"_s, tree.root()});
        QCOMPARE(run.out, QByteArray("bad.c\nk\xEF\xBF\xBD.c\n"));
        QCOMPARE(run.err, leftOut);

        run = plexor({u"generate"_s, tree.root(), u"--select"_s, u"k\uFFFD.c"_s, u"--select"_s,
                      u"bad.c"_s, u"--select"_s, u"missing.c"_s});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out.count("\n\nA\n\n"), 1);
        QVERIFY(!run.out.contains("\n\nB\n\n"));
        QVERIFY(run.out.contains("\napp/bad.c\n"));
        QVERIFY(!run.out.contains("Error reading file"));
        QVERIFY2(run.err.startsWith(leftOut), run.err.constData());
        QCOMPARE(run.err.count('\n'), 3);
        QVERIFY(run.err.contains(
            QByteArray("Error reading file " + QFile::encodeName(tree.path(u"bad.c"_s)))));
        QVERIFY(run.err.contains("missing.c is not in the scanned tree"));

        // The Latin-1 name given as an argument must not select the other file.
        run = m_plexor->shell(u"exec \"$0\" generate . --select \"$(printf 'k\\351.c')\""_s,
                              tree.root());
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.out, QByteArray());
        QVERIFY2(run.err.startsWith("plexor: argument \"k\\xE9.c\" is not valid UTF-8"),
                 run.err.constData());
    }

    // Every odd kind of entry at once. As root, plexor runs as "nobody", for whom the locked
    // entries are locked.
    void hostileTree()
    {
        const HostileTree tree;
        QVERIFY2(tree.isValid(), qPrintable(tree.error()));
        const auto unprivileged = [this](const QStringList& arguments) {
            return m_plexor->run(arguments, {}, {}, [] {
                const gid_t nobody = 65534;
                if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 ||
                                         ::setuid(nobody) != 0))
                    ::_exit(125);
            });
        };
        const PlexorRun listing = unprivileged({u"tree"_s, tree.root(), u"--all-files"_s});
        QCOMPARE(listing.exitCode, 0);
        for (const char* name : {"-dash.c", " space.c", "tab\there.c", "back\\slash.c", "end.c",
                                 "outside.c", "pipe.c", "sock.c"})
            QVERIFY2(listing.out.contains(name), name);
        QVERIFY(!listing.out.contains("inside.c"));

        const PlexorRun run =
            unprivileged({u"generate"_s, tree.root(), u"--all-files"_s, u"--select-all"_s});
        QCOMPARE(run.exitCode, 0);
        const QByteArray project = QFile::encodeName(QFileInfo(tree.root()).fileName());
        for (const QString& file : tree.readableFiles()) {
            const QByteArray name = file.toUtf8();
            QVERIFY2(run.out.contains(QByteArray('\n' + project + '/' + name + '\n' + rule +
                                                 "\n\n" + HostileTree::content(name))),
                     qPrintable(file));
        }
        QVERIFY(run.out.contains(QByteArray("/outside.c\n" + rule + "\n\n<<outside>>\n")));
        // Nothing else was read: not the locked file, not the files behind names that are not
        // UTF-8, and nothing twice.
        QCOMPARE(run.out.count("<<"), tree.readableFiles().size() + 1);
        // One line for each entry that could not be read.
        QStringList unread;
        const QByteArray lead = "Error reading file " + QFile::encodeName(tree.root()) + '/';
        for (const QByteArray& line : run.err.split('\n')) {
            if (line.startsWith(lead))
                unread.append(QString::fromUtf8(line.mid(lead.size()).split(':').first()));
        }
        unread.sort();
        QCOMPARE(unread, HostileTree::unreadableFiles());
    }

    void projectsInLibraryOrderAndByTag()
    {
        seedLibrary();
        const QByteArray root = QFile::encodeName(m_disk->root());
        const PlexorRun run = plexor({u"projects"_s});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QByteArray("pinned\tarm\tRobots\tROOT/Coding/Robots/arm\n"
                                     "pinned\tProject 2\tSwift\tROOT/work/Project 2\n"
                                     "pinned\tproject 10\tuncategorized\tROOT/work/project 10\n"
                                     "recent\tbeta\tapps\tROOT/work/beta\n"
                                     "recent\tbeta\tPython\tROOT/other/beta\n")
                              .replace("ROOT", root));
        // Groups in plain scalar order: upper-case initials before lower-case ones.
        const PlexorRun byTag = plexor({u"projects"_s, u"--by-tag"_s});
        QCOMPARE(byTag.exitCode, 0);
        QCOMPARE(
            byTag.out,
            QByteArray("Python\trecent\tbeta\tPython\tROOT/other/beta\n"
                       "Robots\tpinned\tarm\tRobots\tROOT/Coding/Robots/arm\n"
                       "Swift\tpinned\tProject 2\tSwift\tROOT/work/Project 2\n"
                       "Apps\trecent\tbeta\tapps\tROOT/work/beta\n"
                       "Uncategorized\tpinned\tproject 10\tuncategorized\tROOT/work/project 10\n")
                .replace("ROOT", root));
    }

    void projectsOfOddLibraries()
    {
        const auto expect = [this](const char* arguments, int exitCode, const QByteArray& out) {
            const PlexorRun run = plexor(words(arguments));
            QCOMPARE(run.exitCode, exitCode);
            QCOMPARE(run.out, out);
            QVERIFY2(exitCode ? run.err.startsWith("plexor: cannot read the remembered projects: ")
                              : run.err.isEmpty(),
                     run.err.constData());
        };
        expect("projects", 0, {}); // no preference file
        expect("projects --by-tag", 0, {});
        storeLibrary(RecentFolderCodec::encode(
            {StoredRecords::project(u"/x/we\tird\\name"_s, false, 1, u"two\nlines"_s)}));
        expect("projects", 0, "recent\twe\\tird\\\\name\ttwo\\nlines\t/x/we\\tird\\\\name\n");
        storeLibrary("[{\"id\": 1}]");
        expect("projects", 1, {});
        expect("projects --by-tag", 1, {});
    }

    void generateForAProjectMatchesTheFolderCommand()
    {
        seedLibrary();
        const PlexorRun byName = plexor(words("generate --project arm"));
        QCOMPARE(byName.exitCode, 0);
        QCOMPARE(byName.err, QByteArray());
        const PlexorRun byFolder =
            plexor({u"generate"_s, disk("Coding/Robots/arm"), u"--select"_s, u"main.c"_s});
        QCOMPARE(byName.out, byFolder.out);
        QVERIFY(byName.out.startsWith("P\n\narm/main.c\n"));
        QVERIFY(!byName.out.contains("other.c"));

        const PlexorRun byPath = plexor({u"generate"_s, u"--project"_s, disk("other/beta/")});
        QCOMPARE(byPath.exitCode, 0);
        QVERIFY(byPath.out.startsWith("P\n\n\n\n-------------\n"));
    }

    void failuresExitClearly_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        // Part of standard error; for exit status 0 the start of standard output.
        QTest::addColumn<QString>("message");
        const auto row = [](const char* name, const char* arguments, int exitCode,
                            const char* message = "") {
            QTest::newRow(name) << words(arguments) << exitCode << QString::fromUtf8(message);
        };
        row("help", "--help", 0, "Usage: plexor");
        row("subcommand help", "generate -h", 0, "Usage: plexor");
        row("version", "--version", 0,
            "plexor " CODEPLEXOR_VERSION " (" CODEPLEXOR_BUILD_NUMBER ")\n");
        row("nothing", "", 2);
        row("unknown command", "explode", 2);
        row("unknown option", "tree FOLDER --fast", 2);
        row("missing folder argument", "tree", 2);
        row("two folders", "generate FOLDER FOLDER", 2);
        row("bad type value", "tree FOLDER --type .txt=yes", 2);
        row("type without value", "tree FOLDER --type", 2);
        row("select on tree", "tree FOLDER --select a.c", 2);
        row("flag with a value", "tree FOLDER --all-files=yes", 2);
        row("negated pattern", "tree FOLDER --exclude=!a.c", 2);
        row("include with a project", "generate --project arm --include *.c", 2);
        row("project with a folder", "generate FOLDER --project arm", 2, "not both");
        row("project with --select", "generate --project arm --select a.c", 2, "--select");
        row("projects with an argument", "projects x", 2, "unexpected argument");
        row("output into a missing folder", "generate FOLDER --output MISSING/out.txt", 1,
            "MISSING");
        row("folder does not exist", "generate MISSING", 1, "MISSING");
        row("folder is a file", "tree FILE", 1, "FILE");
        row("changed outside a git work tree", "generate FOLDER --changed", 1, "git work tree");
        row("ambiguous project", "generate --project beta", 1, "\"beta\" names 2 projects");
        row("unknown project", "generate --project gamma", 1, "no remembered project");
        QTest::newRow("project folder gone")
            << QStringList{u"generate"_s, u"--project"_s, u"project 10"_s} << 1
            << u"cannot open the project"_s;
    }

    void failuresExitClearly()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        seedLibrary();
        TestTree tree;
        QVERIFY(tree.add(u"a.c"_s, "x"));
        const auto place = [&tree](QString text) {
            return text.replace(u"FOLDER"_s, tree.root())
                .replace(u"MISSING"_s, tree.path(u"nope"_s))
                .replace(u"FILE"_s, tree.path(u"a.c"_s));
        };
        for (QString& argument : arguments)
            argument = place(argument);
        const PlexorRun run = plexor(arguments);
        QCOMPARE(run.exitCode, exitCode);
        if (exitCode == 0) {
            QVERIFY(run.out.startsWith(message.toUtf8()));
            QCOMPARE(run.err, QByteArray());
            return;
        }
        QCOMPARE(run.out, QByteArray());
        QVERIFY2(run.err.startsWith("plexor: ") && run.err.endsWith('\n') &&
                     run.err.count('\n') == 1 && run.err.contains(place(message).toUtf8()),
                 run.err.constData());
        if (QTest::currentDataTag() == QByteArrayLiteral("ambiguous project")) {
            QVERIFY(run.err.contains(QFile::encodeName(disk("work/beta"))));
            QVERIFY(run.err.contains(QFile::encodeName(disk("other/beta"))));
        }
    }

    // Token counts; their exactness is the token corpus test's concern.
    void tokensOfFilesAndStandardInput()
    {
        TestTree tree;
        QVERIFY(tree.add(u"prefix.md"_s, "Here are the files of my project."));
        QVERIFY(tree.add(u"src/robot.c"_s, "\xf0\x9f\xa4\x96"));
        QVERIFY(tree.add(u"src/latin1.c"_s, "caf\xe9"));
        PlexorRun run =
            plexor({u"tokens"_s, tree.path(u"prefix.md"_s), tree.path(u"src/latin1.c"_s),
                    tree.path(u"src"_s), tree.path(u"src/robot.c"_s)});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(QString::fromUtf8(run.out),
                 u"8\t%1\n2\t%2\n"_s.arg(tree.path(u"prefix.md"_s), tree.path(u"src/robot.c"_s)));
        const QString errors = QString::fromUtf8(run.err);
        QVERIFY2(errors.contains(tree.path(u"src/latin1.c"_s) +
                                 u": The file is not valid UTF-8 text."_s) &&
                     errors.contains(tree.path(u"src"_s) + u':'),
                 qPrintable(errors));

        run = m_plexor->run({u"tokens"_s}, {}, "Here are the files of my project.");
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QByteArray("8\n"));

        run = plexor({u"tree"_s, tree.root(), u"--tokens"_s, u"--type=md=on"_s});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out.split('\n'),
                 QList<QByteArray>({"src/", "  latin1.c", "  robot.c\t2", "prefix.md\t8", ""}));

        const QStringList generate{u"generate"_s, tree.root(), u"--select"_s, u"src/robot.c"_s};
        const PlexorRun plain = plexor(generate);
        const PlexorRun counted = plexor(generate + QStringList{u"--count"_s});
        QCOMPARE(counted.exitCode, 0);
        QCOMPARE(counted.out, plain.out);
        const QString text = QString::fromUtf8(counted.out);
        QCOMPARE(QString::fromUtf8(counted.err),
                 u"%1 characters, %2 tokens\n"_s.arg(CharacterCount::graphemes(text))
                     .arg(TokenEncoding::o200kBase().count(text)));
    }
};

QTEST_GUILESS_MAIN(TestPlexor)
#include "tst_plexor.moc"

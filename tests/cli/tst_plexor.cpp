#include "HostileTree.h"
#include "StoredRecords.h"
#include "engine/PlexorViewModel.h"
#include "engine/TestTree.h"
#include "engine/TokenEncoding.h"
#include "model/PreferenceKeys.h"
#include "model/Preferences.h"
#include "ui/CharacterCount.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QByteArray rule = "------------------------------------";

struct PlexorRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// "generate FOLDER --select a.c" as a list of arguments.
QStringList words(const char* text)
{
    return QString::fromUtf8(text).split(u' ', Qt::SkipEmptyParts);
}

// The files of an indented `plexor tree` listing as sorted paths.
QStringList filesOfListing(const QByteArray& listing)
{
    QStringList files;
    QStringList folders; // those above the line
    for (const QString& line : QString::fromUtf8(listing).split(u'\n', Qt::SkipEmptyParts)) {
        const QString name = line.trimmed();
        folders.resize((line.size() - name.size()) / 2);
        if (name.endsWith(u'/'))
            folders.append(name.chopped(1));
        else
            files.append((folders + QStringList{name}).join(u'/'));
    }
    files.sort();
    return files;
}

// The file paths listed after the prefix of a generated text, without the project's name.
QStringList listedFiles(const QByteArray& text)
{
    QStringList files =
        QString::fromUtf8(text).section(u"\n\n"_s, 1, 1).split(u'\n', Qt::SkipEmptyParts);
    for (QString& file : files)
        file = file.section(u'/', 1);
    files.sort();
    return files;
}

} // namespace

// The built `plexor` on real trees: `tree`, `generate`, `projects` and `tokens`; what git
// ignores or reports changed checked against git itself.
class TestPlexor : public QObject {
    Q_OBJECT

    QTemporaryDir m_config; // the configuration folder and home of every run
    TestTree m_disk;        // the remembered projects' folders
    TestTree m_repository;
    QString m_git;

    QString preferencesPath() const { return m_config.path() + u"/CodePlexor/CodePlexor.json"_s; }

    // Runs `plexor` (or git, or a shell) with no system git configuration and no display
    // settings at all, as on a machine reached over SSH.
    PlexorRun plexor(const QStringList& arguments, const QString& workingDirectory = {},
                     const QByteArray& input = {},
                     const QString& program = QStringLiteral(PLEXOR_BINARY)) const
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(QString::fromLatin1(name));
        environment.insert(u"XDG_CONFIG_HOME"_s, m_config.path());
        environment.insert(u"HOME"_s, m_config.path());
        environment.insert(u"GIT_CONFIG_NOSYSTEM"_s, u"1"_s);
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(workingDirectory);
        process.start(program, arguments);
        process.write(input);
        process.closeWriteChannel();
        PlexorRun run;
        if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit)
            run = {process.exitCode(), process.readAllStandardOutput(),
                   process.readAllStandardError()};
        return run;
    }

    QString disk(const char* relative) const { return m_disk.path(QString::fromUtf8(relative)); }

    void storeLibrary(const QByteArray& recents)
    {
        Preferences preferences(preferencesPath());
        preferences.setText(PreferenceKeys::savedPrefixText, u"P"_s);
        preferences.setBytes(PreferenceKeys::recentFoldersJson, recents);
    }

    // Four projects in library order: two pinned by name, two unpinned newest first, which
    // share the name "beta". The folder of "gone" does not exist.
    void seedLibrary()
    {
        QVERIFY(m_disk.addAll(words("arm/main.c arm/other.c work/beta/ other/beta/")));
        QList<RecentFolder> folders{
            StoredRecords::project(disk("arm"), true, 50),
            StoredRecords::project(disk("gone"), true, 20),
            StoredRecords::project(disk("work/beta"), false, 200, u"apps"_s),
            StoredRecords::project(disk("other/beta"), false, 100, u"Python"_s)};
        folders[0].savedSelectedPaths = QSet<QString>{disk("arm/main.c")};
        for (RecentFolder& folder : folders)
            folder.bookmarkData = QJsonDocument(QJsonObject{{u"path"_s, folder.path}}).toJson();
        storeLibrary(RecentFolderCodec::encode(folders));
    }

    // Runs git in `folder` (by default the work tree) with the git cases' configuration.
    QByteArray git(const QString& arguments, const QString& folder = {}) const
    {
        const PlexorRun run =
            plexor(words("-c user.name=T -c user.email=t@t") + arguments.split(u' '),
                   folder.isEmpty() ? m_repository.root() : folder, {}, m_git);
        if (run.exitCode != 0)
            qWarning("git %s failed: %s", qPrintable(arguments), run.err.constData());
        return run.out;
    }

private Q_SLOTS:
    // A work tree for the git cases: nested ignore rules, a global and a local exclude file, a
    // tracked file inside an ignored folder, and every kind of change.
    void initTestCase()
    {
        m_git = QStandardPaths::findExecutable(u"git"_s);
        if (m_git.isEmpty())
            return;
        const TestTree& t = m_repository;
        git(u"init -q"_s);
        QVERIFY(t.add(u".gitignore"_s, "*.log\nbuild/\n!important.log\ndocs/*.md\n!docs/keep.md\n"
                                       "logs/\n!logs/keep.c\n/top.c\n"));
        QVERIFY(t.add(u"src/.gitignore"_s, "generated/\n*.tmp.c\n!keep.tmp.c\n"));
        QVERIFY(t.add(u".git/info/exclude"_s, "secret.c\n"));
        QVERIFY(QDir().mkpath(m_config.path() + u"/git"_s));
        QVERIFY(StoredRecords::writeFile(m_config.path() + u"/git/ignore"_s, "*.bak\n"));
        QVERIFY(t.addAll(words("top.c sub/top.c src/main.c src/gen.tmp.c src/keep.tmp.c "
                               "src/generated/x.c src/lib/util.h src/lib/old.h build/out.c a.log "
                               "important.log docs/a.md docs/keep.md logs/keep.c secret.c "
                               "src/secret.c notes.bak build/tracked.c")));
        // A path long enough that the next one in a compressed index (an ignored but tracked
        // file) drops over 127 bytes of it.
        QVERIFY(t.add(u"b"_s + QString(140, u'n') + u"/deep.c"_s, "x"));
        git(u"add -A"_s);
        git(u"add -f build/tracked.c"_s);
        git(u"commit -q -m start"_s);
        // Modified, staged new, renamed, untracked, deleted, modified but ignored.
        QVERIFY(t.add(u"src/main.c"_s, "changed"));
        QVERIFY(t.add(u"staged.c"_s, "s"));
        git(u"add staged.c"_s);
        git(u"mv src/lib/util.h src/lib/tools.h"_s);
        QVERIFY(t.addAll(words("new.c src/lib/new/deep.h build/untracked.c build/sub/deep.c "
                               "build/sub/intent.c")));
        git(u"add -N -f build/sub/intent.c"_s);
        QVERIFY(QFile::remove(t.path(u"src/lib/old.h"_s)));
        QVERIFY(t.add(u"build/tracked.c"_s, "changed too"));
    }

    void init() { QFile::remove(preferencesPath()); }

    // The files `tree` lists and `generate` selects with the same options.
    void optionsChooseTheFiles_data()
    {
        QTest::addColumn<QStringList>("options");
        // More options for `generate`, which alone takes --select.
        QTest::addColumn<QStringList>("selects");
        QTest::addColumn<QStringList>("files");
        const auto row = [](const char* name, const char* options, const char* selects,
                            const char* files) {
            QTest::newRow(name) << words(options) << words(selects) << words(files);
        };
        row("type switches in both spellings, no ignored folder, no .gitignore outside a work tree",
            "--gitignore --type=txt=on --type .md=off --select-all", "",
            "main.c notes.txt src/lib/util.h src/main.c vendor/v.c");
        row("anchored include, excluded folder", "--include=/*.c --include **/*.h --exclude=src/",
            "", "main.c");
        row("exclude beats select", "--select-all --exclude=src/*.c", "--select=src/main.c",
            "README.md main.c src/lib/util.h vendor/v.c");
    }

    void optionsChooseTheFiles()
    {
        QFETCH(QStringList, options);
        QFETCH(QStringList, selects);
        QFETCH(QStringList, files);
        TestTree tree;
        // "notestxt" has no extension: --type=txt=on must not take it.
        QVERIFY(tree.addAll(words("main.c src/main.c src/lib/util.h vendor/v.c notes.txt notestxt "
                                  "README.md .env node_modules/x.js")));
        QVERIFY(tree.add(u".gitignore"_s, "main.c\n"));
        const PlexorRun listing = plexor(QStringList{u"tree"_s, tree.root()} + options);
        const PlexorRun run = plexor(QStringList{u"generate"_s, tree.root()} + options + selects);
        QCOMPARE(listing.err + run.err, QByteArray());
        QCOMPARE(filesOfListing(listing.out), files);
        QCOMPARE(listedFiles(run.out), files);
    }

    // What --gitignore leaves out and what --changed takes, in `tree` and `generate`, against
    // git's own lists of the files it does not ignore and of the changed ones.
    void gitOptionsFollowGit_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("options");
        // The git commands whose lists of paths together name the files expected.
        QTest::addColumn<QStringList>("gitLists");
        // A file taken without the options and left out with them.
        QTest::addColumn<QString>("leftOut");
        const QStringList notIgnored{u"ls-files --cached --others --exclude-standard"_s};
        const QStringList ignoring = words("--gitignore --select-all");
        QTest::newRow("gitignore, top of the work tree, nested rules")
            << QString() << ignoring << notIgnored << u"src/gen.tmp.c"_s;
        QTest::newRow("gitignore, ignored folder inside holding tracked files")
            << u"build"_s << ignoring << notIgnored << u"sub/deep.c"_s;
        QTest::newRow("changed: modified, staged, renamed, untracked")
            << QString() << QStringList{u"--changed"_s}
            << QStringList{u"diff --name-only HEAD"_s, u"ls-files --others --exclude-standard"_s}
            << u"sub/top.c"_s;
    }

    void gitOptionsFollowGit()
    {
        QFETCH(QString, folder);
        QFETCH(QStringList, options);
        QFETCH(QStringList, gitLists);
        QFETCH(QString, leftOut);
        if (m_git.isEmpty())
            QSKIP("git is not installed");
        const QString path = m_repository.path(folder);
        // With --gitignore, every layout of the index file git writes: with extended flags (the
        // file added with --intent-to-add), with compressed paths, split in two files with entries
        // deleted, replaced and added after the split, and plain again.
        const QString keep = u";-c splitIndex.maxPercentChange=100 "_s;
        const QStringList layouts =
            options.contains(u"--gitignore"_s)
                ? QStringList{u"update-index --index-version 3"_s,
                              u"update-index --index-version 4"_s,
                              u"update-index --split-index"_s + keep +
                                  u"rm -q --cached build/tracked.c"_s + keep +
                                  u"update-index --chmod=+x src/main.c"_s + keep +
                                  u"add -f build/untracked.c"_s,
                              u"update-index --no-split-index;add -f build/tracked.c;"
                              u"update-index --chmod=-x src/main.c;"
                              u"rm -q --cached build/untracked.c;update-index --index-version 2"_s}
                : QStringList{QString()};
        QStringList expected;
        for (const QString& layout : layouts) {
            for (const QString& command : layout.split(u';', Qt::SkipEmptyParts))
                git(command);
            // What the scan takes of git's lists with every type on: not the ignore files
            // themselves, none that is gone from the disk.
            expected.clear();
            for (const QString& command : std::as_const(gitLists)) {
                for (const QString& file : QString::fromUtf8(git(command, path)).split(u'\n')) {
                    if (!file.isEmpty() && !file.endsWith(u".gitignore") &&
                        !expected.contains(file) && QFileInfo(path + u'/' + file).isFile())
                        expected.append(file);
                }
            }
            expected.sort();
            QVERIFY(!expected.isEmpty() && !expected.contains(leftOut));
            const PlexorRun listing =
                plexor(QStringList{u"tree"_s, path, u"--all-files"_s} + options);
            QCOMPARE(listing.err, QByteArray());
            if (filesOfListing(listing.out) != expected)
                qWarning("index layout: %s", qPrintable(layout));
            QCOMPARE(filesOfListing(listing.out), expected);
        }
        QCOMPARE(
            listedFiles(plexor(QStringList{u"generate"_s, path, u"--all-files"_s} + options).out),
            expected);
        const PlexorRun plain = plexor({u"tree"_s, path, u"--all-files"_s});
        QVERIFY(filesOfListing(plain.out).contains(leftOut));
    }

    // plexor only reads the preference file: without one it uses the default texts and writes
    // nothing, not even an empty file; a corrupt one is neither moved aside nor replaced.
    void thePreferenceFileIsOnlyRead()
    {
        TestTree tree;
        QVERIFY(tree.add(u"src/main.c"_s, "int main() {}\n"));
        QVERIFY(tree.add(u"other.c"_s, "no"));
        const PlexorRun run = plexor(
            {u"generate"_s, tree.root(), u"--select=./src/main.c"_s, u"--select=missing.c"_s});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.contains("missing.c is not in the scanned tree") &&
                     run.err.count('\n') == 1,
                 run.err.constData());
        QCOMPARE(run.out, QByteArray(PlexorViewModel::defaultPrefixText().toUtf8() +
                                     "\n\napp/src/main.c\n\n\n\n\n" + rule + "\napp/src/main.c\n" +
                                     rule + "\n\nint main() {}\n\n\n" +
                                     PlexorViewModel::suffixSeparator().toUtf8() +
                                     PlexorViewModel::defaultSuffixText().toUtf8()));
        const PlexorRun projects = plexor({u"projects"_s, u"--by-tag"_s});
        QCOMPARE(projects.exitCode, 0);
        QCOMPARE(projects.out + projects.err, QByteArray());
        QVERIFY(!QFile::exists(preferencesPath()));

        // The text into a file, which it replaces.
        QVERIFY(tree.add(u"../out.txt"_s, "old content"));
        const PlexorRun toFile = plexor({u"generate"_s, tree.root(), u"--select=src/main.c"_s,
                                         u"--output"_s, tree.path(u"../out.txt"_s)});
        QCOMPARE(toFile.exitCode, 0);
        QCOMPARE(toFile.out, QByteArray());
        QCOMPARE(StoredRecords::readFile(tree.path(u"../out.txt"_s)), run.out);

        // A corrupt file.
        QVERIFY(QDir().mkpath(QFileInfo(preferencesPath()).absolutePath()));
        QVERIFY(StoredRecords::writeFile(preferencesPath(), "{\"savedPrefixText"));
        for (const QStringList& arguments :
             {QStringList{u"generate"_s, tree.root(), u"--select-all"_s}, {u"projects"_s}})
            QCOMPARE(plexor(arguments).exitCode, 0);
        QCOMPARE(StoredRecords::readFile(preferencesPath()), "{\"savedPrefixText");
    }

    // Every odd kind of entry at once, each entry that cannot be read one line on standard error;
    // an argument that is not UTF-8 is refused, never read as the file its decoding names. As
    // root, plexor runs as "nobody", for whom the locked entries are locked.
    void hostileTree()
    {
        const HostileTree tree;
        QVERIFY2(tree.isValid(), qPrintable(tree.error()));
        QStringList arguments{u"generate"_s, tree.root(), u"--all-files"_s, u"--select-all"_s};
        QString program = QStringLiteral(PLEXOR_BINARY);
        if (::geteuid() == 0) {
            arguments =
                words("--reuid=65534 --regid=65534 --clear-groups " PLEXOR_BINARY) + arguments;
            program = u"setpriv"_s;
        }
        const PlexorRun run = plexor(arguments, {}, {}, program);
        QCOMPARE(run.exitCode, 0);
        for (const QString& file : tree.readableFiles()) {
            const QByteArray name = file.toUtf8();
            QVERIFY2(run.out.contains(QByteArray("\napp/" + name + '\n' + rule + "\n\n" +
                                                 HostileTree::content(name))),
                     qPrintable(file));
        }
        QVERIFY(run.out.contains(QByteArray("/outside.c\n" + rule + "\n\n<<outside>>\n")));
        // Nothing else was read: not the locked file, not the files behind names that are not
        // UTF-8, and nothing twice.
        QCOMPARE(run.out.count("<<"), tree.readableFiles().size() + 1);
        const QByteArray lead = "Error reading file " + QFile::encodeName(tree.root()) + '/';
        QCOMPARE(run.err.count(lead), HostileTree::unreadableFiles().size());
        for (const QString& file : HostileTree::unreadableFiles())
            QVERIFY2(run.err.contains(QByteArray(lead + file.toUtf8() + ':')), qPrintable(file));

        const PlexorRun refused =
            plexor({u"-c"_s, u"exec \"$0\" generate \"$1\" --select \"$(printf 'k\\351.c')\""_s,
                    QStringLiteral(PLEXOR_BINARY), tree.root()},
                   {}, {}, u"/bin/sh"_s);
        QCOMPARE(refused.exitCode, 2);
        QVERIFY2(refused.out.isEmpty() &&
                     refused.err.startsWith("plexor: argument \"k\\xE9.c\" is not valid UTF-8"),
                 refused.err.constData());
    }

    // One line per project in library order, its fields escaped; with --by-tag each line led by
    // its group; generate --project as for the folder. A library that cannot be read fails
    // rather than listing nothing.
    void projectsOfTheLibrary()
    {
        seedLibrary();
        const PlexorRun run = plexor({u"projects"_s});
        QCOMPARE(run.out, QByteArray("pinned\tarm\tuncategorized\tROOT/arm\n"
                                     "pinned\tgone\tuncategorized\tROOT/gone\n"
                                     "recent\tbeta\tapps\tROOT/work/beta\n"
                                     "recent\tbeta\tPython\tROOT/other/beta\n")
                              .replace("ROOT", QFile::encodeName(m_disk.root())));
        const QList<QByteArray> lines = run.out.split('\n');
        QCOMPARE(plexor({u"projects"_s, u"--by-tag"_s}).out,
                 "Python\t" + lines[3] + "\nApps\t" + lines[2] + "\nUncategorized\t" + lines[0] +
                     "\nUncategorized\t" + lines[1] + '\n');

        // A project by its name and by its path, with its saved selection and prefix.
        const PlexorRun byName = plexor(words("generate --project arm"));
        QCOMPARE(byName.err, QByteArray());
        const PlexorRun byFolder = plexor({u"generate"_s, disk("arm"), u"--select"_s, u"main.c"_s});
        QCOMPARE(byName.out, byFolder.out);
        QVERIFY(byName.out.startsWith("P\n\narm/main.c\n"));

        QVERIFY(plexor({u"generate"_s, u"--project"_s, disk("other/beta/")})
                    .out.startsWith("P\n\n\n\n-------------\n"));

        storeLibrary(RecentFolderCodec::encode(
            {StoredRecords::project(u"/x/we\tird\\name"_s, false, 1, u"two\nlines"_s)}));
        QCOMPARE(plexor({u"projects"_s}).out,
                 "recent\twe\\tird\\\\name\ttwo\\nlines\t/x/we\\tird\\\\name\n");
        storeLibrary("[{\"id\": 1}]");
        const PlexorRun failed = plexor({u"projects"_s, u"--by-tag"_s});
        QCOMPARE(failed.exitCode, 1);
        QVERIFY2(failed.out.isEmpty() &&
                     failed.err.startsWith("plexor: cannot read the remembered projects: "),
                 failed.err.constData());
    }

    void failuresExitClearly_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message"); // part of what it says
        const auto row = [](const char* name, const char* arguments, int exitCode,
                            const char* message = "") {
            QTest::newRow(name) << words(arguments) << exitCode << QString::fromUtf8(message);
        };
        row("help", "--help", 0, "Usage: plexor");
        row("subcommand help", "generate -h", 0, "Usage: plexor");
        row("nothing", "", 2);
        row("unknown command", "explode", 2);
        row("missing folder argument", "tree", 2);
        row("two folders", "generate FOLDER FOLDER", 2);
        row("value refused by its option", "tree FOLDER --type .txt=yes", 2);
        row("type without value", "tree FOLDER --type", 2);
        row("select on tree (an unknown option)", "tree FOLDER --select a.c", 2);
        row("flag with a value", "tree FOLDER --all-files=yes", 2);
        row("project with a folder", "generate FOLDER --project arm", 2, "not both");
        row("project with --select", "generate --project arm --select a.c", 2, "--select");
        row("projects with an argument", "projects x", 2, "unexpected argument");
        row("output into a missing folder", "generate FOLDER --output FOLDER/no/out.txt", 1,
            "FOLDER/no/out.txt");
        row("folder does not exist", "generate FOLDER/no", 1, "FOLDER/no");
        row("folder is a file", "tree FOLDER/a.c", 1, "FOLDER/a.c");
        row("changed outside a git work tree", "generate FOLDER --changed", 1, "git work tree");
        row("ambiguous project", "generate --project beta", 1,
            "2 projects; give one of their paths: ROOT/work/beta, ROOT/other/beta");
        row("unknown project", "generate --project gamma", 1, "no remembered project");
        row("project folder gone", "generate --project gone", 1, "cannot open the project");
    }

    void failuresExitClearly()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        seedLibrary();
        TestTree tree;
        QVERIFY(tree.add(u"a.c"_s, "x"));
        const auto place = [&](QString text) {
            return text.replace(u"FOLDER"_s, tree.root()).replace(u"ROOT"_s, m_disk.root());
        };
        for (QString& argument : arguments)
            argument = place(argument);
        const PlexorRun run = plexor(arguments);
        QCOMPARE(run.exitCode, exitCode);
        // Help on standard output alone; a failure one line on standard error alone.
        QCOMPARE(exitCode ? run.out : run.err, QByteArray());
        const QByteArray& said = exitCode ? run.err : run.out;
        QVERIFY2(said.contains(place(message).toUtf8()) &&
                     (!exitCode || (said.startsWith("plexor: ") && said.count('\n') == 1 &&
                                    said.endsWith('\n'))),
                 said.constData());
    }

    // Token counts; their exactness is the token corpus test's concern. The tree is named
    // relative to the working folder.
    void tokensOfFilesAndStandardInput()
    {
        TestTree tree;
        QVERIFY(tree.add(u"prefix.md"_s, "Here are the files of my project."));
        QVERIFY(tree.add(u"src/robot.c"_s, "\xf0\x9f\xa4\x96"));
        QVERIFY(tree.add(u"src/latin1.c"_s, "caf\xe9"));
        PlexorRun run = plexor(words("tokens prefix.md src/latin1.c src src/robot.c"), tree.root());
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out, QByteArray("8\tprefix.md\n2\tsrc/robot.c\n"));
        // One line each for the file that is not text and for the folder.
        QVERIFY2(run.err.contains(": The file is not valid UTF-8 text.") &&
                     run.err.count('\n') == 2,
                 run.err.constData());

        run = plexor({u"tokens"_s}, {}, "Here are the files of my project.");
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QByteArray("8\n"));

        run = plexor({u"tree"_s, u"app/"_s, u"--tokens"_s, u"--type=md=on"_s},
                     QFileInfo(tree.root()).absolutePath());
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out, QByteArray("src/\n  latin1.c\n  robot.c\t2\nprefix.md\t8\n"));

        const QStringList generate{u"generate"_s, tree.root(), u"--select"_s, u"src/robot.c"_s};
        const PlexorRun counted = plexor(generate + QStringList{u"--count"_s});
        QCOMPARE(counted.out, plexor(generate).out);
        const QString text = QString::fromUtf8(counted.out);
        QCOMPARE(QString::fromUtf8(counted.err),
                 u"%1 characters, %2 tokens\n"_s.arg(CharacterCount::graphemes(text))
                     .arg(TokenEncoding::o200kBase().count(text)));
    }
};

QTEST_GUILESS_MAIN(TestPlexor)
#include "tst_plexor.moc"

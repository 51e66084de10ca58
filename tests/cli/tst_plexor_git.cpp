#include "PlexorProcess.h"
#include "engine/TestTree.h"

#include <QStandardPaths>
#include <QtTest>

// `plexor --gitignore` and `--changed` against git itself, on a repository made for the test.
class TestPlexorGit : public QObject {
    Q_OBJECT

    QString m_git;
    std::unique_ptr<QTemporaryDir> m_config;
    std::unique_ptr<TestTree> m_tree;

    // Runs git in `folder` with the same configuration folder as plexor, and no other.
    QByteArray git(const QStringList& arguments, const QString& folder = {}) const
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config->path());
        environment.insert(QStringLiteral("HOME"), m_config->path());
        environment.insert(QStringLiteral("GIT_CONFIG_NOSYSTEM"), QStringLiteral("1"));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(folder.isEmpty() ? m_tree->root() : folder);
        process.start(m_git, QStringList{QStringLiteral("-c"), QStringLiteral("user.name=T"),
                                         QStringLiteral("-c"), QStringLiteral("user.email=t@t")} +
                                 arguments);
        if (!process.waitForFinished() || process.exitCode() != 0)
            qWarning("git %s failed: %s", qPrintable(arguments.join(u' ')),
                     process.readAllStandardError().constData());
        return process.readAllStandardOutput();
    }

    PlexorRun plexor(const QStringList& arguments) const
    {
        // HOME as for git, so both read the same (absent) user configuration.
        qputenv("HOME", QFile::encodeName(m_config->path()));
        return runPlexor(arguments, m_config->path());
    }

    // The file paths of an indented `plexor tree` listing, relative to its folder.
    static QStringList filesOfListing(const QByteArray& listing)
    {
        QStringList files;
        QStringList folders;
        for (const QByteArray& raw : listing.split('\n')) {
            if (raw.isEmpty())
                continue;
            const QString line = QString::fromUtf8(raw);
            const qsizetype depth = (line.size() - line.trimmed().size()) / 2;
            folders.resize(depth);
            const QString name = line.trimmed();
            if (name.endsWith(u'/'))
                folders.append(name.chopped(1));
            else
                files.append((folders + QStringList{name}).join(u'/'));
        }
        files.sort();
        return files;
    }

    // The files of a git listing that the scan takes with every type on: none below one of the
    // fixed ignored names, none that is gone from the disk.
    QStringList takenByScan(const QList<QByteArray>& paths, const QString& folder) const
    {
        static const QStringList fixed{
            QStringLiteral(".git"), QStringLiteral(".build"),       QStringLiteral(".vscode"),
            QStringLiteral("Pods"), QStringLiteral("node_modules"), QStringLiteral(".gitignore")};
        QStringList files;
        for (const QByteArray& raw : paths) {
            const QString path = QString::fromUtf8(raw);
            if (path.isEmpty() || !QFileInfo(folder + u'/' + path).isFile())
                continue;
            const QStringList parts = path.split(u'/');
            if (std::none_of(parts.begin(), parts.end(),
                             [](const QString& part) { return fixed.contains(part); }))
                files.append(path);
        }
        files.removeDuplicates();
        files.sort();
        return files;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_git = QStandardPaths::findExecutable(QStringLiteral("git"));
        if (m_git.isEmpty())
            QSKIP("git is not installed");
    }

    void init()
    {
        m_config = std::make_unique<QTemporaryDir>();
        m_tree = std::make_unique<TestTree>();
        const TestTree& t = *m_tree;
        git({QStringLiteral("init"), QStringLiteral("-q")});
        QVERIFY(t.add(QStringLiteral(".gitignore"),
                      "*.log\nbuild/\n!important.log\ndocs/*.md\n!docs/keep.md\nlogs/\n"
                      "!logs/keep.c\n/top.c\n"));
        QVERIFY(t.add(QStringLiteral("src/.gitignore"), "generated/\n*.tmp.c\n!keep.tmp.c\n"));
        QVERIFY(t.add(QStringLiteral(".git/info/exclude"), "secret.c\n"));
        QVERIFY(QDir().mkpath(m_config->path() + QStringLiteral("/git")));
        QFile global(m_config->path() + QStringLiteral("/git/ignore"));
        QVERIFY(global.open(QIODevice::WriteOnly));
        global.write("*.bak\n");
        global.close();
        QVERIFY(t.addAll({QStringLiteral("top.c"), QStringLiteral("sub/top.c"),
                          QStringLiteral("src/main.c"), QStringLiteral("src/gen.tmp.c"),
                          QStringLiteral("src/keep.tmp.c"), QStringLiteral("src/generated/x.c"),
                          QStringLiteral("src/lib/util.h"), QStringLiteral("src/lib/old.h"),
                          QStringLiteral("build/out.c"), QStringLiteral("a.log"),
                          QStringLiteral("important.log"), QStringLiteral("docs/a.md"),
                          QStringLiteral("docs/keep.md"), QStringLiteral("logs/keep.c"),
                          QStringLiteral("secret.c"), QStringLiteral("src/secret.c"),
                          QStringLiteral("notes.bak"), QStringLiteral("node_modules/m.js")}));
        git({QStringLiteral("add"), QStringLiteral("-A")});
        // A tracked file inside an ignored folder stays listed.
        QVERIFY(t.add(QStringLiteral("build/tracked.c"), "t"));
        git({QStringLiteral("add"), QStringLiteral("-f"), QStringLiteral("build/tracked.c")});
        git({QStringLiteral("commit"), QStringLiteral("-q"), QStringLiteral("-m"),
             QStringLiteral("start")});
        // Changes: modified, staged new, renamed, untracked, deleted, modified but ignored.
        QVERIFY(t.add(QStringLiteral("src/main.c"), "changed"));
        QVERIFY(t.add(QStringLiteral("staged.c"), "s"));
        git({QStringLiteral("add"), QStringLiteral("staged.c")});
        git({QStringLiteral("mv"), QStringLiteral("src/lib/util.h"),
             QStringLiteral("src/lib/tools.h")});
        QVERIFY(
            t.addAll({QStringLiteral("new.c"), QStringLiteral("src/lib/new/deep.h"),
                      QStringLiteral("build/untracked.c"), QStringLiteral("build/sub/deep.c")}));
        QVERIFY(QFile::remove(t.path(QStringLiteral("src/lib/old.h"))));
        QVERIFY(t.add(QStringLiteral("build/tracked.c"), "changed too"));
    }

    void cleanup()
    {
        m_tree.reset();
        m_config.reset();
    }

    void gitignoreListsWhatGitLists_data()
    {
        QTest::addColumn<QString>("folder");
        // A file the scan takes without the switch and git leaves out.
        QTest::addColumn<QString>("ignored");
        QTest::newRow("top of the work tree") << QString() << QStringLiteral("src/gen.tmp.c");
        QTest::newRow("folder inside the work tree")
            << QStringLiteral("src") << QStringLiteral("gen.tmp.c");
        QTest::newRow("ignored folder holding tracked files")
            << QStringLiteral("build") << QStringLiteral("sub/deep.c");
    }

    void gitignoreListsWhatGitLists()
    {
        QFETCH(QString, folder);
        QFETCH(QString, ignored);
        const QString path = folder.isEmpty() ? m_tree->root() : m_tree->path(folder);
        const PlexorRun run = plexor({QStringLiteral("tree"), path, QStringLiteral("--gitignore"),
                                      QStringLiteral("--all-files")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QByteArray());
        const QByteArray listed =
            git({QStringLiteral("ls-files"), QStringLiteral("--cached"), QStringLiteral("--others"),
                 QStringLiteral("--exclude-standard")},
                path);
        const QStringList expected = takenByScan(listed.split('\n'), path);
        QVERIFY(!expected.isEmpty() && !expected.contains(ignored));
        QCOMPARE(filesOfListing(run.out), expected);

        // Without the switch the scan takes the ignored files as before.
        const PlexorRun plain =
            plexor({QStringLiteral("tree"), path, QStringLiteral("--all-files")});
        QVERIFY(filesOfListing(plain.out).contains(ignored));
    }

    void changedListsWhatGitStatusReports()
    {
        const PlexorRun run = plexor({QStringLiteral("tree"), m_tree->root(),
                                      QStringLiteral("--changed"), QStringLiteral("--all-files")});
        QCOMPARE(run.exitCode, 0);
        QList<QByteArray> paths;
        for (const QByteArray& line :
             git({QStringLiteral("status"), QStringLiteral("--porcelain"), QStringLiteral("-uall")})
                 .split('\n')) {
            if (line.size() < 4)
                continue;
            const QByteArray path = line.mid(3);
            const qsizetype arrow = path.indexOf(" -> ");
            paths.append(arrow < 0 ? path : path.mid(arrow + 4));
        }
        const QStringList expected = takenByScan(paths, m_tree->root());
        QVERIFY(expected.contains(QStringLiteral("src/lib/tools.h")));
        QCOMPARE(filesOfListing(run.out), expected);

        // generate --changed selects the same files.
        const PlexorRun generated =
            plexor({QStringLiteral("generate"), m_tree->root(), QStringLiteral("--changed"),
                    QStringLiteral("--all-files")});
        QCOMPARE(generated.exitCode, 0);
        for (const QString& file : expected)
            QVERIFY(generated.out.contains(QByteArray("\napp/" + file.toUtf8() + "\n")));
    }

    void outsideAWorkTree()
    {
        TestTree plain;
        QVERIFY(plain.addAll({QStringLiteral("a.c"), QStringLiteral("b.log")}));
        QVERIFY(plain.add(QStringLiteral(".gitignore"), "a.c\n"));
        const PlexorRun listed =
            plexor({QStringLiteral("tree"), plain.root(), QStringLiteral("--gitignore")});
        QCOMPARE(listed.exitCode, 0);
        QCOMPARE(listed.out, QByteArray("a.c\n"));
        const PlexorRun changed =
            plexor({QStringLiteral("generate"), plain.root(), QStringLiteral("--changed")});
        QCOMPARE(changed.exitCode, 1);
        QVERIFY(changed.err.contains("git work tree"));
    }
};

QTEST_GUILESS_MAIN(TestPlexorGit)
#include "tst_plexor_git.moc"

#include "PlexorProcess.h"
#include "engine/TestTree.h"

#include <QStandardPaths>
#include <QtTest>

// `plexor --gitignore` and `--changed` against git itself, on a repository made for the test.
class TestPlexorGit : public QObject {
    Q_OBJECT

    QString m_git;
    std::unique_ptr<PlexorRunner> m_plexor;
    std::unique_ptr<TestTree> m_tree;

    // Runs git in `folder` with plexor's configuration folder and home, and no other.
    QByteArray git(const QStringList& arguments, const QString& folder = {}) const
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_CONFIG_HOME"_s, m_plexor->configHome());
        environment.insert(u"HOME"_s, m_plexor->configHome());
        environment.insert(u"GIT_CONFIG_NOSYSTEM"_s, u"1"_s);
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(folder.isEmpty() ? m_tree->root() : folder);
        process.start(m_git, words("-c user.name=T -c user.email=t@t") + arguments);
        if (!process.waitForFinished() || process.exitCode() != 0)
            qWarning("git %s failed: %s", qPrintable(arguments.join(u' ')),
                     process.readAllStandardError().constData());
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
    void initTestCase()
    {
        m_git = QStandardPaths::findExecutable(u"git"_s);
        if (m_git.isEmpty())
            QSKIP("git is not installed");
    }

    void init()
    {
        m_plexor = std::make_unique<PlexorRunner>();
        m_tree = std::make_unique<TestTree>();
        const TestTree& t = *m_tree;
        git(words("init -q"));
        QVERIFY(t.add(u".gitignore"_s, "*.log\nbuild/\n!important.log\ndocs/*.md\n!docs/keep.md\n"
                                       "logs/\n!logs/keep.c\n/top.c\n"));
        QVERIFY(t.add(u"src/.gitignore"_s, "generated/\n*.tmp.c\n!keep.tmp.c\n"));
        QVERIFY(t.add(u".git/info/exclude"_s, "secret.c\n"));
        QVERIFY(QDir().mkpath(m_plexor->configHome() + u"/git"_s));
        QFile global(m_plexor->configHome() + u"/git/ignore"_s);
        QVERIFY(global.open(QIODevice::WriteOnly) && global.write("*.bak\n") == 6);
        global.close();
        QVERIFY(t.addAll(words("top.c sub/top.c src/main.c src/gen.tmp.c src/keep.tmp.c "
                               "src/generated/x.c src/lib/util.h src/lib/old.h build/out.c a.log "
                               "important.log docs/a.md docs/keep.md logs/keep.c secret.c "
                               "src/secret.c notes.bak node_modules/m.js")));
        git(words("add -A"));
        // A tracked file inside an ignored folder stays listed.
        QVERIFY(t.add(u"build/tracked.c"_s, "t"));
        git(words("add -f build/tracked.c"));
        git(words("commit -q -m start"));
        // Changes: modified, staged new, renamed, untracked, deleted, modified but ignored.
        QVERIFY(t.add(u"src/main.c"_s, "changed"));
        QVERIFY(t.add(u"staged.c"_s, "s"));
        git(words("add staged.c"));
        git(words("mv src/lib/util.h src/lib/tools.h"));
        QVERIFY(t.addAll(words("new.c src/lib/new/deep.h build/untracked.c")));
        QVERIFY(QFile::remove(t.path(u"src/lib/old.h"_s)));
        QVERIFY(t.add(u"build/tracked.c"_s, "changed too"));
    }

    void cleanup()
    {
        m_tree.reset();
        m_plexor.reset();
    }

    void gitignoreListsWhatGitLists_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("top of the work tree") << QString();
        QTest::newRow("folder inside the work tree") << u"src"_s;
    }

    void gitignoreListsWhatGitLists()
    {
        QFETCH(QString, folder);
        const QString path = folder.isEmpty() ? m_tree->root() : m_tree->path(folder);
        const PlexorRun run = m_plexor->run({u"tree"_s, path, u"--gitignore"_s, u"--all-files"_s});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QByteArray());
        const QStringList expected = takenByScan(
            git(words("ls-files --cached --others --exclude-standard"), path).split('\n'), path);
        QVERIFY(expected.size() > 3);
        QCOMPARE(filesOfListing(run.out), expected);

        // Without the switch the scan takes the ignored files as before.
        const PlexorRun plain = m_plexor->run({u"tree"_s, path, u"--all-files"_s});
        QVERIFY(filesOfListing(plain.out).contains(folder.isEmpty() ? u"src/gen.tmp.c"_s
                                                                    : u"gen.tmp.c"_s));
    }

    void changedListsWhatGitStatusReports()
    {
        const PlexorRun run =
            m_plexor->run({u"tree"_s, m_tree->root(), u"--changed"_s, u"--all-files"_s});
        QCOMPARE(run.exitCode, 0);
        QList<QByteArray> paths;
        for (const QByteArray& line : git(words("status --porcelain -uall")).split('\n')) {
            const QByteArray path = line.mid(3);
            const qsizetype arrow = path.indexOf(" -> ");
            paths.append(arrow < 0 ? path : path.mid(arrow + 4));
        }
        const QStringList expected = takenByScan(paths, m_tree->root());
        QVERIFY(expected.contains(u"src/lib/tools.h"_s));
        QCOMPARE(filesOfListing(run.out), expected);

        // generate --changed selects the same files.
        const PlexorRun generated =
            m_plexor->run({u"generate"_s, m_tree->root(), u"--changed"_s, u"--all-files"_s});
        QCOMPARE(generated.exitCode, 0);
        for (const QString& file : expected)
            QVERIFY(generated.out.contains(QByteArray("\napp/" + file.toUtf8() + '\n')));
    }

    void outsideAWorkTree()
    {
        TestTree plain;
        QVERIFY(plain.addAll(words("a.c b.log")));
        QVERIFY(plain.add(u".gitignore"_s, "a.c\n"));
        const PlexorRun listed = m_plexor->run({u"tree"_s, plain.root(), u"--gitignore"_s});
        QCOMPARE(listed.exitCode, 0);
        QCOMPARE(listed.out, QByteArray("a.c\n"));
        const PlexorRun changed = m_plexor->run({u"generate"_s, plain.root(), u"--changed"_s});
        QCOMPARE(changed.exitCode, 1);
        QVERIFY(changed.err.contains("git work tree"));
    }
};

QTEST_GUILESS_MAIN(TestPlexorGit)
#include "tst_plexor_git.moc"

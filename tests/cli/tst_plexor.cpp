#include "HostileTree.h"
#include "PlexorProcess.h"
#include "engine/TestTree.h"

#include "model/PreferenceKeys.h"
#include "model/Preferences.h"

#include <QtTest>

#include <grp.h>

namespace {

using Run = PlexorRun;

const QByteArray rule = "------------------------------------";

} // namespace

class TestPlexor : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_config;

    QString preferencesPath() const
    {
        return m_config->path() + QStringLiteral("/CodePlexor/CodePlexor.json");
    }

    Run plexor(const QStringList& arguments, const QString& workingDirectory = {})
    {
        return runPlexor(arguments, m_config->path(), workingDirectory);
    }

    // Reads the indented listing back into the order-free shape of TestTree.h.
    static QString shapeOfListing(const QByteArray& listing)
    {
        struct Node {
            QString name;
            std::vector<Node> children;
        };
        std::vector<Node> roots;
        std::vector<std::vector<Node>*> levels{&roots};
        for (const QByteArray& rawLine : listing.split('\n')) {
            if (rawLine.isEmpty())
                continue;
            const QString line = QString::fromUtf8(rawLine);
            qsizetype spaces = 0;
            while (spaces < line.size() && line.at(spaces) == u' ')
                ++spaces;
            const auto depth = static_cast<size_t>(spaces / 2);
            if (spaces % 2 != 0 || depth >= levels.size())
                return QStringLiteral("bad indentation: ") + line;
            levels.resize(depth + 1);
            levels[depth]->push_back(Node{line.mid(spaces), {}});
            levels.push_back(&levels[depth]->back().children);
        }
        std::function<QString(const std::vector<Node>&)> render =
            [&](const std::vector<Node>& nodes) {
                QStringList parts;
                for (const Node& node : nodes) {
                    if (node.name.endsWith(u'/'))
                        parts.append(node.name + u'[' + render(node.children) + u']');
                    else
                        parts.append(node.name);
                }
                parts.sort();
                return parts.join(u',');
            };
        return render(roots);
    }

private Q_SLOTS:
    void init() { m_config = std::make_unique<QTemporaryDir>(); }
    void cleanup() { m_config.reset(); }

    void treeListsTheScan()
    {
        TestTree tree;
        QVERIFY(tree.addAll({QStringLiteral("src/lib/util.h"), QStringLiteral("src/main.c"),
                             QStringLiteral("README.md"), QStringLiteral("notes.txt"),
                             QStringLiteral("node_modules/x.js"), QStringLiteral("empty/"),
                             QStringLiteral(".env")}));
        Run run = plexor({QStringLiteral("tree"), tree.root()});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(shapeOfListing(run.out), QStringLiteral("README.md,src/[lib/[util.h],main.c]"));

        run = plexor({QStringLiteral("tree"), tree.root(), QStringLiteral("--all-files")});
        QCOMPARE(shapeOfListing(run.out),
                 QStringLiteral(".env,README.md,notes.txt,src/[lib/[util.h],main.c]"));

        run = plexor({QStringLiteral("tree"), QStringLiteral("--type=txt=on"), tree.root(),
                      QStringLiteral("--type"), QStringLiteral(".md=off")});
        QCOMPARE(shapeOfListing(run.out), QStringLiteral("notes.txt,src/[lib/[util.h],main.c]"));
    }

    void treeLineFormatAndOrder()
    {
        TestTree tree;
        QVERIFY(
            tree.addAll({QStringLiteral("a/b/c.c"), QStringLiteral("B.c"), QStringLiteral("a.c"),
                         QStringLiteral("z/x10.c"), QStringLiteral("z/x9.c")}));
        const Run run = plexor({QStringLiteral("tree"), QStringLiteral("app/")},
                               QFileInfo(tree.root()).absolutePath());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QByteArray("a/\n  b/\n    c.c\nz/\n  x9.c\n  x10.c\na.c\nB.c\n"));
    }

    void generatePrintsTheTextWithDefaults()
    {
        TestTree tree;
        QVERIFY(tree.add(QStringLiteral("src/main.c"), "int main() {}\n"));
        QVERIFY(tree.add(QStringLiteral("other.c"), "no"));
        const Run run = plexor({QStringLiteral("generate"), tree.root(), QStringLiteral("--select"),
                                QStringLiteral("./src/main.c")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QByteArray());
        const QByteArray expected =
            "Here are the files of my project.\n\napp/src/main.c\n\n\n\n\n" + rule +
            "\napp/src/main.c\n" + rule + "\n\nint main() {}\n\n\n\n\n-------------\n" +
            "I want you to read everything above carefully, analyze how my app works "
            "completely. When you are finished just reply 'I\xe2\x80\x99m ready!'. I will ask "
            "questions or request new features when you are ready. If I want new features give "
            "me the full code, ready to copy and replace the original file. Unless it is just a "
            "small change in a single place.\n";
        QCOMPARE(run.out, expected);
        // Nothing is written to the preference store, not even an empty file.
        QVERIFY(!QFile::exists(preferencesPath()));
    }

    void generateUsesTheStoredTextsWithoutWriting()
    {
        {
            Preferences preferences(preferencesPath());
            preferences.setText(PreferenceKeys::savedPrefixText, QStringLiteral("Pre \u00e9"));
            preferences.setText(PreferenceKeys::savedSuffixText, QString());
        }
        QFile file(preferencesPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray storedBefore = file.readAll();
        file.close();
        const QDateTime modifiedBefore = QFileInfo(preferencesPath()).lastModified();

        TestTree tree;
        QVERIFY(tree.add(QStringLiteral("a.c"), "A"));
        QVERIFY(tree.add(QStringLiteral("dir/b.c"), "B"));
        const Run run = plexor({QStringLiteral("generate"), tree.root(), QStringLiteral("--select"),
                                tree.path(QStringLiteral("dir")), QStringLiteral("--select=a.c")});
        QCOMPARE(run.exitCode, 0);
        // The folder selects only itself: one file listed, one block.
        QCOMPARE(run.out, "Pre \xc3\xa9\n\napp/a.c\n\n\n\n\n" + rule + "\napp/a.c\n" + rule +
                              "\n\nA\n\n\n\n-------------\n");

        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), storedBefore);
        QCOMPARE(QFileInfo(preferencesPath()).lastModified(), modifiedBefore);
    }

    void logLinesGoToStandardError()
    {
        TestTree tree;
        QVERIFY(tree.add(QStringLiteral("bad.c"), "\xff\xfe"));
        QVERIFY(tree.add(QStringLiteral("good.c"), "ok"));
        const Run run =
            plexor({QStringLiteral("generate"), tree.root(), QStringLiteral("--select"),
                    QStringLiteral("bad.c"), QStringLiteral("--select"), QStringLiteral("good.c"),
                    QStringLiteral("--select"), QStringLiteral("missing.c")});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(!run.out.contains("Error reading file"));
        QVERIFY(run.out.contains("app/bad.c"));
        QVERIFY(run.out.contains("\n\nok\n\n"));
        const QList<QByteArray> lines = run.err.trimmed().split('\n');
        QCOMPARE(lines.size(), 2);
        const QByteArray logLine =
            "Error reading file " + QFile::encodeName(tree.path(QStringLiteral("bad.c"))) + ": ";
        QVERIFY(run.err.contains(logLine));
        QVERIFY(run.err.contains("missing.c is not in the scanned tree"));
    }

    void choosingFilesByPattern_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("treeShape");
        QTest::addColumn<QStringList>("generated");
        QTest::newRow("select all")
            << QStringList{QStringLiteral("--select-all")}
            << QStringLiteral("main.c,src/[lib/[util.h],main.c],vendor/[v.c]")
            << QStringList{QStringLiteral("main.c"), QStringLiteral("src/lib/util.h"),
                           QStringLiteral("src/main.c"), QStringLiteral("vendor/v.c")};
        QTest::newRow("include by name at any depth")
            << QStringList{QStringLiteral("--include"), QStringLiteral("main.c")}
            << QStringLiteral("main.c,src/[main.c]")
            << QStringList{QStringLiteral("main.c"), QStringLiteral("src/main.c")};
        QTest::newRow("anchored include, excluded folder")
            << QStringList{QStringLiteral("--include=/*.c"), QStringLiteral("--include"),
                           QStringLiteral("**/*.h"), QStringLiteral("--exclude=src/")}
            << QStringLiteral("main.c") << QStringList{QStringLiteral("main.c")};
        QTest::newRow("exclude alone")
            << QStringList{QStringLiteral("--exclude"), QStringLiteral("*.h"),
                           QStringLiteral("--exclude"), QStringLiteral("vendor")}
            << QStringLiteral("main.c,src/[main.c]") << QStringList();
        QTest::newRow("exclude beats select")
            << QStringList{QStringLiteral("--select=src/main.c"), QStringLiteral("--select-all"),
                           QStringLiteral("--exclude=src/*.c")}
            << QStringLiteral("main.c,src/[lib/[util.h]],vendor/[v.c]")
            << QStringList{QStringLiteral("main.c"), QStringLiteral("src/lib/util.h"),
                           QStringLiteral("vendor/v.c")};
    }

    void choosingFilesByPattern()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, treeShape);
        QFETCH(QStringList, generated);
        TestTree tree;
        QVERIFY(tree.addAll({QStringLiteral("main.c"), QStringLiteral("src/main.c"),
                             QStringLiteral("src/lib/util.h"), QStringLiteral("vendor/v.c"),
                             QStringLiteral("notes.txt")}));
        // `tree` has no --select.
        if (options.filter(QRegularExpression(QStringLiteral("^--select($|=)"))).isEmpty()) {
            const Run run = plexor(QStringList{QStringLiteral("tree"), tree.root()} + options);
            QCOMPARE(run.err, QByteArray());
            QCOMPARE(shapeOfListing(run.out), treeShape);
        }
        const Run run = plexor(QStringList{QStringLiteral("generate"), tree.root()} + options);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QByteArray());
        // The list of files after the prefix.
        const QList<QByteArray> parts = run.out.split('\n');
        QStringList listed;
        for (qsizetype i = 2; i < parts.size() && !parts.at(i).isEmpty(); ++i)
            listed.append(QString::fromUtf8(parts.at(i)).mid(4));
        listed.sort();
        QCOMPARE(listed, generated);
    }

    void outputFileAndVersion()
    {
        TestTree tree;
        QVERIFY(tree.add(QStringLiteral("a.c"), "A \xc3\xa9"));
        const QString output = tree.path(QStringLiteral("../out.txt"));
        QVERIFY(tree.add(QStringLiteral("../out.txt"), "old content"));
        const QStringList generate{QStringLiteral("generate"), tree.root(),
                                   QStringLiteral("--select-all")};
        const Run toStdout = plexor(generate);
        const Run toFile = plexor(generate + QStringList{QStringLiteral("--output"), output});
        QCOMPARE(toFile.exitCode, 0);
        QCOMPARE(toFile.out, QByteArray());
        QFile file(output);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), toStdout.out);
        QVERIFY(toStdout.out.contains("A \xc3\xa9"));

        const Run version = plexor({QStringLiteral("--version")});
        QCOMPARE(version.exitCode, 0);
        QCOMPARE(version.out,
                 QByteArray("plexor " CODEPLEXOR_VERSION " (" CODEPLEXOR_BUILD_NUMBER ")\n"));
    }

    void namesThatAreNotUtf8()
    {
        TestTree tree;
        QVERIFY(tree.addRaw("k\xEF\xBF\xBD.c", "A"));
        QVERIFY(tree.addRaw("k\xE9.c", "B"));
        const QByteArray leftOut = "Left out " + QFile::encodeName(tree.root()) +
                                   "/k\\xE9.c: its name is not valid UTF-8.\n";

        Run run = plexor({QStringLiteral("tree"), tree.root()});
        QCOMPARE(run.out, QByteArray("k\xEF\xBF\xBD.c\n"));
        QCOMPARE(run.err, leftOut);

        run = plexor({QStringLiteral("generate"), tree.root(), QStringLiteral("--select"),
                      QStringLiteral("k\uFFFD.c")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out.count("\n\nA\n\n"), 1);
        QVERIFY(!run.out.contains("\n\nB\n\n"));
        QCOMPARE(run.err, leftOut);

        // The Latin-1 name given as an argument must not select the other file.
        run = runPlexorInShell(QStringLiteral("exec \"$0\" generate . --select \"$(printf "
                                              "'k\\351.c')\""),
                               m_config->path(), tree.root());
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
            QProcess process;
            PlexorProcess::prepare(process, m_config->path(), {});
            if (::geteuid() == 0) {
                process.setChildProcessModifier([] {
                    const gid_t nobody = 65534;
                    if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 ||
                        ::setuid(nobody) != 0)
                        ::_exit(125);
                });
            }
            process.start(QStringLiteral(PLEXOR_BINARY), arguments);
            return PlexorProcess::finish(process);
        };
        const QString all = QStringLiteral("--all-files");

        const Run listing = unprivileged({QStringLiteral("tree"), tree.root(), all});
        QCOMPARE(listing.exitCode, 0);
        for (const char* name : {"-dash.c", " space.c", "tab\there.c", "back\\slash.c", "end.c",
                                 "outside.c", "pipe.c", "sock.c"})
            QVERIFY2(listing.out.contains(name), name);
        QVERIFY(!listing.out.contains("inside.c"));

        const Run run = unprivileged({QStringLiteral("generate"), tree.root(), all,
                                      QStringLiteral("--select-all")});
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

    void exitCodes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        const QString folder = QStringLiteral("FOLDER");
        QTest::newRow("help") << QStringList{QStringLiteral("--help")} << 0;
        QTest::newRow("subcommand help")
            << QStringList{QStringLiteral("generate"), QStringLiteral("-h")} << 0;
        QTest::newRow("nothing") << QStringList() << 2;
        QTest::newRow("unknown command") << QStringList{QStringLiteral("explode")} << 2;
        QTest::newRow("unknown option")
            << QStringList{QStringLiteral("tree"), folder, QStringLiteral("--fast")} << 2;
        QTest::newRow("missing folder argument") << QStringList{QStringLiteral("tree")} << 2;
        QTest::newRow("two folders")
            << QStringList{QStringLiteral("generate"), folder, folder} << 2;
        QTest::newRow("bad type value")
            << QStringList{QStringLiteral("tree"), folder, QStringLiteral("--type"),
                           QStringLiteral(".txt=yes")}
            << 2;
        QTest::newRow("type without value")
            << QStringList{QStringLiteral("tree"), folder, QStringLiteral("--type")} << 2;
        QTest::newRow("select on tree")
            << QStringList{QStringLiteral("tree"), folder, QStringLiteral("--select"),
                           QStringLiteral("a.c")}
            << 2;
        QTest::newRow("flag with a value")
            << QStringList{QStringLiteral("tree"), folder, QStringLiteral("--all-files=yes")} << 2;
        QTest::newRow("negated pattern")
            << QStringList{QStringLiteral("tree"), folder, QStringLiteral("--exclude=!a.c")} << 2;
        QTest::newRow("include with a project")
            << QStringList{QStringLiteral("generate"), QStringLiteral("--project"),
                           QStringLiteral("app"), QStringLiteral("--include"),
                           QStringLiteral("*.c")}
            << 2;
        QTest::newRow("output into a missing folder")
            << QStringList{QStringLiteral("generate"), folder, QStringLiteral("--output"),
                           QStringLiteral("MISSING/out.txt")}
            << 1;
        QTest::newRow("folder does not exist")
            << QStringList{QStringLiteral("generate"), QStringLiteral("MISSING")} << 1;
        QTest::newRow("folder is a file")
            << QStringList{QStringLiteral("tree"), QStringLiteral("FILE")} << 1;
    }

    void exitCodes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        TestTree tree;
        QVERIFY(tree.add(QStringLiteral("a.c"), "x"));
        arguments.replaceInStrings(QStringLiteral("FOLDER"), tree.root());
        arguments.replaceInStrings(QStringLiteral("MISSING"), tree.path(QStringLiteral("nope")));
        arguments.replaceInStrings(QStringLiteral("FILE"), tree.path(QStringLiteral("a.c")));
        const Run run = plexor(arguments);
        QCOMPARE(run.exitCode, exitCode);
        if (exitCode == 0) {
            QVERIFY(run.out.startsWith("Usage: plexor"));
            QVERIFY(run.out.contains("plexor generate (FOLDER [--select PATH]... [--select-all]"));
            QVERIFY(run.out.contains("--exclude GLOB"));
            QVERIFY(run.out.contains("plexor projects [--by-tag]"));
            QVERIFY(run.out.contains("plexor tree FOLDER"));
            QVERIFY(run.err.isEmpty());
        } else {
            QVERIFY(run.out.isEmpty());
            QVERIFY(run.err.startsWith("plexor: "));
            QVERIFY(run.err.endsWith('\n'));
            QCOMPARE(run.err.count('\n'), 1);
        }
        if (exitCode == 1)
            QVERIFY(run.err.contains(QFile::encodeName(tree.root())));
    }
};

QTEST_GUILESS_MAIN(TestPlexor)
#include "tst_plexor.moc"

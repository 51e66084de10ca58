#include "PlexorProcess.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

// `plexor projects` and `plexor generate --project` on preference files written by hand in the
// documented format.
class TestPlexorProjects : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_config;
    std::unique_ptr<QTemporaryDir> m_disk;

    QString preferencesPath() const
    {
        return m_config->path() + QStringLiteral("/CodePlexor/CodePlexor.json");
    }
    QString disk(const QString& relative) const { return m_disk->path() + u'/' + relative; }

    PlexorRun plexor(const QStringList& arguments)
    {
        return runPlexor(arguments, m_config->path());
    }

    static QJsonObject project(const QString& path, bool pinned, double lastAccessed,
                               const QString& tag = {}, const QStringList& selected = {})
    {
        QJsonObject object{
            {QStringLiteral("id"), QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper()},
            {QStringLiteral("bookmarkData"),
             QString::fromLatin1(
                 QJsonDocument(QJsonObject{{QStringLiteral("path"), path}}).toJson().toBase64())},
            {QStringLiteral("path"), path},
            {QStringLiteral("isPinned"), pinned},
            {QStringLiteral("lastAccessed"), lastAccessed}};
        if (!tag.isEmpty())
            object.insert(QStringLiteral("manualTag"), tag);
        if (!selected.isEmpty())
            object.insert(QStringLiteral("savedSelectedPaths"),
                          QJsonArray::fromStringList(selected));
        return object;
    }

    void writePreferences(const QByteArray& recentsJson)
    {
        QDir().mkpath(QFileInfo(preferencesPath()).absolutePath());
        const QJsonObject root{
            {QStringLiteral("savedPrefixText"), QStringLiteral("P")},
            {QStringLiteral("recentFoldersJson"),
             QJsonObject{{QStringLiteral("base64"), QString::fromLatin1(recentsJson.toBase64())}}}};
        QFile file(preferencesPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QJsonDocument(root).toJson());
    }

    QByteArray storedBytes() const
    {
        QFile file(preferencesPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Five projects in library order: three pinned by name, two unpinned newest first. Two of
    // them share the name "beta".
    void seedLibrary()
    {
        for (const char* file : {"Coding/Robots/arm/main.c", "Coding/Robots/arm/other.c",
                                 "work/Project 2/a.py", "work/beta/b.js", "other/beta/c.go"}) {
            const QString path = disk(QString::fromUtf8(file));
            QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(QByteArray("content of ") + file);
        }
        const QJsonArray list{
            project(disk(QStringLiteral("Coding/Robots/arm")), true, 50, {},
                    {disk(QStringLiteral("Coding/Robots/arm/main.c"))}),
            project(disk(QStringLiteral("work/Project 2")), true, 10, QStringLiteral("Swift")),
            project(disk(QStringLiteral("work/project 10")), true, 20),
            project(disk(QStringLiteral("work/beta")), false, 200, QStringLiteral("apps")),
            project(disk(QStringLiteral("other/beta")), false, 100, QStringLiteral("Python")),
        };
        writePreferences(QJsonDocument(list).toJson(QJsonDocument::Compact));
    }

private Q_SLOTS:
    void init()
    {
        m_config = std::make_unique<QTemporaryDir>();
        m_disk = std::make_unique<QTemporaryDir>();
    }

    void emptyLibraryPrintsNothing()
    {
        const PlexorRun run = plexor({QStringLiteral("projects")});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.isEmpty());
        QVERIFY(run.err.isEmpty());
        QVERIFY(!QFile::exists(preferencesPath()));
        QCOMPARE(plexor({QStringLiteral("projects"), QStringLiteral("--by-tag")}).out,
                 QByteArray());
    }

    void listsInLibraryOrderAndByTag()
    {
        seedLibrary();
        const QByteArray before = storedBytes();
        const QByteArray root = QFile::encodeName(m_disk->path());

        const PlexorRun run = plexor({QStringLiteral("projects")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, "pinned\tarm\tRobots\t" + root +
                              "/Coding/Robots/arm\n"
                              "pinned\tProject 2\tSwift\t" +
                              root +
                              "/work/Project 2\n"
                              "pinned\tproject 10\tuncategorized\t" +
                              root +
                              "/work/project 10\n"
                              "recent\tbeta\tapps\t" +
                              root +
                              "/work/beta\n"
                              "recent\tbeta\tPython\t" +
                              root + "/other/beta\n");

        const PlexorRun byTag = plexor({QStringLiteral("projects"), QStringLiteral("--by-tag")});
        QCOMPARE(byTag.exitCode, 0);
        // Groups in plain scalar order: upper-case initials before lower-case ones.
        QCOMPARE(byTag.out, "Python\trecent\tbeta\tPython\t" + root +
                                "/other/beta\n"
                                "Robots\tpinned\tarm\tRobots\t" +
                                root +
                                "/Coding/Robots/arm\n"
                                "Swift\tpinned\tProject 2\tSwift\t" +
                                root +
                                "/work/Project 2\n"
                                "Apps\trecent\tbeta\tapps\t" +
                                root +
                                "/work/beta\n"
                                "Uncategorized\tpinned\tproject 10\tuncategorized\t" +
                                root + "/work/project 10\n");
        QCOMPARE(storedBytes(), before);
    }

    void fieldsWithTabsStayOnOneLine()
    {
        const QJsonArray list{
            project(QStringLiteral("/x/we\tird\\name"), false, 1, QStringLiteral("two\nlines"))};
        writePreferences(QJsonDocument(list).toJson(QJsonDocument::Compact));
        const PlexorRun run = plexor({QStringLiteral("projects")});
        QCOMPARE(run.out,
                 QByteArray("recent\twe\\tird\\\\name\ttwo\\nlines\t/x/we\\tird\\\\name\n"));
    }

    void unreadableLibraryFails()
    {
        writePreferences("[{\"id\": 1}]");
        const PlexorRun run = plexor({QStringLiteral("projects")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.out.isEmpty());
        QVERIFY(run.err.startsWith("plexor: cannot read the remembered projects: "));
    }

    void generateForAProjectMatchesTheFolderCommand()
    {
        seedLibrary();
        const QByteArray before = storedBytes();
        const PlexorRun byName = plexor(
            {QStringLiteral("generate"), QStringLiteral("--project"), QStringLiteral("arm")});
        QCOMPARE(byName.exitCode, 0);
        QVERIFY(byName.err.isEmpty());
        const PlexorRun byFolder =
            plexor({QStringLiteral("generate"), disk(QStringLiteral("Coding/Robots/arm")),
                    QStringLiteral("--select"), QStringLiteral("main.c")});
        QCOMPARE(byName.out, byFolder.out);
        QVERIFY(byName.out.startsWith("P\n\narm/main.c\n"));
        QVERIFY(!byName.out.contains("other.c"));

        const PlexorRun byPath = plexor({QStringLiteral("generate"), QStringLiteral("--project"),
                                         disk(QStringLiteral("other/beta/"))});
        QCOMPARE(byPath.exitCode, 0);
        QVERIFY(byPath.out.startsWith("P\n\n\n\n-------------\n"));
        QCOMPARE(storedBytes(), before);
    }

    void generateForAProjectFailsClearly_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QString g = QStringLiteral("generate");
        const QString p = QStringLiteral("--project");
        QTest::newRow("ambiguous name") << QStringList{g, p, QStringLiteral("beta")} << 1
                                        << QStringLiteral("\"beta\" names 2 projects");
        QTest::newRow("unknown") << QStringList{g, p, QStringLiteral("gamma")} << 1
                                 << QStringLiteral("no remembered project");
        QTest::newRow("folder gone") << QStringList{g, p, QStringLiteral("project 10")} << 1
                                     << QStringLiteral("cannot open the project");
        QTest::newRow("with a folder")
            << QStringList{g, QStringLiteral("/tmp"), p, QStringLiteral("arm")} << 2
            << QStringLiteral("not both");
        QTest::newRow("with --select")
            << QStringList{g, p, QStringLiteral("arm"), QStringLiteral("--select"),
                           QStringLiteral("a.c")}
            << 2 << QStringLiteral("--select");
        QTest::newRow("projects with an argument")
            << QStringList{QStringLiteral("projects"), QStringLiteral("x")} << 2
            << QStringLiteral("unexpected argument");
    }

    void generateForAProjectFailsClearly()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        seedLibrary();
        const PlexorRun run = plexor(arguments);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.contains(message.toUtf8()), run.err.constData());
        QCOMPARE(run.err.count('\n'), 1);
        if (QTest::currentDataTag() == QByteArrayLiteral("ambiguous name")) {
            QVERIFY(run.err.contains(QFile::encodeName(disk(QStringLiteral("work/beta")))));
            QVERIFY(run.err.contains(QFile::encodeName(disk(QStringLiteral("other/beta")))));
        }
    }
};

QTEST_GUILESS_MAIN(TestPlexorProjects)
#include "tst_plexor_projects.moc"

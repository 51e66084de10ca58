#include "PlexorProcess.h"
#include "engine/TestTree.h"
#include "engine/TokenEncoding.h"
#include "ui/CharacterCount.h"

#include <QtTest>

// `plexor tokens`, `tree --tokens` and `generate --count`. The expected counts are the
// reference tokenizer's (as in the engine's token corpus).
class TestPlexorTokens : public QObject {
    Q_OBJECT

    QTemporaryDir m_config;
    TestTree m_tree;

    PlexorRun plexor(const QStringList& arguments)
    {
        return runPlexor(arguments, m_config.path());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_tree.add(QStringLiteral("prefix.md"), "Here are the files of my project."));
        QVERIFY(m_tree.add(QStringLiteral("src/robot.c"), "\xf0\x9f\xa4\x96"));
        QVERIFY(m_tree.add(QStringLiteral("src/latin1.c"), "caf\xe9"));
    }

    void countsFilesAndReportsTheUncountable()
    {
        const PlexorRun run =
            plexor({QStringLiteral("tokens"), m_tree.path(QStringLiteral("prefix.md")),
                    m_tree.path(QStringLiteral("src/latin1.c")), m_tree.path(QStringLiteral("src")),
                    m_tree.path(QStringLiteral("src/robot.c"))});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(QString::fromUtf8(run.out),
                 QStringLiteral("8\t%1\n2\t%2\n")
                     .arg(m_tree.path(QStringLiteral("prefix.md")),
                          m_tree.path(QStringLiteral("src/robot.c"))));
        const QString errors = QString::fromUtf8(run.err);
        QVERIFY2(errors.contains(m_tree.path(QStringLiteral("src/latin1.c"))
                                 + QStringLiteral(": The file is not valid UTF-8 text.")),
                 qPrintable(errors));
        QVERIFY2(errors.contains(m_tree.path(QStringLiteral("src")) + u':'), qPrintable(errors));
    }

    void countsStandardInput()
    {
        QProcess process;
        process.start(QStringLiteral(PLEXOR_BINARY), {QStringLiteral("tokens")});
        process.write("#include <stdio.h>\n\nint main(int argc, char **argv)\n{\n\tfor (int i = 0;"
                      " i < argc; ++i)\n\t\tprintf(\"%d: %s\\n\", i, argv[i]);\n\treturn 0;\n}\n");
        process.closeWriteChannel();
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(process.readAllStandardOutput(), QByteArray("49\n"));
    }

    void treeShowsEachFilesCount()
    {
        const PlexorRun run = plexor({QStringLiteral("tree"), m_tree.root(),
                                      QStringLiteral("--tokens"), QStringLiteral("--type=md=on")});
        QCOMPARE(run.exitCode, 1);
        const QList<QByteArray> lines = run.out.split('\n');
        QVERIFY2(lines.contains("prefix.md\t8"), run.out.constData());
        QVERIFY2(lines.contains("  robot.c\t2"), run.out.constData());
        QVERIFY2(lines.contains("  latin1.c"), run.out.constData());
        QVERIFY2(lines.contains("src/"), run.out.constData());
    }

    void generateCountsOnStandardError()
    {
        const PlexorRun plain = plexor({QStringLiteral("generate"), m_tree.root(),
                                        QStringLiteral("--select"), QStringLiteral("src/robot.c")});
        const PlexorRun counted =
            plexor({QStringLiteral("generate"), m_tree.root(), QStringLiteral("--count"),
                    QStringLiteral("--select"), QStringLiteral("src/robot.c")});
        QCOMPARE(counted.exitCode, 0);
        QCOMPARE(counted.out, plain.out);
        // The counts are those of the text on standard output (their exactness is the corpus
        // test's concern).
        const QString text = QString::fromUtf8(counted.out);
        QCOMPARE(QString::fromUtf8(counted.err),
                 QStringLiteral("%1 characters, %2 tokens\n")
                     .arg(CharacterCount::graphemes(text))
                     .arg(TokenEncoding::o200kBase().count(text)));
    }
};

QTEST_GUILESS_MAIN(TestPlexorTokens)
#include "tst_plexor_tokens.moc"

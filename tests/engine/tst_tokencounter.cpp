#include "engine/TestTree.h"
#include "engine/TokenCounter.h"
#include "ui/TokenCountText.h"

#include <QSignalSpy>
#include <QTest>

// The counter's cache, its stale-work rule and its results, with files on disk; the short form
// of counts.
class TokenCounterTest : public QObject {
    Q_OBJECT

    static bool countAndWait(TokenCounter& counter, const QStringList& paths)
    {
        QSignalSpy counted(&counter, &TokenCounter::filesCounted);
        counter.countFiles(paths);
        return counted.wait(10000) && QTest::qWaitFor([&] { return !counter.countingFiles(); });
    }

private Q_SLOTS:
    void filesAreCountedAndCachedBySizeAndTime()
    {
        TestTree tree;
        QVERIFY(tree.add(QStringLiteral("a.md"), "Here are the files of my project."));
        QVERIFY(tree.add(QStringLiteral("b.txt"), "caf\xe9"));
        const QStringList paths{tree.path(QStringLiteral("a.md")),
                                tree.path(QStringLiteral("b.txt")),
                                tree.path(QStringLiteral("missing"))};
        TokenCounter counter;
        QVERIFY(countAndWait(counter, paths));
        QCOMPARE(counter.fileTokens(paths[0]), 8);
        QCOMPARE(counter.fileTokens(paths[1]), std::nullopt);
        QCOMPARE(counter.fileTokens(paths[2]), std::nullopt);

        // Same size and time: the cached count stands (the file is not read again).
        QFile file(paths[0]);
        QVERIFY(file.open(QIODevice::ReadWrite));
        const QDateTime modified = file.fileTime(QFileDevice::FileModificationTime);
        QCOMPARE(file.write("Here are the files of my project!"), 33);
        QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
        file.close();
        QVERIFY(countAndWait(counter, paths));
        QCOMPARE(counter.fileTokens(paths[0]), 8);

        // Another size: counted again.
        QVERIFY(tree.add(QStringLiteral("a.md"), "\xf0\x9f\xa4\x96"));
        QVERIFY(countAndWait(counter, paths));
        QCOMPARE(counter.fileTokens(paths[0]), 2);
    }

    void compactText_data()
    {
        QTest::addColumn<qint64>("tokens");
        QTest::addColumn<QString>("text");
        QTest::newRow("below a thousand") << qint64(999) << QStringLiteral("999");
        QTest::newRow("a whole thousand") << qint64(1049) << QStringLiteral("1k");
        QTest::newRow("rounds to tenths") << qint64(1050) << QStringLiteral("1.1k");
        QTest::newRow("tens of thousands") << qint64(48213) << QStringLiteral("48.2k");
        QTest::newRow("rounds up to a hundred thousand") << qint64(99950) << QStringLiteral("100k");
        QTest::newRow("largest in thousands") << qint64(999499) << QStringLiteral("999k");
        QTest::newRow("rounds up to a million") << qint64(999500) << QStringLiteral("1M");
        QTest::newRow("millions") << qint64(1234567) << QStringLiteral("1.2M");
        QTest::newRow("hundreds of millions") << qint64(250400000) << QStringLiteral("250M");
    }

    void compactText()
    {
        QFETCH(qint64, tokens);
        QFETCH(QString, text);
        QCOMPARE(TokenCountText::compact(tokens), text);
    }

    void onlyTheLatestTextIsReported()
    {
        TokenCounter counter;
        QSignalSpy counted(&counter, &TokenCounter::textCounted);
        counter.countText(QStringLiteral("one two three ").repeated(50000));
        counter.countText(QStringLiteral("Here are the files of my project."));
        QCOMPARE(counter.textTokens(), std::nullopt);
        QVERIFY(counted.wait(10000));
        QTest::qWait(50);
        QCOMPARE(counted.size(), 1);
        QCOMPARE(counted.first().first().toLongLong(), 8);
        QCOMPARE(counter.textTokens(), 8);
    }
};

QTEST_GUILESS_MAIN(TokenCounterTest)
#include "tst_tokencounter.moc"

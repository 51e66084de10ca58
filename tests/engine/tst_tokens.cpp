#include "engine/TestTree.h"
#include "engine/TokenCounter.h"
#include "engine/TokenEncoding.h"
#include "ui/TokenCountText.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

// Counts against the reference tokenizer's counts of a committed corpus (code in many languages,
// prose in many scripts, emoji, blanks, digits, contractions, the default prefix and suffix); the
// counter's cache and stale-work rule, with files on disk; the short form of counts.
class TokensTest : public QObject {
    Q_OBJECT

    static bool countAndWait(TokenCounter& counter, const QStringList& paths)
    {
        QSignalSpy counted(&counter, &TokenCounter::filesCounted);
        counter.countFiles(paths);
        return counted.wait(10000) && QTest::qWaitFor([&] { return !counter.countingFiles(); });
    }

private Q_SLOTS:
    void corpus_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("expected");
        QFile file(QStringLiteral(TOKEN_CORPUS));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.errorString()));
        const QJsonArray entries = QJsonDocument::fromJson(file.readAll()).array();
        QVERIFY(entries.size() >= 200);
        for (const QJsonValue& entry : entries) {
            const QJsonObject object = entry.toObject();
            QTest::newRow(object.value(u"name").toString().toUtf8().constData())
                << object.value(u"text").toString() << object.value(u"tokens").toInteger(-1);
        }
    }

    void corpus()
    {
        QFETCH(QString, text);
        QFETCH(qint64, expected);
        QCOMPARE(TokenEncoding::o200kBase().count(text), expected);
    }

    void invalidUtf8_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("lone continuation byte") << QByteArray("ab\x80 cd");
        QTest::newRow("overlong slash") << QByteArray("a\xC0\xAF");
        QTest::newRow("encoded surrogate") << QByteArray("a\xED\xA0\x80z");
        QTest::newRow("past U+10FFFF") << QByteArray("\xF4\x90\x80\x80");
        QTest::newRow("truncated at the end") << QByteArray("emoji \xF0\x9F\x98");
        QTest::newRow("after a long ASCII run") << QByteArray(100, 'x') + "\xFF";
    }

    void invalidUtf8()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(!TokenEncoding::o200kBase().count(QByteArrayView(bytes)));
    }

    void cancelledCountGivesNoNumber()
    {
        const QByteArray text = QByteArray(" one two three").repeated(10000);
        std::atomic_bool cancelled = false;
        QCOMPARE(TokenEncoding::o200kBase().count(QByteArrayView(text), &cancelled).value_or(-1),
                 30000);
        cancelled = true;
        QVERIFY(!TokenEncoding::o200kBase().count(QByteArrayView(text), &cancelled));
    }

    void filesAreCountedAndCachedBySizeAndTime()
    {
        TestTree tree;
        QVERIFY(tree.add(u"a.md"_s, "Here are the files of my project."));
        QVERIFY(tree.add(u"b.txt"_s, "caf\xe9"));
        const QStringList paths{tree.path(u"a.md"_s), tree.path(u"b.txt"_s),
                                tree.path(u"missing"_s)};
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
        QVERIFY(tree.add(u"a.md"_s, "\xf0\x9f\xa4\x96"));
        QVERIFY(countAndWait(counter, paths));
        QCOMPARE(counter.fileTokens(paths[0]), 2);
    }

    void compactText_data()
    {
        QTest::addColumn<qint64>("tokens");
        QTest::addColumn<QString>("text");
        QTest::newRow("below a thousand") << qint64(999) << u"999"_s;
        QTest::newRow("a whole thousand") << qint64(1049) << u"1k"_s;
        QTest::newRow("rounds to tenths") << qint64(1050) << u"1.1k"_s;
        QTest::newRow("rounds up to a hundred thousand") << qint64(99950) << u"100k"_s;
        QTest::newRow("largest in thousands") << qint64(999499) << u"999k"_s;
        QTest::newRow("rounds up to a million") << qint64(999500) << u"1M"_s;
        QTest::newRow("millions") << qint64(1234567) << u"1.2M"_s;
        QTest::newRow("hundreds of millions") << qint64(250400000) << u"250M"_s;
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
        counter.countText(u"one two three "_s.repeated(50000));
        counter.countText(u"Here are the files of my project."_s);
        QCOMPARE(counter.textTokens(), std::nullopt);
        QVERIFY(counted.wait(10000));
        QTest::qWait(50);
        QCOMPARE(counted.size(), 1);
        QCOMPARE(counted.first().first().toLongLong(), 8);
        QCOMPARE(counter.textTokens(), 8);
    }
};

QTEST_GUILESS_MAIN(TokensTest)
#include "tst_tokens.moc"

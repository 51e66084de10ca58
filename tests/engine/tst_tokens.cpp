#include "engine/TokenEncoding.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

// Counts against the reference tokenizer's counts of a committed corpus (code in many languages,
// prose in many scripts, emoji, blanks, digits, contractions, the default prefix and suffix).
class TokensTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void corpus_data();
    void corpus();
    void invalidUtf8_data();
    void invalidUtf8();
    void malformedRankFile_data();
    void malformedRankFile();
    void cancelledCountGivesNoNumber();
};

void TokensTest::corpus_data()
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

void TokensTest::corpus()
{
    QFETCH(QString, text);
    QFETCH(qint64, expected);
    QCOMPARE(TokenEncoding::o200kBase().count(text), expected);
}

void TokensTest::invalidUtf8_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("lone continuation byte") << QByteArray("ab\x80" "cd");
    QTest::newRow("overlong slash") << QByteArray("a\xC0\xAF");
    QTest::newRow("encoded surrogate") << QByteArray("a\xED\xA0\x80z");
    QTest::newRow("past U+10FFFF") << QByteArray("\xF4\x90\x80\x80");
    QTest::newRow("truncated at the end") << QByteArray("emoji \xF0\x9F\x98");
    QTest::newRow("after a long ASCII run") << QByteArray(100, 'x') + "\xFF";
}

void TokensTest::invalidUtf8()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!TokenEncoding::o200kBase().count(QByteArrayView(bytes)));
}

void TokensTest::malformedRankFile_data()
{
    QByteArray valid("BPE1");
    valid.append(QByteArray::fromHex("00010000"));
    for (int b = 0; b < 256; ++b)
        valid.append('\x01').append(static_cast<char>(b));
    QVERIFY(TokenEncoding::fromRankFile(valid));

    QTest::addColumn<QByteArray>("file");
    QTest::newRow("wrong magic") << QByteArray("BPE2").append(valid.mid(4));
    QTest::newRow("truncated") << valid.chopped(1);
    QTest::newRow("trailing bytes") << valid + "x";
    QByteArray duplicate = valid;
    duplicate[8 + 2 * 7 + 1] = 'A';
    QTest::newRow("a token twice, a byte missing") << duplicate;
    QByteArray empty = valid;
    empty[8] = '\0';
    QTest::newRow("empty token") << empty;
}

void TokensTest::malformedRankFile()
{
    QFETCH(QByteArray, file);
    QString error;
    QVERIFY(!TokenEncoding::fromRankFile(file, &error));
    QVERIFY(!error.isEmpty());
}

void TokensTest::cancelledCountGivesNoNumber()
{
    const QByteArray text = QByteArray(" one two three").repeated(10000);
    std::atomic_bool cancelled = false;
    QCOMPARE(TokenEncoding::o200kBase().count(QByteArrayView(text), &cancelled).value_or(-1),
             30000);
    cancelled = true;
    QVERIFY(!TokenEncoding::o200kBase().count(QByteArrayView(text), &cancelled));
}

QTEST_GUILESS_MAIN(TokensTest)
#include "tst_tokens.moc"

#include "StoredRecords.h"
#include "TempPreferences.h"
#include "model/PreferenceKeys.h"
#include "tags/CustomTagManager.h"
#include "tags/NamedColors.h"
#include "tags/TagRules.h"
#include "tags/UnicodeText.h"

#include <QSignalSpy>
#include <QtTest>

#include <optional>

using StoredRecords::project;
using Tags = QList<CustomTagDefinition>;
using OptionalText = std::optional<QString>;

class TestTags : public QObject {
    Q_OBJECT

    std::optional<TempPreferences> m_temp;

    Preferences& preferences() { return m_temp->preferences; }

private Q_SLOTS:
    void init() { m_temp.emplace(); }
    void cleanup() { m_temp.reset(); }

    // Tags match without regard to case (full folding) or composition; paths and names match
    // without regard to composition only.
    void matching_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("caseless");
        QTest::addColumn<bool>("canonical");
        QTest::newRow("composed and decomposed") << u"é"_qs << u"e\u0301"_qs << true << true;
        QTest::newRow("case differs") << u"Café"_qs << u"CAFE\u0301"_qs << true << false;
        QTest::newRow("sharp s and ss") << u"Straße"_qs << u"STRASSE"_qs << true << false;
        QTest::newRow("dotless i is not i") << u"ısparta"_qs << u"isparta"_qs << false << false;
        QTest::newRow("accent matters") << u"cafe"_qs << u"café"_qs << false << false;
    }

    void matching()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, caseless);
        QFETCH(bool, canonical);
        QCOMPARE(UnicodeText::caselessEqual(a, b), caseless);
        QCOMPARE(UnicodeText::canonicalEqual(a, b), canonical);
    }

    // Code points compare, so a character beyond the basic plane sorts after U+FFxx although its
    // first UTF-16 unit (a surrogate) is smaller.
    void scalarOrder()
    {
        QVERIFY(UnicodeText::scalarLess(u"\uFF21"_qs, u"\U0001F600"_qs));
        QVERIFY(!UnicodeText::scalarLess(u"\U0001F600"_qs, u"\uFF21"_qs));
    }

    void capitalizedWords_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("punctuation is not a separator") << u"HTML/CSS"_qs << u"Html/css"_qs;
        QTest::newRow("decomposed first letter") << u"e\u0301COLE"_qs << u"E\u0301cole"_qs;
        QTest::newRow("sharp s starts a word") << u"ßa"_qs << u"Ssa"_qs;
        QTest::newRow("greek final sigma") << u"ΟΔΟΣ ΣΟΦΟΣ"_qs << u"Οδος Σοφος"_qs;
        QTest::newRow("beyond the basic plane")
            << u"\U00010428\U00010400"_qs << u"\U00010400\U00010428"_qs;
    }

    void capitalizedWords()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(UnicodeText::capitalizedWords(text), expected);
    }

    void loadingTags()
    {
        // Nothing stored: empty, and nothing is written until a change.
        QVERIFY(CustomTagManager(preferences()).savedTags().isEmpty());
        QVERIFY(!preferences().contains(u"savedCustomTags"_qs));

        // Undecodable: ignored; the file as it was is kept aside before the next save.
        const QByteArray original(R"({"savedCustomTags": {"base64": "W3sibmFtZSI6ImEifV0="}})");
        const QString path = m_temp->dir.filePath(u"unusable.json"_qs);
        QVERIFY(StoredRecords::writeFile(path, original));
        Preferences unusable(path);
        CustomTagManager manager(unusable);
        QVERIFY(manager.savedTags().isEmpty());
        manager.saveTag(u"New"_qs, u"#112233"_qs);
        QVERIFY(unusable.flush());
        QCOMPARE(StoredRecords::readFile(unusable.preservedCorruptFile()), original);
        QCOMPARE(CustomTagCodec::decode(*unusable.bytes(PreferenceKeys::savedCustomTags)),
                 std::optional(Tags{{u"New"_qs, u"#112233"_qs}}));
    }

    void saveUpdatesTheMatchInPlaceWithTheNewSpelling()
    {
        CustomTagManager manager(preferences());
        QSignalSpy after(&manager, &CustomTagManager::savedTagsChanged);
        manager.saveTag(u"Client"_qs, u"#FF0000"_qs);
        manager.saveTag(u"Robots"_qs, u"#00FF00"_qs);
        manager.saveTag(u"CLIENT"_qs, u"#00FF00"_qs);
        const Tags expected{{u"CLIENT"_qs, u"#00FF00"_qs}, {u"Robots"_qs, u"#00FF00"_qs}};
        QCOMPARE(manager.savedTags(), expected);
        QCOMPARE(CustomTagCodec::decode(*preferences().bytes(PreferenceKeys::savedCustomTags)),
                 std::optional(expected));
        QCOMPARE(after.count(), 3);
        QCOMPARE(manager.colorHexForTag(u"cLiEnT"_qs), OptionalText(u"#00FF00"_qs));
        // Saving what is already there changes nothing, so nobody is told.
        manager.saveTag(u"Robots"_qs, u"#00FF00"_qs);
        QCOMPARE(after.count(), 3);
    }

    void storedDuplicatesAreReachedFirstAndDeletedTogether()
    {
        const Tags x{{u"x"_qs, u"#222222"_qs}};
        preferences().setBytes(
            PreferenceKeys::savedCustomTags,
            CustomTagCodec::encode(
                {{u"web"_qs, u"#111111"_qs}, x.first(), {u"WEB"_qs, u"#333333"_qs}}));
        CustomTagManager manager(preferences());
        QCOMPARE(manager.colorHexForTag(u"Web"_qs), OptionalText(u"#111111"_qs));
        manager.saveTag(u"Web"_qs, u"#444444"_qs);
        QCOMPARE(manager.savedTags()[0].name, u"Web"_qs);
        QCOMPARE(manager.savedTags()[2].colorHex, u"#333333"_qs);
        manager.deleteTag(u"wEb"_qs);
        QCOMPARE(manager.savedTags(), x);
    }

    void colorFromHex_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("color"); // invalid: no colour
        QTest::newRow("six digits") << u"#FF8000"_qs << QColor(255, 128, 0);
        QTest::newRow("no hash, white space around") << u" FF8000\n"_qs << QColor(255, 128, 0);
        QTest::newRow("three digits") << u"#F80"_qs << QColor();
        QTest::newRow("no leading digit") << u"#GG0000"_qs << QColor();
        QTest::newRow("digits stop early") << u"#12ZZ56"_qs << QColor(0, 0, 18);
        QTest::newRow("0x prefix, eight") << u"0X123456"_qs << QColor(0, 18, 52, 86);
    }

    void colorFromHex()
    {
        QFETCH(QString, text);
        QFETCH(QColor, color);
        const std::optional<QColor> read = CustomTagManager::colorFromHex(text);
        QCOMPARE(read.value_or(QColor()), color);
    }

    // Red, green and blue times 255, rounded half away from zero and never clamped (extended-range
    // colours); none when a channel cannot be held in 64 bits.
    void hexFromColor()
    {
        QCOMPARE(CustomTagManager::hexFromColor(QColor(0x12, 0xAB, 0xEF, 7)), u"#12ABEF"_qs);
        QCOMPARE(CustomTagManager::hexFromColor(QColor()), std::nullopt);
        QCOMPARE(CustomTagManager::hexFromComponents({1.0, 0.5, 0.0}), u"#FF8000"_qs);
        QCOMPARE(CustomTagManager::hexFromComponents({2.0, 0, 0}), u"#1FE0000"_qs);
        QCOMPARE(CustomTagManager::hexFromComponents({-0.5 / 255.0, 0, 0}),
                 u"#FFFFFFFFFFFFFFFF0000"_qs);
        for (const QList<double>& unusable : {QList<double>{}, {qQNaN(), 0, 0}, {0, 0, 1e30}})
            QCOMPARE(CustomTagManager::hexFromComponents(unusable), std::nullopt);
    }

    // The manual tag, else the tag read off the path, else "uncategorized".
    void effectiveTag_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<OptionalText>("manualTag");
        QTest::addColumn<QString>("tag");
        const OptionalText none;
        QTest::newRow("empty manual tag counts as none")
            << u"/a/Coding/Robots/x"_qs << OptionalText(u""_qs) << u"Robots"_qs;
        QTest::newRow("ends in Coding/") << u"/a/Coding/"_qs << none << u""_qs;
        QTest::newRow("CodingX is not Coding") << u"/x/CodingX/Coding/B"_qs << none << u"B"_qs;
        QTest::newRow("first Coding wins") << u"/x/Coding/A/Coding/B"_qs << none << u"A"_qs;
        QTest::newRow("shortened beats Coding") << u".../Web/Coding/Apps"_qs << none << u"Web"_qs;
    }

    void effectiveTag()
    {
        QFETCH(QString, path);
        QFETCH(OptionalText, manualTag);
        QFETCH(QString, tag);
        QCOMPARE(TagRules::effectiveTag(project(path, false, 0, manualTag)), tag);
    }

    void keywordSwatch_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<int>("color");
        QTest::addColumn<double>("opacity");
        const auto row = [](const char* name, const char16_t* tag, NamedColor color,
                            double opacity) {
            QTest::newRow(name) << QString::fromUtf16(tag) << int(color) << opacity;
        };
        row("uncategorized", u"uncategorized", NamedColor::secondary, 0.5);
        // "uncategorized" holds "go", so only the whole word escapes the cyan rule.
        row("uncategorized with more", u"uncategorized stuff", NamedColor::cyan, 1);
        row("swiftui beats python", u"SwiftUI python", NamedColor::orange, 1);
        row("micropython", u"MicroPython", NamedColor::teal, 1);
        row("AI", u"AI", NamedColor::red, 0.5);
        row("AI tools", u"AI tools", NamedColor::gray, 1);
        row("accent on the keyword's last letter", u"gó", NamedColor::gray, 1);
        row("full lower-casing", u"PYTHON İ", NamedColor::blue, 1);
    }

    void keywordSwatch()
    {
        QFETCH(QString, tag);
        QFETCH(int, color);
        QFETCH(double, opacity);
        QCOMPARE(TagRules::keywordColor(tag), NamedColors::color(NamedColor(color), opacity));
    }

    // The project's own colour, else its tag's custom colour, else the tag's keyword colour;
    // colour texts that cannot be read are passed over.
    void projectColor()
    {
        CustomTagManager manager(preferences());
        manager.saveTag(u"Robots"_qs, u"#00FF00"_qs);
        manager.saveTag(u"Swift"_qs, u"#12"_qs);
        const auto color = [&manager](const QString& path, const OptionalText& tag,
                                      const OptionalText& hex) {
            return TagRules::projectColor(project(path, false, 0, tag, hex), manager);
        };
        QCOMPARE(color(u"/a/Coding/Robots/x"_qs, {}, u"#FF0000"_qs), QColor(255, 0, 0));
        QCOMPARE(color(u"/a/b"_qs, u"robots"_qs, {}), QColor(0, 255, 0));
        QCOMPARE(color(u"/a/Coding/Robots/x"_qs, {}, u"red"_qs), QColor(0, 255, 0));
        QCOMPARE(color(u"/a"_qs, u"swift"_qs, {}), NamedColors::color(NamedColor::orange));
    }
};

QTEST_GUILESS_MAIN(TestTags)
#include "tst_tags.moc"

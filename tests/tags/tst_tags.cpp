#include "StoredRecords.h"
#include "TempPreferences.h"
#include "model/PreferenceKeys.h"
#include "tags/CustomTagManager.h"
#include "tags/NamedColors.h"
#include "tags/TagRules.h"
#include "tags/UnicodeText.h"

#include <QSignalSpy>
#include <QtTest>

#include <limits>
#include <optional>

using StoredRecords::project;
using Tags = QList<CustomTagDefinition>;
using OptionalText = std::optional<QString>;

class TestTags : public QObject {
    Q_OBJECT

    std::optional<TempPreferences> m_temp;

    Preferences& preferences() { return m_temp->preferences; }

    std::optional<Tags> storedTags()
    {
        const auto bytes =
            StoredRecords::storedBytes(preferences(), PreferenceKeys::savedCustomTags);
        return bytes ? CustomTagCodec::decode(*bytes) : std::nullopt;
    }

private Q_SLOTS:
    void init() { m_temp.emplace(); }
    void cleanup() { m_temp.reset(); }

    // --- Unicode text ------------------------------------------------------------------------

    void caselessMatching_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("match");
        QTest::newRow("ascii") << u"Client"_qs << u"CLIENT"_qs << true;
        QTest::newRow("sharp s and ss") << u"Straße"_qs << u"STRASSE"_qs << true;
        QTest::newRow("ligature") << u"ﬁle"_qs << u"FILE"_qs << true;
        QTest::newRow("final sigma") << u"ΟΔΟΣ"_qs << u"οδος"_qs << true;
        QTest::newRow("composed and decomposed") << u"Café"_qs << u"CAFE\u0301"_qs << true;
        QTest::newRow("dotless i is not i") << u"ısparta"_qs << u"isparta"_qs << false;
        QTest::newRow("accent matters") << u"cafe"_qs << u"café"_qs << false;
    }

    void caselessMatching()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, match);
        QCOMPARE(UnicodeText::caselessEqual(a, b), match);
        QCOMPARE(UnicodeText::caselessEqual(b, a), match);
    }

    void canonicalEquivalenceAndScalarOrder()
    {
        QVERIFY(UnicodeText::canonicalEqual(u"é"_qs, u"e\u0301"_qs));
        QVERIFY(!UnicodeText::canonicalEqual(u"é"_qs, u"E\u0301"_qs));
        // Code points compare, so a character beyond the basic plane sorts after U+FFxx
        // although its first UTF-16 unit (a surrogate) is smaller.
        QVERIFY(UnicodeText::scalarLess(u"\uFF21"_qs, u"\U0001F600"_qs));
        QVERIFY(!UnicodeText::scalarLess(u"\U0001F600"_qs, u"\uFF21"_qs));
        QVERIFY(!UnicodeText::scalarLess(u"e\u0301"_qs, u"é"_qs));
    }

    void capitalizedWords_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("two words") << u"home automation"_qs << u"Home Automation"_qs;
        QTest::newRow("punctuation is not a separator") << u"HTML/CSS"_qs << u"Html/css"_qs;
        QTest::newRow("white space kept") << u" a\tb\u00A0c  d "_qs << u" A\tB\u00A0C  D "_qs;
        QTest::newRow("decomposed first letter") << u"e\u0301COLE"_qs << u"E\u0301cole"_qs;
        QTest::newRow("sharp s starts a word") << u"ßa"_qs << u"Ssa"_qs;
        QTest::newRow("sharp s inside a word") << u"STRAẞE"_qs << u"Straße"_qs;
        QTest::newRow("greek final sigma") << u"ΟΔΟΣ ΣΟΦΟΣ"_qs << u"Οδος Σοφος"_qs;
        QTest::newRow("turkish dotted capital I") << u"İSTANBUL"_qs << u"İstanbul"_qs;
        QTest::newRow("beyond the basic plane")
            << u"\U00010428\U00010400"_qs << u"\U00010400\U00010428"_qs;
    }

    void capitalizedWords()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(UnicodeText::capitalizedWords(text), expected);
    }

    // --- Tag store ---------------------------------------------------------------------------

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
        QSignalSpy before(&manager, &CustomTagManager::savedTagsAboutToChange);
        QSignalSpy after(&manager, &CustomTagManager::savedTagsChanged);
        manager.saveTag(u"Client"_qs, u"#FF0000"_qs);
        manager.saveTag(u"Robots"_qs, u"#00FF00"_qs);
        manager.saveTag(u"CLIENT"_qs, u"#00FF00"_qs);
        manager.saveTag(u"STRASSE"_qs, u"#0000FF"_qs);
        manager.saveTag(u"Straße"_qs, u"#123456"_qs);
        const Tags expected{{u"CLIENT"_qs, u"#00FF00"_qs},
                            {u"Robots"_qs, u"#00FF00"_qs},
                            {u"Straße"_qs, u"#123456"_qs}};
        QCOMPARE(manager.savedTags(), expected);
        QCOMPARE(storedTags(), std::optional(expected));
        QCOMPARE(before.count(), 5);
        QCOMPARE(after.count(), 5);
        QCOMPARE(manager.colorHexForTag(u"cLiEnT"_qs), OptionalText(u"#00FF00"_qs));
        QCOMPARE(manager.colorHexForTag(u"Clients"_qs), std::nullopt);
        // Saving what is already there changes nothing, so nobody is told.
        manager.saveTag(u"Robots"_qs, u"#00FF00"_qs);
        QCOMPARE(after.count(), 5);
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
        // A name that matches nothing still rewrites the list as it is.
        preferences().remove(u"savedCustomTags"_qs);
        manager.deleteTag(u"nothing"_qs);
        QCOMPARE(storedTags(), std::optional(x));
    }

    // --- Colour text -------------------------------------------------------------------------

    void colorFromHex_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("color"); // invalid: no colour
        QTest::newRow("six digits") << u"#FF8000"_qs << QColor(255, 128, 0);
        QTest::newRow("no hash, white space around") << u" FF8000\n"_qs << QColor(255, 128, 0);
        QTest::newRow("eight digits") << u"#80808080"_qs << QColor(128, 128, 128, 128);
        QTest::newRow("non-breaking space trimmed")
            << u"\u00A0#0000FF\u2028"_qs << QColor(0, 0, 255);
        QTest::newRow("three digits") << u"#F80"_qs << QColor();
        QTest::newRow("no leading digit") << u"#GG0000"_qs << QColor();
        QTest::newRow("digits stop early") << u"#12ZZ56"_qs << QColor(0, 0, 18);
        QTest::newRow("length counts every character") << u"#12345é"_qs << QColor(1, 35, 69);
        QTest::newRow("0x prefix, eight") << u"0X123456"_qs << QColor(0, 18, 52, 86);
        QTest::newRow("full-width digits") << u"＃ＦＦ００００"_qs << QColor();
    }

    void colorFromHex()
    {
        QFETCH(QString, text);
        QFETCH(QColor, color);
        const std::optional<QColor> read = CustomTagManager::colorFromHex(text);
        QCOMPARE(read.value_or(QColor()), color);
        QVERIFY(!read || read->spec() == QColor::Rgb);
    }

    void hexFromComponents_data()
    {
        QTest::addColumn<QList<double>>("components");
        QTest::addColumn<OptionalText>("hex");
        const auto hex = [](const char16_t* text) {
            return OptionalText(QString::fromUtf16(text));
        };
        QTest::newRow("rgb, half rounds up") << QList<double>{1.0, 0.5, 0.0} << hex(u"#FF8000");
        QTest::newRow("grey with opacity") << QList<double>{1.0, 0.5} << hex(u"#FF80FF");
        QTest::newRow("over one is not clamped") << QList<double>{2.0, 0, 0} << hex(u"#1FE0000");
        QTest::newRow("negative half rounds away from zero")
            << QList<double>{-0.5 / 255.0, 0, 0} << hex(u"#FFFFFFFFFFFFFFFF0000");
        QTest::newRow("empty") << QList<double>{} << OptionalText();
        QTest::newRow("not a number")
            << QList<double>{std::numeric_limits<double>::quiet_NaN(), 0, 0} << OptionalText();
        QTest::newRow("beyond 64 bits") << QList<double>{0, 0, 1e30} << OptionalText();
    }

    void hexFromComponents()
    {
        QFETCH(QList<double>, components);
        QFETCH(OptionalText, hex);
        QCOMPARE(CustomTagManager::hexFromComponents(components), hex);
    }

    void hexFromColor()
    {
        QCOMPARE(CustomTagManager::hexFromColor(QColor(0x12, 0xAB, 0xEF, 7)), u"#12ABEF"_qs);
        QCOMPARE(CustomTagManager::hexFromColor(QColor::fromHsv(120, 255, 255)), u"#00FF00"_qs);
        QCOMPARE(CustomTagManager::hexFromColor(QColor()), std::nullopt);
    }

    // --- Tag rules ---------------------------------------------------------------------------

    // The manual tag, else the tag read off the path, else "uncategorized".
    void effectiveTag_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<OptionalText>("manualTag");
        QTest::addColumn<QString>("tag");
        const OptionalText none;
        QTest::newRow("manual tag wins")
            << u"/a/Coding/Robots/x"_qs << OptionalText(u"Swift"_qs) << u"Swift"_qs;
        QTest::newRow("empty manual tag counts as none")
            << u"/a/Coding/Robots/x"_qs << OptionalText(u""_qs) << u"Robots"_qs;
        QTest::newRow("lower-case coding") << u"/a/coding/Robots"_qs << none << u"uncategorized"_qs;
        QTest::newRow("ends in Coding/") << u"/a/Coding/"_qs << none << u""_qs;
        QTest::newRow("CodingX is not Coding") << u"/x/CodingX/Coding/B"_qs << none << u"B"_qs;
        QTest::newRow("first Coding wins") << u"/x/Coding/A/Coding/B"_qs << none << u"A"_qs;
        QTest::newRow("shortened, empty first piece")
            << u"...//Robots"_qs << none << u"uncategorized"_qs;
        QTest::newRow("shortened, empty piece, Coding later")
            << u"...//Coding/Apps/x"_qs << none << u"Apps"_qs;
        QTest::newRow("shortened beats Coding") << u".../Web/Coding/Apps"_qs << none << u"Web"_qs;
        QTest::newRow("empty") << QString() << none << u"uncategorized"_qs;
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
        row("artificial intelligence", u"Artificial Intelligence lab", NamedColor::red, 0.5);
        row("empty", u"", NamedColor::gray, 1);
        row("accent on the keyword's last letter", u"gó", NamedColor::gray, 1);
        row("full lower-casing", u"PYTHON İ", NamedColor::blue, 1);
    }

    void keywordSwatch()
    {
        QFETCH(QString, tag);
        QFETCH(int, color);
        QFETCH(double, opacity);
        const TagRules::Swatch actual = TagRules::keywordSwatch(tag);
        QCOMPARE(NamedColors::name(actual.color), NamedColors::name(NamedColor(color)));
        QCOMPARE(actual.opacity, opacity);
        QCOMPARE(TagRules::keywordColor(tag), NamedColors::color(NamedColor(color), opacity));
    }

    void projectColor_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<OptionalText>("tag");
        QTest::addColumn<OptionalText>("hex");
        QTest::addColumn<QColor>("expected");
        const OptionalText none;
        // Custom tags in every row: "Robots" #00FF00, "Swift" with an unreadable colour.
        QTest::newRow("own colour wins")
            << u"/a/Coding/Robots/x"_qs << none << OptionalText(u"#FF0000"_qs) << QColor(255, 0, 0);
        QTest::newRow("custom tag by case-insensitive name")
            << u"/a/b"_qs << OptionalText(u"robots"_qs) << none << QColor(0, 255, 0);
        QTest::newRow("unreadable own colour falls to the custom tag")
            << u"/a/Coding/Robots/x"_qs << none << OptionalText(u"red"_qs) << QColor(0, 255, 0);
        QTest::newRow("unreadable custom tag colour falls to the keyword")
            << u"/a"_qs << OptionalText(u"swift"_qs) << none
            << NamedColors::color(NamedColor::orange);
        QTest::newRow("keyword of uncategorized")
            << u"/a/b"_qs << none << none << NamedColors::color(NamedColor::secondary, 0.5);
    }

    void projectColor()
    {
        QFETCH(QString, path);
        QFETCH(OptionalText, tag);
        QFETCH(OptionalText, hex);
        QFETCH(QColor, expected);
        CustomTagManager manager(preferences());
        manager.saveTag(u"Robots"_qs, u"#00FF00"_qs);
        manager.saveTag(u"Swift"_qs, u"#12"_qs);
        QCOMPARE(TagRules::projectColor(project(path, false, 0, tag, hex), manager), expected);
    }

    void sharedManagerUsesTheUsersStore()
    {
        CustomTagManager& shared = CustomTagManager::shared();
        QCOMPARE(&shared, &CustomTagManager::shared());
        shared.saveTag(u"Robots"_qs, u"#0000FF"_qs);
        QCOMPARE(TagRules::projectColor(project(u"/a/Coding/robots/x"_qs)), QColor(0, 0, 255));
        QVERIFY(
            StoredRecords::storedBytes(Preferences::standard(), PreferenceKeys::savedCustomTags));
        shared.deleteTag(u"robots"_qs);
    }
};

QTEST_GUILESS_MAIN(TestTags)
#include "tst_tags.moc"

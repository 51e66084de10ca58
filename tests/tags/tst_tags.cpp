#include "TempPreferences.h"
#include "model/PreferenceKeys.h"
#include "model/Preferences.h"
#include "tags/CustomTagManager.h"
#include "tags/NamedColors.h"
#include "tags/TagRules.h"
#include "tags/UnicodeText.h"

#include <QSignalSpy>
#include <QtTest>

#include <limits>
#include <memory>
#include <optional>

using TagRules::Swatch;

namespace {

QString s(const char16_t* text)
{
    return QString::fromUtf16(text);
}

RecentFolder project(const QString& path, std::optional<QString> manualTag = std::nullopt,
                     std::optional<QString> colorHex = std::nullopt)
{
    RecentFolder folder;
    folder.id = QUuid::createUuid();
    folder.path = path;
    folder.manualTag = std::move(manualTag);
    folder.customColorHex = std::move(colorHex);
    return folder;
}

QString rgbaText(const QColor& color)
{
    return QStringLiteral("%1,%2,%3,%4")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue())
        .arg(color.alpha());
}

} // namespace

class TestTags : public QObject {
    Q_OBJECT

    std::optional<TempPreferences> m_temp;

    Preferences& preferences() { return m_temp->preferences; }

    // A second store over the same file, to see what was written.
    std::optional<QList<CustomTagDefinition>> storedTags()
    {
        m_temp->preferences.flush();
        Preferences reader(m_temp->preferences.filePath(), Preferences::Access::ReadOnly);
        const auto bytes = reader.bytes(PreferenceKeys::savedCustomTags);
        if (!bytes)
            return std::nullopt;
        return CustomTagCodec::decode(*bytes);
    }

private Q_SLOTS:
    void init() { m_temp.emplace(); }

    void cleanup() { m_temp.reset(); }

    void undecodableStoredTagsAreKeptBeforeTheNextSave()
    {
        const QByteArray original(R"({"savedCustomTags": {"base64": "W3sibmFtZSI6ImEifV0="}})");
        const QString path = m_temp->dir.filePath(QStringLiteral("unusable.json"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(original) == original.size());
        file.close();
        Preferences preferences(path);

        CustomTagManager manager(preferences);
        QVERIFY(manager.savedTags().isEmpty());
        manager.saveTag(QStringLiteral("New"), QStringLiteral("#112233"));
        QVERIFY(preferences.flush());
        QFile kept(preferences.preservedCorruptFile());
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), original);
    }

    // --- Case-insensitive names --------------------------------------------------------------

    void caselessMatching_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("match");
        QTest::newRow("ascii") << s(u"Client") << s(u"CLIENT") << true;
        QTest::newRow("sharp s and ss") << s(u"Straße") << s(u"STRASSE") << true;
        QTest::newRow("capital sharp s") << s(u"STRAẞE") << s(u"strasse") << true;
        QTest::newRow("ligature") << s(u"ﬁle") << s(u"FILE") << true;
        QTest::newRow("final sigma") << s(u"ΟΔΟΣ") << s(u"οδος") << true;
        QTest::newRow("iota subscript") << s(u"ᾳ") << s(u"ΑΙ") << true;
        QTest::newRow("composed and decomposed") << s(u"Café") << s(u"CAFE\u0301") << true;
        QTest::newRow("dotted capital I and i with dot") << s(u"İ") << s(u"i\u0307") << true;
        QTest::newRow("dotless i is not i") << s(u"ısparta") << s(u"isparta") << false;
        QTest::newRow("dotted capital I is not i") << s(u"İzmir") << s(u"izmir") << false;
        QTest::newRow("accent matters") << s(u"cafe") << s(u"café") << false;
    }

    void caselessMatching()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, match);
        QCOMPARE(UnicodeText::caselessEqual(a, b), match);
        QCOMPARE(UnicodeText::caselessEqual(b, a), match);
    }

    void canonicalEquivalence()
    {
        QVERIFY(UnicodeText::canonicalEqual(s(u"é"), s(u"e\u0301")));
        QVERIFY(!UnicodeText::canonicalEqual(s(u"é"), s(u"E\u0301")));
        // Scalar order compares code points, so a character beyond the basic plane sorts after
        // U+FFxx although its first UTF-16 unit (a surrogate) is smaller.
        QVERIFY(UnicodeText::scalarLess(s(u"\uFF21"), s(u"\U0001F600")));
        QVERIFY(!UnicodeText::scalarLess(s(u"\U0001F600"), s(u"\uFF21")));
        QVERIFY(!UnicodeText::scalarLess(s(u"é"), s(u"e\u0301")));
        QVERIFY(!UnicodeText::scalarLess(s(u"e\u0301"), s(u"é")));
    }

    void capitalizedWords_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("uncategorized") << s(u"uncategorized") << s(u"Uncategorized");
        QTest::newRow("upper-case word") << s(u"AI") << s(u"Ai");
        QTest::newRow("two words") << s(u"home automation") << s(u"Home Automation");
        QTest::newRow("punctuation is not a separator") << s(u"HTML/CSS") << s(u"Html/css");
        QTest::newRow("symbols") << s(u"c++") << s(u"C++");
        QTest::newRow("leading symbol") << s(u"(swift)") << s(u"(swift)");
        QTest::newRow("white space kept") << s(u" a\tb\u00A0c  d ") << s(u" A\tB\u00A0C  D ");
        QTest::newRow("decomposed first letter") << s(u"e\u0301COLE") << s(u"E\u0301cole");
        QTest::newRow("sharp s starts a word") << s(u"ßa") << s(u"Ssa");
        QTest::newRow("sharp s inside a word") << s(u"STRAẞE") << s(u"Straße");
        QTest::newRow("ligature") << s(u"ﬁsh") << s(u"Fish");
        QTest::newRow("digraph") << s(u"ǆungla") << s(u"ǅungla");
        QTest::newRow("greek final sigma") << s(u"ΟΔΟΣ ΣΟΦΟΣ") << s(u"Οδος Σοφος");
        QTest::newRow("greek iota subscript") << s(u"ᾷ") << s(u"\u0391\u0342\u0345");
        QTest::newRow("turkish dotted capital I") << s(u"İSTANBUL") << s(u"İstanbul");
        QTest::newRow("beyond the basic plane")
            << s(u"\U00010428\U00010400") << s(u"\U00010400\U00010428");
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
        {
            CustomTagManager manager(preferences());
            QVERIFY(manager.savedTags().isEmpty());
            QCOMPARE(QString(manager.storageKey()), QStringLiteral("savedCustomTags"));
        }
        QVERIFY(!preferences().contains(QStringLiteral("savedCustomTags")));

        // Undecodable: ignored, and kept until the next change overwrites it.
        preferences().setBytes(PreferenceKeys::savedCustomTags, "[{\"name\":\"a\"}]");
        CustomTagManager manager(preferences());
        QVERIFY(manager.savedTags().isEmpty());
        QVERIFY(preferences().bytes(PreferenceKeys::savedCustomTags));
        manager.saveTag(QStringLiteral("b"), QStringLiteral("#010203"));
        QCOMPARE(storedTags(), std::optional(QList<CustomTagDefinition>{
                                   {QStringLiteral("b"), QStringLiteral("#010203")}}));
    }

    void saveUpdatesTheMatchInPlaceWithTheNewSpelling()
    {
        CustomTagManager manager(preferences());
        QSignalSpy before(&manager, &CustomTagManager::savedTagsAboutToChange);
        QSignalSpy after(&manager, &CustomTagManager::savedTagsChanged);
        manager.saveTag(QStringLiteral("Client"), QStringLiteral("#FF0000"));
        manager.saveTag(QStringLiteral("Robots"), QStringLiteral("#00FF00"));
        manager.saveTag(QStringLiteral("CLIENT"), QStringLiteral("#00FF00"));
        manager.saveTag(s(u"STRASSE"), QStringLiteral("#0000FF"));
        manager.saveTag(s(u"Straße"), QStringLiteral("#123456"));
        const QList<CustomTagDefinition> expected{
            {QStringLiteral("CLIENT"), QStringLiteral("#00FF00")},
            {QStringLiteral("Robots"), QStringLiteral("#00FF00")},
            {s(u"Straße"), QStringLiteral("#123456")},
        };
        QCOMPARE(manager.savedTags(), expected);
        QCOMPARE(storedTags(), std::optional(expected));
        QCOMPARE(before.count(), 5);
        QCOMPARE(after.count(), 5);
        QCOMPARE(manager.colorHexForTag(QStringLiteral("cLiEnT")),
                 std::optional<QString>(QStringLiteral("#00FF00")));
        QCOMPARE(manager.colorHexForTag(QStringLiteral("Clients")), std::nullopt);

        // Saving what is already there changes nothing, so nobody is told.
        manager.saveTag(QStringLiteral("Robots"), QStringLiteral("#00FF00"));
        QCOMPARE(after.count(), 5);
    }

    void storedDuplicatesAreReachedFirstAndDeletedTogether()
    {
        const QList<CustomTagDefinition> x{{QStringLiteral("x"), QStringLiteral("#222222")}};
        preferences().setBytes(
            PreferenceKeys::savedCustomTags,
            CustomTagCodec::encode({{QStringLiteral("web"), QStringLiteral("#111111")},
                                    x.first(),
                                    {QStringLiteral("WEB"), QStringLiteral("#333333")}}));
        CustomTagManager manager(preferences());
        QCOMPARE(manager.colorHexForTag(QStringLiteral("Web")),
                 std::optional<QString>(QStringLiteral("#111111")));
        manager.saveTag(QStringLiteral("Web"), QStringLiteral("#444444"));
        QCOMPARE(manager.savedTags()[0].name, QStringLiteral("Web"));
        QCOMPARE(manager.savedTags()[2].colorHex, QStringLiteral("#333333"));
        manager.deleteTag(QStringLiteral("wEb"));
        QCOMPARE(manager.savedTags(), x);

        // A name that matches nothing still rewrites the list as it is.
        preferences().remove(QStringLiteral("savedCustomTags"));
        manager.deleteTag(QStringLiteral("nothing"));
        QCOMPARE(storedTags(), std::optional(x));
    }

    // --- Colour text -------------------------------------------------------------------------

    void colorFromHex_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("rgba"); // empty: no colour
        QTest::newRow("six digits") << s(u"#FF8000") << s(u"255,128,0,255");
        QTest::newRow("blank and newline around") << s(u" #FF8000\n") << s(u"255,128,0,255");
        QTest::newRow("no hash") << s(u"FF8000") << s(u"255,128,0,255");
        QTest::newRow("eight digits") << s(u"#80808080") << s(u"128,128,128,128");
        QTest::newRow("hash anywhere") << s(u"#FF#80#00") << s(u"255,128,0,255");
        QTest::newRow("non-breaking space trimmed")
            << s(u"\u00A0#0000FF\u2028") << s(u"0,0,255,255");
        QTest::newRow("three digits") << s(u"#F80") << QString();
        QTest::newRow("no leading digit") << s(u"#GG0000") << QString();
        QTest::newRow("digits stop early") << s(u"#12ZZ56") << s(u"0,0,18,255");
        QTest::newRow("length counts every character") << s(u"#12345é") << s(u"1,35,69,255");
        QTest::newRow("0x prefix counts in the length") << s(u"0x1234") << s(u"0,18,52,255");
        QTest::newRow("0X prefix, eight") << s(u"0X123456") << s(u"0,18,52,86");
        QTest::newRow("inner blank") << s(u"# FFFFF") << QString();
        QTest::newRow("full-width digits") << s(u"＃ＦＦ００００") << QString();
    }

    void colorFromHex()
    {
        QFETCH(QString, text);
        QFETCH(QString, rgba);
        const std::optional<QColor> color = CustomTagManager::colorFromHex(text);
        if (rgba.isEmpty()) {
            QVERIFY2(!color, qPrintable(color ? rgbaText(*color) : QString()));
            return;
        }
        QVERIFY(color);
        QCOMPARE(rgbaText(*color), rgba);
        QCOMPARE(color->spec(), QColor::Rgb);
    }

    void hexFromComponents_data()
    {
        QTest::addColumn<QList<double>>("components");
        QTest::addColumn<QString>("hex"); // empty: no text
        QTest::newRow("rgb, half rounds up") << QList<double>{1.0, 0.5, 0.0} << s(u"#FF8000");
        QTest::newRow("grey with opacity") << QList<double>{1.0, 0.5} << s(u"#FF80FF");
        QTest::newRow("one component") << QList<double>{0.2} << s(u"#333333");
        QTest::newRow("five components") << QList<double>{0.1, 0.2, 0.3, 0.4, 1} << s(u"#1A334D");
        QTest::newRow("over one is not clamped") << QList<double>{2.0, 0, 0} << s(u"#1FE0000");
        QTest::newRow("negative prints two's complement")
            << QList<double>{-1.0 / 255.0, 0, 0} << s(u"#FFFFFFFFFFFFFFFF0000");
        QTest::newRow("negative half rounds away from zero")
            << QList<double>{-0.5 / 255.0, 0, 0} << s(u"#FFFFFFFFFFFFFFFF0000");
        QTest::newRow("empty") << QList<double>{} << QString();
        QTest::newRow("not a number")
            << QList<double>{std::numeric_limits<double>::quiet_NaN(), 0, 0} << QString();
        QTest::newRow("infinite") << QList<double>{0, std::numeric_limits<double>::infinity(), 0}
                                  << QString();
        QTest::newRow("beyond 64 bits") << QList<double>{0, 0, 1e30} << QString();
    }

    void hexFromComponents()
    {
        QFETCH(QList<double>, components);
        QFETCH(QString, hex);
        const std::optional<QString> text = CustomTagManager::hexFromComponents(components);
        if (hex.isEmpty())
            QCOMPARE(text, std::nullopt);
        else
            QCOMPARE(text, std::optional<QString>(hex));
    }

    void hexFromColorReadsRgbAndRoundTrips()
    {
        QCOMPARE(CustomTagManager::hexFromColor(QColor::fromRgbF(1.0f, 0.5f, 0.0f)),
                 std::optional<QString>(QStringLiteral("#FF8000")));
        QCOMPARE(CustomTagManager::hexFromColor(QColor(0x12, 0xAB, 0xEF, 7)),
                 std::optional<QString>(QStringLiteral("#12ABEF")));
        QCOMPARE(CustomTagManager::hexFromColor(QColor::fromHsv(120, 255, 255)),
                 std::optional<QString>(QStringLiteral("#00FF00")));
        QCOMPARE(CustomTagManager::hexFromColor(QColor()), std::nullopt);
        // Out-of-range components make an extended-range colour, which is not clamped.
        QCOMPARE(CustomTagManager::hexFromColor(QColor::fromRgbF(1.5f, 0.0f, 0.0f)),
                 std::optional<QString>(QStringLiteral("#17F0000")));
        // A formatted colour reads back to the same colour, for every channel value.
        for (int v = 0; v < 256; ++v) {
            const QColor color(v, 255 - v, (v * 7) % 256);
            const std::optional<QString> hex = CustomTagManager::hexFromColor(color);
            QVERIFY(hex);
            QCOMPARE(CustomTagManager::colorFromHex(*hex), std::optional<QColor>(color));
        }
    }

    // --- Tag rules ---------------------------------------------------------------------------

    void pathDerivedTag_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<std::optional<QString>>("tag");
        const auto some = [](const char16_t* t) { return std::optional<QString>(s(t)); };
        QTest::newRow("below Coding") << s(u"/Users/a/Coding/Robots/arm") << some(u"Robots");
        QTest::newRow("lower-case coding")
            << s(u"/Users/a/coding/Robots") << std::optional<QString>();
        QTest::newRow("ends in Coding/") << s(u"/Users/a/Coding/") << some(u"");
        QTest::newRow("the Coding folder itself")
            << s(u"/Users/a/Coding") << std::optional<QString>();
        QTest::newRow("first Coding wins") << s(u"/x/Coding/A/Coding/B") << some(u"A");
        QTest::newRow("CodingX before Coding") << s(u"/x/CodingX/Coding/B") << some(u"B");
        QTest::newRow("shortened") << s(u".../Robots/arm") << some(u"Robots");
        QTest::newRow("shortened, one folder") << s(u".../Robots") << some(u"Robots");
        QTest::newRow("shortened, empty first piece")
            << s(u"...//Robots") << std::optional<QString>();
        QTest::newRow("shortened, empty piece, Coding later")
            << s(u"...//Coding/Apps/x") << some(u"Apps");
        QTest::newRow("shortened beats Coding") << s(u".../Web/Coding/Apps") << some(u"Web");
        QTest::newRow("plain path") << s(u"/home/a/projects/app") << std::optional<QString>();
        QTest::newRow("empty") << QString() << std::optional<QString>();
    }

    void pathDerivedTag()
    {
        QFETCH(QString, path);
        QFETCH(std::optional<QString>, tag);
        QCOMPARE(TagRules::pathDerivedTag(path), tag);
    }

    void effectiveTag()
    {
        QCOMPARE(TagRules::effectiveTag(
                     project(QStringLiteral("/a/Coding/Robots/x"), QStringLiteral("Swift"))),
                 QStringLiteral("Swift"));
        QCOMPARE(TagRules::effectiveTag(project(QStringLiteral("/a/Coding/Robots/x"), QString())),
                 QStringLiteral("Robots"));
        QCOMPARE(TagRules::effectiveTag(project(QStringLiteral("/a/b"))),
                 QStringLiteral("uncategorized"));
        QCOMPARE(TagRules::effectiveTag(project(QStringLiteral("/a/Coding/"))), QString());
    }

    void keywordSwatch_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<int>("color");
        QTest::addColumn<double>("opacity");
        const auto row = [](const char* name, const char16_t* tag, NamedColor color,
                            double opacity) {
            QTest::newRow(name) << s(tag) << int(color) << opacity;
        };
        row("uncategorized", u"uncategorized", NamedColor::secondary, 0.5);
        // "uncategorized" holds "go", so only the whole word escapes the cyan rule.
        row("uncategorized with more", u"uncategorized stuff", NamedColor::cyan, 1);
        row("Swift", u"Swift", NamedColor::orange, 1);
        row("swiftui beats python", u"SwiftUI python", NamedColor::orange, 1);
        row("micropython", u"MicroPython", NamedColor::teal, 1);
        row("Python", u"Python", NamedColor::blue, 1);
        row("JavaScript", u"JavaScript", NamedColor::yellow, 1);
        row("nodejs", u"NodeJS", NamedColor::yellow, 1);
        row("C++", u"C++", NamedColor::pink, 1);
        row("Arduino", u"Arduino", NamedColor::pink, 1);
        row("Web", u"Web", NamedColor::purple, 1);
        row("Shell", u"Shell", NamedColor::gray, 1);
        row("adobe", u"Adobe", NamedColor::green, 0.5);
        row("applescript", u"AppleScript", NamedColor::orange, 0.5);
        row("AI", u"AI", NamedColor::red, 0.5);
        row("AI tools", u"AI tools", NamedColor::gray, 1);
        row("artificial intelligence", u"Artificial Intelligence lab", NamedColor::red, 0.5);
        row("chrome", u"Chrome extensions", NamedColor::green, 1);
        row("home automation", u"Home Automation", NamedColor::pink, 0.5);
        row("wordpress", u"WordPress", NamedColor::brown, 1);
        row("Go", u"Go", NamedColor::cyan, 1);
        row("django", u"django", NamedColor::cyan, 1);
        row("mongodb", u"mongodb", NamedColor::cyan, 1);
        row("Rust", u"Rust", NamedColor::orange, 0.8);
        row("Java", u"Java", NamedColor::brown, 0.8);
        row("empty", u"", NamedColor::gray, 1);
        row("accent on the keyword's last letter", u"gó", NamedColor::gray, 1);
        row("full lower-casing", u"PYTHON İ", NamedColor::blue, 1);
    }

    void keywordSwatch()
    {
        QFETCH(QString, tag);
        QFETCH(int, color);
        QFETCH(double, opacity);
        const Swatch expected{NamedColor(color), opacity};
        const Swatch actual = TagRules::keywordSwatch(tag);
        QCOMPARE(NamedColors::name(actual.color), NamedColors::name(expected.color));
        QCOMPARE(actual.opacity, expected.opacity);
        QCOMPARE(TagRules::keywordColor(tag), NamedColors::color(expected.color, opacity));
    }

    void projectColor_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<std::optional<QString>>("tag");
        QTest::addColumn<std::optional<QString>>("hex");
        QTest::addColumn<QColor>("expected");
        const std::optional<QString> none;
        const auto some = [](const char16_t* t) { return std::optional<QString>(s(t)); };
        // Custom tags in every row: "Robots" #00FF00, "Swift" with an unreadable colour.
        QTest::newRow("own colour wins")
            << s(u"/a/Coding/Robots/x") << none << some(u"#FF0000") << QColor(255, 0, 0);
        QTest::newRow("custom tag by case-insensitive name")
            << s(u"/a/b") << some(u"robots") << none << QColor(0, 255, 0);
        QTest::newRow("unreadable own colour falls to the custom tag")
            << s(u"/a/Coding/Robots/x") << none << some(u"red") << QColor(0, 255, 0);
        QTest::newRow("unreadable own colour falls to the keyword")
            << s(u"/a/b") << some(u"Swift") << some(u"#F80")
            << NamedColors::color(NamedColor::orange);
        QTest::newRow("unreadable custom tag colour falls to the keyword")
            << s(u"/a") << some(u"swift") << none << NamedColors::color(NamedColor::orange);
        QTest::newRow("keyword of uncategorized")
            << s(u"/a/b") << none << none << NamedColors::color(NamedColor::secondary, 0.5);
    }

    void projectColor()
    {
        QFETCH(QString, path);
        QFETCH(std::optional<QString>, tag);
        QFETCH(std::optional<QString>, hex);
        QFETCH(QColor, expected);
        CustomTagManager manager(preferences());
        manager.saveTag(QStringLiteral("Robots"), QStringLiteral("#00FF00"));
        manager.saveTag(QStringLiteral("Swift"), QStringLiteral("#12"));
        QCOMPARE(TagRules::projectColor(project(path, tag, hex), manager), expected);
    }

    void sharedManagerUsesTheUsersStore()
    {
        CustomTagManager& shared = CustomTagManager::shared();
        QCOMPARE(&shared, &CustomTagManager::shared());
        shared.saveTag(QStringLiteral("Robots"), QStringLiteral("#0000FF"));
        QCOMPARE(TagRules::projectColor(project(QStringLiteral("/a/Coding/robots/x"))),
                 QColor(0, 0, 255));
        QVERIFY(Preferences::standard().flush());
        Preferences reader(Preferences::defaultFilePath(), Preferences::Access::ReadOnly);
        QVERIFY(reader.bytes(PreferenceKeys::savedCustomTags));
        shared.deleteTag(QStringLiteral("robots"));
    }
};

QTEST_GUILESS_MAIN(TestTags)
#include "tst_tags.moc"

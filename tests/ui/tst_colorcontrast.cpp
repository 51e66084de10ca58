#include "tags/NamedColors.h"
#include "tags/TagRules.h"
#include "ui/ColorContrast.h"
#include "ui/SymbolIcon.h"

#include <QImage>
#include <QtTest>

namespace {

// Every text colour the screens can be given: the named colours at the opacities the screens
// use, the keyword colours of tags and, for custom tags, a grid through the whole colour cube,
// opaque and half transparent (the colour picker allows it).
QList<QColor> textColors()
{
    QList<QColor> colors;
    for (NamedColor name : NamedColors::all()) {
        for (double opacity : {1.0, 0.8, 0.7, 0.6, 0.5})
            colors << NamedColors::color(name, opacity);
    }
    for (const QString& tag : TagRules::suggestedTags())
        colors << TagRules::keywordColor(tag);
    for (int r = 0; r < 256; r += 51) {
        for (int g = 0; g < 256; g += 51) {
            for (int b = 0; b < 256; b += 51)
                colors << QColor(r, g, b) << QColor(r, g, b, 128);
        }
    }
    return colors;
}

double hueDistance(const QColor& a, const QColor& b)
{
    const double d = std::abs(a.hsvHueF() - b.hsvHueF());
    return std::min(d, 1.0 - d);
}

} // namespace

class TestColorContrast : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void ratio()
    {
        QCOMPARE(ColorContrast::ratio(Qt::black, Qt::white), 21.0);
        QCOMPARE(ColorContrast::ratio(QColor(0x77, 0x77, 0x77), QColor(0x77, 0x77, 0x77)), 1.0);
        QCOMPARE(ColorContrast::composite(QColor(0, 0, 0, 0), Qt::white), QColor(Qt::white));
    }

    // A light window, a selected row of a dark one (the accent at 20%) and a middle grey that
    // neither black nor white text reads well on.
    void everyTextReadsOnItsBackground_data()
    {
        QTest::addColumn<QColor>("underlay");
        QTest::newRow("light window") << QColor(0xef, 0xef, 0xef);
        QTest::newRow("dark selected row")
            << ColorContrast::composite(QColor(0x0a, 0x84, 0xff, 51), QColor(0x2b, 0x2b, 0x2e));
        QTest::newRow("middle grey") << QColor(0x77, 0x77, 0x77);
    }

    // On a tint at every opacity the screens use (none for plain text up to solid buttons).
    void everyTextReadsOnItsBackground()
    {
        QFETCH(QColor, underlay);
        int checked = 0;
        for (const QColor& color : textColors()) {
            for (double opacity : {0.0, 0.1, 0.15, 0.2, 0.22, 0.3, 0.35, 0.4, 0.6, 1.0}) {
                const ColorContrast::TintedText pair =
                    ColorContrast::tinted(color, opacity, underlay);
                const double ratio = ColorContrast::ratio(pair.text, pair.background);
                const QString what = QStringLiteral("%1 at %2: %3 on %4 is %5")
                                         .arg(color.name(QColor::HexArgb))
                                         .arg(opacity)
                                         .arg(pair.text.name(), pair.background.name())
                                         .arg(ratio);
                QVERIFY2(ratio >= ColorContrast::minimumTextRatio, qPrintable(what));
                QCOMPARE(pair.text.alpha(), 255);

                // The hue stays wherever the text keeps a visible colour.
                const QColor shown = ColorContrast::composite(color, pair.background);
                const int chroma =
                    std::max({pair.text.red(), pair.text.green(), pair.text.blue()}) -
                    std::min({pair.text.red(), pair.text.green(), pair.text.blue()});
                if (shown.hsvSaturationF() > 0.2 && chroma >= 48)
                    QVERIFY2(hueDistance(shown, pair.text) < 0.03, qPrintable(what));
                // A text that already reads is left as it shows.
                if (ColorContrast::ratio(shown, pair.background) >= 4.6)
                    QCOMPARE(pair.text.rgb(), QColor(shown.rgb()).rgb());
                ++checked;
            }
        }
        QVERIFY(checked > 4000);
    }

    // Every named symbol is drawn in the given colour, visible, not a filled square and inside
    // its box; an unknown name is none.
    void everyNamedSymbolPaintsInItsColour()
    {
        QVERIFY(!SymbolIcon::fromName(QStringLiteral("folder")));
        for (const char* name :
             {"folder.fill", "doc.text", "folder.badge.plus", "plus", "pin.fill", "gearshape",
              "macwindow", "1.circle", "2.circle", "3.circle", "arrow.clockwise", "arrow.left",
              "checkmark", "doc.on.doc", "sparkles"}) {
            const auto symbol = SymbolIcon::fromName(QString::fromLatin1(name));
            QVERIFY2(symbol, name);
            const QImage image =
                SymbolIcon::icon(*symbol, QColor(255, 149, 0)).pixmap(48, 48).toImage();
            int painted = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    const QColor pixel = image.pixelColor(x, y);
                    if (pixel.alpha() < 200)
                        continue;
                    ++painted;
                    QVERIFY2(qAbs(pixel.red() - 255) < 3 && qAbs(pixel.green() - 149) < 3 &&
                                 pixel.blue() < 3 && x > 0 && y > 0 && x < 47 && y < 47,
                             name);
                }
            }
            QVERIFY2(painted > 48 && painted < 48 * 48 * 3 / 4, name);
        }
        // Disabled, the same icon is fainter.
        const QIcon icon = SymbolIcon::icon(Symbol::plus, Qt::black);
        QCOMPARE(icon.pixmap(32, 32, QIcon::Normal).toImage().pixelColor(16, 16).alpha(), 255);
        QVERIFY(icon.pixmap(32, 32, QIcon::Disabled).toImage().pixelColor(16, 16).alpha() < 128);
    }
};

QTEST_MAIN(TestColorContrast)
#include "tst_colorcontrast.moc"

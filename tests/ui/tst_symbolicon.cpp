#include "ui/SymbolIcon.h"

#include <QImage>
#include <QtTest>

class TestSymbolIcon : public QObject {
    Q_OBJECT

private Q_SLOTS:
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
            const QImage image = SymbolIcon::icon(*symbol, QColor(255, 149, 0))
                                     .pixmap(48, 48)
                                     .toImage()
                                     .convertToFormat(QImage::Format_ARGB32);
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

QTEST_MAIN(TestSymbolIcon)
#include "tst_symbolicon.moc"

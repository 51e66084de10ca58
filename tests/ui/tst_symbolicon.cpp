#include "ui/SymbolIcon.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

class TestSymbolIcon : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyNamedSymbolPaintsInItsColour_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* name :
             {"folder.fill", "doc.text", "folder.badge.plus", "plus", "pin.fill", "gearshape",
              "macwindow", "1.circle", "2.circle", "3.circle", "arrow.clockwise", "arrow.left",
              "checkmark", "doc.on.doc", "sparkles"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void everyNamedSymbolPaintsInItsColour()
    {
        QFETCH(QString, name);
        const auto symbol = SymbolIcon::fromName(name);
        QVERIFY(symbol);
        const QColor orange(255, 149, 0);
        const QPixmap pixmap = SymbolIcon::icon(*symbol, orange).pixmap(48, 48);
        const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
        int painted = 0;
        int border = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel.alpha() < 200)
                    continue;
                ++painted;
                QVERIFY2(qAbs(pixel.red() - 255) < 3 && qAbs(pixel.green() - 149) < 3 &&
                             pixel.blue() < 3,
                         qPrintable(pixel.name()));
                if (x == 0 || y == 0 || x == image.width() - 1 || y == image.height() - 1)
                    ++border;
            }
        }
        // Visible, not a filled square, and inside its box.
        QVERIFY2(painted > 48, qPrintable(QString::number(painted)));
        QVERIFY(painted < 48 * 48 * 3 / 4);
        QCOMPARE(border, 0);
    }

    void unknownNameIsNone() { QVERIFY(!SymbolIcon::fromName(QStringLiteral("folder"))); }

    void disabledIconIsFainter()
    {
        const QIcon icon = SymbolIcon::icon(Symbol::plus, Qt::black);
        const QImage normal = icon.pixmap(32, 32, QIcon::Normal).toImage();
        const QImage disabled = icon.pixmap(32, 32, QIcon::Disabled).toImage();
        QCOMPARE(normal.pixelColor(16, 16).alpha(), 255);
        QVERIFY(disabled.pixelColor(16, 16).alpha() < 128);
    }
};

QTEST_MAIN(TestSymbolIcon)
#include "tst_symbolicon.moc"

#include "tags/FlowLayout.h"

#include <QWidget>
#include <QtTest>

#include <limits>

namespace {

// A widget with a fixed ideal size, standing in for a tag chip.
class Chip : public QWidget {
public:
    explicit Chip(QSize hint, QWidget* parent = nullptr)
        : QWidget(parent)
        , m_hint(hint)
    {}
    QSize sizeHint() const override { return m_hint; }

private:
    QSize m_hint;
};

} // namespace

class TestFlowLayout : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void arrangement_data()
    {
        using Positions = QList<QPointF>;
        QTest::addColumn<double>("limit"); // negative: no width proposed
        QTest::addColumn<QList<QSizeF>>("sizes");
        QTest::addColumn<Positions>("positions");
        QTest::addColumn<QSizeF>("size");

        const QList<QSizeF> three(3, QSizeF(40, 20));
        QTest::newRow("wraps at 100")
            << 100.0 << three << Positions{{0, 0}, {48, 0}, {0, 28}} << QSizeF(100, 48);
        QTest::newRow("no width: one line, trailing spacing")
            << -1.0 << three << Positions{{0, 0}, {48, 0}, {96, 0}} << QSizeF(144, 20);
        QTest::newRow("no children, width 100")
            << 100.0 << QList<QSizeF>{} << Positions{} << QSizeF(100, 0);
        QTest::newRow("no children, no width")
            << -1.0 << QList<QSizeF>{} << Positions{} << QSizeF(0, 0);
        QTest::newRow("width 0: one per line")
            << 0.0 << three << Positions{{0, 0}, {0, 28}, {0, 56}} << QSizeF(0, 76);
        QTest::newRow("line height is the tallest on the line")
            << 100.0 << QList<QSizeF>{{40, 10}, {40, 30}, {40, 20}}
            << Positions{{0, 0}, {48, 0}, {0, 38}} << QSizeF(100, 58);
        QTest::newRow("an item wider than the limit stays first on its line")
            << 50.0 << QList<QSizeF>{{120, 10}, {10, 10}} << Positions{{0, 0}, {0, 18}}
            << QSizeF(50, 28);
        QTest::newRow("exact fit does not wrap") << 88.0 << QList<QSizeF>{{40, 20}, {40, 20}}
                                                 << Positions{{0, 0}, {48, 0}} << QSizeF(88, 20);
    }

    void arrangement()
    {
        QFETCH(double, limit);
        QFETCH(QList<QSizeF>, sizes);
        QFETCH(QList<QPointF>, positions);
        QFETCH(QSizeF, size);
        const auto result =
            FlowLayout::arrange(limit < 0 ? std::nullopt : std::optional<qreal>(limit), sizes, 8);
        QCOMPARE(result.positions, positions);
        QCOMPARE(result.size, size);
    }

    void placesWidgetsWhereItMeasures()
    {
        QWidget host;
        auto* layout = new FlowLayout(&host, 8);
        QList<Chip*> chips;
        for (int i = 0; i < 3; ++i) {
            chips.append(new Chip(QSize(40, 20), &host));
            layout->addWidget(chips.last());
        }
        QVERIFY(layout->hasHeightForWidth());
        QCOMPARE(layout->heightForWidth(100), 48);
        QCOMPARE(layout->sizeHint(), QSize(144, 20));
        layout->setGeometry(QRect(10, 5, 100, 48));
        QCOMPARE(chips[0]->geometry(), QRect(10, 5, 40, 20));
        QCOMPARE(chips[1]->geometry(), QRect(58, 5, 40, 20));
        QCOMPARE(chips[2]->geometry(), QRect(10, 33, 40, 20));

        // A hidden chip takes no room.
        chips[1]->hide();
        layout->setGeometry(QRect(0, 0, 100, 48));
        QCOMPARE(chips[2]->pos(), QPoint(48, 0));
        QCOMPARE(layout->heightForWidth(100), 20);
    }
};

QTEST_MAIN(TestFlowLayout)
#include "tst_flowlayout.moc"

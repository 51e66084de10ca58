#include "TabOrder.h"
#include "TempPreferences.h"
#include "tags/ColorWell.h"
#include "tags/CustomTagManager.h"
#include "tags/FlowLayout.h"
#include "tags/NamedColors.h"
#include "tags/TagChip.h"
#include "tags/TagRules.h"
#include "tags/TagSelectionView.h"
#include "ui/Badge.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QtTest>

#include <memory>
#include <optional>

namespace {

using Tags = QList<std::pair<QString, QString>>;

QString hexOf(const QColor& color)
{
    return CustomTagManager::hexFromColor(color).value_or(QString());
}

const QString gray = hexOf(NamedColors::color(NamedColor::gray));

} // namespace

class TestTagSelectionView : public QObject {
    Q_OBJECT

    std::optional<TempPreferences> m_temp;
    std::unique_ptr<CustomTagManager> m_tags;
    std::unique_ptr<TagSelectionView> m_sheet;
    // What the sheet reported: the tag and its colour text or "none", for every report.
    QStringList m_reports;
    QList<QColor> m_chooserAskedWith;
    std::optional<QColor> m_chooserAnswer;

    void seed(const Tags& tags)
    {
        for (const auto& [name, hex] : tags)
            m_tags->saveTag(name, hex);
    }

    void open(const QString& currentTag, const std::optional<QString>& currentHex = std::nullopt)
    {
        m_sheet = std::make_unique<TagSelectionView>(currentTag, currentHex, *m_tags);
        m_sheet->setColorChooser([this](const QColor& initial, QWidget*) {
            m_chooserAskedWith << initial;
            return m_chooserAnswer;
        });
        m_reports.clear();
        connect(m_sheet.get(), &TagSelectionView::saved, this,
                [this](const QString& tag, const std::optional<QString>& hex) {
                    m_reports << tag << hex.value_or(u"none"_qs);
                });
        m_sheet->show();
    }

    template <typename T = QWidget>
    T* part(const QString& name) const
    {
        return m_sheet->findChild<T*>(name);
    }

    QLineEdit* field() const { return part<QLineEdit>(u"customTagField"_qs); }
    QPushButton* primary() const { return part<QPushButton>(u"saveButton"_qs); }
    QString heading() const { return part<QLabel>(u"customTagHeading"_qs)->text(); }
    ColorWell* well() const { return part<ColorWell>(u"tagColorButton"_qs); }

    QStringList chipNames(const QString& objectName) const
    {
        QStringList names;
        for (TagChip* chip : m_sheet->findChildren<TagChip*>(objectName))
            names << chip->text();
        return names;
    }

    TagChip* chip(const QString& objectName, const QString& name) const
    {
        return m_sheet->findChildren<TagChip*>(objectName)
            .value(chipNames(objectName).indexOf(name));
    }

private Q_SLOTS:
    void init()
    {
        m_temp.emplace();
        m_tags = std::make_unique<CustomTagManager>(m_temp->preferences);
        m_chooserAskedWith.clear();
        m_chooserAnswer.reset();
    }

    void cleanup()
    {
        m_sheet.reset();
        m_tags.reset();
        m_temp.reset();
    }

    // The flow of chips: left to right, wrapping before an item that would pass the width.
    void flowArrangement_data()
    {
        using Positions = QList<QPointF>;
        QTest::addColumn<double>("limit"); // negative: no width proposed
        QTest::addColumn<QList<QSizeF>>("sizes");
        QTest::addColumn<Positions>("positions");
        QTest::addColumn<QSizeF>("size");
        const QList<QSizeF> three(3, QSizeF(40, 20));
        QTest::newRow("no width: one line, trailing spacing")
            << -1.0 << three << Positions{{0, 0}, {48, 0}, {96, 0}} << QSizeF(144, 20);
        QTest::newRow("line height is the tallest on the line")
            << 100.0 << QList<QSizeF>{{40, 10}, {40, 30}, {40, 20}}
            << Positions{{0, 0}, {48, 0}, {0, 38}} << QSizeF(100, 58);
        QTest::newRow("an item wider than the limit stays first on its line")
            << 50.0 << QList<QSizeF>{{120, 10}, {10, 10}} << Positions{{0, 0}, {0, 18}}
            << QSizeF(50, 28);
        QTest::newRow("exact fit does not wrap") << 88.0 << QList<QSizeF>{{40, 20}, {40, 20}}
                                                 << Positions{{0, 0}, {48, 0}} << QSizeF(88, 20);
    }

    void flowArrangement()
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

    // Opened for a project's tag, with "Client" #E05A00 saved.
    void opening_data()
    {
        QTest::addColumn<QString>("currentTag");
        QTest::addColumn<QString>("currentHex"); // empty: none
        QTest::addColumn<QString>("fieldText");  // empty: not in custom mode
        QTest::addColumn<bool>("editing");       // a saved tag: "Edit Tag Color"
        QTest::addColumn<QString>("colour");
        QTest::newRow("uncategorized")
            << u"uncategorized"_qs << QString() << QString() << false << gray;
        QTest::newRow("saved custom tag in another case, own colour ignored")
            << u"CLIENT"_qs << u"#0000FF"_qs << u"CLIENT"_qs << true << u"#E05A00"_qs;
        QTest::newRow("suggested tag without a colour")
            << u"Swift"_qs << QString() << u"Swift"_qs << false << gray;
        QTest::newRow("suggested tag with its own colour")
            << u"Swift"_qs << u"#00FF00"_qs << u"Swift"_qs << false << u"#00FF00"_qs;
        QTest::newRow("other tag, unreadable colour: keyword colour")
            << u"micropython"_qs << u"#12"_qs << u"micropython"_qs << false
            << hexOf(NamedColors::color(NamedColor::teal));
    }

    void opening()
    {
        QFETCH(QString, currentTag);
        QFETCH(QString, currentHex);
        QFETCH(QString, fieldText);
        QFETCH(bool, editing);
        QFETCH(QString, colour);
        seed({{u"Client"_qs, u"#E05A00"_qs}});
        open(currentTag, currentHex.isEmpty() ? std::nullopt : std::optional(currentHex));
        const bool custom = !fieldText.isEmpty();
        QCOMPARE(field()->text(), fieldText);
        QCOMPARE(heading(), editing ? u"Edit Tag Color"_qs : u"Create Custom Tag"_qs);
        QCOMPARE(primary()->isEnabled(), custom);
        QCOMPARE(bool(m_sheet->findChild<QPushButton*>(u"removeTagButton"_qs)), custom);
        QCOMPARE(hexOf(well()->color()), colour);
        QCOMPARE(well()->drawOpacity(), custom ? 1.0 : 0.5);
        QCOMPARE(part(u"previewRow"_qs)->isVisible(), custom);
    }

    void longNamesFitTheSheet()
    {
        const QString longName = u"a-custom-tag-with-a-name-far-too-long-for-one-line-"
                                 "of-the-sheet-whatever-its-width"_qs;
        seed({{longName, u"#FFCC00"_qs}});
        open(longName + u"-preview"_qs);
        m_sheet->resize(420, 560);
        QCoreApplication::processEvents();
        auto* scroll = part<QScrollArea>(u"tagScrollArea"_qs);
        QVERIFY(scroll->widget()->width() <= scroll->viewport()->width());
        QVERIFY(chip(u"myTagChip"_qs, longName)->shownText().endsWith(u'\u2026'));
        QCOMPARE(chip(u"suggestedTagChip"_qs, u"JavaScript"_qs)->shownText(), u"JavaScript"_qs);
        QVERIFY2(tabOrderProblems(m_sheet.get()).isEmpty(),
                 qPrintable(tabOrderProblems(m_sheet.get()).join(u"; ")));
    }

    // A suggested chip reports its tag without a colour, a saved one with its colour text;
    // Enter picks the focused chip, not the sheet's primary button. The store stays as it was.
    void chipsReportAndClose()
    {
        seed({{u"Client"_qs, u"#E05A00"_qs}});
        for (const bool byKeyboard : {false, true}) {
            open(u"Swift"_qs);
            TagChip* picked = chip(byKeyboard ? u"myTagChip"_qs : u"suggestedTagChip"_qs,
                                   byKeyboard ? u"Client"_qs : u"Python"_qs);
            if (byKeyboard) {
                picked->setFocus();
                field()->setText(u"typed"_qs);
                QTest::keyClick(picked, Qt::Key_Return);
            } else {
                QTest::mouseClick(picked, Qt::LeftButton);
            }
            QCOMPARE(m_reports, (byKeyboard ? QStringList{u"Client"_qs, u"#E05A00"_qs}
                                            : QStringList{u"Python"_qs, u"none"_qs}));
            QVERIFY(!m_sheet->isVisible() && picked->isSelected());
            QCOMPARE(chipNames(u"myTagChip"_qs), QStringList{u"Client"_qs});
        }
    }

    // Typing a saved name in another case edits that tag, renaming it in place. The colour
    // chooser starts from the current colour, cancelled it changes nothing; no colour is gray.
    void customTags()
    {
        seed({{u"Alpha"_qs, u"#111111"_qs},
              {u"Firmware"_qs, u"#123456"_qs},
              {u"Zeta"_qs, u"#222222"_qs}});
        open(u"uncategorized"_qs);
        QTest::keyClicks(field(), u"FIRMWARE"_qs);
        QCOMPARE(heading(), u"Edit Tag Color"_qs);
        QTest::mouseClick(well(), Qt::LeftButton);
        QCOMPARE(m_chooserAskedWith, QList<QColor>{QColor(0x12, 0x34, 0x56)});
        QCOMPARE(hexOf(well()->color()), u"#123456"_qs);
        QTest::keyClick(field(), Qt::Key_Return);
        QCOMPARE(m_reports, (QStringList{u"FIRMWARE"_qs, u"#123456"_qs}));
        QCOMPARE(chipNames(u"myTagChip"_qs),
                 (QStringList{u"Alpha"_qs, u"FIRMWARE"_qs, u"Zeta"_qs}));

        open(u"uncategorized"_qs);
        QTest::keyClicks(field(), u"  Odd "_qs);
        QCOMPARE(part<Badge>(u"previewChip"_qs)->text(), u"#  Odd "_qs);
        m_chooserAnswer = QColor();
        QTest::mouseClick(well(), Qt::LeftButton);
        QTest::mouseClick(primary(), Qt::LeftButton);
        QCOMPARE(m_reports, (QStringList{u"Odd"_qs, u"#808080"_qs}));
        QCOMPARE(m_tags->colorHexForTag(u"Odd"_qs), u"#808080"_qs);

        // A blank name can be typed, but saving it does nothing and the sheet stays.
        open(u"uncategorized"_qs);
        QTest::keyClicks(field(), u"  "_qs);
        QVERIFY(primary()->isEnabled());
        QTest::mouseClick(primary(), Qt::LeftButton);
        QTest::keyClick(field(), Qt::Key_Return);
        QVERIFY(m_reports.isEmpty() && m_sheet->isVisible());
        QCOMPARE(chipNames(u"myTagChip"_qs).size(), 4);
        field()->clear();
        QVERIFY(!primary()->isEnabled());
    }

    // "My Tags" shows the saved tags as they change, in stored order, coloured by their text
    // (gray if unreadable), and is hidden without any; the suggested tags follow in their order.
    void myTagsFollowTheStore()
    {
        open(u"Client"_qs);
        QVERIFY(!part(u"myTagsSection"_qs)->isVisible());
        QCOMPARE(chipNames(u"suggestedTagChip"_qs), TagRules::suggestedTags());
        seed({{u"Client"_qs, u"#E05A00"_qs}, {u"Robots"_qs, u"bad"_qs}});
        QVERIFY(part(u"myTagsSection"_qs)->isVisible());
        QCOMPARE(chipNames(u"myTagChip"_qs), (QStringList{u"Client"_qs, u"Robots"_qs}));
        QCOMPARE(chip(u"myTagChip"_qs, u"Client"_qs)->chipColor(), QColor(0xE0, 0x5A, 0x00));
        QCOMPARE(chip(u"myTagChip"_qs, u"Robots"_qs)->chipColor(),
                 NamedColors::color(NamedColor::gray));

        // "Edit Color" puts the tag in the field, nothing is reported.
        std::unique_ptr<QMenu> menu(m_sheet->createChipMenu(u"Client"_qs));
        menu->findChild<QAction*>(u"editColor"_qs)->trigger();
        QCOMPARE(field()->text(), u"Client"_qs);
        QCOMPARE(hexOf(well()->color()), u"#E05A00"_qs);

        // "Delete Tag" from the chip's own popup menu: the chip goes at once, field untouched.
        TagChip* robots = chip(u"myTagChip"_qs, u"Robots"_qs);
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(5, 5),
                                robots->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(robots, &event);
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(popup);
        popup->findChild<QAction*>(u"deleteTag"_qs)->trigger();
        popup->close();
        QCOMPARE(chipNames(u"myTagChip"_qs), QStringList{u"Client"_qs});
        QCOMPARE(field()->text(), u"Client"_qs);
        // The last tag goes with its section.
        menu->findChild<QAction*>(u"deleteTag"_qs)->trigger();
        QVERIFY(!part(u"myTagsSection"_qs)->isVisible());
        QCOMPARE(heading(), u"Create Custom Tag"_qs);
        QVERIFY(m_reports.isEmpty());
    }
};

QTEST_MAIN(TestTagSelectionView)
#include "tst_tagselectionview.moc"

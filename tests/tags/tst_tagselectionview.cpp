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
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
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
    std::unique_ptr<QSignalSpy> m_saved;
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
        m_saved = std::make_unique<QSignalSpy>(m_sheet.get(), &TagSelectionView::saved);
        m_sheet->show();
    }

    template <typename T = QWidget>
    T* part(const QString& name) const
    {
        T* found = m_sheet->findChild<T*>(name);
        if (!found)
            qFatal("no part %s", qPrintable(name));
        return found;
    }

    QLineEdit* field() const { return part<QLineEdit>(u"customTagField"_qs); }
    QPushButton* primary() const { return part<QPushButton>(u"saveButton"_qs); }
    QString heading() const { return part<QLabel>(u"customTagHeading"_qs)->text(); }
    void clickColorWell()
    {
        QTest::mouseClick(part<ColorWell>(u"tagColorButton"_qs), Qt::LeftButton);
    }

    QStringList chipNames(const QString& objectName) const
    {
        QStringList names;
        for (TagChip* chip : m_sheet->findChildren<TagChip*>(objectName))
            names << chip->text();
        return names;
    }

    TagChip* chip(const QString& objectName, const QString& name) const
    {
        for (TagChip* each : m_sheet->findChildren<TagChip*>(objectName)) {
            if (each->text() == name)
                return each;
        }
        return nullptr;
    }

    QStringList savedNames() const
    {
        QStringList names;
        for (const CustomTagDefinition& tag : m_tags->savedTags())
            names << tag.name;
        return names;
    }

    // The one report of the sheet: (tag, colour text or "none").
    QStringList report() const
    {
        if (m_saved->count() != 1)
            return {u"reports: %1"_qs.arg(m_saved->count())};
        const auto hex = m_saved->at(0).at(1).value<std::optional<QString>>();
        return {m_saved->at(0).at(0).toString(), hex.value_or(u"none"_qs)};
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
        m_saved.reset();
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
        QTest::newRow("wraps at 100")
            << 100.0 << three << Positions{{0, 0}, {48, 0}, {0, 28}} << QSizeF(100, 48);
        QTest::newRow("no width: one line, trailing spacing")
            << -1.0 << three << Positions{{0, 0}, {48, 0}, {96, 0}} << QSizeF(144, 20);
        QTest::newRow("no children") << 100.0 << QList<QSizeF>{} << Positions{} << QSizeF(100, 0);
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

    void opening_data()
    {
        QTest::addColumn<Tags>("saved");
        QTest::addColumn<QString>("currentTag");
        QTest::addColumn<QString>("currentHex"); // empty: none
        QTest::addColumn<QString>("fieldText");  // empty: not in custom mode
        QTest::addColumn<bool>("editing");       // a saved tag: "Edit Tag Color"
        QTest::addColumn<QString>("colour");
        const Tags client{{u"Client"_qs, u"#E05A00"_qs}};
        QTest::newRow("uncategorized")
            << client << u"uncategorized"_qs << QString() << QString() << false << gray;
        QTest::newRow("no tag") << client << QString() << QString() << QString() << false << gray;
        QTest::newRow("saved custom tag in another case, own colour ignored")
            << client << u"CLIENT"_qs << u"#0000FF"_qs << u"CLIENT"_qs << true << u"#E05A00"_qs;
        QTest::newRow("suggested tag without a colour")
            << client << u"Swift"_qs << QString() << u"Swift"_qs << false << gray;
        QTest::newRow("suggested tag with its own colour")
            << client << u"Swift"_qs << u"#00FF00"_qs << u"Swift"_qs << false << u"#00FF00"_qs;
        QTest::newRow("other tag, unreadable colour: keyword colour")
            << client << u"micropython"_qs << u"#12"_qs << u"micropython"_qs << false
            << hexOf(NamedColors::color(NamedColor::teal));
        QTest::newRow("saved tag with an unreadable colour keeps gray")
            << Tags{{u"Odd"_qs, u"nonsense"_qs}} << u"Odd"_qs << QString() << u"Odd"_qs << true
            << gray;
    }

    void opening()
    {
        QFETCH(Tags, saved);
        QFETCH(QString, currentTag);
        QFETCH(QString, currentHex);
        QFETCH(QString, fieldText);
        QFETCH(bool, editing);
        QFETCH(QString, colour);
        seed(saved);
        open(currentTag, currentHex.isEmpty() ? std::nullopt : std::optional(currentHex));
        const bool custom = !fieldText.isEmpty();
        QCOMPARE(field()->text(), fieldText);
        QCOMPARE(heading(), editing ? u"Edit Tag Color"_qs : u"Create Custom Tag"_qs);
        QCOMPARE(primary()->text(), editing ? u"Update & Assign"_qs : u"Save Custom Tag"_qs);
        QCOMPARE(primary()->isEnabled(), custom);
        QCOMPARE(bool(m_sheet->findChild<QPushButton*>(u"removeTagButton"_qs)), custom);
        QCOMPARE(m_sheet->isCustomMode(), custom);
        QCOMPARE(hexOf(m_sheet->customColor()), colour);
        auto* well = part<ColorWell>(u"tagColorButton"_qs);
        QCOMPARE(well->color(), m_sheet->customColor());
        QCOMPARE(well->drawOpacity(), custom ? 1.0 : 0.5);
        QCOMPARE(part(u"previewRow"_qs)->isVisible(), custom);
        QCOMPARE(m_saved->count(), 0);
    }

    void sections()
    {
        open(u"uncategorized"_qs);
        // No custom tags: no "My Tags" section; the suggested tags in their order.
        QVERIFY(!part(u"myTagsSection"_qs)->isVisible());
        QCOMPARE(chipNames(u"suggestedTagChip"_qs), TagRules::suggestedTags());
        QCOMPARE(chip(u"suggestedTagChip"_qs, u"Python"_qs)->chipColor(),
                 NamedColors::color(NamedColor::blue));
        // Saved tags appear at once, in stored order, coloured by their text (gray if unreadable).
        seed({{u"Zeta"_qs, u"#00FF00"_qs}, {u"alpha"_qs, u"bad"_qs}});
        QVERIFY(part(u"myTagsSection"_qs)->isVisible());
        QCOMPARE(chipNames(u"myTagChip"_qs), (QStringList{u"Zeta"_qs, u"alpha"_qs}));
        QCOMPARE(chip(u"myTagChip"_qs, u"Zeta"_qs)->chipColor(), QColor(0, 255, 0));
        QCOMPARE(chip(u"myTagChip"_qs, u"alpha"_qs)->chipColor(),
                 NamedColors::color(NamedColor::gray));
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
        TagChip* longChip = chip(u"myTagChip"_qs, longName);
        QVERIFY(longChip->shownText().endsWith(u'\u2026'));
        auto* preview = part<Badge>(u"previewChip"_qs);
        QVERIFY(preview->isVisible());
        for (QWidget* shown : {static_cast<QWidget*>(longChip), static_cast<QWidget*>(preview)}) {
            const int right = shown->mapTo(scroll->viewport(), QPoint(shown->width(), 0)).x();
            QVERIFY2(right <= scroll->viewport()->width(), qPrintable(shown->objectName()));
        }
        // Chips are placed where the flow measured them: none overlaps another.
        const QList<TagChip*> chips = m_sheet->findChildren<TagChip*>();
        for (TagChip* a : chips) {
            for (TagChip* b : chips) {
                const QRect ra(a->mapTo(m_sheet.get(), QPoint()), a->size());
                const QRect rb(b->mapTo(m_sheet.get(), QPoint()), b->size());
                QVERIFY2(a == b || !ra.intersects(rb), qPrintable(a->text() + u'/' + b->text()));
            }
        }
        // Short names stay whole, and every chip's text reads on its tint.
        QCOMPARE(chip(u"suggestedTagChip"_qs, u"JavaScript"_qs)->shownText(), u"JavaScript"_qs);
        for (TagChip* each : chips) {
            const ColorContrast::TintedText colors = each->shownColors();
            QVERIFY2(ColorContrast::ratio(colors.text, colors.background) >= 4.5,
                     qPrintable(each->text()));
        }
        QVERIFY2(tabOrderProblems(m_sheet.get()).isEmpty(),
                 qPrintable(tabOrderProblems(m_sheet.get()).join(u"; ")));
    }

    void chipsReportAndClose_data()
    {
        QTest::addColumn<QString>("objectName");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("hex");
        QTest::addColumn<bool>("byKeyboard");
        QTest::newRow("suggested: no colour")
            << u"suggestedTagChip"_qs << u"Python"_qs << u"none"_qs << false;
        QTest::newRow("my tag: its colour text")
            << u"myTagChip"_qs << u"Client"_qs << u"#E05A00"_qs << false;
        // Enter picks the focused chip, not the sheet's primary button.
        QTest::newRow("Enter on a chip")
            << u"suggestedTagChip"_qs << u"Go"_qs << u"none"_qs << true;
    }

    void chipsReportAndClose()
    {
        QFETCH(QString, objectName);
        QFETCH(QString, name);
        QFETCH(QString, hex);
        QFETCH(bool, byKeyboard);
        seed({{u"Client"_qs, u"#E05A00"_qs}});
        open(u"Swift"_qs);
        TagChip* picked = chip(objectName, name);
        if (byKeyboard) {
            picked->setFocus();
            field()->setText(u"typed"_qs);
            QTest::keyClick(picked, Qt::Key_Return);
        } else {
            QTest::mouseClick(picked, Qt::LeftButton);
        }
        QCOMPARE(report(), (QStringList{name, hex}));
        QVERIFY(!m_sheet->isVisible());
        QCOMPARE(m_sheet->result(), int(QDialog::Accepted));
        QVERIFY(picked->isSelected());
        // Picking a tag does not change the store.
        QCOMPARE(savedNames(), QStringList{u"Client"_qs});
    }

    void customTagSavedThenRenamedByCase()
    {
        seed({{u"Alpha"_qs, u"#111111"_qs}});
        open(u"uncategorized"_qs);
        QTest::keyClicks(field(), u"  Firmware "_qs);
        QVERIFY(m_sheet->isCustomMode());
        auto* preview = part<Badge>(u"previewChip"_qs);
        QCOMPARE(preview->text(), u"#  Firmware "_qs);
        // The colour chooser starts from the current colour; its answer shows at once.
        m_chooserAnswer = QColor(0x12, 0x34, 0x56);
        clickColorWell();
        QCOMPARE(m_chooserAskedWith, QList<QColor>{NamedColors::color(NamedColor::gray)});
        QCOMPARE(preview->badgeStyle().color, QColor(0x12, 0x34, 0x56));
        QTest::mouseClick(primary(), Qt::LeftButton);
        QCOMPARE(report(), (QStringList{u"Firmware"_qs, u"#123456"_qs}));
        QVERIFY(!m_sheet->isVisible());
        m_tags->saveTag(u"Zeta"_qs, u"#222222"_qs);

        // A new sheet: typing the saved name in another case finds it and renames it in place.
        open(u"uncategorized"_qs);
        QTest::keyClicks(field(), u"FIRMWARE"_qs);
        QCOMPARE(heading(), u"Edit Tag Color"_qs);
        QCOMPARE(hexOf(m_sheet->customColor()), u"#123456"_qs);
        QTest::keyClick(field(), Qt::Key_Return);
        QCOMPARE(report(), (QStringList{u"FIRMWARE"_qs, u"#123456"_qs}));
        QCOMPARE(savedNames(), (QStringList{u"Alpha"_qs, u"FIRMWARE"_qs, u"Zeta"_qs}));

        // A cancelled chooser leaves the colour as it was; a colour without text saves as gray.
        open(u"uncategorized"_qs);
        QTest::keyClicks(field(), u"Odd"_qs);
        m_chooserAnswer.reset();
        clickColorWell();
        QCOMPARE(m_sheet->customColor(), NamedColors::color(NamedColor::gray));
        m_chooserAnswer = QColor();
        clickColorWell();
        QTest::mouseClick(primary(), Qt::LeftButton);
        QCOMPARE(report(), (QStringList{u"Odd"_qs, u"#808080"_qs}));
        QCOMPARE(m_tags->colorHexForTag(u"Odd"_qs), u"#808080"_qs);
    }

    void blankNames()
    {
        open(u"uncategorized"_qs);
        QTest::keyClicks(field(), u"  "_qs);
        // Enabled as typed, but saving a blank name does nothing and the sheet stays.
        QVERIFY(primary()->isEnabled());
        QTest::mouseClick(primary(), Qt::LeftButton);
        QTest::keyClick(field(), Qt::Key_Return);
        QCOMPARE(m_saved->count(), 0);
        QVERIFY(m_sheet->isVisible());
        QVERIFY(m_tags->savedTags().isEmpty());
        field()->clear();
        QVERIFY(!primary()->isEnabled());
    }

    void chipMenu()
    {
        seed({{u"Client"_qs, u"#E05A00"_qs}, {u"Robots"_qs, u"#20A060"_qs}});
        open(u"Client"_qs);
        std::unique_ptr<QMenu> menu(m_sheet->createChipMenu(u"Robots"_qs));
        QStringList texts;
        for (QAction* action : menu->actions())
            texts << QString(action->text()).remove(u'&');
        QCOMPARE(texts, (QStringList{u"Edit Color"_qs, u"Delete Tag"_qs}));
        // "Edit Color" puts the tag in the field, nothing is reported.
        menu->findChild<QAction*>(u"editColor"_qs)->trigger();
        QCOMPARE(field()->text(), u"Robots"_qs);
        QCOMPARE(hexOf(m_sheet->customColor()), u"#20A060"_qs);
        QCOMPARE(heading(), u"Edit Tag Color"_qs);

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
        QCOMPARE(field()->text(), u"Robots"_qs);
        QCOMPARE(heading(), u"Create Custom Tag"_qs);
        // The last tag goes with its section.
        menu.reset(m_sheet->createChipMenu(u"client"_qs));
        menu->findChild<QAction*>(u"deleteTag"_qs)->trigger();
        QVERIFY(!part(u"myTagsSection"_qs)->isVisible());
        QTest::qWait(0);

        // Deletions stay even when the sheet is then cancelled.
        QTest::mouseClick(part<QPushButton>(u"cancelButton"_qs), Qt::LeftButton);
        QCOMPARE(m_saved->count(), 0);
        QCOMPARE(m_sheet->result(), int(QDialog::Rejected));
        QVERIFY(CustomTagManager(m_temp->preferences).savedTags().isEmpty());
    }

    void forAProject()
    {
        RecentFolder project;
        project.path = u"/home/a/Coding/Robots/arm"_qs;
        project.customColorHex = u"#00FF00"_qs;
        QPointer<TagSelectionView> sheet = TagSelectionView::forProject(project, *m_tags, nullptr);
        QCOMPARE(sheet->findChild<QLineEdit*>(u"customTagField"_qs)->text(), u"Robots"_qs);
        QCOMPARE(hexOf(sheet->customColor()), u"#00FF00"_qs);
        sheet->open();
        sheet->reject();
        QTRY_VERIFY(sheet.isNull());
    }

    void removeAndCancel()
    {
        open(u"Swift"_qs, u"#FF0000"_qs);
        QTest::mouseClick(part<QPushButton>(u"removeTagButton"_qs), Qt::LeftButton);
        QCOMPARE(report(), (QStringList{QString(), u"none"_qs}));
        QCOMPARE(m_sheet->result(), int(QDialog::Accepted));

        open(u"Swift"_qs);
        QTest::keyClick(field(), Qt::Key_Escape);
        QVERIFY(!m_sheet->isVisible());
        QCOMPARE(m_sheet->result(), int(QDialog::Rejected));
        QCOMPARE(m_saved->count(), 0);
    }
};

QTEST_MAIN(TestTagSelectionView)
#include "tst_tagselectionview.moc"

#include "TabOrder.h"
#include "TempPreferences.h"
#include "model/Preferences.h"
#include "tags/ColorWell.h"
#include "tags/CustomTagManager.h"
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

    TagSelectionView& open(const QString& currentTag,
                           const std::optional<QString>& currentHex = std::nullopt)
    {
        m_sheet = std::make_unique<TagSelectionView>(currentTag, currentHex, *m_tags);
        m_sheet->setColorChooser([this](const QColor& initial, QWidget*) {
            m_chooserAskedWith << initial;
            return m_chooserAnswer;
        });
        m_saved = std::make_unique<QSignalSpy>(m_sheet.get(), &TagSelectionView::saved);
        m_sheet->show();
        return *m_sheet;
    }

    template <typename T>
    T* part(const QString& name) const
    {
        T* found = m_sheet->findChild<T*>(name);
        if (!found)
            qFatal("no part %s", qPrintable(name));
        return found;
    }

    QLineEdit* field() const { return part<QLineEdit>(QStringLiteral("customTagField")); }
    QPushButton* primary() const { return part<QPushButton>(QStringLiteral("saveButton")); }
    QString heading() const { return part<QLabel>(QStringLiteral("customTagHeading"))->text(); }
    QPushButton* removeButton() const
    {
        return m_sheet->findChild<QPushButton*>(QStringLiteral("removeTagButton"));
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
            return {QStringLiteral("reports: %1").arg(m_saved->count())};
        const auto hex = m_saved->at(0).at(1).value<std::optional<QString>>();
        return {m_saved->at(0).at(0).toString(), hex.value_or(QStringLiteral("none"))};
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

    void opening_data()
    {
        QTest::addColumn<Tags>("saved");
        QTest::addColumn<QString>("currentTag");
        QTest::addColumn<QString>("currentHex"); // empty: none
        QTest::addColumn<QString>("fieldText");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("removable");
        QTest::addColumn<bool>("customMode");
        QTest::addColumn<QString>("colour");

        const Tags client{{QStringLiteral("Client"), QStringLiteral("#E05A00")}};
        const QString gray = hexOf(NamedColors::color(NamedColor::gray));
        const QString create = QStringLiteral("Create Custom Tag");
        const QString edit = QStringLiteral("Edit Tag Color");
        const QString saveLabel = QStringLiteral("Save Custom Tag");
        const QString update = QStringLiteral("Update & Assign");

        QTest::newRow("uncategorized")
            << client << QStringLiteral("uncategorized") << QString() << QString() << create
            << saveLabel << false << false << false << gray;
        QTest::newRow("no tag") << client << QString() << QString() << QString() << create
                                << saveLabel << false << false << false << gray;
        QTest::newRow("saved custom tag")
            << client << QStringLiteral("Client") << QString() << QStringLiteral("Client") << edit
            << update << true << true << true << QStringLiteral("#E05A00");
        QTest::newRow("saved custom tag in another case, own colour ignored")
            << client << QStringLiteral("CLIENT") << QStringLiteral("#0000FF")
            << QStringLiteral("CLIENT") << edit << update << true << true << true
            << QStringLiteral("#E05A00");
        QTest::newRow("suggested tag without a colour")
            << client << QStringLiteral("Swift") << QString() << QStringLiteral("Swift") << create
            << saveLabel << true << true << true << gray;
        QTest::newRow("suggested tag with its own colour")
            << client << QStringLiteral("Swift") << QStringLiteral("#00FF00")
            << QStringLiteral("Swift") << create << saveLabel << true << true << true
            << QStringLiteral("#00FF00");
        QTest::newRow("other tag: keyword colour")
            << client << QStringLiteral("golang") << QString() << QStringLiteral("golang") << create
            << saveLabel << true << true << true << hexOf(NamedColors::color(NamedColor::cyan));
        QTest::newRow("other tag, unreadable colour: keyword colour")
            << client << QStringLiteral("micropython") << QStringLiteral("#12")
            << QStringLiteral("micropython") << create << saveLabel << true << true << true
            << hexOf(NamedColors::color(NamedColor::teal));
        QTest::newRow("saved tag with an unreadable colour keeps gray")
            << Tags{{QStringLiteral("Odd"), QStringLiteral("nonsense")}} << QStringLiteral("Odd")
            << QString() << QStringLiteral("Odd") << edit << update << true << true << true << gray;
    }

    void opening()
    {
        QFETCH(Tags, saved);
        QFETCH(QString, currentTag);
        QFETCH(QString, currentHex);
        QFETCH(QString, fieldText);
        QFETCH(QString, heading);
        QFETCH(QString, button);
        QFETCH(bool, enabled);
        QFETCH(bool, removable);
        QFETCH(bool, customMode);
        QFETCH(QString, colour);

        seed(saved);
        open(currentTag, currentHex.isEmpty() ? std::nullopt : std::optional<QString>(currentHex));
        QCOMPARE(field()->text(), fieldText);
        QCOMPARE(field()->placeholderText(), QStringLiteral("Enter custom tag..."));
        QCOMPARE(this->heading(), heading);
        QCOMPARE(primary()->text(), button);
        QCOMPARE(primary()->isEnabled(), enabled);
        QCOMPARE(bool(removeButton()), removable);
        QCOMPARE(m_sheet->isCustomMode(), customMode);
        QCOMPARE(hexOf(m_sheet->customColor()), colour);

        auto* well = part<ColorWell>(QStringLiteral("tagColorButton"));
        QCOMPARE(well->accessibleName(), QStringLiteral("Tag Color"));
        QCOMPARE(well->color(), m_sheet->customColor());
        QCOMPARE(well->drawOpacity(), customMode ? 1.0 : 0.5);
        QCOMPARE(part<QWidget>(QStringLiteral("previewRow"))->isVisible(),
                 customMode && !fieldText.isEmpty());
        // Opening reports nothing.
        QCOMPARE(m_saved->count(), 0);
    }

    void sections()
    {
        open(QStringLiteral("uncategorized"));
        // No custom tags: no "My Tags" section; the suggested tags in their order.
        QVERIFY(!part<QWidget>(QStringLiteral("myTagsSection"))->isVisible());
        QCOMPARE(chipNames(QStringLiteral("suggestedTagChip")), TagRules::suggestedTags());
        QCOMPARE(chip(QStringLiteral("suggestedTagChip"), QStringLiteral("Python"))->chipColor(),
                 NamedColors::color(NamedColor::blue));

        // Saved tags appear at once, in stored order, coloured by their text (gray if unreadable).
        seed({{QStringLiteral("Zeta"), QStringLiteral("#00FF00")},
              {QStringLiteral("alpha"), QStringLiteral("bad")}});
        QVERIFY(part<QWidget>(QStringLiteral("myTagsSection"))->isVisible());
        QCOMPARE(part<QLabel>(QStringLiteral("myTagsLabel"))->text(), QStringLiteral("My Tags"));
        QCOMPARE(chipNames(QStringLiteral("myTagChip")),
                 (QStringList{QStringLiteral("Zeta"), QStringLiteral("alpha")}));
        QCOMPARE(chip(QStringLiteral("myTagChip"), QStringLiteral("Zeta"))->chipColor(),
                 QColor(0, 255, 0));
        QCOMPARE(chip(QStringLiteral("myTagChip"), QStringLiteral("alpha"))->chipColor(),
                 NamedColors::color(NamedColor::gray));
    }

    void longNamesFitTheSheet()
    {
        const QString longName =
            QStringLiteral("a-custom-tag-with-a-name-far-too-long-for-one-line-"
                           "of-the-sheet-whatever-its-width");
        seed({{longName, QStringLiteral("#FFCC00")}});
        open(longName + QStringLiteral("-preview"));
        m_sheet->resize(420, 560);
        QCoreApplication::processEvents();
        auto* scroll = part<QScrollArea>(QStringLiteral("tagScrollArea"));
        QVERIFY(scroll->widget()->width() <= scroll->viewport()->width());

        TagChip* longChip = chip(QStringLiteral("myTagChip"), longName);
        QVERIFY(longChip->shownText().endsWith(u'\u2026'));
        auto* preview = part<Badge>(QStringLiteral("previewChip"));
        QVERIFY(preview->isVisible());
        for (QWidget* shown : {static_cast<QWidget*>(longChip), static_cast<QWidget*>(preview)}) {
            const int right = shown->mapTo(scroll->viewport(), QPoint(shown->width(), 0)).x();
            QVERIFY2(right <= scroll->viewport()->width(), qPrintable(shown->objectName()));
        }
        // Short names stay whole, and every chip's text reads on its tint.
        TagChip* javaScript =
            chip(QStringLiteral("suggestedTagChip"), QStringLiteral("JavaScript"));
        QCOMPARE(javaScript->shownText(), QStringLiteral("JavaScript"));
        for (TagChip* each : m_sheet->findChildren<TagChip*>()) {
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
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("suggested: no colour")
            << QStringLiteral("suggestedTagChip") << QStringLiteral("Python")
            << QStringList{QStringLiteral("Python"), QStringLiteral("none")};
        QTest::newRow("my tag: its colour text")
            << QStringLiteral("myTagChip") << QStringLiteral("Client")
            << QStringList{QStringLiteral("Client"), QStringLiteral("#E05A00")};
    }

    void chipsReportAndClose()
    {
        QFETCH(QString, objectName);
        QFETCH(QString, name);
        QFETCH(QStringList, expected);
        seed({{QStringLiteral("Client"), QStringLiteral("#E05A00")}});
        open(QStringLiteral("Swift"));
        QTest::mouseClick(chip(objectName, name), Qt::LeftButton);
        QCOMPARE(report(), expected);
        QVERIFY(!m_sheet->isVisible());
        QCOMPARE(m_sheet->result(), int(QDialog::Accepted));
        QCOMPARE(m_sheet->selectedTag(), name);
        QVERIFY(!m_sheet->isCustomMode());
        QVERIFY(chip(objectName, name)->isSelected());
        // Picking a tag does not change the store.
        QCOMPARE(savedNames(), QStringList{QStringLiteral("Client")});
    }

    void chipFromTheKeyboard()
    {
        open(QStringLiteral("uncategorized"));
        TagChip* go = chip(QStringLiteral("suggestedTagChip"), QStringLiteral("Go"));
        go->setFocus();
        // Enter picks the focused chip, not the sheet's primary button.
        field()->setText(QStringLiteral("typed"));
        QTest::keyClick(go, Qt::Key_Return);
        QCOMPARE(report(), (QStringList{QStringLiteral("Go"), QStringLiteral("none")}));
        QVERIFY(m_tags->savedTags().isEmpty());
    }

    void customTagSavedThenRenamedByCase()
    {
        seed({{QStringLiteral("Alpha"), QStringLiteral("#111111")}});
        open(QStringLiteral("uncategorized"));
        QTest::keyClicks(field(), QStringLiteral("  Firmware "));
        QVERIFY(m_sheet->isCustomMode());
        QCOMPARE(primary()->text(), QStringLiteral("Save Custom Tag"));
        auto* preview = part<Badge>(QStringLiteral("previewChip"));
        QVERIFY(preview->isVisible());
        QCOMPARE(preview->text(), QStringLiteral("#  Firmware "));

        // The colour chooser starts from the current colour; its answer shows at once.
        m_chooserAnswer = QColor(0x12, 0x34, 0x56);
        QTest::mouseClick(part<ColorWell>(QStringLiteral("tagColorButton")), Qt::LeftButton);
        QCOMPARE(m_chooserAskedWith, QList<QColor>{NamedColors::color(NamedColor::gray)});
        QCOMPARE(preview->badgeStyle().color, QColor(0x12, 0x34, 0x56));
        QCOMPARE(part<ColorWell>(QStringLiteral("tagColorButton"))->color(),
                 QColor(0x12, 0x34, 0x56));

        QTest::mouseClick(primary(), Qt::LeftButton);
        QCOMPARE(report(), (QStringList{QStringLiteral("Firmware"), QStringLiteral("#123456")}));
        QVERIFY(!m_sheet->isVisible());
        QCOMPARE(savedNames(), (QStringList{QStringLiteral("Alpha"), QStringLiteral("Firmware")}));
        m_tags->saveTag(QStringLiteral("Zeta"), QStringLiteral("#222222"));

        // A new sheet: typing the saved name in another case finds it.
        open(QStringLiteral("uncategorized"));
        QTest::keyClicks(field(), QStringLiteral("FIRMWARE"));
        QCOMPARE(heading(), QStringLiteral("Edit Tag Color"));
        QCOMPARE(primary()->text(), QStringLiteral("Update & Assign"));
        QCOMPARE(hexOf(m_sheet->customColor()), QStringLiteral("#123456"));
        QTest::keyClick(field(), Qt::Key_Return);
        QCOMPARE(report(), (QStringList{QStringLiteral("FIRMWARE"), QStringLiteral("#123456")}));
        QCOMPARE(savedNames(), (QStringList{QStringLiteral("Alpha"), QStringLiteral("FIRMWARE"),
                                            QStringLiteral("Zeta")}));

        // A cancelled chooser leaves the colour as it was.
        open(QStringLiteral("uncategorized"));
        QTest::keyClicks(field(), QStringLiteral("x"));
        m_chooserAnswer.reset();
        QTest::mouseClick(part<ColorWell>(QStringLiteral("tagColorButton")), Qt::LeftButton);
        QCOMPARE(m_sheet->customColor(), NamedColors::color(NamedColor::gray));
    }

    void blankNames()
    {
        open(QStringLiteral("uncategorized"));
        QTest::keyClicks(field(), QStringLiteral("  "));
        // Enabled as typed, but saving a blank name does nothing and the sheet stays.
        QVERIFY(primary()->isEnabled());
        QTest::mouseClick(primary(), Qt::LeftButton);
        QTest::keyClick(field(), Qt::Key_Return);
        QCOMPARE(m_saved->count(), 0);
        QVERIFY(m_sheet->isVisible());
        QVERIFY(m_tags->savedTags().isEmpty());

        // Emptying the field disables the button again.
        field()->clear();
        QVERIFY(!primary()->isEnabled());
        QVERIFY(!part<QWidget>(QStringLiteral("previewRow"))->isVisible());
    }

    void colourWithoutText()
    {
        // A picked colour that gives no colour text is saved and reported as the fallback.
        open(QStringLiteral("uncategorized"));
        QTest::keyClicks(field(), QStringLiteral("Odd"));
        m_chooserAnswer = QColor();
        QTest::mouseClick(part<ColorWell>(QStringLiteral("tagColorButton")), Qt::LeftButton);
        QTest::mouseClick(primary(), Qt::LeftButton);
        QCOMPARE(report(), (QStringList{QStringLiteral("Odd"), QStringLiteral("#808080")}));
        QCOMPARE(m_tags->colorHexForTag(QStringLiteral("Odd")), QStringLiteral("#808080"));
    }

    void deleteTag()
    {
        seed({{QStringLiteral("Client"), QStringLiteral("#E05A00")},
              {QStringLiteral("Robots"), QStringLiteral("#20A060")}});
        open(QStringLiteral("Client"));
        std::unique_ptr<QMenu> menu(m_sheet->createChipMenu(QStringLiteral("client")));
        QStringList texts;
        for (QAction* action : menu->actions())
            texts << QString(action->text()).remove(u'&');
        QCOMPARE(texts, (QStringList{QStringLiteral("Edit Color"), QStringLiteral("Delete Tag")}));

        menu->findChild<QAction*>(QStringLiteral("deleteTag"))->trigger();
        // The chip goes at once; the field and the report are untouched.
        QCOMPARE(chipNames(QStringLiteral("myTagChip")), QStringList{QStringLiteral("Robots")});
        QCOMPARE(savedNames(), QStringList{QStringLiteral("Robots")});
        QCOMPARE(field()->text(), QStringLiteral("Client"));
        QCOMPARE(heading(), QStringLiteral("Create Custom Tag"));
        QCOMPARE(m_saved->count(), 0);
        QVERIFY(m_sheet->isVisible());

        // Through the chip's own popup menu: the last tag goes with its section.
        TagChip* robots = chip(QStringLiteral("myTagChip"), QStringLiteral("Robots"));
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(5, 5),
                                robots->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(robots, &event);
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(popup);
        popup->findChild<QAction*>(QStringLiteral("deleteTag"))->trigger();
        popup->close();
        QVERIFY(chipNames(QStringLiteral("myTagChip")).isEmpty());
        QVERIFY(!part<QWidget>(QStringLiteral("myTagsSection"))->isVisible());
        QVERIFY(m_tags->savedTags().isEmpty());
        QTest::qWait(0);

        // Deletions stay even when the sheet is then cancelled.
        QTest::mouseClick(part<QPushButton>(QStringLiteral("cancelButton")), Qt::LeftButton);
        QCOMPARE(m_saved->count(), 0);
        QCOMPARE(m_sheet->result(), int(QDialog::Rejected));
        QVERIFY(CustomTagManager(m_temp->preferences).savedTags().isEmpty());
    }

    void editColor()
    {
        seed({{QStringLiteral("Client"), QStringLiteral("#E05A00")},
              {QStringLiteral("Robots"), QStringLiteral("#20A060")}});
        open(QStringLiteral("Swift"));
        std::unique_ptr<QMenu> menu(m_sheet->createChipMenu(QStringLiteral("Robots")));
        menu->findChild<QAction*>(QStringLiteral("editColor"))->trigger();
        QCOMPARE(field()->text(), QStringLiteral("Robots"));
        QVERIFY(m_sheet->isCustomMode());
        QCOMPARE(hexOf(m_sheet->customColor()), QStringLiteral("#20A060"));
        QCOMPARE(heading(), QStringLiteral("Edit Tag Color"));
        QCOMPARE(primary()->text(), QStringLiteral("Update & Assign"));
        QVERIFY(!chip(QStringLiteral("myTagChip"), QStringLiteral("Robots"))->isSelected());
        QCOMPARE(m_saved->count(), 0);
    }

    void forAProject()
    {
        RecentFolder project;
        project.path = QStringLiteral("/home/a/Coding/Robots/arm");
        project.customColorHex = QStringLiteral("#00FF00");
        QPointer<TagSelectionView> sheet = TagSelectionView::forProject(project, *m_tags, nullptr);
        QCOMPARE(sheet->findChild<QLineEdit*>(QStringLiteral("customTagField"))->text(),
                 QStringLiteral("Robots"));
        QCOMPARE(hexOf(sheet->customColor()), QStringLiteral("#00FF00"));
        sheet->open();
        sheet->reject();
        QTRY_VERIFY(sheet.isNull());
    }

    void removeAndCancel()
    {
        open(QStringLiteral("Swift"), QStringLiteral("#FF0000"));
        QCOMPARE(removeButton()->text(), QStringLiteral("Remove Tag"));
        QTest::mouseClick(removeButton(), Qt::LeftButton);
        QCOMPARE(report(), (QStringList{QString(), QStringLiteral("none")}));
        QCOMPARE(m_sheet->result(), int(QDialog::Accepted));

        open(QStringLiteral("Swift"));
        QTest::keyClick(field(), Qt::Key_Escape);
        QVERIFY(!m_sheet->isVisible());
        QCOMPARE(m_sheet->result(), int(QDialog::Rejected));
        QCOMPARE(m_saved->count(), 0);
    }
};

QTEST_MAIN(TestTagSelectionView)
#include "tst_tagselectionview.moc"

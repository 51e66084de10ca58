#include "StoredRecords.h"
#include "TempPreferences.h"
#include "library/AdaptiveGridLayout.h"
#include "library/OpenProjectCard.h"
#include "library/ProjectCard.h"
#include "library/ProjectContextMenu.h"
#include "library/SidebarRow.h"
#include "model/ReferenceDate.h"
#include "tags/CustomTagManager.h"
#include "tags/NamedColors.h"
#include "tags/TagRules.h"
#include "ui/Badge.h"
#include "ui/ElidedLabel.h"
#include "ui/Theme.h"

#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QStyle>
#include <QtTest>

#include <memory>
#include <optional>

namespace {

RecentFolder project(const QString& path, bool pinned = false,
                     std::optional<QString> tag = std::nullopt)
{
    return StoredRecords::project(path, pinned, 700000000, std::move(tag));
}

// A fixed-size cell for the grid.
class Cell : public QWidget {
public:
    explicit Cell(int height)
        : m_height(height)
    {}
    QSize sizeHint() const override { return QSize(200, m_height); }

private:
    int m_height;
};

} // namespace

class TestProjectCard : public QObject {
    Q_OBJECT

    std::optional<TempPreferences> m_temp;
    std::unique_ptr<CustomTagManager> m_tags;

private Q_SLOTS:
    void init()
    {
        m_temp.emplace();
        m_tags = std::make_unique<CustomTagManager>(m_temp->preferences);
    }

    void cleanup()
    {
        QApplication::setPalette(QApplication::style()->standardPalette());
        m_tags.reset();
        m_temp.reset();
    }

    void cardShowsTheRecord_data()
    {
        QTest::addColumn<RecentFolder>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("tag");
        QTest::newRow("pinned, tag from the path")
            << project(u"/home/a/Coding/Robots/arm"_qs, true) << u"arm"_qs << u"#Robots"_qs;
        QTest::newRow("manual tag wins")
            << project(u"/home/a/Coding/Robots/arm"_qs, false, u"AI"_qs) << u"arm"_qs << u"#AI"_qs;
        QTest::newRow("shortened path") << project(u".../Web/shop"_qs) << u"shop"_qs << u"#Web"_qs;
    }

    void cardShowsTheRecord()
    {
        QFETCH(RecentFolder, folder);
        QFETCH(QString, name);
        QFETCH(QString, tag);
        ProjectCard card(folder, *m_tags);
        card.resize(240, ProjectCard::cardHeight);
        card.show();
        QCOMPARE(card.accessibleName(), name);
        QCOMPARE(card.findChild<ElidedLabel*>(u"projectName"_qs)->text(), name);
        QCOMPARE(card.findChild<ElidedLabel*>(u"projectPath"_qs)->text(), folder.path);
        QCOMPARE(card.findChild<QLabel*>(u"tagBadge"_qs)->text(), tag);
        QCOMPARE(card.findChild<QLabel*>(u"pinBadge"_qs)->isVisible(), folder.isPinned);
        // The date without the time of day, in the local calendar.
        const QDate day = ReferenceDate::toDateTime(folder.lastAccessed).toLocalTime().date();
        QCOMPARE(card.findChild<QLabel*>(u"lastAccessed"_qs)->text(),
                 QLocale().toString(day, QLocale::ShortFormat));
        // Orange folder when pinned, blue otherwise.
        const QImage image = card.findChild<QLabel*>(u"folderIcon"_qs)->pixmap().toImage();
        QCOMPARE(image.pixelColor(image.width() / 2, image.height() * 2 / 3).rgb(),
                 NamedColors::color(folder.isPinned ? NamedColor::orange : NamedColor::blue).rgb());
    }

    void activationByKeyAndClick()
    {
        ProjectCard card(project(u"/p"_qs), *m_tags);
        OpenProjectCard open;
        for (QAbstractButton* button :
             {static_cast<QAbstractButton*>(&card), static_cast<QAbstractButton*>(&open)}) {
            QSignalSpy clicked(button, &QAbstractButton::clicked);
            for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space})
                QTest::keyClick(button, key);
            QTest::mouseClick(button, Qt::LeftButton);
            QCOMPARE(clicked.count(), 4);
        }
    }

    void contextMenu()
    {
        for (const bool pinned : {false, true}) {
            const RecentFolder folder = project(u"/p"_qs, pinned);
            ProjectContextMenu menu(folder);
            QStringList texts;
            for (QAction* action : menu.actions())
                texts << (action->isSeparator() ? u"---"_qs : QString(action->text()).remove(u'&'));
            QCOMPARE(texts, (QStringList{u"Show in File Manager"_qs, u"---"_qs,
                                         pinned ? u"Unpin"_qs : u"Pin"_qs, u"Assign Tag..."_qs,
                                         u"Remove"_qs}));
            // Each action asks for its own request, with the menu's record.
            using Signal = void (ProjectContextMenu::*)(const RecentFolder&);
            const QList<std::pair<QAction*, Signal>> wiring{
                {menu.showInFinderAction(), &ProjectContextMenu::showInFinderRequested},
                {menu.togglePinAction(), &ProjectContextMenu::togglePinRequested},
                {menu.assignTagAction(), &ProjectContextMenu::promptTagRequested},
                {menu.removeAction(), &ProjectContextMenu::removeRequested},
            };
            for (const auto& [action, signal] : wiring) {
                QSignalSpy spy(&menu, signal);
                action->trigger();
                QCOMPARE(spy.count(), 1);
                QCOMPARE(spy.at(0).at(0).value<RecentFolder>().id, folder.id);
            }
        }
    }

    void sidebarRow_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::addColumn<bool>("selected");
        QTest::newRow("light, plain") << false << false;
        QTest::newRow("light, selected") << false << true;
        QTest::newRow("dark, plain") << true << false;
        QTest::newRow("dark, selected") << true << true;
    }

    // Every text of a row reads on what lies behind it; the selection shows.
    void sidebarRow()
    {
        QFETCH(bool, dark);
        QFETCH(bool, selected);
        if (dark) {
            QPalette palette = QApplication::palette();
            palette.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2e));
            palette.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
            palette.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x20));
            QApplication::setPalette(palette);
        }
        QCOMPARE(Theme::isDark(), dark);
        SidebarRow row(project(u"/home/a/Coding/Swift/app"_qs), false, *m_tags);
        row.setSelected(selected);
        auto* name = row.findChild<ElidedLabel*>(u"projectName"_qs);
        auto* badge = row.findChild<Badge*>(u"tagBadge"_qs);
        auto* path = row.findChild<ElidedLabel*>(u"projectPath"_qs);
        QCOMPARE(badge->text(), u"#Swift"_qs);
        QCOMPARE(name->font().weight(), selected ? QFont::DemiBold : QFont::Medium);
        const QColor background =
            selected ? ColorContrast::composite(Theme::withOpacity(Theme::accent(), 0.2),
                                                Theme::controlBackground())
                     : Theme::controlBackground();
        for (const QColor& text : {name->palette().color(QPalette::WindowText),
                                   path->palette().color(QPalette::WindowText)})
            QVERIFY(ColorContrast::ratio(text, background) >= ColorContrast::minimumTextRatio);
        const ColorContrast::TintedText tag = badge->shownColors();
        QVERIFY(ColorContrast::ratio(tag.text, tag.background) >= ColorContrast::minimumTextRatio);
        QCOMPARE(tag.background,
                 ColorContrast::composite(
                     NamedColors::color(NamedColor::orange, selected ? 0.3 : 0.15), background));
        row.resize(240, row.sizeHint().height());
        const QImage image = row.grab().toImage();
        const QColor inside = image.pixelColor(image.width() - 3, image.height() / 2);
        QCOMPARE(inside.rgb() != row.palette().color(QPalette::Window).rgb(), selected);
    }

    void sidebarRowFollowsCustomTags()
    {
        SidebarRow row(project(u"/w/site"_qs, false, u"client"_qs), false, *m_tags);
        QCOMPARE(row.projectColor(), TagRules::keywordColor(u"client"_qs));
        m_tags->saveTag(u"Client"_qs, u"#123456"_qs);
        QCOMPARE(row.findChild<Badge*>(u"tagBadge"_qs)->badgeStyle().color,
                 QColor(0x12, 0x34, 0x56));
    }

    void gridColumns_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("columnWidth");
        QTest::addColumn<int>("offset");
        QTest::newRow("narrower than one column") << 150 << 1 << 150 << 0;
        QTest::newRow("one column capped and centred") << 415 << 1 << 300 << 57;
        QTest::newRow("two minimum columns") << 416 << 2 << 200 << 0;
        QTest::newRow("two shared columns") << 500 << 2 << 242 << 0;
        QTest::newRow("wide") << 1360 << 6 << 213 << 1;
    }

    void gridColumns()
    {
        QFETCH(int, width);
        QFETCH(int, count);
        QFETCH(int, columnWidth);
        QFETCH(int, offset);
        const AdaptiveGridLayout::Columns columns =
            AdaptiveGridLayout(200, 300, 16).columnsFor(width);
        QCOMPARE(columns.count, count);
        QCOMPARE(columns.width, columnWidth);
        QCOMPARE(columns.offset, offset);
    }

    void gridRowsAreAsHighAsTheirTallestCell()
    {
        QWidget host;
        auto* grid = new AdaptiveGridLayout(200, 300, 16, &host);
        grid->setContentsMargins(20, 0, 20, 0);
        for (int height : {140, 100, 140, 60, 140})
            grid->addWidget(new Cell(height));
        QCOMPARE(grid->heightForWidth(540), 452);
        host.resize(540, 452);
        host.show();
        QCOMPARE(grid->itemAt(3)->widget()->geometry(), QRect(278, 156, 242, 140));
    }

    void elidedPath()
    {
        const QString path = u"/home/someone/projects/quite/deep/down/in/folders/my-project"_qs;
        ElidedLabel label(path, Qt::ElideMiddle);
        label.resize(label.fontMetrics().horizontalAdvance(path) / 2, 20);
        const QString shown = label.shownText();
        QVERIFY(shown.startsWith(u"/home"_qs) && shown.endsWith(u"my-project"_qs));
        QVERIFY(shown.contains(QChar(0x2026)) && label.isElided());
        QCOMPARE(label.accessibleName(), path);
        label.resize(label.sizeHint().width(), 20);
        QCOMPARE(label.shownText(), path);
    }
};

QTEST_MAIN(TestProjectCard)
#include "tst_projectcard.moc"

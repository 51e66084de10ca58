#include "TempPreferences.h"
#include "library/AdaptiveGridLayout.h"
#include "library/OpenProjectCard.h"
#include "library/ProjectCard.h"
#include "library/ProjectContextMenu.h"
#include "library/SidebarRow.h"
#include "model/Preferences.h"
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
                     std::optional<QString> tag = std::nullopt,
                     std::optional<QString> colorHex = std::nullopt)
{
    RecentFolder folder;
    folder.id = QUuid::createUuid();
    folder.path = path;
    folder.isPinned = pinned;
    folder.lastAccessed = 700000000;
    folder.manualTag = std::move(tag);
    folder.customColorHex = std::move(colorHex);
    return folder;
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
        QTest::addColumn<bool>("pinMark");

        QTest::newRow("pinned, tag from the path")
            << project(QStringLiteral("/home/a/Coding/Robots/arm"), true) << QStringLiteral("arm")
            << QStringLiteral("#Robots") << true;
        QTest::newRow("manual tag wins")
            << project(QStringLiteral("/home/a/Coding/Robots/arm"), false, QStringLiteral("AI"))
            << QStringLiteral("arm") << QStringLiteral("#AI") << false;
        QTest::newRow("empty manual tag counts as none")
            << project(QStringLiteral("/srv/site"), false, QString()) << QStringLiteral("site")
            << QStringLiteral("#uncategorized") << false;
        QTest::newRow("shortened path")
            << project(QStringLiteral(".../Web/shop")) << QStringLiteral("shop")
            << QStringLiteral("#Web") << false;
    }

    void cardShowsTheRecord()
    {
        QFETCH(RecentFolder, folder);
        QFETCH(QString, name);
        QFETCH(QString, tag);
        QFETCH(bool, pinMark);

        ProjectCard card(folder, *m_tags);
        card.resize(240, ProjectCard::cardHeight);
        card.show();
        QCOMPARE(card.accessibleName(), name);
        QCOMPARE(card.findChild<ElidedLabel*>(QStringLiteral("projectName"))->text(), name);
        QCOMPARE(card.findChild<ElidedLabel*>(QStringLiteral("projectPath"))->text(), folder.path);
        QCOMPARE(card.findChild<QLabel*>(QStringLiteral("tagBadge"))->text(), tag);
        QCOMPARE(card.findChild<QLabel*>(QStringLiteral("pinBadge"))->isVisible(), pinMark);
        // The date without the time of day, in the local calendar.
        const QDate day = ReferenceDate::toDateTime(folder.lastAccessed).toLocalTime().date();
        QCOMPARE(card.findChild<QLabel*>(QStringLiteral("lastAccessed"))->text(),
                 QLocale().toString(day, QLocale::ShortFormat));
    }

    void folderSymbolColour()
    {
        // Orange folder when pinned, blue otherwise.
        for (bool pinned : {true, false}) {
            ProjectCard card(project(QStringLiteral("/p"), pinned), *m_tags);
            const QImage image =
                card.findChild<QLabel*>(QStringLiteral("folderIcon"))->pixmap().toImage();
            const QColor centre = image.pixelColor(image.width() / 2, image.height() * 2 / 3);
            QCOMPARE(centre.rgb(),
                     NamedColors::color(pinned ? NamedColor::orange : NamedColor::blue).rgb());
        }
    }

    void activation_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("Enter") << int(Qt::Key_Enter);
        QTest::newRow("Space") << int(Qt::Key_Space);
    }

    void activation()
    {
        QFETCH(int, key);
        ProjectCard card(project(QStringLiteral("/p")), *m_tags);
        OpenProjectCard open;
        for (QAbstractButton* button :
             {static_cast<QAbstractButton*>(&card), static_cast<QAbstractButton*>(&open)}) {
            QSignalSpy clicked(button, &QAbstractButton::clicked);
            QTest::keyClick(button, Qt::Key(key));
            QCOMPARE(clicked.count(), 1);
            QTest::mouseClick(button, Qt::LeftButton);
            QCOMPARE(clicked.count(), 2);
        }
        QCOMPARE(open.accessibleName(), QStringLiteral("Open Project"));
        QCOMPARE(open.height(), 140);
    }

    void contextMenu_data()
    {
        QTest::addColumn<bool>("pinned");
        QTest::addColumn<QString>("pinLabel");
        QTest::newRow("unpinned") << false << QStringLiteral("Pin");
        QTest::newRow("pinned") << true << QStringLiteral("Unpin");
    }

    void contextMenu()
    {
        QFETCH(bool, pinned);
        QFETCH(QString, pinLabel);
        const RecentFolder folder = project(QStringLiteral("/p"), pinned);
        ProjectContextMenu menu(folder);
        QStringList texts;
        for (QAction* action : menu.actions())
            texts << (action->isSeparator() ? QStringLiteral("---")
                                            : QString(action->text()).remove(u'&'));
        QCOMPARE(texts,
                 (QStringList{QStringLiteral("Show in File Manager"), QStringLiteral("---"), pinLabel,
                              QStringLiteral("Assign Tag..."), QStringLiteral("Remove")}));

        using Signal = void (ProjectContextMenu::*)(const RecentFolder&);
        const QList<std::pair<QAction*, Signal>> wiring{
            {menu.showInFinderAction(), &ProjectContextMenu::showInFinderRequested},
            {menu.togglePinAction(), &ProjectContextMenu::togglePinRequested},
            {menu.assignTagAction(), &ProjectContextMenu::promptTagRequested},
            {menu.removeAction(), &ProjectContextMenu::removeRequested},
        };
        QList<std::shared_ptr<QSignalSpy>> spies;
        for (const auto& [action, signal] : wiring)
            spies << std::make_shared<QSignalSpy>(&menu, signal);
        for (qsizetype i = 0; i < wiring.size(); ++i) {
            wiring.at(i).first->trigger();
            for (qsizetype j = 0; j < spies.size(); ++j)
                QCOMPARE(spies.at(j)->count(), j <= i ? 1 : 0);
            QCOMPARE(spies.at(i)->at(0).at(0).value<RecentFolder>().id, folder.id);
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

        SidebarRow row(project(QStringLiteral("/home/a/Coding/Swift/app")), false, *m_tags);
        row.setSelected(selected);
        QCOMPARE(row.accessibleName(), QStringLiteral("app"));
        auto* name = row.findChild<ElidedLabel*>(QStringLiteral("projectName"));
        auto* badge = row.findChild<Badge*>(QStringLiteral("tagBadge"));
        auto* path = row.findChild<ElidedLabel*>(QStringLiteral("projectPath"));
        QCOMPARE(badge->text(), QStringLiteral("#Swift"));
        QCOMPARE(badge->badgeStyle().color, NamedColors::color(NamedColor::orange));
        QCOMPARE(badge->badgeStyle().backgroundOpacity, selected ? 0.3 : 0.15);
        QCOMPARE(name->font().weight(), selected ? QFont::DemiBold : QFont::Medium);

        // White text on the selection only on a dark sidebar; every text reads on what lies
        // behind it (the selection tint or the sidebar).
        const bool white = selected && dark;
        const QColor background =
            selected ? ColorContrast::composite(Theme::withOpacity(Theme::accent(), 0.2),
                                                Theme::controlBackground())
                     : Theme::controlBackground();
        QCOMPARE(name->palette().color(QPalette::WindowText),
                 Theme::readable(white ? QColor(Qt::white) : Theme::primaryText(), background));
        QCOMPARE(badge->badgeStyle().textColor.isValid(), white);
        for (const QColor& text : {name->palette().color(QPalette::WindowText),
                                   path->palette().color(QPalette::WindowText)})
            QVERIFY(ColorContrast::ratio(text, background) >= ColorContrast::minimumTextRatio);
        const ColorContrast::TintedText tag = badge->shownColors();
        QVERIFY(ColorContrast::ratio(tag.text, tag.background) >= ColorContrast::minimumTextRatio);
        QCOMPARE(tag.background,
                 ColorContrast::composite(
                     NamedColors::color(NamedColor::orange, selected ? 0.3 : 0.15), background));

        // The selection tint is painted only for the selected row.
        row.resize(240, row.sizeHint().height());
        const QImage image = row.grab().toImage();
        const QColor inside = image.pixelColor(image.width() - 3, image.height() / 2);
        QCOMPARE(inside.rgb() != row.palette().color(QPalette::Window).rgb(), selected);
    }

    void sidebarRowFollowsCustomTags()
    {
        SidebarRow row(project(QStringLiteral("/w/site"), false, QStringLiteral("client")), false,
                       *m_tags);
        QCOMPARE(row.projectColor(), TagRules::keywordColor(QStringLiteral("client")));
        m_tags->saveTag(QStringLiteral("Client"), QStringLiteral("#123456"));
        QCOMPARE(row.projectColor(), QColor(0x12, 0x34, 0x56));
        QCOMPARE(row.findChild<Badge*>(QStringLiteral("tagBadge"))->badgeStyle().color,
                 QColor(0x12, 0x34, 0x56));
    }

    void gridColumns_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("columnWidth");
        QTest::addColumn<int>("offset");
        QTest::newRow("narrower than one column") << 150 << 1 << 150 << 0;
        QTest::newRow("exactly one minimum") << 200 << 1 << 200 << 0;
        QTest::newRow("one column up to its maximum") << 300 << 1 << 300 << 0;
        QTest::newRow("one column capped and centred") << 415 << 1 << 300 << 57;
        QTest::newRow("two minimum columns") << 416 << 2 << 200 << 0;
        QTest::newRow("two shared columns") << 500 << 2 << 242 << 0;
        QTest::newRow("four columns") << 860 << 4 << 203 << 0;
        QTest::newRow("four wider columns") << 1000 << 4 << 238 << 0;
        QTest::newRow("wide") << 1360 << 6 << 213 << 1;
    }

    void gridColumns()
    {
        QFETCH(int, width);
        QFETCH(int, count);
        QFETCH(int, columnWidth);
        QFETCH(int, offset);
        AdaptiveGridLayout grid(200, 300, 16);
        const AdaptiveGridLayout::Columns columns = grid.columnsFor(width);
        QCOMPARE(columns.count, count);
        QCOMPARE(columns.width, columnWidth);
        QCOMPARE(columns.offset, offset);
        QVERIFY(columns.offset * 2 + columns.count * columns.width + (columns.count - 1) * 16 <=
                std::max(width, 0) + 1);
    }

    void gridCells()
    {
        QWidget host;
        auto* grid = new AdaptiveGridLayout(200, 300, 16, &host);
        grid->setContentsMargins(20, 0, 20, 0);
        for (int height : {140, 100, 140, 60, 140})
            grid->addWidget(new Cell(height));
        const QList<QRect> rects = grid->cellRects(500);
        QCOMPARE(rects.size(), 5);
        QCOMPARE(rects.at(1), QRect(258, 0, 242, 140)); // as high as its row
        QCOMPARE(rects.at(2), QRect(0, 156, 242, 140));
        QCOMPARE(grid->heightForWidth(540), 452);

        host.resize(540, 452);
        host.show();
        QCOMPARE(grid->itemAt(3)->widget()->geometry(), QRect(278, 156, 242, 140));
    }

    void elidedPath()
    {
        const QString path =
            QStringLiteral("/home/someone/projects/quite/deep/down/in/folders/my-project");
        ElidedLabel label(path, Qt::ElideMiddle);
        label.resize(label.fontMetrics().horizontalAdvance(path) / 2, 20);
        const QString shown = label.shownText();
        QVERIFY(shown.size() < path.size());
        QVERIFY(shown.startsWith(QStringLiteral("/home")));
        QVERIFY(shown.endsWith(QStringLiteral("my-project")));
        QVERIFY(shown.contains(QChar(0x2026)));
        QCOMPARE(label.accessibleName(), path);
        QVERIFY(label.isElided());

        label.resize(label.sizeHint().width(), 20);
        QCOMPARE(label.shownText(), path);
        QVERIFY(!label.isElided());
    }
};

QTEST_MAIN(TestProjectCard)
#include "tst_projectcard.moc"

#include "StoreFixture.h"
#include "StoredRecords.h"
#include "library/AdaptiveGridLayout.h"
#include "library/OpenProjectCard.h"
#include "library/ProjectCard.h"
#include "library/ProjectContextMenu.h"
#include "library/ProjectLibraryView.h"
#include "model/ReferenceDate.h"
#include "tags/CustomTagManager.h"
#include "tags/NamedColors.h"
#include "tags/TagRules.h"
#include "ui/ElidedLabel.h"

#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

// The names shown by a grid's cells in layout order ("+" for the open-project card).
QStringList cellNames(QWidget* grid)
{
    QStringList names;
    QLayout* layout = grid->layout();
    for (int i = 0; i < layout->count(); ++i) {
        QWidget* cell = layout->itemAt(i)->widget();
        names << (qobject_cast<OpenProjectCard*>(cell) ? u"+"_qs : cell->accessibleName());
    }
    return names;
}

RecentFolder project(const QString& path, bool pinned = false,
                     std::optional<QString> tag = std::nullopt)
{
    return StoredRecords::project(path, pinned, 700000000, std::move(tag));
}

} // namespace

// The projects screen and the pieces it is made of: cards, sidebar rows, the grid.
class TestProjectLibraryView : public QObject {
    Q_OBJECT

    std::unique_ptr<StoreFixture> f;
    std::unique_ptr<CustomTagManager> m_tags;
    std::unique_ptr<ProjectLibraryView> m_view;

    // Makes a folder under the temporary directory and opens it once through the store.
    RecentFolder add(const QString& relative, const QString& tag = {})
    {
        const QString path = f->folder(relative);
        if (!f->store.addToRecents(path))
            qFatal("could not remember %s", qPrintable(path));
        RecentFolder folder = f->store.recentFolders().first();
        if (!tag.isEmpty())
            f->store.applyTag(folder, tag, std::nullopt);
        return folder;
    }

    QWidget* recentGrid() const { return m_view->findChild<QWidget*>(u"recentGrid"_qs); }

    ProjectCard* card(const QString& name) const
    {
        for (ProjectCard* each : m_view->findChildren<ProjectCard*>()) {
            if (each->accessibleName() == name)
                return each;
        }
        return nullptr;
    }

    // The menu of a card, as the view makes it, wired to the store as the main window does.
    std::unique_ptr<ProjectContextMenu> menuOf(const QString& name)
    {
        return std::unique_ptr<ProjectContextMenu>(m_view->createContextMenu(card(name)->folder()));
    }

private Q_SLOTS:
    void init()
    {
        f = std::make_unique<StoreFixture>();
        m_tags = std::make_unique<CustomTagManager>(f->temp.preferences);
        m_view = std::make_unique<ProjectLibraryView>(*m_tags);
        m_view->setStore(&f->store);
        RecentFoldersStore* store = &f->store;
        connect(m_view.get(), &ProjectLibraryView::togglePinRequested, store,
                &RecentFoldersStore::togglePin);
        connect(m_view.get(), &ProjectLibraryView::removeRequested, store,
                &RecentFoldersStore::removeRecent);
        m_view->resize(900, 700);
        m_view->show();
    }

    void cleanup()
    {
        m_view.reset();
        m_tags.reset();
        f.reset();
    }

    // Opening a project from its card is checked through the window.
    void emptyStateAndBrowsing()
    {
        QVERIFY(m_view->findChild<QWidget*>(u"emptyState"_qs)->isVisible());
        QVERIFY(!recentGrid() && m_view->findChildren<OpenProjectCard*>().isEmpty());
        QSignalSpy browse(m_view.get(), &ProjectLibraryView::browseRequested);
        QTest::mouseClick(m_view->findChild<QPushButton*>(u"selectProjectFolderButton"_qs),
                          Qt::LeftButton);
        // The first project replaces the empty state.
        add(u"first"_qs);
        QVERIFY(!m_view->findChild<QWidget*>(u"emptyState"_qs));
        QCOMPARE(m_view->findChildren<ProjectCard*>().size(), 1);
        QVERIFY(card(u"first"_qs)->focusPolicy() & Qt::TabFocus);
        QTest::mouseClick(m_view->findChild<OpenProjectCard*>(), Qt::LeftButton);
        QCOMPARE(browse.count(), 2);
    }

    void tagGroups()
    {
        add(u"s1"_qs, u"Swift"_qs);
        add(u"Coding/Robots/arm"_qs);
        add(u"plain"_qs);
        add(u"a1"_qs, u"apps"_qs);
        add(u"s2"_qs, u"swift"_qs);
        add(u"s3"_qs, u"Swift"_qs);
        QTest::mouseClick(m_view->findChild<QPushButton*>(u"Sort/Tags"_qs), Qt::LeftButton);

        QStringList titles;
        QLayout* column = m_view->findChild<QWidget*>(u"tagGroups"_qs)->layout();
        for (int i = 0; i < column->count(); ++i) {
            QWidget* group = column->itemAt(i)->widget();
            const QString tag = group->property("tag").toString();
            auto* title = group->findChild<QLabel*>(u"groupTitle"_qs);
            titles << title->text();
            QCOMPARE(bool(group->findChild<QWidget*>(u"groupSwatch"_qs)), tag != u"uncategorized");
        }
        QCOMPARE(titles, (QStringList{u"Robots"_qs, u"Swift"_qs, u"Apps"_qs, u"Swift"_qs,
                                      u"Uncategorized"_qs}));
        // Each group keeps the list order: newest first.
        QCOMPARE(cellNames(column->itemAt(1)->widget()->findChild<QWidget*>(u"groupGrid"_qs)),
                 (QStringList{u"s3"_qs, u"s1"_qs}));
    }

    void menuOperationsResortTheList()
    {
        add(u"beta"_qs);
        add(u"alpha"_qs);
        add(u"gamma"_qs);
        QCOMPARE(cellNames(recentGrid()),
                 (QStringList{u"+"_qs, u"gamma"_qs, u"alpha"_qs, u"beta"_qs}));
        // Pinning the oldest moves it to the front; unpinning puts it back by its time. (The
        // order itself is the store's, checked there.)
        menuOf(u"beta"_qs)->togglePinAction()->trigger();
        QCOMPARE(cellNames(recentGrid()),
                 (QStringList{u"+"_qs, u"beta"_qs, u"gamma"_qs, u"alpha"_qs}));
        auto menu = menuOf(u"beta"_qs);
        QCOMPARE(menu->togglePinAction()->text(), u"Un&pin"_qs);
        menu->togglePinAction()->trigger();
        QCOMPARE(cellNames(recentGrid()),
                 (QStringList{u"+"_qs, u"gamma"_qs, u"alpha"_qs, u"beta"_qs}));

        // "Remove" takes the card away at once, without asking.
        menuOf(u"gamma"_qs)->removeAction()->trigger();
        QCOMPARE(cellNames(recentGrid()), (QStringList{u"+"_qs, u"alpha"_qs, u"beta"_qs}));
        QCOMPARE(f->store.recentFolders().size(), 2);
    }

    void contextMenuOnACard()
    {
        // The real menu of a card, popped up by a context-menu event: the card it belongs to is
        // replaced while the menu is still handling its action.
        add(u"keep"_qs);
        add(u"drop"_qs);
        ProjectCard* dropCard = card(u"drop"_qs);
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(10, 10),
                                dropCard->mapToGlobal(QPoint(10, 10)));
        QApplication::sendEvent(dropCard, &event);
        auto* menu = qobject_cast<ProjectContextMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        menu->removeAction()->trigger();
        menu->close();
        QCOMPARE(cellNames(recentGrid()), (QStringList{u"+"_qs, u"keep"_qs}));
        QTRY_VERIFY(m_view->findChildren<ProjectContextMenu*>().isEmpty());
    }

    void focusFollowsTheProjectAcrossRebuilds()
    {
        add(u"one"_qs);
        add(u"two"_qs);
        m_view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
        card(u"one"_qs)->setFocus();
        menuOf(u"one"_qs)->togglePinAction()->trigger();
        QCOMPARE(QApplication::focusWidget(), card(u"one"_qs));
    }

    void badgeColours()
    {
        RecentFolder own = add(u"own"_qs);
        f->store.applyTag(own, u"robots"_qs, u"#FF0000"_qs);
        RecentFolder unreadable = add(u"bad"_qs);
        f->store.applyTag(unreadable, u"robots"_qs, u"#12"_qs);
        QCOMPARE(card(u"own"_qs)->projectColor(), QColor(255, 0, 0));
        QCOMPARE(card(u"bad"_qs)->projectColor(), TagRules::keywordColor(u"robots"_qs));
        // A custom tag of the same name (any case) colours the card without its own colour, at
        // once. (The sidebar row takes its colour the same way, checked through the window.)
        m_tags->saveTag(u"Robots"_qs, u"#00FF00"_qs);
        QCOMPARE(card(u"bad"_qs)->projectColor(), QColor(0, 255, 0));
        QCOMPARE(card(u"own"_qs)->projectColor(), QColor(255, 0, 0));
    }

    void cardShowsTheRecord_data()
    {
        QTest::addColumn<RecentFolder>("folder");
        QTest::addColumn<QString>("tag");
        QTest::newRow("pinned, tag from the path")
            << project(u"/home/a/Coding/Robots/arm"_qs, true) << u"#Robots"_qs;
        QTest::newRow("manual tag wins")
            << project(u"/home/a/Coding/Robots/arm"_qs, false, u"AI"_qs) << u"#AI"_qs;
    }

    void cardShowsTheRecord()
    {
        QFETCH(RecentFolder, folder);
        QFETCH(QString, tag);
        ProjectCard projectCard(folder, *m_tags);
        projectCard.resize(240, ProjectCard::cardHeight);
        projectCard.show();
        QCOMPARE(projectCard.accessibleName(), u"arm"_qs);
        QCOMPARE(projectCard.findChild<ElidedLabel*>(u"projectName"_qs)->text(), u"arm"_qs);
        QCOMPARE(projectCard.findChild<ElidedLabel*>(u"projectPath"_qs)->text(), folder.path);
        QCOMPARE(projectCard.findChild<QLabel*>(u"tagBadge"_qs)->text(), tag);
        QCOMPARE(projectCard.findChild<QLabel*>(u"pinBadge"_qs)->isVisible(), folder.isPinned);
        // The date without the time of day, in the local calendar.
        const QDate day = ReferenceDate::toDateTime(folder.lastAccessed).toLocalTime().date();
        QCOMPARE(projectCard.findChild<QLabel*>(u"lastAccessed"_qs)->text(),
                 QLocale().toString(day, QLocale::ShortFormat));
        // Orange folder when pinned, blue otherwise.
        const QImage image = projectCard.findChild<QLabel*>(u"folderIcon"_qs)->pixmap().toImage();
        QCOMPARE(image.pixelColor(image.width() / 2, image.height() * 2 / 3).rgb(),
                 NamedColors::color(folder.isPinned ? NamedColor::orange : NamedColor::blue).rgb());
    }

    void activationByKeyAndClick()
    {
        ProjectCard projectCard(project(u"/p"_qs), *m_tags);
        OpenProjectCard open;
        for (QAbstractButton* button :
             {static_cast<QAbstractButton*>(&projectCard), static_cast<QAbstractButton*>(&open)}) {
            QSignalSpy clicked(button, &QAbstractButton::clicked);
            for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter})
                QTest::keyClick(button, key);
            QCOMPARE(clicked.count(), 2);
        }
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
        for (int height : {140, 100, 140, 60, 140}) {
            auto* cell = new QWidget;
            cell->setFixedSize(200, height);
            grid->addWidget(cell);
        }
        QCOMPARE(grid->heightForWidth(540), 452);
    }
};

QTEST_MAIN(TestProjectLibraryView)
#include "tst_projectlibraryview.moc"

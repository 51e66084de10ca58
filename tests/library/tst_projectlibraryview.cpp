#include "StoreFixture.h"
#include "library/OpenProjectCard.h"
#include "library/ProjectCard.h"
#include "library/ProjectContextMenu.h"
#include "library/ProjectLibraryView.h"
#include "tags/CustomTagManager.h"
#include "tags/TagRules.h"
#include "ui/Theme.h"

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

} // namespace

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
        connect(m_view.get(), &ProjectLibraryView::showInFinderRequested, store,
                &RecentFoldersStore::showInFinder);
        m_view->resize(900, 700);
        m_view->show();
    }

    void cleanup()
    {
        m_view.reset();
        m_tags.reset();
        f.reset();
    }

    void emptyState_data()
    {
        QTest::addColumn<ProjectSortMode>("mode");
        QTest::newRow("recent") << ProjectSortMode::recent;
        QTest::newRow("tags") << ProjectSortMode::tags;
    }

    void emptyState()
    {
        QFETCH(ProjectSortMode, mode);
        m_view->setSortMode(mode);
        QVERIFY(m_view->findChild<QWidget*>(u"emptyState"_qs)->isVisible());
        QVERIFY(!recentGrid() && !m_view->findChild<QWidget*>(u"tagGroups"_qs));
        QVERIFY(m_view->findChildren<OpenProjectCard*>().isEmpty());
        QSignalSpy browse(m_view.get(), &ProjectLibraryView::browseRequested);
        QTest::mouseClick(m_view->findChild<QPushButton*>(u"selectProjectFolderButton"_qs),
                          Qt::LeftButton);
        QCOMPARE(browse.count(), 1);
        // The first project replaces the empty state.
        add(u"first"_qs);
        QVERIFY(!m_view->findChild<QWidget*>(u"emptyState"_qs));
        QCOMPARE(m_view->findChildren<ProjectCard*>().size(), 1);
    }

    void clicks()
    {
        const RecentFolder folder = add(u"proj"_qs);
        QSignalSpy browse(m_view.get(), &ProjectLibraryView::browseRequested);
        QSignalSpy open(m_view.get(), &ProjectLibraryView::openRequested);
        QTest::mouseClick(m_view->findChild<OpenProjectCard*>(), Qt::LeftButton);
        QCOMPARE(browse.count(), 1);
        QTest::mouseClick(card(u"proj"_qs), Qt::LeftButton);
        QCOMPARE(open.count(), 1);
        QCOMPARE(open.at(0).at(0).value<RecentFolder>().id, folder.id);
        QVERIFY(card(u"proj"_qs)->focusPolicy() & Qt::TabFocus);
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
        QCOMPARE(m_view->sortMode(), ProjectSortMode::tags);
        QVERIFY(!recentGrid());
        QVERIFY(m_view->findChildren<OpenProjectCard*>().isEmpty());

        QStringList titles;
        QStringList members;
        QLayout* column = m_view->findChild<QWidget*>(u"tagGroups"_qs)->layout();
        for (int i = 0; i < column->count(); ++i) {
            QWidget* group = column->itemAt(i)->widget();
            const QString tag = group->property("tag").toString();
            auto* title = group->findChild<QLabel*>(u"groupTitle"_qs);
            titles << title->text();
            members << cellNames(group->findChild<QWidget*>(u"groupGrid"_qs)).join(u',');
            QCOMPARE(bool(group->findChild<QWidget*>(u"groupSwatch"_qs)), tag != u"uncategorized");
            // The tag's colour, darkened or lightened until it reads on the window.
            const QColor colour =
                tag == u"uncategorized" ? Theme::primaryText() : TagRules::keywordColor(tag);
            QCOMPARE(title->palette().color(QPalette::WindowText), Theme::readable(colour));
        }
        QCOMPARE(titles, (QStringList{u"Robots"_qs, u"Swift"_qs, u"Apps"_qs, u"Swift"_qs,
                                      u"Uncategorized"_qs}));
        // Each group keeps the list order: newest first.
        QCOMPARE(members.at(1), u"s3,s1"_qs);
        QCOMPARE(members.at(4), u"plain"_qs);

        QTest::mouseClick(m_view->findChild<QPushButton*>(u"Sort/Recent"_qs), Qt::LeftButton);
        QCOMPARE(cellNames(recentGrid()).size(), 7);
    }

    void menuOperationsResortTheList()
    {
        add(u"beta"_qs);
        add(u"alpha"_qs);
        add(u"gamma"_qs);
        QCOMPARE(cellNames(recentGrid()),
                 (QStringList{u"+"_qs, u"gamma"_qs, u"alpha"_qs, u"beta"_qs}));
        // Pinning the oldest moves it to the front; a second pin takes its place by name.
        menuOf(u"beta"_qs)->togglePinAction()->trigger();
        QCOMPARE(cellNames(recentGrid()),
                 (QStringList{u"+"_qs, u"beta"_qs, u"gamma"_qs, u"alpha"_qs}));
        menuOf(u"alpha"_qs)->togglePinAction()->trigger();
        QCOMPARE(cellNames(recentGrid()),
                 (QStringList{u"+"_qs, u"alpha"_qs, u"beta"_qs, u"gamma"_qs}));
        // Unpinning goes back by time.
        auto menu = menuOf(u"beta"_qs);
        QCOMPARE(menu->togglePinAction()->text(), u"Un&pin"_qs);
        menu->togglePinAction()->trigger();
        QCOMPARE(cellNames(recentGrid()),
                 (QStringList{u"+"_qs, u"alpha"_qs, u"gamma"_qs, u"beta"_qs}));

        // "Remove" takes the card away at once, without asking.
        menuOf(u"gamma"_qs)->removeAction()->trigger();
        QCOMPARE(cellNames(recentGrid()), (QStringList{u"+"_qs, u"alpha"_qs, u"beta"_qs}));
        QCOMPARE(f->store.recentFolders().size(), 2);

        // "Show in File Manager" reveals the folder; "Assign Tag..." asks for the sheet.
        QSignalSpy prompt(m_view.get(), &ProjectLibraryView::promptTagRequested);
        menu = menuOf(u"beta"_qs);
        menu->showInFinderAction()->trigger();
        menu->assignTagAction()->trigger();
        QCOMPARE(f->revealed, QStringList{f->folder(u"beta"_qs)});
        QCOMPARE(prompt.count(), 1);
        QCOMPARE(prompt.at(0).at(0).value<RecentFolder>().path, f->folder(u"beta"_qs));
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
        // once.
        m_tags->saveTag(u"Robots"_qs, u"#00FF00"_qs);
        QCOMPARE(card(u"bad"_qs)->projectColor(), QColor(0, 255, 0));
        QCOMPARE(card(u"own"_qs)->projectColor(), QColor(255, 0, 0));
    }
};

QTEST_MAIN(TestProjectLibraryView)
#include "tst_projectlibraryview.moc"

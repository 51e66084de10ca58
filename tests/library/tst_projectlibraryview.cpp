#include "TempPreferences.h"
#include "library/OpenProjectCard.h"
#include "library/ProjectCard.h"
#include "library/ProjectContextMenu.h"
#include "library/ProjectLibraryView.h"
#include "library/RecentFoldersStore.h"
#include "model/Preferences.h"
#include "platform/FileManager.h"
#include "tags/CustomTagManager.h"
#include "tags/NamedColors.h"
#include "tags/TagRules.h"
#include "ui/SegmentedControl.h"
#include "ui/Theme.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <optional>

namespace {

class FakeFileManager : public FileManager {
public:
    void revealFolder(const QString& folderPath) override { revealed << folderPath; }
    QStringList revealed;
};

QString cellName(QWidget* cell)
{
    if (qobject_cast<OpenProjectCard*>(cell))
        return QStringLiteral("+");
    if (auto* card = qobject_cast<ProjectCard*>(cell))
        return card->accessibleName();
    return QStringLiteral("?");
}

// The names shown by a grid's cells in layout order ("+" for the open-project card).
QStringList cellNames(QWidget* grid)
{
    QStringList names;
    QLayout* layout = grid->layout();
    for (int i = 0; i < layout->count(); ++i)
        names << cellName(layout->itemAt(i)->widget());
    return names;
}

} // namespace

class TestProjectLibraryView : public QObject {
    Q_OBJECT

    std::optional<TempPreferences> m_temp;
    std::unique_ptr<CustomTagManager> m_tags;
    std::unique_ptr<RecentFoldersStore> m_store;
    std::unique_ptr<ProjectLibraryView> m_view;
    FakeFileManager m_fileManager;
    double m_now = 1000;

    // Makes a folder under the temporary directory and opens it once through the store.
    RecentFolder add(const QString& relative)
    {
        const QString path = QDir(m_temp->dir.path()).filePath(relative);
        QDir().mkpath(path);
        if (!m_store->addToRecents(path))
            qFatal("could not remember %s", qPrintable(path));
        for (const RecentFolder& folder : m_store->recentFolders()) {
            if (folder.path == path)
                return folder;
        }
        qFatal("not remembered: %s", qPrintable(path));
    }

    RecentFolder tagged(const QString& relative, const QString& tag)
    {
        const RecentFolder folder = add(relative);
        m_store->applyTag(folder, tag, std::nullopt);
        return folder;
    }

    // Wires the view's requests to the store, as the main window does.
    void wireToStore()
    {
        RecentFoldersStore* store = m_store.get();
        connect(m_view.get(), &ProjectLibraryView::togglePinRequested, store,
                &RecentFoldersStore::togglePin);
        connect(m_view.get(), &ProjectLibraryView::removeRequested, store,
                &RecentFoldersStore::removeRecent);
        connect(m_view.get(), &ProjectLibraryView::showInFinderRequested, store,
                &RecentFoldersStore::showInFinder);
    }

    QWidget* recentGrid() const
    {
        return m_view->findChild<QWidget*>(QStringLiteral("recentGrid"));
    }

    ProjectCard* card(const QString& name) const
    {
        for (ProjectCard* each : m_view->findChildren<ProjectCard*>()) {
            if (each->accessibleName() == name)
                return each;
        }
        return nullptr;
    }

private Q_SLOTS:
    void init()
    {
        m_temp.emplace();
        m_tags = std::make_unique<CustomTagManager>(m_temp->preferences);
        m_store = std::make_unique<RecentFoldersStore>(m_temp->preferences);
        m_now = 1000;
        m_store->setClock([this] { return m_now++; });
        m_store->setPathPrefixes({});
        FileManager::setCurrent(&m_fileManager);
        m_fileManager.revealed.clear();
        m_view = std::make_unique<ProjectLibraryView>(*m_tags);
        m_view->setStore(m_store.get());
        m_view->resize(900, 700);
        m_view->show();
    }

    void cleanup()
    {
        m_view.reset();
        FileManager::setCurrent(nullptr);
        m_store.reset();
        m_tags.reset();
        m_temp.reset();
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
        QCOMPARE(m_view->findChild<QLabel*>(QStringLiteral("libraryTitle"))->text(),
                 QStringLiteral("Project Library"));
        auto* empty = m_view->findChild<QWidget*>(QStringLiteral("emptyState"));
        QVERIFY(empty && empty->isVisible());
        QCOMPARE(m_view->findChild<QLabel*>(QStringLiteral("emptyMessage"))->text(),
                 QStringLiteral("No projects yet"));
        QVERIFY(!recentGrid());
        QVERIFY(!m_view->findChild<QWidget*>(QStringLiteral("tagGroups")));
        QVERIFY(m_view->findChildren<ProjectCard*>().isEmpty());
        QVERIFY(m_view->findChildren<OpenProjectCard*>().isEmpty());

        QSignalSpy browse(m_view.get(), &ProjectLibraryView::browseRequested);
        auto* button = m_view->findChild<QPushButton*>(QStringLiteral("selectProjectFolderButton"));
        QCOMPARE(button->text(), QStringLiteral("Select Project Folder"));
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(browse.count(), 1);

        // The first project replaces the empty state.
        add(QStringLiteral("first"));
        QVERIFY(!m_view->findChild<QWidget*>(QStringLiteral("emptyState")));
        QCOMPARE(m_view->findChildren<ProjectCard*>().size(), 1);
    }

    void recentOrder_data()
    {
        QTest::addColumn<QStringList>("opened");
        QTest::addColumn<QStringList>("pinned");
        QTest::addColumn<QStringList>("cells");
        QTest::newRow("one project, two cells")
            << QStringList{QStringLiteral("solo")} << QStringList{}
            << QStringList{QStringLiteral("+"), QStringLiteral("solo")};
        QTest::newRow("pinned by name, then newest first")
            << QStringList{QStringLiteral("b"), QStringLiteral("zed"), QStringLiteral("old"),
                           QStringLiteral("new"), QStringLiteral("alpha")}
            << QStringList{QStringLiteral("zed"), QStringLiteral("alpha")}
            << QStringList{QStringLiteral("+"),   QStringLiteral("alpha"), QStringLiteral("zed"),
                           QStringLiteral("new"), QStringLiteral("old"),   QStringLiteral("b")};
    }

    void recentOrder()
    {
        QFETCH(QStringList, opened);
        QFETCH(QStringList, pinned);
        QFETCH(QStringList, cells);
        for (const QString& name : opened) {
            const RecentFolder folder = add(name);
            if (pinned.contains(name))
                m_store->togglePin(folder);
        }
        QVERIFY(recentGrid());
        QCOMPARE(cellNames(recentGrid()), cells);
        // The open-project card leads even after the list changes.
        add(QStringLiteral("latest"));
        QCOMPARE(cellName(recentGrid()->layout()->itemAt(0)->widget()), QStringLiteral("+"));
    }

    void clicks()
    {
        const RecentFolder folder = add(QStringLiteral("proj"));
        QSignalSpy browse(m_view.get(), &ProjectLibraryView::browseRequested);
        QSignalSpy open(m_view.get(), &ProjectLibraryView::openRequested);

        QTest::mouseClick(m_view->findChild<OpenProjectCard*>(), Qt::LeftButton);
        QCOMPARE(browse.count(), 1);
        QTest::mouseClick(card(QStringLiteral("proj")), Qt::LeftButton);
        QCOMPARE(open.count(), 1);
        QCOMPARE(open.at(0).at(0).value<RecentFolder>().id, folder.id);

        // Cards work from the keyboard too.
        ProjectCard* projectCard = card(QStringLiteral("proj"));
        projectCard->setFocus();
        QTest::keyClick(projectCard, Qt::Key_Return);
        QTest::keyClick(projectCard, Qt::Key_Space);
        QCOMPARE(open.count(), 3);
        QVERIFY(projectCard->focusPolicy() & Qt::TabFocus);
        QTest::keyClick(m_view->findChild<OpenProjectCard*>(), Qt::Key_Enter);
        QCOMPARE(browse.count(), 2);
    }

    void tagGroups()
    {
        tagged(QStringLiteral("s1"), QStringLiteral("Swift"));
        add(QStringLiteral("Coding/Robots/arm"));
        add(QStringLiteral("plain"));
        tagged(QStringLiteral("p1"), QStringLiteral("Python"));
        tagged(QStringLiteral("a1"), QStringLiteral("apps"));
        tagged(QStringLiteral("s2"), QStringLiteral("swift"));
        tagged(QStringLiteral("s3"), QStringLiteral("Swift"));

        QSignalSpy changed(m_view.get(), &ProjectLibraryView::sortModeChanged);
        QTest::mouseClick(m_view->findChild<QPushButton*>(QStringLiteral("Sort/Tags")),
                          Qt::LeftButton);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(m_view->sortMode(), ProjectSortMode::tags);

        QVERIFY(!recentGrid());
        QVERIFY(m_view->findChildren<OpenProjectCard*>().isEmpty());
        auto* groups = m_view->findChild<QWidget*>(QStringLiteral("tagGroups"));
        QVERIFY(groups);

        QStringList tags;
        QStringList titles;
        QStringList members;
        QList<bool> swatches;
        QLayout* column = groups->layout();
        for (int i = 0; i < column->count(); ++i) {
            QWidget* group = column->itemAt(i)->widget();
            tags << group->property("tag").toString();
            auto* title = group->findChild<QLabel*>(QStringLiteral("groupTitle"));
            titles << title->text();
            swatches << bool(group->findChild<QWidget*>(QStringLiteral("groupSwatch")));
            members
                << cellNames(group->findChild<QWidget*>(QStringLiteral("groupGrid"))).join(u',');
            const QColor expected = tags.constLast() == QStringLiteral("uncategorized")
                                        ? Theme::primaryText()
                                        : TagRules::keywordColor(tags.constLast());
            // The tag's colour, darkened or lightened until it reads on the window.
            QCOMPARE(title->palette().color(QPalette::WindowText), Theme::readable(expected));
        }
        QCOMPARE(tags, (QStringList{QStringLiteral("Python"), QStringLiteral("Robots"),
                                    QStringLiteral("Swift"), QStringLiteral("apps"),
                                    QStringLiteral("swift"), QStringLiteral("uncategorized")}));
        QCOMPARE(titles, (QStringList{QStringLiteral("Python"), QStringLiteral("Robots"),
                                      QStringLiteral("Swift"), QStringLiteral("Apps"),
                                      QStringLiteral("Swift"), QStringLiteral("Uncategorized")}));
        QCOMPARE(swatches, (QList<bool>{true, true, true, true, true, false}));
        // Each group keeps the list order: newest first.
        QCOMPARE(members.at(2), QStringLiteral("s3,s1"));
        QCOMPARE(members.at(5), QStringLiteral("plain"));

        // Back to "Recent": the grid returns with the open-project card.
        QTest::mouseClick(m_view->findChild<QPushButton*>(QStringLiteral("Sort/Recent")),
                          Qt::LeftButton);
        QCOMPARE(m_view->sortMode(), ProjectSortMode::recent);
        QCOMPARE(cellNames(recentGrid()).size(), 8);
    }

    void menuOperationsResortTheList()
    {
        wireToStore();
        add(QStringLiteral("beta"));
        add(QStringLiteral("alpha"));
        add(QStringLiteral("gamma"));
        QCOMPARE(cellNames(recentGrid()),
                 (QStringList{QStringLiteral("+"), QStringLiteral("gamma"), QStringLiteral("alpha"),
                              QStringLiteral("beta")}));

        // Pinning the oldest moves it to the front.
        std::unique_ptr<ProjectContextMenu> menu(
            m_view->createContextMenu(card(QStringLiteral("beta"))->folder()));
        QCOMPARE(menu->togglePinAction()->text(), QStringLiteral("&Pin"));
        menu->togglePinAction()->trigger();
        QCOMPARE(cellNames(recentGrid()),
                 (QStringList{QStringLiteral("+"), QStringLiteral("beta"), QStringLiteral("gamma"),
                              QStringLiteral("alpha")}));

        // A second pin takes its place by name; the menu now offers "Unpin" for the first.
        menu.reset(m_view->createContextMenu(card(QStringLiteral("alpha"))->folder()));
        menu->togglePinAction()->trigger();
        QCOMPARE(cellNames(recentGrid()),
                 (QStringList{QStringLiteral("+"), QStringLiteral("alpha"), QStringLiteral("beta"),
                              QStringLiteral("gamma")}));
        menu.reset(m_view->createContextMenu(card(QStringLiteral("beta"))->folder()));
        QCOMPARE(menu->togglePinAction()->text(), QStringLiteral("Un&pin"));
        menu->togglePinAction()->trigger();
        QCOMPARE(cellNames(recentGrid()),
                 (QStringList{QStringLiteral("+"), QStringLiteral("alpha"), QStringLiteral("gamma"),
                              QStringLiteral("beta")}));
        QVERIFY(!card(QStringLiteral("beta"))->folder().isPinned);

        // "Remove" takes the card away at once, without asking.
        menu.reset(m_view->createContextMenu(card(QStringLiteral("gamma"))->folder()));
        menu->removeAction()->trigger();
        QCOMPARE(cellNames(recentGrid()), (QStringList{QStringLiteral("+"), QStringLiteral("alpha"),
                                                       QStringLiteral("beta")}));
        QCOMPARE(m_store->recentFolders().size(), 2);

        // "Show in File Manager" reveals the folder; "Assign Tag..." asks for the sheet.
        QSignalSpy prompt(m_view.get(), &ProjectLibraryView::promptTagRequested);
        menu.reset(m_view->createContextMenu(card(QStringLiteral("beta"))->folder()));
        menu->showInFinderAction()->trigger();
        menu->assignTagAction()->trigger();
        QCOMPARE(m_fileManager.revealed,
                 QStringList{QDir(m_temp->dir.path()).filePath(QStringLiteral("beta"))});
        QCOMPARE(prompt.count(), 1);
        QCOMPARE(prompt.at(0).at(0).value<RecentFolder>().path,
                 card(QStringLiteral("beta"))->folder().path);
    }

    void contextMenuOnACard()
    {
        // The real menu of a card, popped up by a context-menu event: the card it belongs to is
        // replaced while the menu is still handling its action.
        wireToStore();
        add(QStringLiteral("keep"));
        add(QStringLiteral("drop"));
        ProjectCard* dropCard = card(QStringLiteral("drop"));
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(10, 10),
                                dropCard->mapToGlobal(QPoint(10, 10)));
        QApplication::sendEvent(dropCard, &event);
        auto* menu = qobject_cast<ProjectContextMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QCOMPARE(menu->folder().path, dropCard->folder().path);
        menu->removeAction()->trigger();
        menu->close();
        QCOMPARE(cellNames(recentGrid()),
                 (QStringList{QStringLiteral("+"), QStringLiteral("keep")}));
        QTRY_VERIFY(m_view->findChildren<ProjectContextMenu*>().isEmpty());
    }

    void focusFollowsTheProjectAcrossRebuilds()
    {
        wireToStore();
        add(QStringLiteral("one"));
        add(QStringLiteral("two"));
        m_view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
        card(QStringLiteral("one"))->setFocus();
        std::unique_ptr<ProjectContextMenu> menu(
            m_view->createContextMenu(card(QStringLiteral("one"))->folder()));
        menu->togglePinAction()->trigger();
        QCOMPARE(QApplication::focusWidget(), card(QStringLiteral("one")));
    }

    void badgeColours()
    {
        RecentFolder own = tagged(QStringLiteral("own"), QStringLiteral("robots"));
        m_store->applyTag(own, QStringLiteral("robots"), QStringLiteral("#FF0000"));
        RecentFolder unreadable = tagged(QStringLiteral("bad"), QStringLiteral("robots"));
        m_store->applyTag(unreadable, QStringLiteral("robots"), QStringLiteral("#12"));
        QCOMPARE(card(QStringLiteral("own"))->projectColor(), QColor(255, 0, 0));
        QCOMPARE(card(QStringLiteral("bad"))->projectColor(),
                 TagRules::keywordColor(QStringLiteral("robots")));

        // A custom tag of the same name (any case) colours the card without its own colour, at
        // once.
        m_tags->saveTag(QStringLiteral("Robots"), QStringLiteral("#00FF00"));
        QCOMPARE(card(QStringLiteral("bad"))->projectColor(), QColor(0, 255, 0));
        QCOMPARE(card(QStringLiteral("own"))->projectColor(), QColor(255, 0, 0));
        auto* badge = card(QStringLiteral("bad"))->findChild<QLabel*>(QStringLiteral("tagBadge"));
        QCOMPARE(badge->text(), QStringLiteral("#robots"));
    }
};

QTEST_MAIN(TestProjectLibraryView)
#include "tst_projectlibraryview.moc"

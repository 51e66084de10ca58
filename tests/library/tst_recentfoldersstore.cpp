#include "TempPreferences.h"
#include "library/RecentFoldersStore.h"
#include "model/PreferenceKeys.h"
#include "model/Preferences.h"
#include "platform/FileManager.h"
#include "platform/FolderBookmark.h"
#include "platform/Log.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScopeGuard>
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

// The real local service, counting the access brackets.
class CountingBookmarkService : public LocalBookmarkService {
public:
    bool beginAccess(const QString& path) override
    {
        ++begins;
        return LocalBookmarkService::beginAccess(path);
    }
    void endAccess(const QString& path) override
    {
        ++ends;
        LocalBookmarkService::endAccess(path);
    }
    int begins = 0;
    int ends = 0;
};

// A bookmark with a path and no identity: it resolves while the folder exists, always stale.
QByteArray handWrittenBookmark(const QString& path)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("path"), path}})
        .toJson(QJsonDocument::Compact);
}

RecentFolder record(const QString& path, double lastAccessed, bool pinned = false)
{
    RecentFolder folder;
    folder.id = QUuid::createUuid();
    folder.bookmarkData = handWrittenBookmark(path);
    folder.path = path;
    folder.isPinned = pinned;
    folder.lastAccessed = lastAccessed;
    return folder;
}

QStringList pathsOf(const QList<RecentFolder>& folders)
{
    QStringList paths;
    for (const RecentFolder& folder : folders)
        paths << folder.path;
    return paths;
}

QString resolvedPath(const std::optional<QByteArray>& bookmark)
{
    const auto resolved = LocalBookmarkService().resolve(bookmark.value_or(QByteArray()));
    return resolved && !resolved.value->isStale ? resolved.value->path : QString();
}

} // namespace

class TestRecentFoldersStore : public QObject {
    Q_OBJECT

    std::optional<TempPreferences> m_temp;
    std::unique_ptr<RecentFoldersStore> m_store;
    CountingBookmarkService m_bookmarks;
    FakeFileManager m_fileManager;
    QStringList m_log;
    Log::Sink m_previousSink;
    double m_now = 1000;

    RecentFoldersStore& store() { return *m_store; }

    QString folder(const QString& relative)
    {
        const QString path = QDir(m_temp->dir.path()).filePath(relative);
        QDir().mkpath(path);
        return path;
    }

    void seed(const QList<RecentFolder>& folders)
    {
        m_temp->preferences.setBytes(PreferenceKeys::recentFoldersJson,
                                     RecentFolderCodec::encode(folders));
        store().loadRecents();
    }

    // The list as a fresh reader of the preference file sees it.
    QList<RecentFolder> stored()
    {
        m_temp->preferences.flush();
        Preferences reader(m_temp->preferences.filePath(), Preferences::Access::ReadOnly);
        return RecentFolderCodec::decode(
                   reader.bytes(PreferenceKeys::recentFoldersJson).value_or(QByteArray()))
            .value_or(QList<RecentFolder>{});
    }

    QByteArray storedBytes() const
    {
        return m_temp->preferences.bytes(PreferenceKeys::recentFoldersJson).value_or(QByteArray());
    }

private Q_SLOTS:
    void init()
    {
        m_temp.emplace();
        m_store = std::make_unique<RecentFoldersStore>(m_temp->preferences);
        m_now = 1000;
        m_store->setClock([this] { return m_now++; });
        m_store->setPathPrefixes({});
        m_bookmarks.begins = m_bookmarks.ends = 0;
        BookmarkService::setCurrent(&m_bookmarks);
        m_fileManager.revealed.clear();
        FileManager::setCurrent(&m_fileManager);
        m_log.clear();
        m_previousSink = Log::setSink([this](const QString& line) { m_log << line; });
    }

    void cleanup()
    {
        Log::setSink(m_previousSink);
        FileManager::setCurrent(nullptr);
        BookmarkService::setCurrent(nullptr);
        m_store.reset();
        m_temp.reset();
    }

    void loading()
    {
        QSignalSpy changed(m_store.get(), &RecentFoldersStore::recentFoldersChanged);
        store().loadRecents();
        m_temp->preferences.setBytes(PreferenceKeys::recentFoldersJson, QByteArray());
        store().loadRecents();
        QVERIFY(store().recentFolders().isEmpty() && m_log.isEmpty() && changed.isEmpty());

        // Loading keeps the stored order, even one that is not recents order.
        seed({record(QStringLiteral("/old"), 1), record(QStringLiteral("/new"), 9)});
        QCOMPARE(pathsOf(store().recentFolders()),
                 (QStringList{QStringLiteral("/old"), QStringLiteral("/new")}));

        // Corrupt data: logged, list and stored bytes kept until the next save.
        const QByteArray corrupt("[{\"id\":\"x\"}");
        m_temp->preferences.setBytes(PreferenceKeys::recentFoldersJson, corrupt);
        store().loadRecents();
        QString error;
        QVERIFY(!RecentFolderCodec::decode(corrupt, &error));
        QCOMPARE(m_log, QStringList{QStringLiteral("Error loading recents: ") + error});
        QCOMPARE(store().recentFolders().size(), 2);
        QCOMPARE(storedBytes(), corrupt);
        store().togglePin(store().recentFolders().first());
        QCOMPARE(stored().size(), 2);
    }

    void unusableStoredListIsKeptBeforeTheNextSave_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("record without members") << QByteArray(R"({"base64": "W3siaWQiOiJ4In1d"})");
        QTest::newRow("text instead of bytes") << QByteArray(R"("[]")");
    }

    void unusableStoredListIsKeptBeforeTheNextSave()
    {
        QFETCH(QByteArray, value);
        const QByteArray original = "{\"recentFoldersJson\": " + value + "}";
        const QString path = m_temp->dir.filePath(QStringLiteral("unusable.json"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(original) == original.size());
        file.close();
        Preferences preferences(path);
        m_store = std::make_unique<RecentFoldersStore>(preferences);
        const auto forgetStore = qScopeGuard([this] { m_store.reset(); });

        QCOMPARE(store().restoreLastFolder(), ViewMode::projects);
        QVERIFY(store().addToRecents(folder(QStringLiteral("app"))));
        QVERIFY(preferences.flush());
        QFile kept(preferences.preservedCorruptFile());
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), original);
        QVERIFY(m_log.last().endsWith(kept.fileName()));
    }

    void addingAFolder()
    {
        seed({record(QStringLiteral("/a"), 5)});
        const QString app = folder(QStringLiteral("app"));
        QSignalSpy renewed(m_store.get(), &RecentFoldersStore::sidebarListIdChanged);
        const QUuid idBefore = store().sidebarListId();
        QVERIFY(store().addToRecents(app + u'/'));
        const RecentFolder added = stored().first();
        QCOMPARE(added.path, app);
        QVERIFY(!added.isPinned && !added.manualTag && !added.customColorHex);
        QVERIFY(!added.savedSelectedPaths && !added.savedExpandedPaths);
        QCOMPARE(added.lastAccessed, 1000.0);
        QCOMPARE(resolvedPath(added.bookmarkData), app);
        QCOMPARE(renewed.count(), 1);
        QVERIFY(store().sidebarListId() != idBefore);
        QVERIFY(!store().accessibleURL()); // opening is the main window's business

        // A folder that cannot be bookmarked changes nothing.
        const QByteArray bytesBefore = storedBytes();
        const QString missing = m_temp->dir.filePath(QStringLiteral("missing"));
        QVERIFY(!store().addToRecents(missing));
        QCOMPARE(m_log, QStringList{QStringLiteral("Failed to create bookmark for recents: ") +
                                    LocalBookmarkService().create(missing).error.description()});
        QCOMPARE(storedBytes(), bytesBefore);
        QCOMPARE(renewed.count(), 1);
    }

    void eviction_data()
    {
        QTest::addColumn<int>("pinned");       // the first `pinned` of the 20 records
        QTest::addColumn<bool>("equalTimes");  // all 20 opened at the same moment
        QTest::addColumn<bool>("reopenFirst"); // open the first record's folder again
        QTest::addColumn<QString>("evicted");  // empty: the new folder is not kept
        QTest::newRow("all unpinned: the oldest goes") << 0 << false << false << "r00";
        QTest::newRow("equal times: the earliest in the list goes") << 0 << true << false << "r00";
        QTest::newRow("20 pinned: the new one goes") << 20 << false << false << "";
        QTest::newRow("19 pinned: the unpinned one goes, however new")
            << 19 << false << false << "r19";
        QTest::newRow("reopening a pinned one at the limit: nothing goes")
            << 1 << false << true << "none";
    }

    void eviction()
    {
        QFETCH(int, pinned);
        QFETCH(bool, equalTimes);
        QFETCH(bool, reopenFirst);
        QFETCH(QString, evicted);
        QList<RecentFolder> seeded;
        for (int i = 0; i < 20; ++i) {
            const QString name = QStringLiteral("r%1").arg(i, 2, 10, QLatin1Char('0'));
            seeded << record(folder(name), equalTimes ? 7 : 100 + i, i < pinned);
        }
        seed(seeded);
        const QString opened = reopenFirst ? seeded.first().path : folder(QStringLiteral("new"));
        QVERIFY(store().addToRecents(opened));

        const QStringList paths = pathsOf(store().recentFolders());
        QCOMPARE(paths.size(), 20);
        QCOMPARE(paths.contains(opened), !evicted.isEmpty());
        if (evicted.size() == 3)
            QVERIFY(!paths.contains(QDir(m_temp->dir.path()).filePath(evicted)));
        if (!reopenFirst && pinned < 20)
            QCOMPARE(paths[pinned], opened); // first among the unpinned
        QCOMPARE(pathsOf(stored()), paths);
    }

    void refreshingByPathText_data()
    {
        QTest::addColumn<QString>("diskName");
        QTest::addColumn<QString>("storedName");
        QTest::addColumn<bool>("refreshed");
        QTest::newRow("same text") << "app"
                                   << "app" << true;
        QTest::newRow("canonically equivalent")
            << QString::fromUtf16(u"Caf\u00E9") << QString::fromUtf16(u"Cafe\u0301") << true;
        QTest::newRow("case differs") << "App"
                                      << "app" << false;
    }

    void refreshingByPathText()
    {
        QFETCH(QString, diskName);
        QFETCH(QString, storedName);
        QFETCH(bool, refreshed);
        RecentFolder existing = record(QDir(m_temp->dir.path()).filePath(storedName), 5, true);
        existing.bookmarkData = "old";
        existing.manualTag = QStringLiteral("Robots");
        existing.customColorHex = QStringLiteral("#00FF00");
        existing.savedSelectedPaths = QSet<QString>{QStringLiteral("/x")};
        existing.savedExpandedPaths = QSet<QString>{};
        seed({record(QStringLiteral("/other"), 50), existing});

        QVERIFY(store().addToRecents(folder(diskName)));
        QCOMPARE(store().recentFolders().size(), refreshed ? 2 : 3);
        const RecentFolder& first = store().recentFolders().first(); // pinned first
        QCOMPARE(first.id, existing.id);
        QCOMPARE(first.lastAccessed, refreshed ? 1000.0 : 5.0);
        QCOMPARE(first.bookmarkData != "old", refreshed);
        QVERIFY(first.isPinned);
        QCOMPARE(first.path, existing.path);
        QCOMPARE(first.manualTag, existing.manualTag);
        QCOMPARE(first.customColorHex, existing.customColorHex);
        QCOMPARE(first.savedSelectedPaths, existing.savedSelectedPaths);
        QCOMPARE(first.savedExpandedPaths, existing.savedExpandedPaths);
    }

    void everySaveKeepsRecentsOrder()
    {
        seed({record(QStringLiteral("/u/old"), 10),
              record(QStringLiteral("/p/project 10"), 1, true),
              record(QStringLiteral("/u/new"), 30), record(QStringLiteral("/p/Project 2"), 2, true),
              record(QStringLiteral("/p/alpha"), 3, true), record(QStringLiteral("/u/mid"), 20)});
        const QStringList expected{QStringLiteral("/p/alpha"),      QStringLiteral("/p/Project 2"),
                                   QStringLiteral("/p/project 10"), QStringLiteral("/u/new"),
                                   QStringLiteral("/u/mid"),        QStringLiteral("/u/old")};
        store().saveRecents();
        QCOMPARE(pathsOf(store().recentFolders()), expected);
        QCOMPARE(pathsOf(stored()), expected);

        // Pinning moves a record to its name's place; unpinning back by its time.
        const RecentFolder mid = store().recentFolders()[4];
        store().togglePin(mid);
        QCOMPARE(pathsOf(stored()),
                 (QStringList{QStringLiteral("/p/alpha"), QStringLiteral("/u/mid"),
                              QStringLiteral("/p/Project 2"), QStringLiteral("/p/project 10"),
                              QStringLiteral("/u/new"), QStringLiteral("/u/old")}));
        store().togglePin(mid);
        QCOMPARE(pathsOf(stored()), expected);
    }

    void pinRemoveAndTag()
    {
        const QString open = folder(QStringLiteral("open"));
        const RecentFolder twin = record(open, 4);
        seed({record(QStringLiteral("/a"), 9), twin, record(QStringLiteral("/b"), 3), twin});
        store().setOpenFolder(open);
        QSignalSpy renewed(m_store.get(), &RecentFoldersStore::sidebarListIdChanged);
        QSignalSpy changed(m_store.get(), &RecentFoldersStore::recentFoldersChanged);

        // Records that are not in the list change nothing.
        const RecentFolder stranger = record(QStringLiteral("/a"), 9);
        store().togglePin(stranger);
        store().applyTag(stranger, QStringLiteral("x"), std::nullopt);
        QVERIFY(renewed.isEmpty() && changed.isEmpty());

        const RecentFolder a = store().recentFolders().first();
        store().applyTag(a, QStringLiteral("Robots"), QStringLiteral("#00FF00"));
        QCOMPARE(stored().first().manualTag, std::optional<QString>(QStringLiteral("Robots")));
        QCOMPARE(stored().first().customColorHex,
                 std::optional<QString>(QStringLiteral("#00FF00")));
        store().applyTag(a, QString(), std::nullopt);
        QVERIFY(!stored().first().manualTag && !stored().first().customColorHex);

        // Every record with the id goes; the open folder stays open.
        store().removeRecent(twin);
        QCOMPARE(pathsOf(stored()), (QStringList{QStringLiteral("/a"), QStringLiteral("/b")}));
        QCOMPARE(store().accessibleURL(), std::optional<QString>(open));
        QVERIFY(!store().recordForOpenFolder());
        QCOMPARE(renewed.count(), 3);
    }

    void openingARecord()
    {
        const QString app = folder(QStringLiteral("fresh"));
        QVERIFY(store().addToRecents(app)); // time 1000, fresh bookmark
        seed({record(QStringLiteral("/older"), 500), store().recentFolders().first()});
        QSignalSpy renewed(m_store.get(), &RecentFoldersStore::sidebarListIdChanged);
        QSignalSpy opened(m_store.get(), &RecentFoldersStore::openFolderChanged);
        const RecentFolder target = store().recentFolders()[1];
        QVERIFY(store().openRecent(target));
        QCOMPARE(stored().first().id, target.id);
        QCOMPARE(stored().first().lastAccessed, 1001.0);
        QCOMPARE(stored().first().bookmarkData, target.bookmarkData);
        QCOMPARE(store().accessibleURL(), std::optional<QString>(app));
        QCOMPARE(store().folderPath(), app);
        QCOMPARE(opened.count(), 1);
        QVERIFY(renewed.isEmpty());
        QVERIFY(store().isOpenFolder(store().recentFolders().first()));
        QVERIFY(!store().isOpenFolder(store().recentFolders()[1]));
        QCOMPARE(m_bookmarks.begins, 0); // access is the engine's business
    }

    void openingAStaleRecordRenewsItsBookmark()
    {
        const QString stale = folder(QStringLiteral("stale"));
        const QString moved = folder(QStringLiteral("moved"));
        RecentFolder elsewhere = record(QStringLiteral("/was/here"), 6);
        elsewhere.bookmarkData = handWrittenBookmark(moved);
        seed({record(stale, 5), elsewhere});
        QSignalSpy renewed(m_store.get(), &RecentFoldersStore::sidebarListIdChanged);

        QVERIFY(store().openRecent(store().recentFolders().first()));
        QCOMPARE(resolvedPath(stored().first().bookmarkData), stale);
        QCOMPARE(stored().size(), 2);
        QCOMPARE(renewed.count(), 1);

        // The folder's path text changed: a new record, the old one stays.
        QVERIFY(store().openRecent(elsewhere));
        QCOMPARE(pathsOf(store().recentFolders()),
                 (QStringList{moved, stale, QStringLiteral("/was/here")}));
        QCOMPARE(store().folderPath(), moved);
    }

    void openingAnUnresolvableRecordChangesNothing()
    {
        const QString open = folder(QStringLiteral("open"));
        const QString gone = folder(QStringLiteral("gone"));
        seed({record(gone, 5)});
        QVERIFY(QDir(gone).removeRecursively());
        store().setOpenFolder(open);
        const QByteArray bytesBefore = storedBytes();
        const RecentFolder target = store().recentFolders().first();
        QVERIFY(!store().openRecent(target));
        QCOMPARE(
            m_log,
            QStringList{QStringLiteral("Could not resolve recent bookmark: ") +
                        LocalBookmarkService().resolve(target.bookmarkData).error.description()});
        QCOMPARE(storedBytes(), bytesBefore);
        QCOMPARE(store().accessibleURL(), std::optional<QString>(open));
    }

    void savingTreeState()
    {
        const QString tree = folder(QStringLiteral("tree"));
        seed({record(tree, 5), record(QStringLiteral("/other"), 6)});
        QSignalSpy renewed(m_store.get(), &RecentFoldersStore::sidebarListIdChanged);
        QSignalSpy written(&m_temp->preferences, &Preferences::changed);
        store().saveFolderState({QStringLiteral("/s")}, {}); // no folder open
        QVERIFY(written.isEmpty());

        store().setOpenFolder(tree + u'/');
        store().saveFolderState({QStringLiteral("/s")}, {});
        const RecentFolder saved = *store().recordForOpenFolder();
        QCOMPARE(saved.savedSelectedPaths, std::optional(QSet<QString>{QStringLiteral("/s")}));
        QCOMPARE(saved.savedExpandedPaths, std::optional(QSet<QString>{}));
        QCOMPARE(saved.lastAccessed, 5.0);
        QCOMPARE(stored().last().savedSelectedPaths, saved.savedSelectedPaths);
        QVERIFY(renewed.isEmpty());

        // The open folder's record was removed: nothing is saved.
        store().removeRecent(saved);
        written.clear();
        QSignalSpy changed(m_store.get(), &RecentFoldersStore::recentFoldersChanged);
        store().saveFolderState({QStringLiteral("/t")}, {QStringLiteral("/e")});
        QVERIFY(written.isEmpty() && changed.isEmpty());
    }

    void startBookmark()
    {
        const QString open = folder(QStringLiteral("open"));
        const QString reported = folder(QStringLiteral("reported"));
        store().recordGeneration(std::nullopt); // nothing open, nothing reported
        QVERIFY(!store().lastFolderBookmark());
        store().setOpenFolder(open);
        store().recordGeneration(reported);
        QCOMPARE(resolvedPath(store().lastFolderBookmark()), reported);
        store().recordGeneration(std::nullopt);
        QCOMPARE(resolvedPath(store().lastFolderBookmark()), open);
        QCOMPARE(m_bookmarks.begins, 2);
        QCOMPARE(m_bookmarks.ends, 2);

        const QString missing = m_temp->dir.filePath(QStringLiteral("missing"));
        QVERIFY(!store().saveLastFolderBookmark(missing));
        QCOMPARE(m_log, QStringList{QStringLiteral("Error creating bookmark: ") +
                                    LocalBookmarkService().create(missing).error.description()});
        QCOMPARE(resolvedPath(store().lastFolderBookmark()), open);
        QCOMPARE(m_bookmarks.ends, 3);
    }

    void restoringAtStart_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("opens");
        QTest::newRow("nothing stored") << "none" << false;
        QTest::newRow("fresh bookmark") << "fresh" << true;
        QTest::newRow("stale bookmark is renewed") << "stale" << true;
        QTest::newRow("folder gone") << "gone" << false;
        QTest::newRow("not a bookmark") << "junk" << false;
        QTest::newRow("empty bytes") << "empty" << false;
    }

    void restoringAtStart()
    {
        QFETCH(QString, kind);
        QFETCH(bool, opens);
        const QString start = folder(QStringLiteral("start"));
        seed({record(start, 5)});
        QByteArray bookmark;
        if (kind == u"fresh")
            bookmark = *LocalBookmarkService().create(start).value;
        else if (kind == u"stale")
            bookmark = handWrittenBookmark(start);
        else if (kind == u"gone")
            bookmark = handWrittenBookmark(m_temp->dir.filePath(QStringLiteral("gone")));
        else if (kind == u"junk")
            bookmark = "junk";
        if (kind != u"none")
            m_temp->preferences.setBytes(PreferenceKeys::lastFolderBookmark, bookmark);

        RecentFoldersStore fresh(m_temp->preferences);
        fresh.setPathPrefixes({});
        QCOMPARE(fresh.restoreLastFolder(), opens ? ViewMode::plexor : ViewMode::projects);
        QCOMPARE(pathsOf(fresh.recentFolders()), QStringList{start});
        QCOMPARE(fresh.recentFolders().first().lastAccessed, 5.0); // not refreshed
        if (opens) {
            QCOMPARE(fresh.accessibleURL(), std::optional<QString>(start));
            QCOMPARE(fresh.folderPath(), start);
            QCOMPARE(resolvedPath(fresh.lastFolderBookmark()), start);
            QVERIFY(m_log.isEmpty());
        } else {
            QVERIFY(!fresh.accessibleURL());
            QVERIFY(!m_temp->preferences.contains(QStringLiteral("lastFolderBookmark")));
            const QStringList expectedLog{
                QStringLiteral("Error resolving startup bookmark: ") +
                LocalBookmarkService().resolve(bookmark).error.localizedDescription};
            QCOMPARE(m_log, kind == u"none" ? QStringList() : expectedLog);
        }
    }

    void showInFinder()
    {
        const QString shown = folder(QStringLiteral("shown"));
        QVERIFY(store().showInFinder(record(shown, 5))); // stale, which does not matter here
        QCOMPARE(m_fileManager.revealed, QStringList{shown});
        QCOMPARE(m_bookmarks.begins, 0);

        RecentFolder broken = record(shown, 5);
        broken.bookmarkData = "nope";
        QVERIFY(!store().showInFinder(broken));
        QCOMPARE(m_fileManager.revealed.size(), 1);
        QCOMPARE(m_log,
                 QStringList{QStringLiteral("Could not resolve bookmark to show in Finder: ") +
                             LocalBookmarkService().resolve("nope").error.description()});
    }

    void shortenedPaths_data()
    {
        QTest::addColumn<QString>("longPrefix");
        QTest::addColumn<QString>("shortPrefix");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        const QString longP = QStringLiteral("/d/My Drive/Projects/Coding/");
        const QString shortP = QStringLiteral("/d/My Drive/");
        QTest::newRow("long prefix") << longP << shortP << "/d/My Drive/Projects/Coding/Robots/arm"
                                     << ".../Robots/arm";
        QTest::newRow("short prefix") << longP << shortP << "/d/My Drive/Projects/Coding"
                                      << ".../Projects/Coding";
        QTest::newRow("elsewhere, trailing slash") << longP << shortP << "/home/a/app/"
                                                   << "/home/a/app";
        QTest::newRow("case matters") << longP << shortP << "/d/my drive/x"
                                      << "/d/my drive/x";
        QTest::newRow("no folder") << longP << shortP << ""
                                   << "";
        QTest::newRow("prefixes unset") << ""
                                        << ""
                                        << "/d/My Drive/x"
                                        << "/d/My Drive/x";
        QTest::newRow("prefix without its slash") << ""
                                                  << "/d/Drive"
                                                  << "/d/Drive/x"
                                                  << ".../x";
        QTest::newRow("prefix without its slash claims no sibling") << ""
                                                                    << "/d/Drive"
                                                                    << "/d/Drive2/x"
                                                                    << "/d/Drive2/x";
        QTest::newRow("canonically equivalent prefix")
            << "" << QString::fromUtf16(u"/d/Caf\u00E9/") << QString::fromUtf16(u"/d/Cafe\u0301/x")
            << ".../x";
    }

    void shortenedPaths()
    {
        QFETCH(QString, longPrefix);
        QFETCH(QString, shortPrefix);
        QFETCH(QString, path);
        QFETCH(QString, expected);
        store().setPathPrefixes({longPrefix, shortPrefix});
        QCOMPARE(store().shortenedPath(path), expected);
    }

    void shortenedPathsAreWhatIsRememberedAndShown()
    {
        const QString drive = folder(QStringLiteral("drive"));
        const QString arm = folder(QStringLiteral("drive/Projects/Coding/Robots/arm"));
        store().setPathPrefixes({drive + QStringLiteral("/Projects/Coding/"), drive + u'/'});
        QVERIFY(store().addToRecents(arm));
        QCOMPARE(stored().first().path, QStringLiteral(".../Robots/arm"));
        store().setOpenFolder(arm);
        QCOMPARE(store().folderPath(), QStringLiteral(".../Robots/arm"));
        QCOMPARE(store().recordForOpenFolder()->id, stored().first().id);
    }
};

QTEST_GUILESS_MAIN(TestRecentFoldersStore)
#include "tst_recentfoldersstore.moc"

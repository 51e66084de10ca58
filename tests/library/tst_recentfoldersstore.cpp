#include "library/RecentFoldersStore.h"
#include "model/PreferenceKeys.h"
#include "model/Preferences.h"
#include "platform/FileManager.h"
#include "platform/FolderBookmark.h"
#include "platform/Log.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

class FakeFileManager : public FileManager {
public:
    void revealFolder(const QString& folderPath) override { revealed << folderPath; }
    QStringList revealed;
};

// The local service, counting the access brackets.
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

} // namespace

class TestRecentFoldersStore : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Preferences> m_preferences;
    std::unique_ptr<RecentFoldersStore> m_store;
    CountingBookmarkService m_bookmarks;
    FakeFileManager m_fileManager;
    QStringList m_log;
    Log::Sink m_previousSink;
    double m_now = 1000;

    RecentFoldersStore& store() { return *m_store; }

    QString makeFolder(const QString& relative)
    {
        const QString path = QDir(m_dir->path()).filePath(relative);
        [&] { QVERIFY(QDir().mkpath(path)); }();
        return path;
    }

    void seed(const QList<RecentFolder>& folders)
    {
        m_preferences->setBytes(PreferenceKeys::recentFoldersJson,
                                RecentFolderCodec::encode(folders));
        store().loadRecents();
    }

    // The list as a fresh reader of the preference file sees it.
    QList<RecentFolder> stored() const
    {
        Preferences reader(m_preferences->filePath(), Preferences::Access::ReadOnly);
        const auto bytes = reader.bytes(PreferenceKeys::recentFoldersJson);
        if (!bytes)
            return {};
        return RecentFolderCodec::decode(*bytes).value_or(QList<RecentFolder>{});
    }

    QString descriptionOf(const QByteArray& bookmark)
    {
        return LocalBookmarkService().resolve(bookmark).error.description();
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_preferences =
            std::make_unique<Preferences>(m_dir->filePath(QStringLiteral("CodePlexor.json")));
        m_store = std::make_unique<RecentFoldersStore>(*m_preferences);
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
        m_preferences.reset();
        m_dir.reset();
    }

    // --- Loading -----------------------------------------------------------------------------

    void emptyStoreLoadsNothingAndLogsNothing()
    {
        QSignalSpy changed(m_store.get(), &RecentFoldersStore::recentFoldersChanged);
        store().loadRecents();
        m_preferences->setBytes(PreferenceKeys::recentFoldersJson, QByteArray());
        store().loadRecents();
        QVERIFY(store().recentFolders().isEmpty());
        QVERIFY(m_log.isEmpty());
        QCOMPARE(changed.count(), 0);
    }

    void corruptRecentsAreLoggedAndTheListKept()
    {
        const QList<RecentFolder> before{record(QStringLiteral("/a"), 5)};
        seed(before);
        const QByteArray corrupt("[{\"id\":\"x\"}");
        m_preferences->setBytes(PreferenceKeys::recentFoldersJson, corrupt);
        store().loadRecents();
        QCOMPARE(m_log.size(), 1);
        QString error;
        QVERIFY(!RecentFolderCodec::decode(corrupt, &error));
        QCOMPARE(m_log.first(), QStringLiteral("Error loading recents: ") + error);
        QCOMPARE(pathsOf(store().recentFolders()), pathsOf(before));
        // The stored bytes stay until the next save replaces them.
        QCOMPARE(m_preferences->bytes(PreferenceKeys::recentFoldersJson),
                 std::optional<QByteArray>(corrupt));
        store().togglePin(store().recentFolders().first());
        QCOMPARE(stored().size(), 1);
        QVERIFY(stored().first().isPinned);
    }

    void loadKeepsTheStoredOrder()
    {
        // Not in recents order on purpose: loading does not sort.
        seed({record(QStringLiteral("/old"), 1), record(QStringLiteral("/new"), 9)});
        QCOMPARE(pathsOf(store().recentFolders()),
                 (QStringList{QStringLiteral("/old"), QStringLiteral("/new")}));
    }

    // --- Adding and the limit ----------------------------------------------------------------

    void addingANewFolderPutsItFirst()
    {
        const QString folder = makeFolder(QStringLiteral("app"));
        QSignalSpy renewed(m_store.get(), &RecentFoldersStore::sidebarListIdChanged);
        const QUuid idBefore = store().sidebarListId();
        QVERIFY(store().addToRecents(folder + QStringLiteral("/")));
        QCOMPARE(store().recentFolders().size(), 1);
        const RecentFolder& added = store().recentFolders().first();
        QCOMPARE(added.path, folder);
        QVERIFY(!added.isPinned);
        QCOMPARE(added.lastAccessed, 1000.0);
        QVERIFY(!added.savedSelectedPaths && !added.savedExpandedPaths && !added.manualTag &&
                !added.customColorHex);
        const auto resolved = LocalBookmarkService().resolve(added.bookmarkData);
        QVERIFY(resolved && !resolved.value->isStale);
        QCOMPARE(stored().first().id, added.id);
        QCOMPARE(renewed.count(), 1);
        QVERIFY(store().sidebarListId() != idBefore);
        // Adding does not open the folder: the main window does that.
        QVERIFY(!store().accessibleURL());
    }

    void addingAFolderThatCannotBeBookmarkedChangesNothing()
    {
        seed({record(QStringLiteral("/a"), 5)});
        const QByteArray bytesBefore = *m_preferences->bytes(PreferenceKeys::recentFoldersJson);
        QSignalSpy renewed(m_store.get(), &RecentFoldersStore::sidebarListIdChanged);
        const QString missing = m_dir->filePath(QStringLiteral("missing"));
        QVERIFY(!store().addToRecents(missing));
        QCOMPARE(m_log, QStringList{QStringLiteral("Failed to create bookmark for recents: ") +
                                    LocalBookmarkService().create(missing).error.description()});
        QCOMPARE(store().recentFolders().size(), 1);
        QCOMPARE(*m_preferences->bytes(PreferenceKeys::recentFoldersJson), bytesBefore);
        QCOMPARE(renewed.count(), 0);
    }

    void eviction_data()
    {
        QTest::addColumn<int>("pinned");
        QTest::addColumn<bool>("newKept");
        QTest::addColumn<QString>("evicted");
        QTest::newRow("all unpinned: the oldest goes") << 0 << true << QStringLiteral("/r00");
        QTest::newRow("20 pinned: the new one goes") << 20 << false << QString();
        QTest::newRow("19 pinned: the one unpinned goes, however new")
            << 19 << true << QStringLiteral("/r19");
    }

    void eviction()
    {
        QFETCH(int, pinned);
        QFETCH(bool, newKept);
        QFETCH(QString, evicted);
        // /r00 is the oldest; the unpinned records are the last ones, and with 19 pinned the
        // only unpinned one is the newest of all.
        QList<RecentFolder> seeded;
        for (int i = 0; i < 20; ++i)
            seeded << record(QStringLiteral("/r%1").arg(i, 2, 10, QLatin1Char('0')), 100 + i,
                             i < pinned);
        seed(seeded);
        const QString folder = makeFolder(QStringLiteral("new"));
        QVERIFY(store().addToRecents(folder));

        const QStringList paths = pathsOf(store().recentFolders());
        QCOMPARE(paths.size(), 20);
        QCOMPARE(paths.contains(folder), newKept);
        if (!evicted.isEmpty())
            QVERIFY(!paths.contains(evicted));
        if (newKept && pinned < 20)
            QCOMPARE(paths[pinned], folder); // first among the unpinned
        QCOMPARE(pathsOf(stored()), paths);
    }

    void evictionAmongEqualTimesTakesTheEarliestInTheList()
    {
        QList<RecentFolder> seeded;
        for (int i = 0; i < 20; ++i)
            seeded << record(QStringLiteral("/r%1").arg(i), 7);
        seed(seeded);
        QVERIFY(store().addToRecents(makeFolder(QStringLiteral("n"))));
        QCOMPARE(store().recentFolders().size(), 20);
        QVERIFY(!pathsOf(store().recentFolders()).contains(QStringLiteral("/r0")));
        QVERIFY(pathsOf(store().recentFolders()).contains(QStringLiteral("/r19")));
    }

    void refreshingAPinnedRecordAtTheLimitRemovesNothing()
    {
        const QString folder = makeFolder(QStringLiteral("pinned"));
        QList<RecentFolder> seeded{record(folder, 1, true)};
        for (int i = 1; i < 20; ++i)
            seeded << record(QStringLiteral("/r%1").arg(i), 100 + i);
        seed(seeded);
        QVERIFY(store().addToRecents(folder));
        QCOMPARE(store().recentFolders().size(), 20);
    }

    void refreshByPathTextKeepsPinTagAndState_data()
    {
        QTest::addColumn<QString>("diskName");
        QTest::addColumn<QString>("storedName");
        QTest::newRow("same text") << QStringLiteral("app") << QStringLiteral("app");
        // The same name in two Unicode spellings: composed on disk, decomposed in the record.
        QTest::newRow("canonically equivalent")
            << QString::fromUtf16(u"Caf\u00E9") << QString::fromUtf16(u"Cafe\u0301");
    }

    void refreshByPathTextKeepsPinTagAndState()
    {
        QFETCH(QString, diskName);
        QFETCH(QString, storedName);
        const QString folder = makeFolder(diskName);
        RecentFolder existing = record(QDir(m_dir->path()).filePath(storedName), 5, true);
        existing.bookmarkData = "old";
        existing.manualTag = QStringLiteral("Robots");
        existing.customColorHex = QStringLiteral("#00FF00");
        existing.savedSelectedPaths = QSet<QString>{QStringLiteral("/x")};
        existing.savedExpandedPaths = QSet<QString>{};
        seed({record(QStringLiteral("/other"), 50), existing});

        QVERIFY(store().addToRecents(folder));
        QCOMPARE(store().recentFolders().size(), 2);
        const RecentFolder& refreshed = store().recentFolders().first(); // pinned first
        QCOMPARE(refreshed.id, existing.id);
        QCOMPARE(refreshed.path, existing.path);
        QVERIFY(refreshed.isPinned);
        QCOMPARE(refreshed.lastAccessed, 1000.0);
        QVERIFY(refreshed.bookmarkData != "old");
        QCOMPARE(refreshed.manualTag, existing.manualTag);
        QCOMPARE(refreshed.customColorHex, existing.customColorHex);
        QCOMPARE(refreshed.savedSelectedPaths, existing.savedSelectedPaths);
        QCOMPARE(refreshed.savedExpandedPaths, existing.savedExpandedPaths);
    }

    void pathsMatchCaseSensitively()
    {
        const QString folder = makeFolder(QStringLiteral("App"));
        seed({record(QDir(m_dir->path()).filePath(QStringLiteral("app")), 5)});
        QVERIFY(store().addToRecents(folder));
        QCOMPARE(store().recentFolders().size(), 2);
    }

    // --- Order -------------------------------------------------------------------------------

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
        QCOMPARE(pathsOf(store().recentFolders()),
                 (QStringList{QStringLiteral("/p/alpha"), QStringLiteral("/u/mid"),
                              QStringLiteral("/p/Project 2"), QStringLiteral("/p/project 10"),
                              QStringLiteral("/u/new"), QStringLiteral("/u/old")}));
        store().togglePin(mid);
        QCOMPARE(pathsOf(store().recentFolders()), expected);
        QCOMPARE(pathsOf(stored()), expected);
    }

    void pinnedRecordsWithEqualNamesKeepTheirOrder()
    {
        seed({record(QStringLiteral("/b/App"), 1, true), record(QStringLiteral("/a/app"), 2, true),
              record(QStringLiteral("/c/APP/"), 3, true)});
        store().saveRecents();
        QCOMPARE(pathsOf(store().recentFolders()),
                 (QStringList{QStringLiteral("/b/App"), QStringLiteral("/a/app"),
                              QStringLiteral("/c/APP/")}));
    }

    // --- Pin, remove, tag --------------------------------------------------------------------

    void unknownRecordsChangeNothing()
    {
        seed({record(QStringLiteral("/a"), 5)});
        QSignalSpy renewed(m_store.get(), &RecentFoldersStore::sidebarListIdChanged);
        QSignalSpy changed(m_store.get(), &RecentFoldersStore::recentFoldersChanged);
        const RecentFolder stranger = record(QStringLiteral("/a"), 5);
        store().togglePin(stranger);
        store().applyTag(stranger, QStringLiteral("x"), std::nullopt);
        QCOMPARE(renewed.count(), 0);
        QCOMPARE(changed.count(), 0);
        QVERIFY(!store().recentFolders().first().isPinned);
        QVERIFY(!store().recentFolders().first().manualTag);
    }

    void removeTakesEveryRecordWithTheIdAndKeepsTheOpenFolder()
    {
        const QString folder = makeFolder(QStringLiteral("open"));
        RecentFolder twin = record(folder, 4);
        seed({record(QStringLiteral("/a"), 9), twin, record(QStringLiteral("/b"), 3), twin});
        store().setOpenFolder(folder);
        QVERIFY(store().saveLastFolderBookmark(folder));
        QSignalSpy renewed(m_store.get(), &RecentFoldersStore::sidebarListIdChanged);
        store().removeRecent(twin);
        QCOMPARE(pathsOf(store().recentFolders()),
                 (QStringList{QStringLiteral("/a"), QStringLiteral("/b")}));
        QCOMPARE(pathsOf(stored()), pathsOf(store().recentFolders()));
        QCOMPARE(renewed.count(), 1);
        QCOMPARE(store().accessibleURL(), std::optional<QString>(folder));
        QCOMPARE(store().folderPath(), folder);
        QVERIFY(store().lastFolderBookmark());
        QVERIFY(!store().recordForOpenFolder());
    }

    void applyTagSetsAndClears()
    {
        seed({record(QStringLiteral("/a"), 5)});
        const RecentFolder folder = store().recentFolders().first();
        QSignalSpy renewed(m_store.get(), &RecentFoldersStore::sidebarListIdChanged);
        store().applyTag(folder, QStringLiteral("Robots"), QStringLiteral("#00FF00"));
        QCOMPARE(stored().first().manualTag, std::optional<QString>(QStringLiteral("Robots")));
        QCOMPARE(stored().first().customColorHex,
                 std::optional<QString>(QStringLiteral("#00FF00")));
        store().applyTag(folder, QStringLiteral("Swift"), std::nullopt);
        QCOMPARE(stored().first().manualTag, std::optional<QString>(QStringLiteral("Swift")));
        QCOMPARE(stored().first().customColorHex, std::nullopt);
        store().applyTag(folder, QString(), QStringLiteral("not a colour"));
        QCOMPARE(stored().first().manualTag, std::nullopt);
        QCOMPARE(stored().first().customColorHex,
                 std::optional<QString>(QStringLiteral("not a colour")));
        QCOMPARE(renewed.count(), 3);
    }

    // --- Open --------------------------------------------------------------------------------

    void openingAFreshBookmarkRefreshesTheTime()
    {
        const QString folder = makeFolder(QStringLiteral("fresh"));
        QVERIFY(store().addToRecents(folder)); // time 1000
        seed({record(QStringLiteral("/older"), 500), store().recentFolders().first()});
        QSignalSpy renewed(m_store.get(), &RecentFoldersStore::sidebarListIdChanged);
        QSignalSpy opened(m_store.get(), &RecentFoldersStore::openFolderChanged);
        const QByteArray bookmark = store().recentFolders()[1].bookmarkData;
        QVERIFY(store().openRecent(store().recentFolders()[1]));
        QCOMPARE(store().recentFolders().first().path, folder);
        QCOMPARE(store().recentFolders().first().lastAccessed, 1001.0);
        QCOMPARE(store().recentFolders().first().bookmarkData, bookmark);
        QCOMPARE(stored().first().path, folder);
        QCOMPARE(store().accessibleURL(), std::optional<QString>(folder));
        QCOMPARE(store().folderPath(), folder);
        QCOMPARE(opened.count(), 1);
        QCOMPARE(renewed.count(), 0);
        QCOMPARE(store().recordForOpenFolder()->path, folder);
        QVERIFY(store().isOpenFolder(store().recentFolders().first()));
        QVERIFY(!store().isOpenFolder(store().recentFolders()[1]));
    }

    void openingAStaleBookmarkRenewsIt()
    {
        const QString folder = makeFolder(QStringLiteral("stale"));
        seed({record(folder, 5)}); // hand-written bookmark: stale
        QSignalSpy renewed(m_store.get(), &RecentFoldersStore::sidebarListIdChanged);
        QVERIFY(store().openRecent(store().recentFolders().first()));
        QCOMPARE(store().recentFolders().size(), 1);
        const auto resolved = LocalBookmarkService().resolve(stored().first().bookmarkData);
        QVERIFY(resolved && !resolved.value->isStale);
        QCOMPARE(stored().first().lastAccessed, 1000.0);
        QCOMPARE(renewed.count(), 1);
        QCOMPARE(store().accessibleURL(), std::optional<QString>(folder));
    }

    void openingAStaleBookmarkOfAMovedFolderAddsARecord()
    {
        const QString moved = makeFolder(QStringLiteral("moved"));
        RecentFolder old = record(QStringLiteral("/was/here"), 5);
        old.bookmarkData = handWrittenBookmark(moved);
        seed({old});
        QVERIFY(store().openRecent(old));
        QCOMPARE(pathsOf(store().recentFolders()),
                 (QStringList{moved, QStringLiteral("/was/here")}));
        QCOMPARE(store().folderPath(), moved);
    }

    void openingAnUnresolvableBookmarkChangesNothing()
    {
        const QString open = makeFolder(QStringLiteral("open"));
        const QString gone = makeFolder(QStringLiteral("gone"));
        seed({record(gone, 5)});
        QVERIFY(QDir(gone).removeRecursively());
        store().setOpenFolder(open);
        const QByteArray bytesBefore = *m_preferences->bytes(PreferenceKeys::recentFoldersJson);
        const RecentFolder folder = store().recentFolders().first();
        QVERIFY(!store().openRecent(folder));
        QCOMPARE(m_log, QStringList{QStringLiteral("Could not resolve recent bookmark: ") +
                                    descriptionOf(folder.bookmarkData)});
        QCOMPARE(store().recentFolders().first().lastAccessed, 5.0);
        QCOMPARE(*m_preferences->bytes(PreferenceKeys::recentFoldersJson), bytesBefore);
        QCOMPARE(store().accessibleURL(), std::optional<QString>(open));
        QCOMPARE(m_bookmarks.begins, 0);
    }

    // --- Tree state --------------------------------------------------------------------------

    void savingTreeState()
    {
        const QString folder = makeFolder(QStringLiteral("tree"));
        seed({record(folder, 5)});
        QSignalSpy renewed(m_store.get(), &RecentFoldersStore::sidebarListIdChanged);

        // No folder open: nothing.
        store().saveFolderState({QStringLiteral("/s")}, {});
        QVERIFY(!stored().first().savedSelectedPaths);

        store().setOpenFolder(folder + QStringLiteral("/"));
        store().saveFolderState({QStringLiteral("/s")}, {});
        QCOMPARE(stored().first().savedSelectedPaths,
                 std::optional(QSet<QString>{QStringLiteral("/s")}));
        QCOMPARE(stored().first().savedExpandedPaths, std::optional(QSet<QString>{}));
        QCOMPARE(stored().first().lastAccessed, 5.0);
        QCOMPARE(renewed.count(), 0);
    }

    void savingTreeStateWithoutARecordSavesNothing()
    {
        const QString folder = makeFolder(QStringLiteral("tree"));
        seed({record(folder, 5), record(QStringLiteral("/other"), 6)});
        store().setOpenFolder(folder);
        store().removeRecent(*store().recordForOpenFolder());
        QCOMPARE(pathsOf(store().recentFolders()), QStringList{QStringLiteral("/other")});
        const QByteArray bytesBefore = *m_preferences->bytes(PreferenceKeys::recentFoldersJson);
        QSignalSpy changed(m_store.get(), &RecentFoldersStore::recentFoldersChanged);
        QSignalSpy written(m_preferences.get(), &Preferences::changed);
        store().saveFolderState({QStringLiteral("/s")}, {QStringLiteral("/e")});
        QCOMPARE(changed.count(), 0);
        QCOMPARE(written.count(), 0);
        QCOMPARE(*m_preferences->bytes(PreferenceKeys::recentFoldersJson), bytesBefore);
    }

    // --- Start bookmark ----------------------------------------------------------------------

    void savingTheStartBookmark()
    {
        const QString folder = makeFolder(QStringLiteral("gen"));
        QVERIFY(store().saveLastFolderBookmark(folder));
        QCOMPARE(m_bookmarks.begins, 1);
        QCOMPARE(m_bookmarks.ends, 1);
        const QByteArray saved = *store().lastFolderBookmark();
        QCOMPARE(LocalBookmarkService().resolve(saved).value->path, folder);

        const QString missing = m_dir->filePath(QStringLiteral("missing"));
        QVERIFY(!store().saveLastFolderBookmark(missing));
        QCOMPARE(m_log, QStringList{QStringLiteral("Error creating bookmark: ") +
                                    LocalBookmarkService().create(missing).error.description()});
        QCOMPARE(store().lastFolderBookmark(), std::optional<QByteArray>(saved));
        QCOMPARE(m_bookmarks.ends, 2);
    }

    void generationBookmarksTheReportedOrTheOpenFolder()
    {
        const QString open = makeFolder(QStringLiteral("open"));
        const QString reported = makeFolder(QStringLiteral("reported"));
        store().recordGeneration(std::nullopt);
        QVERIFY(!store().lastFolderBookmark());
        store().setOpenFolder(open);
        store().recordGeneration(reported);
        QCOMPARE(LocalBookmarkService().resolve(*store().lastFolderBookmark()).value->path,
                 reported);
        store().recordGeneration(std::nullopt);
        QCOMPARE(LocalBookmarkService().resolve(*store().lastFolderBookmark()).value->path, open);
    }

    void restoreWithNothingStoredShowsTheLibrary()
    {
        seed({record(QStringLiteral("/a"), 5)});
        RecentFoldersStore fresh(*m_preferences);
        QCOMPARE(fresh.restoreLastFolder(), ViewMode::projects);
        QCOMPARE(pathsOf(fresh.recentFolders()), QStringList{QStringLiteral("/a")});
        QVERIFY(!fresh.accessibleURL());
        QVERIFY(m_log.isEmpty());
    }

    void restoreOpensAResolvableFolder()
    {
        const QString folder = makeFolder(QStringLiteral("start"));
        seed({record(folder, 5)});
        QVERIFY(store().saveLastFolderBookmark(folder));
        const QByteArray bookmark = *store().lastFolderBookmark();
        RecentFoldersStore fresh(*m_preferences);
        fresh.setPathPrefixes({});
        QCOMPARE(fresh.restoreLastFolder(), ViewMode::plexor);
        QCOMPARE(fresh.accessibleURL(), std::optional<QString>(folder));
        QCOMPARE(fresh.folderPath(), folder);
        QCOMPARE(fresh.lastFolderBookmark(), std::optional<QByteArray>(bookmark));
        // A start-up restore does not touch the record.
        QCOMPARE(fresh.recentFolders().first().lastAccessed, 5.0);
        QCOMPARE(fresh.recordForOpenFolder()->path, folder);
    }

    void restoreRenewsAStaleBookmark()
    {
        const QString folder = makeFolder(QStringLiteral("start"));
        m_preferences->setBytes(PreferenceKeys::lastFolderBookmark, handWrittenBookmark(folder));
        QCOMPARE(store().restoreLastFolder(), ViewMode::plexor);
        const auto renewed = LocalBookmarkService().resolve(*store().lastFolderBookmark());
        QVERIFY(renewed && !renewed.value->isStale);
        QCOMPARE(renewed.value->path, folder);
        QCOMPARE(store().accessibleURL(), std::optional<QString>(folder));
        QVERIFY(m_log.isEmpty());
    }

    void restoreClearsAnUnresolvableBookmark_data()
    {
        QTest::addColumn<QByteArray>("bookmark");
        QTest::newRow("folder gone") << handWrittenBookmark(QStringLiteral("/no/such/folder/x"));
        QTest::newRow("not a bookmark") << QByteArray("junk");
        QTest::newRow("empty bytes") << QByteArray();
    }

    void restoreClearsAnUnresolvableBookmark()
    {
        QFETCH(QByteArray, bookmark);
        m_preferences->setBytes(PreferenceKeys::lastFolderBookmark, bookmark);
        QCOMPARE(store().restoreLastFolder(), ViewMode::projects);
        QCOMPARE(m_log,
                 QStringList{QStringLiteral("Error resolving startup bookmark: ") +
                             LocalBookmarkService().resolve(bookmark).error.localizedDescription});
        QVERIFY(!store().lastFolderBookmark());
        QVERIFY(!m_preferences->contains(QStringLiteral("lastFolderBookmark")));
        QVERIFY(!store().accessibleURL());
    }

    // --- File manager ------------------------------------------------------------------------

    void showInFinderRevealsTheResolvedFolder()
    {
        const QString folder = makeFolder(QStringLiteral("shown"));
        const RecentFolder stale = record(folder, 5); // staleness does not matter here
        QVERIFY(store().showInFinder(stale));
        QCOMPARE(m_fileManager.revealed, QStringList{folder});
        QCOMPARE(m_bookmarks.begins, 0);

        RecentFolder broken = record(folder, 5);
        broken.bookmarkData = "nope";
        QVERIFY(!store().showInFinder(broken));
        QCOMPARE(m_fileManager.revealed.size(), 1);
        QCOMPARE(m_log,
                 QStringList{QStringLiteral("Could not resolve bookmark to show in Finder: ") +
                             descriptionOf("nope")});
    }

    // --- Shortened paths ---------------------------------------------------------------------

    void shortenedPaths_data()
    {
        QTest::addColumn<QString>("longPrefix");
        QTest::addColumn<QString>("shortPrefix");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        const QString longP = QStringLiteral("/d/My Drive/Projects/Coding/");
        const QString shortP = QStringLiteral("/d/My Drive/");
        QTest::newRow("under the long prefix")
            << longP << shortP << QStringLiteral("/d/My Drive/Projects/Coding/Robots/arm")
            << QStringLiteral(".../Robots/arm");
        QTest::newRow("under the short prefix only")
            << longP << shortP << QStringLiteral("/d/My Drive/Photos/app")
            << QStringLiteral(".../Photos/app");
        QTest::newRow("the Coding folder itself")
            << longP << shortP << QStringLiteral("/d/My Drive/Projects/Coding")
            << QStringLiteral(".../Projects/Coding");
        QTest::newRow("elsewhere")
            << longP << shortP << QStringLiteral("/home/a/app") << QStringLiteral("/home/a/app");
        QTest::newRow("trailing slash dropped")
            << longP << shortP << QStringLiteral("/home/a/app/") << QStringLiteral("/home/a/app");
        QTest::newRow("case matters") << longP << shortP << QStringLiteral("/d/my drive/x")
                                      << QStringLiteral("/d/my drive/x");
        QTest::newRow("no folder") << longP << shortP << QString() << QString();
        QTest::newRow("root") << longP << shortP << QStringLiteral("/") << QStringLiteral("/");
        QTest::newRow("prefixes unset")
            << QString() << QString() << QStringLiteral("/d/My Drive/Projects/Coding/x")
            << QStringLiteral("/d/My Drive/Projects/Coding/x");
        QTest::newRow("only the short one set")
            << QString() << shortP << QStringLiteral("/d/My Drive/Projects/Coding/x")
            << QStringLiteral(".../Projects/Coding/x");
        QTest::newRow("prefix without its slash claims no sibling")
            << QString() << QStringLiteral("/d/Drive") << QStringLiteral("/d/Drive2/x")
            << QStringLiteral("/d/Drive2/x");
        QTest::newRow("prefix without its slash")
            << QString() << QStringLiteral("/d/Drive") << QStringLiteral("/d/Drive/x")
            << QStringLiteral(".../x");
        QTest::newRow("canonically equivalent prefix")
            << QString() << QString::fromUtf16(u"/d/Caf\u00E9/")
            << QString::fromUtf16(u"/d/Cafe\u0301/x\u0301y") << QString::fromUtf16(u".../x\u0301y");
    }

    void shortenedPaths()
    {
        QFETCH(QString, longPrefix);
        QFETCH(QString, shortPrefix);
        QFETCH(QString, path);
        QFETCH(QString, expected);
        store().setPathPrefixes({longPrefix, shortPrefix});
        QCOMPARE(store().shortenedPath(path), expected);
        QCOMPARE(store().shortenedPath(path.isEmpty() ? std::nullopt : std::optional(path)),
                 expected);
    }

    void shortenedPathsAreWhatIsRememberedAndShown()
    {
        const QString drive = makeFolder(QStringLiteral("drive"));
        const QString folder = makeFolder(QStringLiteral("drive/Projects/Coding/Robots/arm"));
        store().setPathPrefixes({drive + QStringLiteral("/Projects/Coding/"), drive + u'/'});
        QVERIFY(store().addToRecents(folder));
        QCOMPARE(stored().first().path, QStringLiteral(".../Robots/arm"));
        store().setOpenFolder(folder);
        QCOMPARE(store().folderPath(), QStringLiteral(".../Robots/arm"));
        QCOMPARE(store().recordForOpenFolder()->id, stored().first().id);
    }
};

QTEST_GUILESS_MAIN(TestRecentFoldersStore)
#include "tst_recentfoldersstore.moc"

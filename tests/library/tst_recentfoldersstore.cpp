#include "StoreFixture.h"
#include "StoredRecords.h"
#include "model/PreferenceKeys.h"
#include "platform/FolderBookmark.h"
#include "platform/Log.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <optional>

using StoredRecords::pathsOf;

namespace {

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
    return QJsonDocument(QJsonObject{{u"path"_qs, path}}).toJson(QJsonDocument::Compact);
}

RecentFolder record(const QString& path, double lastAccessed, bool pinned = false)
{
    RecentFolder folder = StoredRecords::project(path, pinned, lastAccessed);
    folder.bookmarkData = handWrittenBookmark(path);
    return folder;
}

QString resolvedPath(const std::optional<QByteArray>& bookmark)
{
    const auto resolved = LocalBookmarkService().resolve(bookmark.value_or(QByteArray()));
    return resolved && !resolved.value->isStale ? resolved.value->path : QString();
}

} // namespace

class TestRecentFoldersStore : public QObject {
    Q_OBJECT

    std::unique_ptr<StoreFixture> f;
    CountingBookmarkService m_bookmarks;
    QStringList m_log;
    Log::Sink m_previousSink;

    RecentFoldersStore& store() { return f->store; }
    QString folder(const QString& relative) { return f->folder(relative); }

    void seed(const QList<RecentFolder>& folders)
    {
        f->temp.preferences.setBytes(PreferenceKeys::recentFoldersJson,
                                     RecentFolderCodec::encode(folders));
        store().loadRecents();
    }

    // The list as a fresh reader of the preference file sees it.
    QList<RecentFolder> stored()
    {
        const auto bytes =
            StoredRecords::storedBytes(f->temp.preferences, PreferenceKeys::recentFoldersJson);
        return RecentFolderCodec::decode(bytes.value_or(QByteArray()))
            .value_or(QList<RecentFolder>{});
    }

    QByteArray storedBytes() const
    {
        return f->temp.preferences.bytes(PreferenceKeys::recentFoldersJson).value_or(QByteArray());
    }

private Q_SLOTS:
    void init()
    {
        f = std::make_unique<StoreFixture>();
        m_bookmarks.begins = m_bookmarks.ends = 0;
        BookmarkService::setCurrent(&m_bookmarks);
        m_log.clear();
        m_previousSink = Log::setSink([this](const QString& line) { m_log << line; });
    }

    void cleanup()
    {
        Log::setSink(m_previousSink);
        BookmarkService::setCurrent(nullptr);
        f.reset();
    }

    void loading()
    {
        QSignalSpy changed(&store(), &RecentFoldersStore::recentFoldersChanged);
        store().loadRecents();
        f->temp.preferences.setBytes(PreferenceKeys::recentFoldersJson, QByteArray());
        store().loadRecents();
        QVERIFY(store().recentFolders().isEmpty() && m_log.isEmpty() && changed.isEmpty());

        // Loading keeps the stored order, even one that is not recents order.
        seed({record(u"/old"_qs, 1), record(u"/new"_qs, 9)});
        QCOMPARE(pathsOf(store().recentFolders()), (QStringList{u"/old"_qs, u"/new"_qs}));

        // Corrupt data: logged, list and stored bytes kept until the next save.
        const QByteArray corrupt("[{\"id\":\"x\"}");
        f->temp.preferences.setBytes(PreferenceKeys::recentFoldersJson, corrupt);
        store().loadRecents();
        QString error;
        QVERIFY(!RecentFolderCodec::decode(corrupt, &error));
        QCOMPARE(m_log, QStringList{u"Error loading recents: "_qs + error});
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
        const QString path = f->temp.dir.filePath(u"unusable.json"_qs);
        QVERIFY(StoredRecords::writeFile(path, original));
        Preferences preferences(path);
        RecentFoldersStore unusable(preferences);
        unusable.setPathPrefixes({});
        QCOMPARE(unusable.restoreLastFolder(), ViewMode::projects);
        QVERIFY(unusable.addToRecents(folder(u"app"_qs)));
        QVERIFY(preferences.flush());
        QCOMPARE(StoredRecords::readFile(preferences.preservedCorruptFile()), original);
        QVERIFY(m_log.last().endsWith(preferences.preservedCorruptFile()));
    }

    void addingAFolder()
    {
        seed({record(u"/a"_qs, 5)});
        const QString app = folder(u"app"_qs);
        QSignalSpy renewed(&store(), &RecentFoldersStore::sidebarListIdChanged);
        QVERIFY(store().addToRecents(app + u'/'));
        const RecentFolder added = stored().first();
        QCOMPARE(added.path, app);
        QVERIFY(!added.isPinned && !added.manualTag && !added.savedSelectedPaths);
        QCOMPARE(added.lastAccessed, 1000.0);
        QCOMPARE(resolvedPath(added.bookmarkData), app);
        QCOMPARE(renewed.count(), 1);
        QVERIFY(!store().accessibleURL()); // opening is the main window's business

        // A folder that cannot be bookmarked changes nothing.
        const QByteArray bytesBefore = storedBytes();
        const QString missing = f->temp.dir.filePath(u"missing"_qs);
        QVERIFY(!store().addToRecents(missing));
        QCOMPARE(m_log, QStringList{u"Failed to create bookmark for recents: "_qs +
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
        for (int i = 0; i < 20; ++i)
            seeded << record(folder(u"r%1"_qs.arg(i, 2, 10, QLatin1Char('0'))),
                             equalTimes ? 7 : 100 + i, i < pinned);
        seed(seeded);
        const QString opened = reopenFirst ? seeded.first().path : folder(u"new"_qs);
        QVERIFY(store().addToRecents(opened));

        const QStringList paths = pathsOf(store().recentFolders());
        QCOMPARE(paths.size(), 20);
        QCOMPARE(paths.contains(opened), !evicted.isEmpty());
        if (evicted.size() == 3)
            QVERIFY(!paths.contains(f->temp.dir.filePath(evicted)));
        if (!reopenFirst && pinned < 20)
            QCOMPARE(paths[pinned], opened); // first among the unpinned
        QCOMPARE(pathsOf(stored()), paths);
    }

    // Opening a remembered folder again refreshes its record and keeps everything else on it.
    void refreshingByPathText_data()
    {
        QTest::addColumn<QString>("diskName");
        QTest::addColumn<QString>("storedName");
        QTest::addColumn<bool>("refreshed");
        QTest::newRow("same text") << "app"
                                   << "app" << true;
        QTest::newRow("canonically equivalent") << u"Caf\u00E9"_qs << u"Cafe\u0301"_qs << true;
        QTest::newRow("case differs") << "App"
                                      << "app" << false;
    }

    void refreshingByPathText()
    {
        QFETCH(QString, diskName);
        QFETCH(QString, storedName);
        QFETCH(bool, refreshed);
        RecentFolder existing = record(f->temp.dir.filePath(storedName), 5, true);
        existing.bookmarkData = "old";
        existing.manualTag = u"Robots"_qs;
        existing.customColorHex = u"#00FF00"_qs;
        existing.savedSelectedPaths = QSet<QString>{u"/x"_qs};
        existing.savedExpandedPaths = QSet<QString>{};
        seed({record(u"/other"_qs, 50), existing});

        QVERIFY(store().addToRecents(folder(diskName)));
        QCOMPARE(store().recentFolders().size(), refreshed ? 2 : 3);
        const RecentFolder& first = store().recentFolders().first(); // pinned first
        QCOMPARE(first.lastAccessed, refreshed ? 1000.0 : 5.0);
        QCOMPARE(first.bookmarkData != "old", refreshed);
        // Nothing else on the record changes: not the tag, the colour or the saved tree state.
        QVERIFY(first.id == existing.id && first.isPinned && first.path == existing.path);
        QVERIFY(first.manualTag == existing.manualTag);
        QVERIFY(first.customColorHex == existing.customColorHex);
        QVERIFY(first.savedSelectedPaths == existing.savedSelectedPaths);
        QVERIFY(first.savedExpandedPaths == existing.savedExpandedPaths);
    }

    void everySaveKeepsRecentsOrder()
    {
        seed({record(u"/u/old"_qs, 10), record(u"/p/project 10"_qs, 1, true),
              record(u"/u/new"_qs, 30), record(u"/p/Project 2"_qs, 2, true),
              record(u"/p/alpha"_qs, 3, true), record(u"/u/mid"_qs, 20)});
        const QStringList expected{u"/p/alpha"_qs, u"/p/Project 2"_qs, u"/p/project 10"_qs,
                                   u"/u/new"_qs,   u"/u/mid"_qs,       u"/u/old"_qs};
        store().saveRecents();
        QCOMPARE(pathsOf(store().recentFolders()), expected);
        QCOMPARE(pathsOf(stored()), expected);

        // Pinning moves a record to its name's place; unpinning back by its time.
        const RecentFolder mid = store().recentFolders()[4];
        store().togglePin(mid);
        QCOMPARE(pathsOf(stored()), (QStringList{u"/p/alpha"_qs, u"/u/mid"_qs, u"/p/Project 2"_qs,
                                                 u"/p/project 10"_qs, u"/u/new"_qs, u"/u/old"_qs}));
        store().togglePin(mid);
        QCOMPARE(pathsOf(stored()), expected);
    }

    void tagAndRemove()
    {
        const QString open = folder(u"open"_qs);
        const RecentFolder twin = record(open, 4);
        seed({record(u"/a"_qs, 9), twin, record(u"/b"_qs, 3), twin});
        store().setOpenFolder(open);
        QSignalSpy renewed(&store(), &RecentFoldersStore::sidebarListIdChanged);
        const RecentFolder a = store().recentFolders().first();
        store().applyTag(a, u"Robots"_qs, u"#00FF00"_qs);
        QCOMPARE(stored().first().manualTag, u"Robots"_qs);
        QCOMPARE(stored().first().customColorHex, u"#00FF00"_qs);
        store().applyTag(a, QString(), std::nullopt);
        QVERIFY(!stored().first().manualTag && !stored().first().customColorHex);

        // Every record with the id goes; the open folder stays open.
        store().removeRecent(twin);
        QCOMPARE(pathsOf(stored()), (QStringList{u"/a"_qs, u"/b"_qs}));
        QCOMPARE(store().accessibleURL(), open);
        QVERIFY(!store().recordForOpenFolder());
        QCOMPARE(renewed.count(), 3);
    }

    void openingARecord()
    {
        const QString app = folder(u"fresh"_qs);
        QVERIFY(store().addToRecents(app)); // time 1000, fresh bookmark
        seed({record(u"/older"_qs, 500), store().recentFolders().first()});
        QSignalSpy renewed(&store(), &RecentFoldersStore::sidebarListIdChanged);
        QSignalSpy opened(&store(), &RecentFoldersStore::openFolderChanged);
        const RecentFolder target = store().recentFolders()[1];
        QVERIFY(store().openRecent(target));
        QCOMPARE(stored().first().id, target.id);
        QCOMPARE(stored().first().lastAccessed, 1001.0);
        QCOMPARE(stored().first().bookmarkData, target.bookmarkData);
        QCOMPARE(store().accessibleURL(), app);
        QCOMPARE(opened.count(), 1);
        QVERIFY(renewed.isEmpty());
        QVERIFY(store().isOpenFolder(store().recentFolders().first()));
        QCOMPARE(m_bookmarks.begins, 0); // access is the engine's business
    }

    void openingAStaleRecordRenewsItsBookmark()
    {
        const QString stale = folder(u"stale"_qs);
        const QString moved = folder(u"moved"_qs);
        RecentFolder elsewhere = record(u"/was/here"_qs, 6);
        elsewhere.bookmarkData = handWrittenBookmark(moved);
        seed({record(stale, 5), elsewhere});
        QSignalSpy renewed(&store(), &RecentFoldersStore::sidebarListIdChanged);
        QVERIFY(store().openRecent(store().recentFolders().first()));
        QCOMPARE(resolvedPath(stored().first().bookmarkData), stale);
        QCOMPARE(stored().size(), 2);
        QCOMPARE(renewed.count(), 1);

        // The folder's path text changed: a new record, the old one stays.
        QVERIFY(store().openRecent(elsewhere));
        QCOMPARE(pathsOf(store().recentFolders()), (QStringList{moved, stale, u"/was/here"_qs}));
        QCOMPARE(store().folderPath(), moved);

        // A record that no longer resolves changes nothing.
        QVERIFY(QDir(stale).removeRecursively());
        const QByteArray bytesBefore = storedBytes();
        const RecentFolder gone = store().recentFolders()[1];
        QVERIFY(!store().openRecent(gone));
        QCOMPARE(m_log, QStringList{
                            u"Could not resolve recent bookmark: "_qs +
                            LocalBookmarkService().resolve(gone.bookmarkData).error.description()});
        QCOMPARE(storedBytes(), bytesBefore);
        QCOMPARE(store().accessibleURL(), moved);
    }

    void savingTreeState()
    {
        const QString tree = folder(u"tree"_qs);
        seed({record(tree, 5), record(u"/other"_qs, 6)});
        QSignalSpy renewed(&store(), &RecentFoldersStore::sidebarListIdChanged);
        QSignalSpy written(&f->temp.preferences, &Preferences::changed);
        store().saveFolderState({u"/s"_qs}, {}); // no folder open
        QVERIFY(written.isEmpty());

        store().setOpenFolder(tree + u'/');
        store().saveFolderState({u"/s"_qs}, {});
        const RecentFolder saved = *store().recordForOpenFolder();
        QCOMPARE(saved.savedSelectedPaths, std::optional(QSet<QString>{u"/s"_qs}));
        QCOMPARE(saved.savedExpandedPaths, std::optional(QSet<QString>{}));
        QCOMPARE(saved.lastAccessed, 5.0);
        QCOMPARE(stored().last().savedSelectedPaths, saved.savedSelectedPaths);
        QVERIFY(renewed.isEmpty());

        // The open folder's record was removed: nothing is saved.
        store().removeRecent(saved);
        written.clear();
        store().saveFolderState({u"/t"_qs}, {u"/e"_qs});
        QVERIFY(written.isEmpty());
    }

    void startBookmark()
    {
        const QString open = folder(u"open"_qs);
        const QString reported = folder(u"reported"_qs);
        store().recordGeneration(std::nullopt); // nothing open, nothing reported
        QVERIFY(!store().lastFolderBookmark());
        store().setOpenFolder(open);
        store().recordGeneration(reported);
        QCOMPARE(resolvedPath(store().lastFolderBookmark()), reported);
        store().recordGeneration(std::nullopt);
        QCOMPARE(resolvedPath(store().lastFolderBookmark()), open);
        QCOMPARE(m_bookmarks.begins, 2);
        QCOMPARE(m_bookmarks.ends, 2);

        const QString missing = f->temp.dir.filePath(u"missing"_qs);
        QVERIFY(!store().saveLastFolderBookmark(missing));
        QCOMPARE(m_log, QStringList{u"Error creating bookmark: "_qs +
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
    }

    void restoringAtStart()
    {
        QFETCH(QString, kind);
        QFETCH(bool, opens);
        const QString start = folder(u"start"_qs);
        seed({record(start, 5)});
        QByteArray bookmark;
        if (kind == u"fresh")
            bookmark = *LocalBookmarkService().create(start).value;
        else if (kind == u"stale")
            bookmark = handWrittenBookmark(start);
        else if (kind == u"gone")
            bookmark = handWrittenBookmark(f->temp.dir.filePath(u"gone"_qs));
        else if (kind == u"junk")
            bookmark = "junk";
        if (kind != u"none")
            f->temp.preferences.setBytes(PreferenceKeys::lastFolderBookmark, bookmark);

        RecentFoldersStore fresh(f->temp.preferences);
        fresh.setPathPrefixes({});
        QCOMPARE(fresh.restoreLastFolder(), opens ? ViewMode::plexor : ViewMode::projects);
        QCOMPARE(fresh.recentFolders().first().lastAccessed, 5.0); // not refreshed
        if (opens) {
            QCOMPARE(fresh.accessibleURL(), start);
            QCOMPARE(resolvedPath(fresh.lastFolderBookmark()), start);
            QVERIFY(m_log.isEmpty());
        } else {
            QVERIFY(!fresh.accessibleURL());
            QVERIFY(!f->temp.preferences.contains(u"lastFolderBookmark"_qs));
            const QString error =
                LocalBookmarkService().resolve(bookmark).error.localizedDescription;
            QCOMPARE(m_log, kind == u"none"
                                ? QStringList()
                                : QStringList{u"Error resolving startup bookmark: "_qs + error});
        }
    }

    void showInFinder()
    {
        const QString shown = folder(u"shown"_qs);
        QVERIFY(store().showInFinder(record(shown, 5))); // stale, which does not matter here
        QCOMPARE(f->revealed, QStringList{shown});
        QCOMPARE(m_bookmarks.begins, 0);

        RecentFolder broken = record(shown, 5);
        broken.bookmarkData = "nope";
        QVERIFY(!store().showInFinder(broken));
        QCOMPARE(f->revealed.size(), 1);
        QCOMPARE(m_log, QStringList{u"Could not resolve bookmark to show in Finder: "_qs +
                                    LocalBookmarkService().resolve("nope").error.description()});
    }

    void shortenedPaths_data()
    {
        QTest::addColumn<QString>("longPrefix");
        QTest::addColumn<QString>("shortPrefix");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        const QString longP = u"/d/My Drive/Projects/Coding/"_qs;
        const QString shortP = u"/d/My Drive/"_qs;
        QTest::newRow("long prefix")
            << longP << shortP << u"/d/My Drive/Projects/Coding/Robots/arm"_qs
            << u".../Robots/arm"_qs;
        QTest::newRow("short prefix")
            << longP << shortP << u"/d/My Drive/Projects/Coding"_qs << u".../Projects/Coding"_qs;
        QTest::newRow("case matters")
            << longP << shortP << u"/d/my drive/x"_qs << u"/d/my drive/x"_qs;
        QTest::newRow("prefix without its slash claims no sibling")
            << QString() << u"/d/Drive"_qs << u"/d/Drive2/x"_qs << u"/d/Drive2/x"_qs;
        QTest::newRow("canonically equivalent prefix")
            << QString() << u"/d/Caf\u00E9/"_qs << u"/d/Cafe\u0301/x"_qs << u".../x"_qs;
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
        const QString drive = folder(u"drive"_qs);
        const QString arm = folder(u"drive/Projects/Coding/Robots/arm"_qs);
        store().setPathPrefixes({drive + u"/Projects/Coding/"_qs, drive + u'/'});
        QVERIFY(store().addToRecents(arm));
        QCOMPARE(stored().first().path, u".../Robots/arm"_qs);
        store().setOpenFolder(arm);
        QCOMPARE(store().folderPath(), u".../Robots/arm"_qs);
        QCOMPARE(store().recordForOpenFolder()->id, stored().first().id);
    }
};

QTEST_GUILESS_MAIN(TestRecentFoldersStore)
#include "tst_recentfoldersstore.moc"

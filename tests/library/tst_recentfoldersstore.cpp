#include "StoreFixture.h"
#include "StoredRecords.h"
#include "library/ProjectLibrary.h"
#include "library/RecentsOrder.h"
#include "model/PreferenceKeys.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <optional>

using StoredRecords::pathsOf;

namespace {

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

RecentFolder tagged(const QString& path, const QString& tag)
{
    return StoredRecords::project(path, false, 0, tag);
}

} // namespace

// The remembered projects: the store that keeps them, and the names, groups and order the
// library shows them in.
class TestRecentFoldersStore : public QObject {
    Q_OBJECT

    std::unique_ptr<StoreFixture> f;

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
    void init() { f = std::make_unique<StoreFixture>(); }
    void cleanup() { f.reset(); }

    void loading()
    {
        QSignalSpy changed(&store(), &RecentFoldersStore::recentFoldersChanged);
        store().loadRecents();
        f->temp.preferences.setBytes(PreferenceKeys::recentFoldersJson, QByteArray());
        store().loadRecents();
        QVERIFY(store().recentFolders().isEmpty() && f->log.lines.isEmpty() && changed.isEmpty());

        // Loading keeps the stored order, even one that is not recents order.
        seed({record(u"/old"_qs, 1), record(u"/new"_qs, 9)});
        QCOMPARE(pathsOf(store().recentFolders()), (QStringList{u"/old"_qs, u"/new"_qs}));

        // Corrupt data: logged, list and stored bytes kept until the next save.
        const QByteArray corrupt("[{\"id\":\"x\"}");
        f->temp.preferences.setBytes(PreferenceKeys::recentFoldersJson, corrupt);
        store().loadRecents();
        QString error;
        QVERIFY(!RecentFolderCodec::decode(corrupt, &error));
        QCOMPARE(f->log.lines, QStringList{u"Error loading recents: "_qs + error});
        QCOMPARE(storedBytes(), corrupt);
        store().togglePin(store().recentFolders().first());
        QCOMPARE(stored().size(), 2);
    }

    void unusableStoredListIsKeptBeforeTheNextSave_data()
    {
        QTest::addColumn<QByteArray>("value");
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
        QVERIFY(f->log.lines.last().endsWith(preferences.preservedCorruptFile()));
    }

    void addingAFolder()
    {
        seed({record(u"/a"_qs, 5)});
        const QString app = folder(u"app"_qs);
        QVERIFY(store().addToRecents(app + u'/'));
        const RecentFolder added = stored().first();
        QCOMPARE(added.path, app);
        QCOMPARE(added.lastAccessed, 1000.0);
        QCOMPARE(resolvedPath(added.bookmarkData), app);
        QVERIFY(!store().accessibleURL()); // opening is the main window's business

        // A folder that cannot be bookmarked changes nothing.
        const QByteArray bytesBefore = storedBytes();
        const QString missing = f->temp.dir.filePath(u"missing"_qs);
        QVERIFY(!store().addToRecents(missing));
        QCOMPARE(f->log.lines.size(), 1);
        QCOMPARE(storedBytes(), bytesBefore);
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
        QVERIFY(first.id == existing.id && first.isPinned && first.path == existing.path &&
                first.manualTag == existing.manualTag &&
                first.customColorHex == existing.customColorHex &&
                first.savedSelectedPaths == existing.savedSelectedPaths &&
                first.savedExpandedPaths == existing.savedExpandedPaths);
    }

    // Tagging, and removing one record, are checked through the window; here a list holding a
    // record twice.
    void removingTakesEveryRecordWithTheId()
    {
        const QString open = folder(u"open"_qs);
        const RecentFolder twin = record(open, 4);
        seed({record(u"/a"_qs, 9), twin, record(u"/b"_qs, 3), twin});
        store().setOpenFolder(open);
        store().removeRecent(twin);
        QCOMPARE(pathsOf(stored()), (QStringList{u"/a"_qs, u"/b"_qs}));
        QCOMPARE(store().accessibleURL(), open);
        QVERIFY(!store().recordForOpenFolder());
    }

    void openingARecord()
    {
        const QString app = folder(u"fresh"_qs);
        QVERIFY(store().addToRecents(app)); // time 1000, fresh bookmark
        seed({record(u"/older"_qs, 500), store().recentFolders().first()});
        QSignalSpy opened(&store(), &RecentFoldersStore::openFolderChanged);
        const RecentFolder target = store().recentFolders()[1];
        QVERIFY(store().openRecent(target));
        QCOMPARE(stored().first().id, target.id);
        QCOMPARE(stored().first().lastAccessed, 1001.0);
        QCOMPARE(stored().first().bookmarkData, target.bookmarkData);
        QCOMPARE(store().accessibleURL(), app);
        QCOMPARE(opened.count(), 1);
        QVERIFY(store().isOpenFolder(store().recentFolders().first()));
        QCOMPARE(f->bookmarks.begun, 0); // access is the engine's business
    }

    // A record whose folder is gone is checked through the window.
    void openingAStaleRecordRenewsItsBookmark()
    {
        const QString stale = folder(u"stale"_qs);
        const QString moved = folder(u"moved"_qs);
        RecentFolder elsewhere = record(u"/was/here"_qs, 6);
        elsewhere.bookmarkData = handWrittenBookmark(moved);
        seed({record(stale, 5), elsewhere});
        QVERIFY(store().openRecent(store().recentFolders().first()));
        QCOMPARE(resolvedPath(stored().first().bookmarkData), stale);
        QCOMPARE(stored().size(), 2);

        // The folder's path text changed: a new record, the old one stays.
        QVERIFY(store().openRecent(elsewhere));
        QCOMPARE(pathsOf(store().recentFolders()), (QStringList{moved, stale, u"/was/here"_qs}));
        QCOMPARE(store().folderPath(), moved);
    }

    void savingTreeState()
    {
        const QString tree = folder(u"tree"_qs);
        seed({record(tree, 5), record(u"/other"_qs, 6)});
        QSignalSpy written(&f->temp.preferences, &Preferences::changed);
        store().saveFolderState({u"/s"_qs}, {}); // no folder open
        QVERIFY(written.isEmpty());

        store().setOpenFolder(tree + u'/');
        store().saveFolderState({u"/s"_qs}, {});
        // What is saved is checked through the window; here that saving is not an opening.
        QCOMPARE(stored().last().savedExpandedPaths, std::optional(QSet<QString>{}));
        QCOMPARE(stored().last().lastAccessed, 5.0);
    }

    // A generation without a reported folder, which bookmarks the open one, is checked through
    // the window's restart.
    void startBookmark()
    {
        const QString open = folder(u"open"_qs);
        const QString reported = folder(u"reported"_qs);
        store().recordGeneration(std::nullopt); // nothing open, nothing reported
        QVERIFY(!store().lastFolderBookmark());
        store().setOpenFolder(open);
        store().recordGeneration(reported);
        QCOMPARE(resolvedPath(store().lastFolderBookmark()), reported);
        QCOMPARE(f->bookmarks.begun, 1);
        QCOMPARE(f->bookmarks.ended, 1);

        const QString missing = f->temp.dir.filePath(u"missing"_qs);
        QVERIFY(!store().saveLastFolderBookmark(missing));
        QCOMPARE(f->log.lines.size(), 1);
        QCOMPARE(resolvedPath(store().lastFolderBookmark()), reported);
        QCOMPARE(f->bookmarks.ended, 2);
    }

    // A fresh bookmark, and none at all, are checked through the window's starts.
    void restoringAtStart_data()
    {
        QTest::addColumn<QString>("bookmarked"); // folder of a stale bookmark
        QTest::addColumn<bool>("opens");
        QTest::newRow("stale bookmark is renewed") << "start" << true;
        QTest::newRow("folder gone") << "gone" << false;
    }

    void restoringAtStart()
    {
        QFETCH(QString, bookmarked);
        QFETCH(bool, opens);
        const QString start = folder(u"start"_qs);
        seed({record(start, 5)});
        f->temp.preferences.setBytes(PreferenceKeys::lastFolderBookmark,
                                     handWrittenBookmark(f->temp.dir.filePath(bookmarked)));
        RecentFoldersStore fresh(f->temp.preferences);
        fresh.setPathPrefixes({});
        QCOMPARE(fresh.restoreLastFolder(), opens ? ViewMode::plexor : ViewMode::projects);
        QCOMPARE(fresh.recentFolders().first().lastAccessed, 5.0); // not refreshed
        if (opens) {
            QCOMPARE(fresh.accessibleURL(), start);
            QCOMPARE(resolvedPath(fresh.lastFolderBookmark()), start);
            QVERIFY(f->log.lines.isEmpty());
        } else {
            QVERIFY(!fresh.accessibleURL());
            QVERIFY(!f->temp.preferences.contains(u"lastFolderBookmark"_qs));
            QCOMPARE(f->log.lines.size(), 1);
        }
    }

    // Revealing a project is checked through the window; here a record that does not resolve.
    void showInFinderNeedsABookmarkThatResolves()
    {
        RecentFolder broken = record(folder(u"shown"_qs), 5);
        broken.bookmarkData = "nope";
        QVERIFY(!store().showInFinder(broken));
        QVERIFY(f->revealed.isEmpty());
        QCOMPARE(f->log.lines.size(), 1);
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

    void displayNames_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::newRow("shortened") << u".../Robots/arm"_qs << u"arm"_qs;
        QTest::newRow("trailing slash") << u"/home/a/app/"_qs << u"app"_qs;
        QTest::newRow("root") << u"/"_qs << u"/"_qs;
    }

    void displayNames()
    {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QCOMPARE(ProjectLibrary::displayName(record(path, 0)), name);
    }

    // The order of ordinary tags, tags taken from paths and the "Uncategorized" group are
    // checked by the command-line test; here spellings.
    void groupsBySpelling()
    {
        const QList<ProjectLibrary::TagGroup> groups = ProjectLibrary::libraryGroups({
            tagged(u"/a/one"_qs, u"Swift"_qs),
            tagged(u"/a/five"_qs, u"swift"_qs),
            record(u".../Zeta/z"_qs, 0),
            tagged(u"/a/six"_qs, u"Swift"_qs),
            tagged(u"/a/seven"_qs, u"Caf\u00E9"_qs),
            tagged(u"/a/eight"_qs, u"Cafe\u0301"_qs),
        });
        QStringList tags;
        for (const auto& group : groups)
            tags << group.tag;
        // Canonically equivalent tags share a group under the first spelling.
        QCOMPARE(tags, (QStringList{u"Caf\u00E9"_qs, u"Swift"_qs, u"Zeta"_qs, u"swift"_qs}));
        QCOMPARE(groups[0].projects.size(), 2);
        // Each group keeps the list's order.
        QCOMPARE(pathsOf(groups[1].projects), (QStringList{u"/a/one"_qs, u"/a/six"_qs}));
        // "swift" and "Swift" are two groups whose headers read the same.
        QCOMPARE(ProjectLibrary::groupHeaderTitle(groups[3].tag), u"Swift"_qs);
    }

    void sortedGroupKeys()
    {
        QCOMPARE(ProjectLibrary::sortedGroupKeys({u"uncategorized"_qs, u"b"_qs, u"Zeta"_qs,
                                                  u"\U0001F600"_qs, u"\uFF21"_qs, u"ä"_qs,
                                                  u"a10"_qs, u"a9"_qs, u""_qs}),
                 (QStringList{u""_qs, u"Zeta"_qs, u"a10"_qs, u"a9"_qs, u"b"_qs, u"uncategorized"_qs,
                              u"ä"_qs, u"\uFF21"_qs, u"\U0001F600"_qs}));
    }

    // Pinned by name (natural, case-blind), then the rest newest first. The bare C locale is what
    // the command-line test runs in; here a locale's own letters.
    void naturalNameOrder()
    {
        QList<RecentFolder> list{
            record(u"/u/late"_qs, 30),
            record(u"/p/project 10"_qs, 0, true),
            record(u"/p/Project 2"_qs, 0, true),
            record(u"/u/early"_qs, 10),
            record(u"/p/\u00E9t\u00E9"_qs, 0, true),
            record(u"/p/Zoo"_qs, 0, true),
            record(u"/p/apple/"_qs, 0, true),
            record(u"/u/same"_qs, 30),
        };
        RecentsOrder::sort(list, RecentsOrder::naturalNameCollator(QLocale(QLocale::German)));
        QCOMPARE(pathsOf(list), (QStringList{u"/p/apple/"_qs, u"/p/\u00E9t\u00E9"_qs,
                                             u"/p/Project 2"_qs, u"/p/project 10"_qs, u"/p/Zoo"_qs,
                                             u"/u/late"_qs, u"/u/same"_qs, u"/u/early"_qs}));
    }
};

QTEST_GUILESS_MAIN(TestRecentFoldersStore)
#include "tst_recentfoldersstore.moc"

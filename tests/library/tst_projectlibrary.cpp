#include "TempPreferences.h"
#include "library/ProjectLibrary.h"
#include "library/RecentsOrder.h"
#include "model/PreferenceKeys.h"
#include "model/Preferences.h"

#include <QFile>
#include <QtTest>

namespace {

QString s(const char16_t* text)
{
    return QString::fromUtf16(text);
}

RecentFolder project(const QString& path, std::optional<QString> tag = std::nullopt,
                     bool pinned = false, double lastAccessed = 0)
{
    RecentFolder folder;
    folder.id = QUuid::createUuid();
    folder.bookmarkData = "b";
    folder.path = path;
    folder.manualTag = std::move(tag);
    folder.isPinned = pinned;
    folder.lastAccessed = lastAccessed;
    return folder;
}

QStringList tagsOf(const QList<ProjectLibrary::TagGroup>& groups)
{
    QStringList tags;
    for (const auto& group : groups)
        tags << group.tag;
    return tags;
}

QStringList pathsOf(const QList<RecentFolder>& folders)
{
    QStringList paths;
    for (const RecentFolder& folder : folders)
        paths << folder.path;
    return paths;
}

} // namespace

class TestProjectLibrary : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void namesAndPaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::newRow("absolute") << s(u"/home/a/My App") << s(u"My App");
        QTest::newRow("shortened") << s(u".../Robots/arm") << s(u"arm");
        QTest::newRow("trailing slash") << s(u"/home/a/app/") << s(u"app");
        QTest::newRow("root") << s(u"/") << s(u"/");
        QTest::newRow("empty") << QString() << QString();
    }

    void namesAndPaths()
    {
        QFETCH(QString, path);
        QFETCH(QString, name);
        const RecentFolder folder = project(path);
        QCOMPARE(ProjectLibrary::displayName(folder), name);
        QCOMPARE(ProjectLibrary::displayPath(folder), path);
    }

    void groupsInPlainScalarOrder()
    {
        const QList<RecentFolder> list{
            project(s(u"/a/one"), s(u"Swift")),
            project(s(u"/a/two"), s(u"Python")),
            project(s(u"/a/three")),
            project(s(u"/a/four"), s(u"apps")),
            project(s(u"/a/five"), s(u"swift")),
            project(s(u"/x/Coding/Robots/arm")),
            project(s(u"/a/six"), s(u"Swift")),
            project(s(u".../Zeta/z")),
        };
        const QList<ProjectLibrary::TagGroup> groups = ProjectLibrary::libraryGroups(list);
        QCOMPARE(tagsOf(groups), (QStringList{s(u"Python"), s(u"Robots"), s(u"Swift"), s(u"Zeta"),
                                              s(u"apps"), s(u"swift"), s(u"uncategorized")}));
        // Each group keeps the list's order.
        QCOMPARE(pathsOf(groups[2].projects), (QStringList{s(u"/a/one"), s(u"/a/six")}));
        QCOMPARE(pathsOf(groups[1].projects), QStringList{s(u"/x/Coding/Robots/arm")});
        // "swift" and "Swift" are two groups whose headers read the same.
        QCOMPARE(ProjectLibrary::groupHeaderTitle(groups[2].tag),
                 ProjectLibrary::groupHeaderTitle(groups[5].tag));
        QCOMPARE(ProjectLibrary::groupHeaderTitle(groups[6].tag), s(u"Uncategorized"));
        QCOMPARE(ProjectLibrary::groupHeaderTitle(groups[4].tag), s(u"Apps"));
    }

    void canonicallyEquivalentTagsShareAGroup()
    {
        const QList<ProjectLibrary::TagGroup> groups = ProjectLibrary::libraryGroups(
            {project(s(u"/a"), s(u"Caf\u00E9")), project(s(u"/b"), s(u"Cafe\u0301"))});
        QCOMPARE(groups.size(), 1);
        QCOMPARE(groups.first().tag, s(u"Caf\u00E9"));
        QCOMPARE(groups.first().projects.size(), 2);
    }

    void sortedGroupKeys()
    {
        QCOMPARE(ProjectLibrary::sortedGroupKeys({s(u"uncategorized"), s(u"b"), s(u"Zeta"),
                                                  s(u"\U0001F600"), s(u"\uFF21"), s(u"ä"),
                                                  s(u"a10"), s(u"a9"), s(u"")}),
                 (QStringList{s(u""), s(u"Zeta"), s(u"a10"), s(u"a9"), s(u"b"), s(u"uncategorized"),
                              s(u"ä"), s(u"\uFF21"), s(u"\U0001F600")}));
    }

    void groupHeaderColours()
    {
        QVERIFY(!ProjectLibrary::groupHeaderColor(s(u"uncategorized")));
        QVERIFY(!ProjectLibrary::groupHeaderShowsSwatch(s(u"uncategorized")));
        // Another spelling is a tag of its own, coloured by the keyword rules.
        QVERIFY(ProjectLibrary::groupHeaderShowsSwatch(s(u"Uncategorized")));
        QCOMPARE(ProjectLibrary::groupHeaderColor(s(u"Uncategorized")),
                 std::optional(TagRules::Swatch{NamedColor::secondary, 0.5}));
        QCOMPARE(ProjectLibrary::groupHeaderColor(s(u"Home Automation")),
                 std::optional(TagRules::Swatch{NamedColor::pink, 0.5}));
    }

    void sidebarSplitsPinnedFromRecent()
    {
        const QList<RecentFolder> list{project(s(u"/p1"), {}, true), project(s(u"/p2"), {}, true),
                                       project(s(u"/r1")), project(s(u"/r2"))};
        const ProjectLibrary::SidebarSections sections = ProjectLibrary::sidebarSections(list);
        QCOMPARE(pathsOf(sections.pinned), (QStringList{s(u"/p1"), s(u"/p2")}));
        QCOMPARE(pathsOf(sections.recent), (QStringList{s(u"/r1"), s(u"/r2")}));
        QVERIFY(ProjectLibrary::sidebarSections({}).pinned.isEmpty());
    }

    void naturalNameOrder_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("bare C locale") << QLocale::c();
        QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany);
    }

    void naturalNameOrder()
    {
        QFETCH(QLocale, locale);
        const QCollator collator = RecentsOrder::naturalNameCollator(locale);
        QList<RecentFolder> list{
            project(s(u"/u/late"), {}, false, 30),     project(s(u"/p/project 10"), {}, true),
            project(s(u"/p/Project 2"), {}, true),     project(s(u"/u/early"), {}, false, 10),
            project(s(u"/p/\u00E9t\u00E9"), {}, true), project(s(u"/p/Zoo"), {}, true),
            project(s(u"/p/apple/"), {}, true),        project(s(u"/u/same"), {}, false, 30),
        };
        RecentsOrder::sort(list, collator);
        QCOMPARE(pathsOf(list), (QStringList{s(u"/p/apple/"), s(u"/p/\u00E9t\u00E9"),
                                             s(u"/p/Project 2"), s(u"/p/project 10"), s(u"/p/Zoo"),
                                             s(u"/u/late"), s(u"/u/same"), s(u"/u/early")}));
    }

    void listingForTheCommandLine()
    {
        TempPreferences temp;
        temp.preferences.setBytes(
            PreferenceKeys::recentFoldersJson,
            RecentFolderCodec::encode({project(s(u"/x/Coding/Robots/arm"), {}, true),
                                       project(s(u"/a/web app"), s(u"Web")),
                                       project(s(u"/a/misc"), s(u""))}));
        QVERIFY(temp.preferences.flush());
        const QString file = temp.preferences.filePath();
        QFile before(file);
        QVERIFY(before.open(QIODevice::ReadOnly));
        const QByteArray bytesBefore = before.readAll();
        before.close();

        const Preferences reader(file, Preferences::Access::ReadOnly);
        const ProjectLibrary::Listing listing = ProjectLibrary::loadListing(reader);
        QVERIFY(!listing.error);
        QCOMPARE(listing.projects.size(), 3);
        QCOMPARE(listing.projects[0].displayName, s(u"arm"));
        QCOMPARE(listing.projects[0].tag, s(u"Robots"));
        QCOMPARE(listing.projects[0].displayPath, s(u"/x/Coding/Robots/arm"));
        QVERIFY(listing.projects[0].record.isPinned);
        QCOMPARE(listing.projects[2].tag, s(u"uncategorized"));
        QCOMPARE(listing.groups.size(), 3);
        QCOMPARE(listing.groups[0].tag, s(u"Robots"));
        QCOMPARE(listing.groups[1].tag, s(u"Web"));
        QCOMPARE(listing.groups[1].projects.first().displayName, s(u"web app"));
        QCOMPARE(listing.groups[2].tag, s(u"uncategorized"));

        QVERIFY(before.open(QIODevice::ReadOnly));
        QCOMPARE(before.readAll(), bytesBefore);
    }

    void listingOfAnEmptyOrCorruptStore()
    {
        TempPreferences temp;
        Preferences& preferences = temp.preferences;
        ProjectLibrary::Listing listing = ProjectLibrary::loadListing(preferences);
        QVERIFY(!listing.error && listing.projects.isEmpty() && listing.groups.isEmpty());

        preferences.setBytes(PreferenceKeys::recentFoldersJson, "{}");
        listing = ProjectLibrary::loadListing(preferences);
        QVERIFY(listing.error);
        QVERIFY(!listing.error->isEmpty());
        QVERIFY(listing.projects.isEmpty() && listing.groups.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestProjectLibrary)
#include "tst_projectlibrary.moc"

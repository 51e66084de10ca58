#include "StoredRecords.h"
#include "library/ProjectLibrary.h"
#include "library/RecentsOrder.h"

#include <QtTest>

using StoredRecords::pathsOf;

namespace {

RecentFolder tagged(const QString& path, const QString& tag)
{
    return StoredRecords::project(path, false, 0, tag);
}

RecentFolder project(const QString& path, bool pinned = false, double lastAccessed = 0)
{
    return StoredRecords::project(path, pinned, lastAccessed);
}

} // namespace

class TestProjectLibrary : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void namesAndPaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::newRow("shortened") << u".../Robots/arm"_qs << u"arm"_qs;
        QTest::newRow("trailing slash") << u"/home/a/app/"_qs << u"app"_qs;
        QTest::newRow("root") << u"/"_qs << u"/"_qs;
        QTest::newRow("empty") << QString() << QString();
    }

    void namesAndPaths()
    {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QCOMPARE(ProjectLibrary::displayName(project(path)), name);
        QCOMPARE(ProjectLibrary::displayPath(project(path)), path);
    }

    void groupsInPlainScalarOrder()
    {
        const QList<ProjectLibrary::TagGroup> groups = ProjectLibrary::libraryGroups({
            tagged(u"/a/one"_qs, u"Swift"_qs),
            tagged(u"/a/two"_qs, u"Python"_qs),
            project(u"/a/three"_qs),
            tagged(u"/a/four"_qs, u"apps"_qs),
            tagged(u"/a/five"_qs, u"swift"_qs),
            project(u"/x/Coding/Robots/arm"_qs),
            tagged(u"/a/six"_qs, u"Swift"_qs),
            project(u".../Zeta/z"_qs),
            tagged(u"/a/seven"_qs, u"Caf\u00E9"_qs),
            tagged(u"/a/eight"_qs, u"Cafe\u0301"_qs),
        });
        QStringList tags;
        for (const auto& group : groups)
            tags << group.tag;
        // Canonically equivalent tags share a group under the first spelling.
        QCOMPARE(tags, (QStringList{u"Caf\u00E9"_qs, u"Python"_qs, u"Robots"_qs, u"Swift"_qs,
                                    u"Zeta"_qs, u"apps"_qs, u"swift"_qs, u"uncategorized"_qs}));
        QCOMPARE(groups[0].projects.size(), 2);
        // Each group keeps the list's order.
        QCOMPARE(pathsOf(groups[3].projects), (QStringList{u"/a/one"_qs, u"/a/six"_qs}));
        // "swift" and "Swift" are two groups whose headers read the same.
        QCOMPARE(ProjectLibrary::groupHeaderTitle(groups[6].tag), u"Swift"_qs);
        QCOMPARE(ProjectLibrary::groupHeaderTitle(groups[7].tag), u"Uncategorized"_qs);
    }

    void sortedGroupKeys()
    {
        QCOMPARE(ProjectLibrary::sortedGroupKeys({u"uncategorized"_qs, u"b"_qs, u"Zeta"_qs,
                                                  u"\U0001F600"_qs, u"\uFF21"_qs, u"ä"_qs,
                                                  u"a10"_qs, u"a9"_qs, u""_qs}),
                 (QStringList{u""_qs, u"Zeta"_qs, u"a10"_qs, u"a9"_qs, u"b"_qs, u"uncategorized"_qs,
                              u"ä"_qs, u"\uFF21"_qs, u"\U0001F600"_qs}));
    }

    void groupHeaderColours()
    {
        QVERIFY(!ProjectLibrary::groupHeaderColor(u"uncategorized"_qs));
        QVERIFY(!ProjectLibrary::groupHeaderShowsSwatch(u"uncategorized"_qs));
        // Another spelling is a tag of its own, coloured by the keyword rules.
        QVERIFY(ProjectLibrary::groupHeaderShowsSwatch(u"Uncategorized"_qs));
        QCOMPARE(ProjectLibrary::groupHeaderColor(u"Home Automation"_qs),
                 std::optional(TagRules::Swatch{NamedColor::pink, 0.5}));
    }

    void sidebarSplitsPinnedFromRecent()
    {
        const ProjectLibrary::SidebarSections sections = ProjectLibrary::sidebarSections(
            {project(u"/p1"_qs, true), project(u"/r1"_qs), project(u"/p2"_qs, true)});
        QCOMPARE(pathsOf(sections.pinned), (QStringList{u"/p1"_qs, u"/p2"_qs}));
        QCOMPARE(pathsOf(sections.recent), QStringList{u"/r1"_qs});
    }

    void naturalNameOrder_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("bare C locale") << QLocale::c();
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany);
    }

    // Pinned by name (natural, case-blind), then the rest newest first.
    void naturalNameOrder()
    {
        QFETCH(QLocale, locale);
        QList<RecentFolder> list{
            project(u"/u/late"_qs, false, 30),     project(u"/p/project 10"_qs, true),
            project(u"/p/Project 2"_qs, true),     project(u"/u/early"_qs, false, 10),
            project(u"/p/\u00E9t\u00E9"_qs, true), project(u"/p/Zoo"_qs, true),
            project(u"/p/apple/"_qs, true),        project(u"/u/same"_qs, false, 30),
        };
        RecentsOrder::sort(list, RecentsOrder::naturalNameCollator(locale));
        QCOMPARE(pathsOf(list), (QStringList{u"/p/apple/"_qs, u"/p/\u00E9t\u00E9"_qs,
                                             u"/p/Project 2"_qs, u"/p/project 10"_qs, u"/p/Zoo"_qs,
                                             u"/u/late"_qs, u"/u/same"_qs, u"/u/early"_qs}));
    }
};

QTEST_GUILESS_MAIN(TestProjectLibrary)
#include "tst_projectlibrary.moc"

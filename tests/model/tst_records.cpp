#include "model/Models.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

class TestRecords : public QObject {
    Q_OBJECT

private:
    static RecentFolder sampleFolder()
    {
        RecentFolder folder;
        folder.id = QUuid::fromString(QStringLiteral("6f1c2a9e-0b3d-4e5f-8a7b-1c2d3e4f5a6b"));
        folder.bookmarkData = QByteArray("{\"path\":\"/a\"}");
        folder.path = QStringLiteral("/a/b");
        folder.isPinned = true;
        folder.lastAccessed = 786543210.123456789;
        return folder;
    }

private Q_SLOTS:
    void enumRawValues()
    {
        QCOMPARE(allViewModes(),
                 (QList<ViewMode>{ViewMode::projects, ViewMode::plexor, ViewMode::preview}));
        for (ViewMode mode : allViewModes())
            QCOMPARE(viewModeFromRawValue(rawValue(mode)), mode);
        QCOMPARE(rawValue(ViewMode::plexor), QStringLiteral("Plexor"));
        QCOMPARE(projectSortModeFromRawValue(QStringLiteral("Tags")), ProjectSortMode::tags);
        QVERIFY(!projectSortModeFromRawValue(QStringLiteral("tags")));
        QVERIFY(!viewModeFromRawValue(QStringLiteral("preview")));
        QVERIFY(!viewModeFromRawValue(QString()));
    }

    void minimalFolderHasFiveMembersInOrder()
    {
        const QByteArray bytes = RecentFolderCodec::encode({sampleFolder()});
        // Compact, members in declaration order, slashes escaped, upper-case UUID.
        QVERIFY(bytes.startsWith("[{\"id\":\"6F1C2A9E-0B3D-4E5F-8A7B-1C2D3E4F5A6B\","
                                 "\"bookmarkData\":\"eyJwYXRoIjoiL2EifQ==\","
                                 "\"path\":\"\\/a\\/b\",\"isPinned\":true,\"lastAccessed\":"));
        QVERIFY(bytes.endsWith("}]"));
        QVERIFY(!bytes.contains(' '));
        QVERIFY(!bytes.contains("null"));
        const QJsonObject object = QJsonDocument::fromJson(bytes).array().first().toObject();
        QCOMPARE(object.size(), 5);
    }

    void roundTripKeepsEveryField()
    {
        RecentFolder folder = sampleFolder();
        folder.savedSelectedPaths =
            QSet<QString>{QStringLiteral("/a/b/x.c"), QStringLiteral("/a/b/\u00e9 \"q\"\n")};
        folder.savedExpandedPaths = QSet<QString>{};
        folder.manualTag = QStringLiteral("Home Automation");
        folder.customColorHex = QStringLiteral("#FF9500");
        RecentFolder other = sampleFolder();
        other.id = QUuid::createUuid();
        other.isPinned = false;
        other.lastAccessed = -12.5;

        const QByteArray bytes = RecentFolderCodec::encode({folder, other});
        const auto decoded = RecentFolderCodec::decode(bytes);
        QVERIFY(decoded);
        QCOMPARE(decoded->size(), 2);
        const RecentFolder& back = decoded->at(0);
        QCOMPARE(back.id, folder.id);
        QCOMPARE(back.bookmarkData, folder.bookmarkData);
        QCOMPARE(back.path, folder.path);
        QCOMPARE(back.isPinned, true);
        // The double must read back bit for bit.
        QCOMPARE(std::memcmp(&back.lastAccessed, &folder.lastAccessed, sizeof(double)), 0);
        QCOMPARE(back.savedSelectedPaths, folder.savedSelectedPaths);
        QVERIFY(back.savedExpandedPaths.has_value());
        QVERIFY(back.savedExpandedPaths->isEmpty());
        QCOMPARE(back.manualTag, folder.manualTag);
        QCOMPARE(back.customColorHex, folder.customColorHex);
        QCOMPARE(decoded->at(1).lastAccessed, -12.5);
        QVERIFY(!decoded->at(1).savedSelectedPaths.has_value());
        QVERIFY(bytes.contains("\"savedExpandedPaths\":[]"));
        // Encoding what was decoded gives the same bytes.
        QCOMPARE(RecentFolderCodec::encode(*decoded), bytes);
    }

    void readerAcceptsOtherOrderUnknownMembersNullsAndPlainSlashes()
    {
        const QByteArray bytes =
            R"([{"lastAccessed":0,"extra":{"x":1},"path":"/a/b","isPinned":false,)"
            R"("bookmarkData":"","id":"6f1c2a9e-0b3d-4e5f-8a7b-1c2d3e4f5a6b",)"
            R"("manualTag":null,"savedSelectedPaths":null}])";
        const auto decoded = RecentFolderCodec::decode(bytes);
        QVERIFY(decoded);
        const RecentFolder& folder = decoded->first();
        QCOMPARE(folder.path, QStringLiteral("/a/b"));
        QVERIFY(!folder.manualTag);
        QVERIFY(!folder.savedSelectedPaths);
        QCOMPARE(ReferenceDate::toDateTime(folder.lastAccessed),
                 QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC));
    }

    void decodeFailsAsAWhole_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good =
            R"({"id":"6F1C2A9E-0B3D-4E5F-8A7B-1C2D3E4F5A6B","bookmarkData":"","path":"/p",)"
            R"("isPinned":false,"lastAccessed":1})";
        QTest::newRow("missing isPinned in second element")
            << QByteArray("[" + good +
                          R"(,{"id":"6F1C2A9E-0B3D-4E5F-8A7B-1C2D3E4F5A6B","bookmarkData":"",)"
                          R"("path":"/q","lastAccessed":1}])");
        // The good element with one member changed, alone in a list.
        const auto changed = [&good](const char* from, const char* to) {
            return QByteArray(good).replace(from, to).prepend('[').append(']');
        };
        QTest::newRow("isPinned as a number") << changed("\"isPinned\":false", "\"isPinned\":0");
        QTest::newRow("lastAccessed as a string")
            << changed("\"lastAccessed\":1", "\"lastAccessed\":\"1\"");
        QTest::newRow("tag as a number") << changed("}", ",\"manualTag\":3}");
        QTest::newRow("set holding a number") << changed("}", ",\"savedSelectedPaths\":[\"a\",1]}");
        QTest::newRow("id not a UUID") << changed("6F1C2A9E-", "XYZ-");
        QTest::newRow("bookmark not Base64")
            << changed("\"bookmarkData\":\"\"", "\"bookmarkData\":\"%%\"");
        QTest::newRow("object instead of array") << good;
        QTest::newRow("element not an object") << QByteArray("[1]");
        QTest::newRow("truncated") << QByteArray("[" + good.left(20));
        QTest::newRow("empty bytes") << QByteArray();
    }

    void decodeFailsAsAWhole()
    {
        QFETCH(QByteArray, bytes);
        QString error;
        QVERIFY(!RecentFolderCodec::decode(bytes, &error));
        QVERIFY(!error.isEmpty());
    }

    void equalityOfRecords()
    {
        RecentFolder a = sampleFolder();
        RecentFolder b = sampleFolder();
        b.path = QStringLiteral("/elsewhere");
        QVERIFY(a == b);
        b.id = QUuid::createUuid();
        QVERIFY(!(a == b));

        const CustomTagDefinition red{QStringLiteral("web"), QStringLiteral("#FF0000")};
        const CustomTagDefinition blue{QStringLiteral("web"), QStringLiteral("#0000FF")};
        QVERIFY(red != blue);
        QCOMPARE(red, (CustomTagDefinition{QStringLiteral("web"), QStringLiteral("#FF0000")}));
    }

    void customTagsRoundTripAndFail()
    {
        const QList<CustomTagDefinition> tags{
            {QStringLiteral("a/b"), QStringLiteral("#112233")},
            {QStringLiteral("\u00dcber"), QStringLiteral("#FFFFFF80")}};
        const QByteArray bytes = CustomTagCodec::encode(tags);
        QCOMPARE(bytes.left(38), QByteArray(R"([{"name":"a\/b","colorHex":"#112233"},)"));
        QCOMPARE(CustomTagCodec::decode(bytes), tags);
        QCOMPARE(CustomTagCodec::decode("[]"), QList<CustomTagDefinition>{});
        QVERIFY(!CustomTagCodec::decode(R"([{"name":"x"}])"));
        QVERIFY(!CustomTagCodec::decode(R"([{"name":"x","colorHex":null}])"));
        QCOMPARE(
            CustomTagCodec::decode(R"([{"colorHex":"#000000","name":"x","n":1}])")->first().name,
            QStringLiteral("x"));
    }

    void referenceDateConversions()
    {
        const QDateTime moment(QDate(2024, 2, 29), QTime(12, 30, 15, 250), Qt::UTC);
        const double seconds = ReferenceDate::fromDateTime(moment);
        QCOMPARE(ReferenceDate::toDateTime(seconds), moment);
        QVERIFY(ReferenceDate::fromDateTime(
                    QDateTime(QDate(2000, 12, 31), QTime(23, 59), Qt::UTC)) < 0);
        const double now = ReferenceDate::now();
        QVERIFY(qAbs(now - ReferenceDate::fromDateTime(QDateTime::currentDateTimeUtc())) < 5);
    }
};

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"

#include "model/Models.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QByteArray goodFolder =
    R"({"id":"6F1C2A9E-0B3D-4E5F-8A7B-1C2D3E4F5A6B","bookmarkData":"","path":"/p",)"
    R"("isPinned":false,"lastAccessed":1})";

RecentFolder sampleFolder()
{
    RecentFolder folder;
    folder.id = QUuid::fromString(u"6f1c2a9e-0b3d-4e5f-8a7b-1c2d3e4f5a6b"_s);
    folder.bookmarkData = QByteArray("{\"path\":\"/a\"}");
    folder.path = u"/a/b"_s;
    folder.isPinned = true;
    folder.lastAccessed = 786543210.123456789;
    return folder;
}

} // namespace

class TestRecords : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Compact, members in declaration order, slashes escaped, upper-case UUID, absent optional
    // members left out, an empty set kept as an empty set; decoding and encoding again gives the
    // same bytes and the same number, bit for bit.
    void folderEncodesInTheDocumentedForm_data()
    {
        QTest::addColumn<RecentFolder>("folder");
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray start = R"([{"id":"6F1C2A9E-0B3D-4E5F-8A7B-1C2D3E4F5A6B",)"
                                 R"("bookmarkData":"eyJwYXRoIjoiL2EifQ==","path":"\/a\/b",)";
        RecentFolder minimal = sampleFolder();
        minimal.isPinned = false;
        minimal.lastAccessed = -12.5;
        QTest::newRow("five members")
            << minimal << start + R"("isPinned":false,"lastAccessed":-12.5}])";
        RecentFolder full = sampleFolder();
        full.savedSelectedPaths = QSet<QString>{u"/a/b/\u00e9 \"q\"\n"_s};
        full.savedExpandedPaths = QSet<QString>{};
        full.manualTag = u"Home Automation"_s;
        full.customColorHex = u"#FF9500"_s;
        QTest::newRow("every member")
            << full
            << start + R"("isPinned":true,"lastAccessed":786543210.1234568,)"
                       "\"savedSelectedPaths\":[\"\\/a\\/b\\/\xc3\xa9 "
                       "\\\"q\\\"\\n\"],\"savedExpandedPaths\":[],"
                       R"("manualTag":"Home Automation","customColorHex":"#FF9500"}])";
    }

    void folderEncodesInTheDocumentedForm()
    {
        QFETCH(RecentFolder, folder);
        QFETCH(QByteArray, bytes);
        QCOMPARE(RecentFolderCodec::encode({folder}), bytes);
        const auto decoded = RecentFolderCodec::decode(bytes);
        QVERIFY(decoded && decoded->size() == 1);
        QCOMPARE(RecentFolderCodec::encode(*decoded), bytes);
        QCOMPARE(std::memcmp(&decoded->first().lastAccessed, &folder.lastAccessed, sizeof(double)),
                 0);
    }

    void readerAcceptsOtherOrderUnknownMembersNullsAndPlainSlashes()
    {
        const auto decoded = RecentFolderCodec::decode(
            R"([{"lastAccessed":0,"extra":{"x":1},"path":"/a/b","isPinned":false,)"
            R"("bookmarkData":"","id":"6f1c2a9e-0b3d-4e5f-8a7b-1c2d3e4f5a6b",)"
            R"("manualTag":null,"savedSelectedPaths":null}])");
        QVERIFY(decoded);
        QCOMPARE(decoded->first().path, u"/a/b"_s);
        QVERIFY(!decoded->first().manualTag && !decoded->first().savedSelectedPaths);
        QCOMPARE(ReferenceDate::toDateTime(decoded->first().lastAccessed),
                 QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC));
    }

    void decodeFailsAsAWhole_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        // The good element with one member changed, alone in a list.
        const auto changed = [](const char* from, const char* to) {
            return QByteArray(goodFolder).replace(from, to).prepend('[').append(']');
        };
        QTest::newRow("missing isPinned in second element")
            << "[" + goodFolder + "," + QByteArray(goodFolder).replace("\"isPinned\":false,", "") +
                   "]";
        QTest::newRow("isPinned as a number") << changed("\"isPinned\":false", "\"isPinned\":0");
        QTest::newRow("lastAccessed as a string")
            << changed("\"lastAccessed\":1", "\"lastAccessed\":\"1\"");
        QTest::newRow("tag as a number") << changed("}", ",\"manualTag\":3}");
        QTest::newRow("set holding a number") << changed("}", ",\"savedSelectedPaths\":[\"a\",1]}");
        QTest::newRow("id not a UUID") << changed("6F1C2A9E-", "XYZ-");
        QTest::newRow("bookmark not Base64")
            << changed("\"bookmarkData\":\"\"", "\"bookmarkData\":\"%%\"");
        QTest::newRow("object instead of array") << goodFolder;
        QTest::newRow("element not an object") << QByteArray("[1]");
        QTest::newRow("truncated") << QByteArray("[" + goodFolder.left(20));
        QTest::newRow("empty bytes") << QByteArray();
    }

    void decodeFailsAsAWhole()
    {
        QFETCH(QByteArray, bytes);
        QString error;
        QVERIFY(!RecentFolderCodec::decode(bytes, &error));
        QVERIFY(!error.isEmpty());
    }

    // A project is the same project whatever else changed about it.
    void foldersAreEqualByIdentity()
    {
        RecentFolder moved = sampleFolder();
        moved.path = u"/elsewhere"_s;
        QVERIFY(moved == sampleFolder());
        moved.id = QUuid::createUuid();
        QVERIFY(!(moved == sampleFolder()));
    }

    void customTagsInTheDocumentedForm()
    {
        const QList<CustomTagDefinition> tags{{u"a/b"_s, u"#112233"_s},
                                              {u"\u00dcber"_s, u"#FFFFFF80"_s}};
        const QByteArray bytes = "[{\"name\":\"a\\/b\",\"colorHex\":\"#112233\"},"
                                 "{\"name\":\"\xc3\x9c"
                                 "ber\",\"colorHex\":\"#FFFFFF80\"}]";
        QCOMPARE(CustomTagCodec::encode(tags), bytes);
        QCOMPARE(CustomTagCodec::decode("[]"), QList<CustomTagDefinition>{});
        QVERIFY(!CustomTagCodec::decode("[{\"name\":\"x\"}]"));
        QVERIFY(!CustomTagCodec::decode("[{\"name\":\"x\",\"colorHex\":null}]"));
        const QList<CustomTagDefinition> black{{u"x"_s, u"#000000"_s}};
        QCOMPARE(CustomTagCodec::decode("[{\"colorHex\":\"#000000\",\"name\":\"x\",\"n\":1}]"),
                 black);
    }

    void referenceDateConversions()
    {
        const QDateTime moment(QDate(2024, 2, 29), QTime(12, 30, 15, 250), Qt::UTC);
        QCOMPARE(ReferenceDate::toDateTime(ReferenceDate::fromDateTime(moment)), moment);
        QVERIFY(qAbs(ReferenceDate::now() -
                     ReferenceDate::fromDateTime(QDateTime::currentDateTimeUtc())) < 5);
    }
};

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"

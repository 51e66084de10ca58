#include "StoredRecords.h"
#include "model/Models.h"
#include "model/PreferenceKeys.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

// The preference file, and the remembered projects and custom tags stored in it.
class TestPreferences : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QString filePath() const { return m_dir->filePath(u"CodePlexor/CodePlexor.json"_s); }
    QJsonObject readJson() const
    {
        return QJsonDocument::fromJson(StoredRecords::readFile(filePath())).object();
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir().mkpath(m_dir->filePath(u"CodePlexor"_s)));
    }

    void typedValuesPersistInTheDocumentedFormat()
    {
        Preferences prefs(filePath());
        prefs.setText(PreferenceKeys::savedPrefixText, u"I\u2019m \"here\"\n"_s);
        prefs.setBytes(PreferenceKeys::recentFoldersJson, QByteArray("[\x00\xff]", 4));
        prefs.setBoolean(PreferenceKeys::enableAutomaticChecks, false);
        prefs.setNumber(PreferenceKeys::lastUpdateCheckTime, 12.25);
        // In memory at once, in the file once the interval is over.
        QVERIFY(readJson().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(!prefs.hasPendingChanges(), 5 * Preferences::saveDelayMs);
        const QJsonObject onDisk = readJson();
        QCOMPARE(onDisk.value(u"savedPrefixText").toString(), u"I\u2019m \"here\"\n"_s);
        QCOMPARE(onDisk.value(u"recentFoldersJson").toObject(),
                 (QJsonObject{{u"base64"_s, u"WwD/XQ=="_s}}));
        QCOMPARE(onDisk.value(u"SUEnableAutomaticChecks"), QJsonValue(false));
        QCOMPARE(onDisk.value(u"SULastCheckTime").toDouble(), 12.25);
    }

    void wrongTypesReadAsAbsentAndSurviveRewrites()
    {
        QVERIFY(StoredRecords::writeFile(
            filePath(), R"({"savedPrefixText": 42, "recentFoldersJson": "not bytes",
                "lastFolderBookmark": {"base64": "%%%"},
                "SUEnableAutomaticChecks": "yes"})"));
        Preferences prefs(filePath());
        QVERIFY(!prefs.text(PreferenceKeys::savedPrefixText));
        QVERIFY(!prefs.bytes(PreferenceKeys::recentFoldersJson));
        QVERIFY(!prefs.bytes(PreferenceKeys::lastFolderBookmark));
        QVERIFY(!prefs.boolean(PreferenceKeys::enableAutomaticChecks));

        // Written again they stay as they were. (Values of no known key, too, which the format's
        // fuzz target checks.)
        prefs.setText(PreferenceKeys::savedCustomTags, u"t"_s);
        QVERIFY(prefs.flush());
        QCOMPARE(readJson().value(u"savedPrefixText").toDouble(), 42.0);
        QCOMPARE(readJson().value(u"lastFolderBookmark").toObject(),
                 (QJsonObject{{u"base64"_s, u"%%%"_s}}));
    }

    void unreadableFileIsKeptBeside_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("truncated object") << QByteArray("{\"savedPrefixText\": \"abc");
        QTest::newRow("empty file, an empty store") << QByteArray();
    }

    void unreadableFileIsKeptBeside()
    {
        QFETCH(QByteArray, content);
        QVERIFY(StoredRecords::writeFile(filePath(), content));
        Preferences prefs(filePath());
        QVERIFY(prefs.allKeys().isEmpty());
        QCOMPARE(prefs.preservedCorruptFile().isEmpty(), content.isEmpty());
        prefs.setText(PreferenceKeys::savedPrefixText, u"new"_s);
        QVERIFY(prefs.flush());
        if (!content.isEmpty())
            QCOMPARE(StoredRecords::readFile(prefs.preservedCorruptFile()), content);
        QCOMPARE(readJson().value(u"savedPrefixText").toString(), u"new"_s);
    }

    void leftoversOfInterruptedWritesGoAtStart()
    {
        QVERIFY(StoredRecords::writeFile(filePath(), R"({"savedPrefixText": "kept"})"));
        const QStringList others{u"CodePlexor.json"_s,
                                 u"CodePlexor.json.corrupt-20260101T000000Z"_s,
                                 u"CodePlexor.json.notes.txt"_s};
        // Beside them a temporary file of an interrupted write.
        for (const QString& name : others.mid(1) + QStringList{u"CodePlexor.json.aBcXyZ"_s})
            QVERIFY(StoredRecords::writeFile(m_dir->filePath(u"CodePlexor/"_s + name), {}));
        Preferences prefs(filePath());
        QCOMPARE(QDir(m_dir->filePath(u"CodePlexor"_s)).entryList(QDir::Files | QDir::Hidden),
                 others);
    }

    void aFileThatCannotBeReadIsNeverWrittenOver()
    {
        const QByteArray stored("{\"savedPrefixText\": \"mine\"}");
        QVERIFY(StoredRecords::writeFile(filePath(), stored));
        const QByteArray path = QFile::encodeName(filePath());
        // Writable but not readable; root reads every file, so then it belongs to another user
        // and the store is opened as that user.
        const bool root = ::geteuid() == 0;
        const QByteArray folder = QFile::encodeName(QFileInfo(filePath()).path());
        QVERIFY(!root || (::chown(path.constData(), 65534, 65534) == 0 &&
                          ::chown(folder.constData(), 65534, 65534) == 0 &&
                          ::chmod(QFile::encodeName(m_dir->path()).constData(), 0755) == 0));
        QVERIFY(::chmod(path.constData(), 0200) == 0);
        {
            QVERIFY(!root || ::seteuid(65534) == 0);
            const auto back = qScopeGuard([root] { QVERIFY(!root || ::seteuid(0) == 0); });
            Preferences prefs(filePath());
            prefs.setText(PreferenceKeys::savedPrefixText, u"other"_s);
            QVERIFY(!prefs.flush());
        }
        QVERIFY(::chmod(path.constData(), 0600) == 0);
        QCOMPARE(StoredRecords::readFile(filePath()), stored);
    }

    // Compact, members in declaration order, slashes escaped, upper-case UUID, absent optional
    // members left out, an empty set kept, negative zero as 0. (Reading back: the fuzz target.)
    void foldersInTheDocumentedForm()
    {
        RecentFolder folder = StoredRecords::project(u"/a/b"_s, false, -0.0);
        folder.id = QUuid::fromString(u"6f1c2a9e-0b3d-4e5f-8a7b-1c2d3e4f5a6b"_s);
        folder.bookmarkData = QByteArray("{\"path\":\"/a\"}");
        const QByteArray start = R"([{"id":"6F1C2A9E-0B3D-4E5F-8A7B-1C2D3E4F5A6B",)"
                                 R"("bookmarkData":"eyJwYXRoIjoiL2EifQ==","path":"\/a\/b",)";
        QCOMPARE(RecentFolderCodec::encode({folder}),
                 start + R"("isPinned":false,"lastAccessed":0}])");
        folder.isPinned = true;
        folder.lastAccessed = 786543210.123456789;
        folder.savedSelectedPaths = QSet<QString>{u"/a/b/\u00e9 \"q\"\n"_s};
        folder.savedExpandedPaths = QSet<QString>{};
        folder.manualTag = u"Home Automation"_s;
        folder.customColorHex = u"#FF9500"_s;
        QCOMPARE(RecentFolderCodec::encode({folder}),
                 start + R"("isPinned":true,"lastAccessed":786543210.1234568,)"
                         "\"savedSelectedPaths\":[\"\\/a\\/b\\/\xc3\xa9 "
                         "\\\"q\\\"\\n\"],\"savedExpandedPaths\":[],"
                         R"("manualTag":"Home Automation","customColorHex":"#FF9500"}])");
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
        const QByteArray goodFolder =
            R"({"id":"6F1C2A9E-0B3D-4E5F-8A7B-1C2D3E4F5A6B","bookmarkData":"","path":"/p",)"
            R"("isPinned":false,"lastAccessed":1})";
        // The good element with one member changed, alone in a list.
        const auto changed = [&goodFolder](const char* from, const char* to) {
            return QByteArray(goodFolder).replace(from, to).prepend('[').append(']');
        };
        QTest::newRow("missing isPinned in second element")
            << "[" + goodFolder + "," + QByteArray(goodFolder).replace("\"isPinned\":false,", "") +
                   "]";
        QTest::newRow("isPinned as a number") << changed("\"isPinned\":false", "\"isPinned\":0");
        QTest::newRow("set holding a number") << changed("}", ",\"savedSelectedPaths\":[\"a\",1]}");
        QTest::newRow("id not a UUID") << changed("6F1C2A9E-", "XYZ-");
        QTest::newRow("bookmark not Base64")
            << changed("\"bookmarkData\":\"\"", "\"bookmarkData\":\"%%\"");
    }

    void decodeFailsAsAWhole()
    {
        QFETCH(QByteArray, bytes);
        QString error;
        QVERIFY(!RecentFolderCodec::decode(bytes, &error));
        QVERIFY(!error.isEmpty());
    }

    void customTagsInTheDocumentedForm()
    {
        const QList<CustomTagDefinition> tags{{u"a/b"_s, u"#112233"_s},
                                              {u"\u00dcber"_s, u"#FFFFFF80"_s}};
        const QByteArray bytes = "[{\"name\":\"a\\/b\",\"colorHex\":\"#112233\"},"
                                 "{\"name\":\"\xc3\x9c"
                                 "ber\",\"colorHex\":\"#FFFFFF80\"}]";
        QCOMPARE(CustomTagCodec::encode(tags), bytes);
        QVERIFY(!CustomTagCodec::decode("[{\"name\":\"x\",\"colorHex\":null}]"));
        const QList<CustomTagDefinition> black{{u"x"_s, u"#000000"_s}};
        QCOMPARE(CustomTagCodec::decode("[{\"colorHex\":\"#000000\",\"name\":\"x\",\"n\":1}]"),
                 black);
    }
};

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"

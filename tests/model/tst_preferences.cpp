#include "StoredRecords.h"
#include "model/PreferenceKeys.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

class TestPreferences : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QString filePath() const { return m_dir->filePath(u"CodePlexor/CodePlexor.json"_s); }
    QStringList filesInFolder() const
    {
        return QDir(m_dir->filePath(u"CodePlexor"_s)).entryList(QDir::Files | QDir::Hidden);
    }
    QJsonObject readJson() const
    {
        return QJsonDocument::fromJson(StoredRecords::readFile(filePath())).object();
    }
    QJsonValue bytesInFile(const QString& key) const
    {
        return readJson().value(key).toObject().value(u"base64");
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir().mkpath(m_dir->filePath(u"CodePlexor"_s)));
    }

    void defaultLocationFollowsXdg()
    {
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", "/tmp/xdg-test");
        QCOMPARE(Preferences::defaultFilePath(), u"/tmp/xdg-test/CodePlexor/CodePlexor.json"_s);
        qunsetenv("XDG_CONFIG_HOME");
        QCOMPARE(Preferences::defaultFilePath(),
                 QDir::homePath() + u"/.config/CodePlexor/CodePlexor.json"_s);
        qputenv("XDG_CONFIG_HOME", saved);
    }

    void typedValuesPersistInTheDocumentedFormat()
    {
        {
            Preferences prefs(filePath());
            QVERIFY(prefs.allKeys().isEmpty() && !prefs.text(PreferenceKeys::savedPrefixText));
            QSignalSpy spy(&prefs, &Preferences::changed);
            prefs.setText(PreferenceKeys::savedPrefixText, u"I\u2019m \"here\"\n"_s);
            prefs.setText(PreferenceKeys::savedSuffixText, QString());
            prefs.setBytes(PreferenceKeys::recentFoldersJson, QByteArray("[\x00\xff]", 4));
            prefs.setBoolean(PreferenceKeys::enableAutomaticChecks, false);
            prefs.setNumber(PreferenceKeys::lastUpdateCheckTime, 12.25);
            QCOMPARE(spy.count(), 5);
            QCOMPARE(spy.first().first().toString(), u"savedPrefixText"_s);
            // In memory at once, in the file once the interval is over.
            QVERIFY(readJson().isEmpty());
            QTRY_VERIFY_WITH_TIMEOUT(!prefs.hasPendingChanges(), 5 * Preferences::saveDelayMs);
            const QJsonObject onDisk = readJson();
            QCOMPARE(onDisk.value(u"savedPrefixText").toString(), u"I\u2019m \"here\"\n"_s);
            QCOMPARE(bytesInFile(u"recentFoldersJson"_s).toString(), u"WwD/XQ=="_s);
            QCOMPARE(onDisk.value(u"SUEnableAutomaticChecks"), QJsonValue(false));
            QCOMPARE(onDisk.value(u"SULastCheckTime").toDouble(), 12.25);
        }
        Preferences again(filePath());
        QCOMPARE(again.text(PreferenceKeys::savedPrefixText), u"I\u2019m \"here\"\n"_s);
        QCOMPARE(again.text(PreferenceKeys::savedSuffixText), std::optional(QString()));
        QCOMPARE(again.bytes(PreferenceKeys::recentFoldersJson), QByteArray("[\x00\xff]", 4));
        QCOMPARE(again.boolean(PreferenceKeys::enableAutomaticChecks), false);
        QCOMPARE(again.number(PreferenceKeys::lastUpdateCheckTime), 12.25);
        again.remove(u"savedSuffixText"_s);
        QVERIFY(again.flush());
        QVERIFY(!readJson().contains(u"savedSuffixText"));
    }

    void wrongTypesReadAsAbsentAndSurviveRewrites()
    {
        QVERIFY(StoredRecords::writeFile(
            filePath(), R"({"savedPrefixText": 42, "savedSuffixText": {"base64": "QQ=="},
                "recentFoldersJson": "not bytes", "lastFolderBookmark": {"base64": "%%%"},
                "SUEnableAutomaticChecks": "yes", "KeyboardShortcuts_x": [1, 2], "other": null})"));
        Preferences prefs(filePath());
        QVERIFY(!prefs.text(PreferenceKeys::savedPrefixText));
        QVERIFY(!prefs.text(PreferenceKeys::savedSuffixText));
        QVERIFY(!prefs.bytes(PreferenceKeys::recentFoldersJson));
        QVERIFY(!prefs.bytes(PreferenceKeys::lastFolderBookmark));
        QVERIFY(!prefs.boolean(PreferenceKeys::enableAutomaticChecks));
        QCOMPARE(prefs.bytes(QLatin1StringView("savedSuffixText")), QByteArray("A"));
        QVERIFY(prefs.allKeys().contains(u"KeyboardShortcuts_x"_s));

        prefs.setText(PreferenceKeys::savedCustomTags, u"t"_s);
        QVERIFY(prefs.flush());
        const QJsonObject onDisk = readJson();
        QCOMPARE(onDisk.value(u"savedPrefixText").toDouble(), 42.0);
        QCOMPARE(onDisk.value(u"KeyboardShortcuts_x").toArray().size(), 2);
        QVERIFY(onDisk.value(u"other").isNull());
        QCOMPARE(bytesInFile(u"lastFolderBookmark"_s).toString(), u"%%%"_s);
    }

    void unreadableFileIsKeptBeside_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("truncated object") << QByteArray("{\"savedPrefixText\": \"abc");
        QTest::newRow("array") << QByteArray("[1, 2]");
        QTest::newRow("binary") << QByteArray("\x00\x01\x02garbage", 10);
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

    void unusableValueIsKeptBeforeItIsReplaced()
    {
        const QByteArray original(R"({ "recentFoldersJson": {"base64": "W3siaWQiOiJ4In1d"},
                                       "savedPrefixText": 42 })");
        QVERIFY(StoredRecords::writeFile(filePath(), original));
        {
            Preferences prefs(filePath());
            prefs.keepOriginal(u"recentFoldersJson"_s);
            prefs.keepOriginal(u"savedPrefixText"_s);
            prefs.keepOriginal(u"absent"_s);
            // A change elsewhere keeps the marked values in the file: nothing to copy yet.
            prefs.setText(PreferenceKeys::savedSuffixText, u"s"_s);
            prefs.remove(u"absent"_s);
            QVERIFY(prefs.flush());
            QVERIFY(prefs.preservedCorruptFile().isEmpty());

            prefs.setBytes(PreferenceKeys::recentFoldersJson, "[]");
            QVERIFY(prefs.flush());
            const QString copy = prefs.preservedCorruptFile();
            QVERIFY(copy.startsWith(filePath() + u".corrupt-"_s));
            QCOMPARE(StoredRecords::readFile(copy), original);

            // That copy holds the other marked value too; its replacement makes no second one.
            prefs.setText(PreferenceKeys::savedPrefixText, u"p"_s);
            QVERIFY(prefs.flush());
            QCOMPARE(prefs.preservedCorruptFile(), copy);
        }
        // Nothing else beside: no second copy, no temporary file.
        QCOMPARE(filesInFolder().size(), 2);
        QCOMPARE(readJson().value(u"savedPrefixText").toString(), u"p"_s);
    }

    void leftoversOfInterruptedWritesGoAtStart()
    {
        QVERIFY(StoredRecords::writeFile(filePath(), R"({"savedPrefixText": "kept"})"));
        const QStringList others{u"CodePlexor.json"_s,
                                 u"CodePlexor.json.corrupt-20260101T000000Z"_s,
                                 u"CodePlexor.json.lock"_s, u"CodePlexor.json.notes.txt"_s};
        // Beside them a temporary file of an interrupted write.
        for (const QString& name : others.mid(1) + QStringList{u"CodePlexor.json.aBcXyZ"_s})
            QVERIFY(StoredRecords::writeFile(m_dir->filePath(u"CodePlexor/"_s + name), {}));
        Preferences prefs(filePath());
        QCOMPARE(prefs.text(PreferenceKeys::savedPrefixText), u"kept"_s);
        QCOMPARE(filesInFolder(), others);
    }

    void readOnlyStoreNeverChangesTheFile()
    {
        const QByteArray corrupt("{\"savedPrefixText\": ");
        QVERIFY(StoredRecords::writeFile(filePath(), corrupt));
        {
            Preferences prefs(filePath(), Preferences::Access::ReadOnly);
            QVERIFY(prefs.allKeys().isEmpty());
            prefs.setText(PreferenceKeys::savedPrefixText, u"x"_s);
            prefs.remove(u"savedPrefixText"_s);
            QVERIFY(!prefs.text(PreferenceKeys::savedPrefixText));
        }
        QCOMPARE(StoredRecords::readFile(filePath()), corrupt);
        QCOMPARE(filesInFolder(), QStringList{u"CodePlexor.json"_s});
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
};

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"

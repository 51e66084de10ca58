#include "model/PreferenceKeys.h"
#include "model/Preferences.h"
#include "platform/Log.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

class TestPreferences : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QString filePath() const
    {
        return m_dir->filePath(QStringLiteral("CodePlexor/CodePlexor.json"));
    }

    void writeFile(const QByteArray& content)
    {
        QDir().mkpath(QFileInfo(filePath()).absolutePath());
        QFile file(filePath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

    QJsonObject readFile()
    {
        QFile file(filePath());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(file.readAll()).object();
    }

private Q_SLOTS:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void defaultLocationFollowsXdg()
    {
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", "/tmp/xdg-test");
        QCOMPARE(Preferences::defaultFilePath(),
                 QStringLiteral("/tmp/xdg-test/CodePlexor/CodePlexor.json"));
        qunsetenv("XDG_CONFIG_HOME");
        QCOMPARE(Preferences::defaultFilePath(),
                 QDir::homePath() + QStringLiteral("/.config/CodePlexor/CodePlexor.json"));
        qputenv("XDG_CONFIG_HOME", saved);
        // Tests run with their own configuration folder, never the user's.
        QVERIFY(!Preferences::defaultFilePath().startsWith(QDir::homePath() +
                                                           QStringLiteral("/.config")));
    }

    void emptyStoreReadsAbsent()
    {
        Preferences prefs(filePath());
        QVERIFY(!prefs.text(PreferenceKeys::savedPrefixText));
        QVERIFY(!prefs.bytes(PreferenceKeys::recentFoldersJson));
        QVERIFY(!prefs.boolean(PreferenceKeys::enableAutomaticChecks));
        QVERIFY(prefs.allKeys().isEmpty());
        QVERIFY(prefs.preservedCorruptFile().isEmpty());
    }

    void typedValuesPersistInTheDocumentedFormat()
    {
        {
            Preferences prefs(filePath());
            QSignalSpy spy(&prefs, &Preferences::changed);
            prefs.setText(PreferenceKeys::savedPrefixText, QStringLiteral("I\u2019m \"here\"\n"));
            prefs.setText(PreferenceKeys::savedSuffixText, QString());
            prefs.setBytes(PreferenceKeys::recentFoldersJson, QByteArray("[\x00\xff]", 4));
            prefs.setBoolean(PreferenceKeys::enableAutomaticChecks, false);
            prefs.setNumber(PreferenceKeys::lastUpdateCheckTime, 12.25);
            QCOMPARE(spy.count(), 5);
            QCOMPARE(spy.first().first().toString(), QStringLiteral("savedPrefixText"));
            // In memory at once, in the file once the interval is over.
            QVERIFY(prefs.hasPendingChanges());
            QVERIFY(readFile().isEmpty());
            QTRY_VERIFY_WITH_TIMEOUT(!prefs.hasPendingChanges(), 5 * Preferences::saveDelayMs);
            const QJsonObject onDisk = readFile();
            QCOMPARE(onDisk.value(QStringLiteral("savedPrefixText")).toString(),
                     QStringLiteral("I\u2019m \"here\"\n"));
            QCOMPARE(onDisk.value(QStringLiteral("recentFoldersJson"))
                         .toObject()
                         .value(QStringLiteral("base64"))
                         .toString(),
                     QStringLiteral("WwD/XQ=="));
            QCOMPARE(onDisk.value(QStringLiteral("SUEnableAutomaticChecks")), QJsonValue(false));
            QCOMPARE(onDisk.value(QStringLiteral("SULastCheckTime")).toDouble(), 12.25);
        }
        Preferences again(filePath());
        QCOMPARE(again.text(PreferenceKeys::savedPrefixText),
                 QStringLiteral("I\u2019m \"here\"\n"));
        QCOMPARE(again.text(PreferenceKeys::savedSuffixText), QString());
        QVERIFY(again.text(PreferenceKeys::savedSuffixText).has_value());
        QCOMPARE(again.bytes(PreferenceKeys::recentFoldersJson), QByteArray("[\x00\xff]", 4));
        QCOMPARE(again.boolean(PreferenceKeys::enableAutomaticChecks), false);
        QCOMPARE(again.number(PreferenceKeys::lastUpdateCheckTime), 12.25);

        again.remove(QStringLiteral("savedSuffixText"));
        QVERIFY(again.flush());
        QVERIFY(!again.contains(QStringLiteral("savedSuffixText")));
        QVERIFY(!readFile().contains(QStringLiteral("savedSuffixText")));
    }

    void wrongTypesReadAsAbsentAndSurviveRewrites()
    {
        writeFile(R"({"savedPrefixText": 42, "savedSuffixText": {"base64": "QQ=="},
                      "recentFoldersJson": "not bytes", "lastFolderBookmark": {"base64": "%%%"},
                      "SUEnableAutomaticChecks": "yes", "KeyboardShortcuts_x": [1, 2],
                      "other": null})");
        Preferences prefs(filePath());
        QVERIFY(!prefs.text(PreferenceKeys::savedPrefixText));
        QVERIFY(!prefs.text(PreferenceKeys::savedSuffixText));
        QVERIFY(!prefs.bytes(PreferenceKeys::recentFoldersJson));
        QVERIFY(!prefs.bytes(PreferenceKeys::lastFolderBookmark));
        QVERIFY(!prefs.boolean(PreferenceKeys::enableAutomaticChecks));
        QCOMPARE(prefs.bytes(QLatin1StringView("savedSuffixText")), QByteArray("A"));
        QVERIFY(prefs.allKeys().contains(QStringLiteral("KeyboardShortcuts_x")));

        prefs.setText(PreferenceKeys::savedCustomTags, QStringLiteral("t"));
        QVERIFY(prefs.flush());
        const QJsonObject onDisk = readFile();
        QCOMPARE(onDisk.value(QStringLiteral("savedPrefixText")).toDouble(), 42.0);
        QCOMPARE(onDisk.value(QStringLiteral("KeyboardShortcuts_x")).toArray().size(), 2);
        QVERIFY(onDisk.value(QStringLiteral("other")).isNull());
        QCOMPARE(onDisk.value(QStringLiteral("lastFolderBookmark"))
                     .toObject()
                     .value(QStringLiteral("base64"))
                     .toString(),
                 QStringLiteral("%%%"));
    }

    void corruptFileIsKeptBesideAndStoreStartsEmpty_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("truncated object") << QByteArray("{\"savedPrefixText\": \"abc");
        QTest::newRow("array") << QByteArray("[1, 2]");
        QTest::newRow("binary") << QByteArray("\x00\x01\x02garbage", 10);
    }

    void corruptFileIsKeptBesideAndStoreStartsEmpty()
    {
        QFETCH(QByteArray, content);
        writeFile(content);
        Preferences prefs(filePath());
        QVERIFY(!prefs.preservedCorruptFile().isEmpty());
        QVERIFY(prefs.allKeys().isEmpty());
        prefs.setText(PreferenceKeys::savedPrefixText, QStringLiteral("new"));
        QVERIFY(prefs.flush());

        QFile kept(prefs.preservedCorruptFile());
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), content);
        QCOMPARE(readFile().value(QStringLiteral("savedPrefixText")).toString(),
                 QStringLiteral("new"));
    }

    void unusableValueIsKeptBeforeItIsReplaced()
    {
        const QByteArray original(R"({ "recentFoldersJson": {"base64": "W3siaWQiOiJ4In1d"},
                                       "savedPrefixText": 42 })");
        writeFile(original);
        QStringList log;
        const Log::Sink previous = Log::setSink([&](const QString& line) { log << line; });
        {
            Preferences prefs(filePath());
            prefs.keepOriginal(QStringLiteral("recentFoldersJson"));
            prefs.keepOriginal(QStringLiteral("savedPrefixText"));
            prefs.keepOriginal(QStringLiteral("absent"));
            // A change elsewhere keeps the marked values in the file: nothing to copy yet.
            prefs.setText(PreferenceKeys::savedSuffixText, QStringLiteral("s"));
            prefs.remove(QStringLiteral("absent"));
            QVERIFY(prefs.flush());
            QVERIFY(prefs.preservedCorruptFile().isEmpty());

            prefs.setBytes(PreferenceKeys::recentFoldersJson, "[]");
            QVERIFY(prefs.flush());
            const QString copy = prefs.preservedCorruptFile();
            QVERIFY(copy.startsWith(filePath() + QStringLiteral(".corrupt-")));
            QFile kept(copy);
            QVERIFY(kept.open(QIODevice::ReadOnly));
            QCOMPARE(kept.readAll(), original);
            QCOMPARE(log.size(), 1);
            QVERIFY(log.first().endsWith(copy));

            // That copy holds the other marked value too; its replacement makes no second one.
            prefs.setText(PreferenceKeys::savedPrefixText, QStringLiteral("p"));
            QVERIFY(prefs.flush());
            QCOMPARE(prefs.preservedCorruptFile(), copy);
        }
        Log::setSink(previous);
        QCOMPARE(QDir(QFileInfo(filePath()).absolutePath()).entryList(QDir::Files).size(), 2);
        QCOMPARE(readFile().value(QStringLiteral("savedPrefixText")).toString(),
                 QStringLiteral("p"));
    }

    void leftoversOfInterruptedWritesGoAtStart()
    {
        const QDir folder(m_dir->filePath(QStringLiteral("CodePlexor")));
        writeFile(R"({"savedPrefixText": "kept"})");
        const QStringList others{QStringLiteral("CodePlexor.json"),
                                 QStringLiteral("CodePlexor.json.corrupt-20260101T000000Z"),
                                 QStringLiteral("CodePlexor.json.lock"),
                                 QStringLiteral("CodePlexor.json.notes.txt")};
        for (const QString& name : others.mid(1))
            QFile(folder.filePath(name)).open(QIODevice::WriteOnly);
        QFile(folder.filePath(QStringLiteral("CodePlexor.json.aBcXyZ"))).open(QIODevice::WriteOnly);

        Preferences prefs(filePath());
        QCOMPARE(prefs.text(PreferenceKeys::savedPrefixText), QStringLiteral("kept"));
        QStringList left = folder.entryList(QDir::Files);
        left.sort();
        QCOMPARE(left, others);
    }

    void readOnlyStoreNeverChangesTheFile()
    {
        const QByteArray corrupt("{\"savedPrefixText\": ");
        writeFile(corrupt);
        {
            Preferences prefs(filePath(), Preferences::Access::ReadOnly);
            QVERIFY(prefs.allKeys().isEmpty());
            prefs.setText(PreferenceKeys::savedPrefixText, QStringLiteral("x"));
            prefs.remove(QStringLiteral("savedPrefixText"));
            QVERIFY(!prefs.text(PreferenceKeys::savedPrefixText));
        }
        QFile file(filePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), corrupt);
        QCOMPARE(QDir(QFileInfo(filePath()).absolutePath()).entryList(QDir::Files).size(), 1);
    }

    void emptyFileIsAnEmptyStore()
    {
        writeFile("");
        Preferences prefs(filePath());
        QVERIFY(prefs.preservedCorruptFile().isEmpty());
        QVERIFY(prefs.allKeys().isEmpty());
    }

    void writesReplaceTheFileAtomically()
    {
        Preferences prefs(filePath());
        prefs.setText(PreferenceKeys::savedPrefixText, QStringLiteral("one"));
        QVERIFY(prefs.flush());
        struct stat before {};
        QCOMPARE(::stat(QFile::encodeName(filePath()).constData(), &before), 0);
        prefs.setText(PreferenceKeys::savedPrefixText, QStringLiteral("two"));
        QVERIFY(prefs.flush());
        struct stat after {};
        QCOMPARE(::stat(QFile::encodeName(filePath()).constData(), &after), 0);
        // Replaced through a rename of a complete new file, never rewritten in place.
        QVERIFY(before.st_ino != after.st_ino);
        // No temporary file is left next to the store.
        const QStringList entries =
            QDir(QFileInfo(filePath()).absolutePath()).entryList(QDir::Files);
        QCOMPARE(entries, QStringList{QStringLiteral("CodePlexor.json")});
        QCOMPARE(readFile().value(QStringLiteral("savedPrefixText")).toString(),
                 QStringLiteral("two"));
    }

    void aFileThatCannotBeReadIsNeverWrittenOver()
    {
        const QByteArray stored("{\"savedPrefixText\": \"mine\"}");
        writeFile(stored);
        const QByteArray path = QFile::encodeName(filePath());
        // Writable but not readable; root reads every file, so then it belongs to another user
        // and the store is opened as that user.
        const bool root = ::geteuid() == 0;
        QVERIFY(!root || ::chown(path.constData(), 65534, 65534) == 0);
        const QByteArray folder = QFile::encodeName(QFileInfo(filePath()).path());
        QVERIFY(!root || ::chown(folder.constData(), 65534, 65534) == 0);
        QVERIFY(!root || ::chmod(QFile::encodeName(m_dir->path()).constData(), 0755) == 0);
        QVERIFY(::chmod(path.constData(), 0200) == 0);
        {
            QVERIFY(!root || ::seteuid(65534) == 0);
            const auto back = qScopeGuard([root] { QVERIFY(!root || ::seteuid(0) == 0); });
            Preferences prefs(filePath());
            prefs.setText(PreferenceKeys::savedPrefixText, QStringLiteral("other"));
            QVERIFY(!prefs.flush());
        }
        QVERIFY(::chmod(path.constData(), 0600) == 0);
        QFile file(filePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), stored);
    }
};

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"

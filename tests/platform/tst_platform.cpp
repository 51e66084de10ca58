#include "platform/Clipboard.h"
#include "platform/FileNameText.h"
#include "platform/FolderBookmark.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/TerminationSignals.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

class TestPlatform : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void bookmarkRoundTrip()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("My Project \u00e9"));
        QVERIFY(QDir().mkpath(folder));
        LocalBookmarkService service;
        const auto created = service.create(folder + QStringLiteral("/./"));
        QVERIFY(created);
        const QJsonObject object = QJsonDocument::fromJson(*created.value).object();
        QCOMPARE(object.value(QStringLiteral("version")).toInt(), 1);
        QCOMPARE(object.value(QStringLiteral("path")).toString(), folder);

        const auto resolved = service.resolve(*created.value);
        QVERIFY(resolved);
        QCOMPARE(resolved.value->path, folder);
        QVERIFY(!resolved.value->isStale);
    }

    void replacedFolderIsStaleAndHandWrittenBookmarkToo()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("app"));
        QVERIFY(QDir().mkpath(folder));
        LocalBookmarkService service;
        const QByteArray bookmark = *service.create(folder).value;
        // Another folder created in its place has another identity. The old one is moved away,
        // not deleted, so that its inode cannot be handed straight back.
        QVERIFY(QDir().rename(folder, dir.filePath(QStringLiteral("old"))));
        QVERIFY(QDir().mkpath(folder));
        const auto resolved = service.resolve(bookmark);
        QVERIFY(resolved);
        QVERIFY(resolved.value->isStale);

        const QByteArray handWritten = "{\"path\": \"" + QFile::encodeName(folder) + "\"}";
        const auto fromHand = service.resolve(handWritten);
        QVERIFY(fromHand);
        QCOMPARE(fromHand.value->path, folder);
        QVERIFY(fromHand.value->isStale);
    }

    void failuresHaveReadableErrors()
    {
        QTemporaryDir dir;
        LocalBookmarkService service;
        const QString missing = dir.filePath(QStringLiteral("gone"));
        const auto notCreated = service.create(missing);
        QVERIFY(!notCreated);
        QCOMPARE(notCreated.error.code, int(BookmarkService::FolderMissing));
        QVERIFY(notCreated.error.localizedDescription.contains(missing));
        QVERIFY(notCreated.error.description().contains(QStringLiteral("Code=4")));

        QFile file(dir.filePath(QStringLiteral("plain.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QCOMPARE(service.create(file.fileName()).error.code, int(BookmarkService::NotAFolder));

        QVERIFY(QDir().mkpath(missing));
        const QByteArray bookmark = *service.create(missing).value;
        QVERIFY(QDir(missing).removeRecursively());
        QCOMPARE(service.resolve(bookmark).error.code, int(BookmarkService::FolderMissing));

        for (const QByteArray& junk :
             {QByteArray(), QByteArray("\x01\x02"), QByteArray("[]"), QByteArray("{\"path\": 3}"),
              QByteArray("{\"path\": \"rel\"}")}) {
            const auto result = service.resolve(junk);
            QVERIFY(!result);
            QCOMPARE(result.error.code, int(BookmarkService::NotABookmark));
        }
    }

    void scopedAccessUsesTheCurrentService()
    {
        struct Refusing : LocalBookmarkService {
            int begins = 0;
            int ends = 0;
            bool beginAccess(const QString&) override
            {
                ++begins;
                return false;
            }
            void endAccess(const QString&) override { ++ends; }
        } refusing;
        BookmarkService::setCurrent(&refusing);
        {
            ScopedFolderAccess access(QStringLiteral("/x"));
            QVERIFY(!access.granted());
        }
        BookmarkService::setCurrent(nullptr);
        QCOMPARE(refusing.begins, 1);
        QCOMPARE(refusing.ends, 0); // nothing to end when access was refused
        ScopedFolderAccess access(QStringLiteral("/x"));
        QVERIFY(access.granted());
    }

    void notificationsReachObserversOfTheirNameOnly()
    {
        NotificationCenter& center = NotificationCenter::defaultCenter();
        QStringList seen;
        {
            QObject context;
            center.addObserver(QStringLiteral("a"), &context, [&](const QVariantMap& info) {
                seen << info.value(QStringLiteral("k")).toString();
            });
            center.addObserver(QStringLiteral("a"), &context,
                               [&](const QVariantMap&) { seen << QStringLiteral("second"); });
            center.post(QStringLiteral("b"));
            center.post(QStringLiteral("a"), {{QStringLiteral("k"), QStringLiteral("v")}});
        }
        center.post(QStringLiteral("a"));
        QCOMPARE(seen, (QStringList{QStringLiteral("v"), QStringLiteral("second")}));
    }

    void logLinesGoToTheInstalledSink()
    {
        QStringList lines;
        const Log::Sink previous = Log::setSink([&](const QString& line) { lines << line; });
        Log::line(QStringLiteral("Error reading file /x: boom"));
        Log::setSink(previous);
        QCOMPARE(lines, QStringList{QStringLiteral("Error reading file /x: boom")});
    }

    void endingSignalsArriveThroughTheEventLoop_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("terminate") << SIGTERM;
        QTest::newRow("interrupt") << SIGINT;
        QTest::newRow("hang-up at logout") << SIGHUP;
    }

    void endingSignalsArriveThroughTheEventLoop()
    {
        QFETCH(int, signalNumber);
        TerminationSignals watcher;
        QSignalSpy requested(&watcher, &TerminationSignals::terminationRequested);
        QCOMPARE(::raise(signalNumber), 0);
        // Survived the signal; it is reported once the event loop runs.
        QVERIFY(requested.isEmpty());
        QVERIFY(requested.wait(5000));
        QCOMPARE(requested.first().first().toInt(), signalNumber);
    }

    // A Wayland compositor ignores clipboard writes of a window in the back: there the text goes
    // to wl-copy (here a stand-in that keeps what it reads).
    void backgroundCopiesOnWaylandGoThroughWlCopy_data()
    {
        QTest::addColumn<bool>("wayland");
        QTest::newRow("wayland") << true;
        QTest::newRow("x11") << false;
    }

    void backgroundCopiesOnWaylandGoThroughWlCopy()
    {
        QFETCH(bool, wayland);
        QTemporaryDir dir;
        const QString program = dir.filePath(QStringLiteral("wl-copy"));
        QFile script(program);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\ncat > \"$0.copied\"\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(dir.path()) + ':' + path);
        qunsetenv("XDG_SESSION_TYPE");
        qunsetenv("WAYLAND_DISPLAY");
        if (wayland)
            qputenv("WAYLAND_DISPLAY", "wayland-test");
        const auto restore = qScopeGuard([&path] {
            qputenv("PATH", path);
            qunsetenv("WAYLAND_DISPLAY");
        });
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));

        const QString text = QStringLiteral("line \u2713\n\nlast");
        Clipboard::system().clear();
        Clipboard::system().setText(text);
        QFile copied(program + QStringLiteral(".copied"));
        if (wayland) {
            QTRY_VERIFY(copied.exists() && copied.size() == text.toUtf8().size());
            QVERIFY(copied.open(QIODevice::ReadOnly));
            QCOMPARE(QString::fromUtf8(copied.readAll()), text);
            QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
        } else {
            QCOMPARE(QGuiApplication::clipboard()->text(), text);
            QTest::qWait(50);
            QVERIFY(!copied.exists());
        }
    }

    void fileNamesAreTextOnlyWhenValidUtf8_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("escaped");
        QTest::newRow("ascii") << QByteArray("main.c") << true << QStringLiteral("main.c");
        QTest::newRow("two, three and four bytes")
            << QByteArray("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80") << true
            << QStringLiteral("\u00e9\u20ac\U0001F600");
        QTest::newRow("replacement character itself")
            << QByteArray("k\xEF\xBF\xBD") << true << QStringLiteral("k\uFFFD");
        QTest::newRow("latin-1 byte")
            << QByteArray("caf\xE9.c") << false << QStringLiteral("caf\\xE9.c");
        QTest::newRow("overlong slash") << QByteArray("a\xC0\xAF"
                                                      "b")
                                        << false << QStringLiteral("a\\xC0\\xAFb");
        QTest::newRow("surrogate")
            << QByteArray("\xED\xA0\x80") << false << QStringLiteral("\\xED\\xA0\\x80");
        QTest::newRow("past U+10FFFF")
            << QByteArray("\xF4\x90\x80\x80") << false << QStringLiteral("\\xF4\\x90\\x80\\x80");
        QTest::newRow("sequence cut off at the end")
            << QByteArray("x\xE2\x82") << false << QStringLiteral("x\\xE2\\x82");
        QTest::newRow("valid name with a line break")
            << QByteArray("a\nb") << true << QStringLiteral("a\\x0Ab");
    }

    void fileNamesAreTextOnlyWhenValidUtf8()
    {
        QFETCH(QByteArray, name);
        QFETCH(bool, valid);
        QFETCH(QString, escaped);
        QCOMPARE(FileNameText::isValid(name), valid);
        QCOMPARE(FileNameText::escaped(name), escaped);
    }
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"

#include "engine/FakeServices.h"

#include "platform/FileNameText.h"
#include "platform/NotificationCenter.h"
#include "platform/TerminationSignals.h"
#include "platform/ThreadPriority.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <thread>

#include <sys/resource.h>

using namespace Qt::StringLiterals;

class TestPlatform : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void bookmarks()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(u"My Project \u00e9"_s);
        QVERIFY(QDir().mkpath(folder));
        LocalBookmarkService service;
        const QByteArray bookmark = service.create(folder + u"/./"_s).value.value_or("");
        const QJsonObject object = QJsonDocument::fromJson(bookmark).object();
        QCOMPARE(object.value(u"version"_s).toInt(), 1);
        QCOMPARE(object.value(u"path"_s).toString(), folder);
        QCOMPARE(service.resolve(bookmark).value->path, folder);
        QVERIFY(!service.resolve(bookmark).value->isStale);

        // Another folder made in its place has another identity (the old one is moved away, not
        // deleted, so that its inode cannot be handed straight back), and so has a bookmark
        // written by hand.
        QVERIFY(QDir().rename(folder, dir.filePath(u"old"_s)));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(service.resolve(bookmark).value->isStale);
        const auto fromHand = service.resolve("{\"path\": \"" + QFile::encodeName(folder) + "\"}");
        QCOMPARE(fromHand.value->path, folder);
        QVERIFY(fromHand.value->isStale);

        // Failures carry readable errors.
        QVERIFY(QDir(folder).removeRecursively());
        QCOMPARE(service.resolve(bookmark).error.code, int(BookmarkService::FolderMissing));
        const auto notCreated = service.create(folder);
        QCOMPARE(notCreated.error.code, int(BookmarkService::FolderMissing));
        QVERIFY(notCreated.error.localizedDescription.contains(folder));
        QVERIFY(notCreated.error.description().contains(u"Code=4"_s));
        for (const QByteArray& junk :
             {QByteArray(), QByteArray("\x01\x02"), QByteArray("[]"), QByteArray("{\"path\": 3}"),
              QByteArray("{\"path\": \"rel\"}")})
            QCOMPARE(service.resolve(junk).error.code, int(BookmarkService::NotABookmark));
        QFile file(dir.filePath(u"plain.txt"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(service.create(file.fileName()).error.code, int(BookmarkService::NotAFolder));
    }

    void scopedAccessUsesTheCurrentService()
    {
        {
            ScopedBookmarkService refusing;
            refusing.refuse = true;
            QVERIFY(!ScopedFolderAccess(u"/x"_s).granted());
            // Nothing to end when access was refused.
            QCOMPARE(refusing.ended, 0);
        }
        QVERIFY(ScopedFolderAccess(u"/x"_s).granted());
    }

    void notificationsReachObserversOfTheirNameOnly()
    {
        NotificationCenter& center = NotificationCenter::defaultCenter();
        QStringList seen;
        {
            QObject context;
            center.addObserver(u"a"_s, &context, [&](const QVariantMap& info) {
                seen << info.value(u"k"_s).toString();
            });
            center.addObserver(u"a"_s, &context, [&](const QVariantMap&) { seen << u"second"_s; });
            center.post(u"b"_s);
            center.post(u"a"_s, {{u"k"_s, u"v"_s}});
        }
        // The observers went with their context.
        center.post(u"a"_s);
        QCOMPARE(seen, (QStringList{u"v"_s, u"second"_s}));
    }

    void endingSignalsArriveThroughTheEventLoop()
    {
        for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
            TerminationSignals watcher;
            QSignalSpy requested(&watcher, &TerminationSignals::terminationRequested);
            QCOMPARE(::raise(signalNumber), 0);
            // Survived the signal; it is reported once the event loop runs.
            QVERIFY(requested.isEmpty());
            QVERIFY(requested.wait(5000));
            QCOMPARE(requested.first().first().toInt(), signalNumber);
        }
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
        QFile script(dir.filePath(u"wl-copy"_s));
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
        QGuiApplication::clipboard()->setText(u"before"_s);

        const QString text = u"line \u2713\n\nlast"_s;
        Clipboard::system().clear();
        Clipboard::system().setText(text);
        QFile copied(script.fileName() + u".copied"_s);
        if (wayland) {
            QTRY_VERIFY(copied.exists() && copied.size() == text.toUtf8().size());
            QVERIFY(copied.open(QIODevice::ReadOnly));
            QCOMPARE(QString::fromUtf8(copied.readAll()), text);
        }
        QCOMPARE(QGuiApplication::clipboard()->text(), wayland ? u"before"_s : text);
        QTest::qWait(wayland ? 0 : 50);
        QCOMPARE(copied.exists(), wayland);
    }

    void fileNamesAreTextOnlyWhenValidUtf8_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("escaped");
        QTest::addColumn<bool>("valid");
        QTest::newRow("ascii") << QByteArray("main.c") << u"main.c"_s << true;
        QTest::newRow("two, three and four bytes")
            << QByteArray("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80") << u"\u00e9\u20ac\U0001F600"_s
            << true;
        QTest::newRow("replacement character itself")
            << QByteArray("k\xEF\xBF\xBD") << u"k\uFFFD"_s << true;
        QTest::newRow("valid name with a line break") << QByteArray("a\nb") << u"a\\x0Ab"_s << true;
        QTest::newRow("latin-1 byte") << QByteArray("caf\xE9.c") << u"caf\\xE9.c"_s << false;
        QTest::newRow("overlong slash") << QByteArray("a\xC0\xAF") << u"a\\xC0\\xAF"_s << false;
        QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << u"\\xED\\xA0\\x80"_s << false;
        QTest::newRow("past U+10FFFF")
            << QByteArray("\xF4\x90\x80\x80") << u"\\xF4\\x90\\x80\\x80"_s << false;
        QTest::newRow("sequence cut off at the end")
            << QByteArray("x\xE2\x82") << u"x\\xE2\\x82"_s << false;
    }

    void fileNamesAreTextOnlyWhenValidUtf8()
    {
        QFETCH(QByteArray, name);
        QFETCH(QString, escaped);
        QFETCH(bool, valid);
        QCOMPARE(FileNameText::isValid(name), valid);
        QCOMPARE(FileNameText::escaped(name), escaped);
    }

    void aLoweredThreadLeavesTheOthersAlone()
    {
        const int before = getpriority(PRIO_PROCESS, 0);
        int worker = 0;
        std::thread([&worker] {
            ThreadPriority::lowerCurrentThread();
            ThreadPriority::lowerCurrentThread();
            worker = getpriority(PRIO_PROCESS, 0);
        }).join();
        QCOMPARE(worker, std::min(before + 10, 19));
        QCOMPARE(getpriority(PRIO_PROCESS, 0), before);
    }
};

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"

#include "platform/BackgroundCopy.h"
#include "platform/Clipboard.h"
#include "platform/FileNameText.h"
#include "platform/FolderBookmark.h"
#include "platform/NotificationCenter.h"
#include "platform/TerminationSignals.h"
#include "platform/ThreadPriority.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>

#include <csignal>
#include <thread>

#include <sys/resource.h>

using namespace Qt::StringLiterals;
using Path = BackgroundCopy::Path;
using Conditions = BackgroundCopy::Conditions;
Q_DECLARE_METATYPE(Conditions)

class TestPlatform : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Another folder made in a folder's place (the old one moved away, so that its inode cannot be
    // handed straight back) and a bookmark written by hand resolve as stale.
    void bookmarks()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(u"My Project \u00e9"_s);
        QVERIFY(QDir().mkpath(folder));
        LocalBookmarkService service;
        const QByteArray bookmark = service.create(folder + u"/./"_s).value.value_or("");
        QCOMPARE(service.resolve(bookmark).value->path, folder);
        QVERIFY(!service.resolve(bookmark).value->isStale);
        QVERIFY(QDir().rename(folder, dir.filePath(u"old"_s)));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(service.resolve(bookmark).value->isStale);
        const auto fromHand = service.resolve("{\"path\": \"" + QFile::encodeName(folder) + "\"}");
        QCOMPARE(fromHand.value->path, folder);
        QVERIFY(fromHand.value->isStale);

        for (const QByteArray& junk : {QByteArray(), QByteArray("[]"), QByteArray("{\"path\": 3}")})
            QCOMPARE(service.resolve(junk).error.code, int(BookmarkService::NotABookmark));
        QFile file(dir.filePath(u"plain.txt"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(service.create(file.fileName()).error.code, int(BookmarkService::NotAFolder));
    }

    void notificationsReachObserversOfTheirNameOnly()
    {
        NotificationCenter& center = NotificationCenter::defaultCenter();
        QStringList seen;
        auto context = std::make_unique<QObject>();
        center.addObserver(u"a"_s, context.get(),
                           [&](const QVariantMap& info) { seen << info.value(u"k"_s).toString(); });
        center.addObserver(u"a"_s, context.get(), [&](const QVariantMap&) { seen << u"second"_s; });
        center.post(u"b"_s);
        center.post(u"a"_s, {{u"k"_s, u"v"_s}});
        context.reset();
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

    // A Wayland compositor ignores clipboard writes of a window in the back: the text goes to
    // wl-copy (a stand-in here) exactly. Without wl-copy the token goes to the focus request only,
    // and a window that never gets the focus falls back to the click.
    void copiesOnWaylandInTheBack()
    {
        QTemporaryDir dir;
        QFile script(dir.filePath(u"wl-copy"_s));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\n/bin/cat > \"$0.copied\"\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(dir.path()));
        qunsetenv("XDG_SESSION_TYPE");
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
        QTRY_VERIFY(copied.exists() && copied.size() == text.toUtf8().size());
        QVERIFY(copied.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(copied.readAll()), text);
        QCOMPARE(QGuiApplication::clipboard()->text(), u"before"_s);

        QVERIFY(script.remove());
        BackgroundCopy copy;
        copy.setFocusTimeout(50);
        QSignalSpy copyNow(&copy, &BackgroundCopy::copyNow);
        QSignalSpy clickNeeded(&copy, &BackgroundCopy::clickNeeded);
        QWindow hidden;
        copy.start(&hidden, u"token-1"_s);
        QCOMPARE(copy.path(), Path::activation);
        QVERIFY(!qEnvironmentVariableIsSet("XDG_ACTIVATION_TOKEN"));
        QVERIFY(clickNeeded.wait());
        QCOMPARE(copy.path(), Path::clickToCopy);
        QVERIFY(copyNow.isEmpty());
    }

    // The conditions are: on Wayland, window focused, wl-copy installed, activation token.
    void backgroundCopyChoosesThePath_data()
    {
        QTest::addColumn<Conditions>("conditions");
        QTest::addColumn<Path>("path");
        QTest::newRow("x11 in the back") << Conditions{false, false, false, true} << Path::direct;
        QTest::newRow("wayland, window focused")
            << Conditions{true, true, false, false} << Path::direct;
        QTest::newRow("wayland, wl-copy before the token")
            << Conditions{true, false, true, true} << Path::wlCopy;
        QTest::newRow("wayland, token") << Conditions{true, false, false, true} << Path::activation;
        QTest::newRow("wayland, neither")
            << Conditions{true, false, false, false} << Path::clickToCopy;
    }

    void backgroundCopyChoosesThePath()
    {
        QFETCH(Conditions, conditions);
        QFETCH(Path, path);
        QCOMPARE(BackgroundCopy::choose(conditions), path);
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

#include "platform/BackgroundCopy.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>

using Path = BackgroundCopy::Path;

// Which way a copy from the background takes, and the activation that finds no focus.
class TestBackgroundCopy : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void choosesThePath_data()
    {
        QTest::addColumn<bool>("wayland");
        QTest::addColumn<bool>("focused");
        QTest::addColumn<bool>("wlCopy");
        QTest::addColumn<bool>("token");
        QTest::addColumn<Path>("path");
        QTest::newRow("x11 in the back") << false << false << false << true << Path::direct;
        QTest::newRow("wayland, window focused") << true << true << false << false << Path::direct;
        QTest::newRow("wayland, wl-copy before the token")
            << true << false << true << true << Path::wlCopy;
        QTest::newRow("wayland, token") << true << false << false << true << Path::activation;
        QTest::newRow("wayland, neither") << true << false << false << false << Path::clickToCopy;
    }

    void choosesThePath()
    {
        QFETCH(bool, wayland);
        QFETCH(bool, focused);
        QFETCH(bool, wlCopy);
        QFETCH(bool, token);
        QFETCH(Path, path);
        QCOMPARE(BackgroundCopy::choose({wayland, focused, wlCopy, token}), path);
    }

    void anActivationWithoutFocusFallsBackToTheClick()
    {
        const QTemporaryDir noPrograms;
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(noPrograms.path()));
        qputenv("WAYLAND_DISPLAY", "wayland-test");
        const auto restore = qScopeGuard([&path] {
            qputenv("PATH", path);
            qunsetenv("WAYLAND_DISPLAY");
        });
        BackgroundCopy copy;
        copy.setFocusTimeout(50);
        QSignalSpy copyNow(&copy, &BackgroundCopy::copyNow);
        QSignalSpy clickNeeded(&copy, &BackgroundCopy::clickNeeded);
        // Never shown, so it never gets the focus.
        QWindow window;
        copy.start(&window, QStringLiteral("token-1"));
        QCOMPARE(copy.path(), Path::activation);
        // The token went to the request only, not to programs started later.
        QVERIFY(!qEnvironmentVariableIsSet("XDG_ACTIVATION_TOKEN"));
        QVERIFY(clickNeeded.wait());
        QCOMPARE(copy.path(), Path::clickToCopy);
        QVERIFY(copyNow.isEmpty());
    }
};

QTEST_MAIN(TestBackgroundCopy)
#include "tst_backgroundcopy.moc"

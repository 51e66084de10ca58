#include "ui/UpdateFeed.h"
#include "ui/UpdateRelease.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestUpdaterFeed : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void allowedAddresses_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("allowed");

        QTest::newRow("https") << u"https://updates.example.org/releases/latest"_s << true;
        QTest::newRow("https upper-case scheme") << u"HTTPS://example.org/latest"_s << true;
        QTest::newRow("https with port") << u"https://example.org:8443/latest"_s << true;
        QTest::newRow("http loopback") << u"http://127.0.0.1:8080/latest"_s << true;
        QTest::newRow("http loopback range") << u"http://127.45.6.7/latest"_s << true;
        QTest::newRow("http localhost") << u"http://localhost:9000/latest"_s << true;
        QTest::newRow("http LOCALHOST.") << u"http://LOCALHOST./latest"_s << true;
        QTest::newRow("http ipv6 loopback") << u"http://[::1]:9000/latest"_s << true;
        QTest::newRow("http public address") << u"http://203.0.113.5/latest"_s << false;
        QTest::newRow("http private address") << u"http://192.168.1.20/latest"_s << false;
        QTest::newRow("http name") << u"http://example.org/latest"_s << false;
        QTest::newRow("http loopback-looking name") << u"http://127.0.0.1.nip.example/x"_s << false;
        QTest::newRow("http localhost subdomain") << u"http://localhost.example.org/x"_s << false;
        // The address reads "127.1" as 127.0.0.1, which is what is then contacted.
        QTest::newRow("http short loopback form") << u"http://127.1/latest"_s << true;
        QTest::newRow("http unspecified address") << u"http://0.0.0.0/latest"_s << false;
        QTest::newRow("http ipv6 other") << u"http://[2001:db8::1]/latest"_s << false;
        QTest::newRow("file") << u"file:///etc/hostname"_s << false;
        QTest::newRow("ftp") << u"ftp://example.org/latest"_s << false;
        QTest::newRow("no host") << u"https:///latest"_s << false;
        QTest::newRow("relative") << u"/releases/latest"_s << false;
        QTest::newRow("empty") << QString() << false;
    }

    void allowedAddresses()
    {
        QFETCH(QString, address);
        QFETCH(bool, allowed);
        QCOMPARE(UpdateFeed::isAllowedAddress(QUrl(address, QUrl::StrictMode)), allowed);
    }

    void releaseMembers()
    {
        QString problem;
        const auto release = UpdateRelease::fromJson(
            "{\"tag_name\":\"v1.4.2\",\"html_url\":\"https://example.org/r/v1.4.2\","
            "\"body\":\"Fixes\\r\\n- one\",\"assets\":[{\"name\":\"x.deb\"}],\"prerelease\":false}",
            &problem);
        QVERIFY2(release, qPrintable(problem));
        QCOMPARE(release->tagName(), u"v1.4.2"_s);
        QCOMPARE(release->version().toString(), u"1.4.2"_s);
        QCOMPARE(release->pageUrl(), QUrl(u"https://example.org/r/v1.4.2"_s));
        QCOMPARE(release->notes(), u"Fixes\r\n- one"_s);
    }

    void releaseNotesMayBeMissing_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("absent") << QByteArray(
            "{\"tag_name\":\"2\",\"html_url\":\"https://e.org/r\"}");
        QTest::newRow("null") << QByteArray(
            "{\"tag_name\":\"2\",\"html_url\":\"https://e.org/r\",\"body\":null}");
    }

    void releaseNotesMayBeMissing()
    {
        QFETCH(QByteArray, json);
        QString problem;
        const auto release = UpdateRelease::fromJson(json, &problem);
        QVERIFY2(release, qPrintable(problem));
        QVERIFY(release->notes().isEmpty());
    }

    void releaseRefused_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("problem");

        QTest::newRow("notes not text")
            << QByteArray("{\"tag_name\":\"2\",\"html_url\":\"https://e.org/r\",\"body\":7}")
            << u"\u201cbody\u201d"_s;
        QTest::newRow("blank tag")
            << QByteArray("{\"tag_name\":\"  \",\"html_url\":\"https://e.org\"}") << u"tag_name"_s;
        QTest::newRow("page over http")
            << QByteArray("{\"tag_name\":\"2\",\"html_url\":\"http://e.org/r\"}") << u"html_url"_s;
        QTest::newRow("page is a local file")
            << QByteArray("{\"tag_name\":\"2\",\"html_url\":\"file:///home\"}") << u"html_url"_s;
        QTest::newRow("page not text")
            << QByteArray("{\"tag_name\":\"2\",\"html_url\":[\"https://e.org\"]}") << u"html_url"_s;
        QTest::newRow("trailing garbage")
            << QByteArray("{\"tag_name\":\"2\",\"html_url\":\"https://e.org\"} x")
            << u"not valid JSON"_s;
    }

    void releaseRefused()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, problem);
        QString found;
        QVERIFY(!UpdateRelease::fromJson(json, &found));
        QVERIFY2(found.contains(problem), qPrintable(found));
    }
};

QTEST_GUILESS_MAIN(TestUpdaterFeed)
#include "tst_updater_feed.moc"

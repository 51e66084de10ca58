#include "ui/UpdateFeed.h"
#include "ui/UpdateRelease.h"
#include "ui/VersionNumber.h"

#include <QtTest>

using namespace Qt::StringLiterals;

// What the update check reads from the feed: the addresses it may contact, the release record
// and the version numbers it compares.
class TestUpdaterFeed : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The check's own test sends nothing to the refused addresses of common kinds; here every
    // loopback form that is allowed, and the near misses.
    void allowedAddresses_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("allowed");
        const auto row = [](const char* name, const char* address, bool allowed) {
            QTest::newRow(name) << QString::fromUtf8(address) << allowed;
        };
        row("https", "https://updates.example.org/releases/latest", true);
        row("http loopback range", "http://127.45.6.7/latest", true);
        row("http localhost", "http://localhost:9000/latest", true);
        row("http LOCALHOST.", "http://LOCALHOST./latest", true);
        row("http ipv6 loopback", "http://[::1]:9000/latest", true);
        row("http localhost subdomain", "http://localhost.example.org/x", false);
        row("http unspecified address", "http://0.0.0.0/latest", false);
        row("http ipv6 other", "http://[2001:db8::1]/latest", false);
        row("no host", "https:///latest", false);
    }

    void allowedAddresses()
    {
        QFETCH(QString, address);
        QFETCH(bool, allowed);
        QCOMPARE(UpdateFeed::isAllowedAddress(QUrl(address, QUrl::StrictMode)), allowed);
    }

    // A release is read, or refused with a problem that names the field at fault.
    void releaseRecord_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("notesOrProblem");
        QTest::addColumn<bool>("read");
        const auto row = [](const char* name, const QByteArray& json, const QString& text,
                            bool read = false) { QTest::newRow(name) << json << text << read; };
        const QByteArray release = "{\"tag_name\":\"2\",\"html_url\":\"https://e.org/r\"";
        row("notes kept as written", release + ",\"body\":\"a\\r\\n- b\"}", u"a\r\n- b"_s, true);
        row("notes absent", release + "}", QString(), true);
        row("notes null", release + ",\"body\":null}", QString(), true);
        row("notes of the wrong type", release + ",\"body\":7}", u"\u201cbody\u201d"_s);
        row("trailing garbage", release + "} x", u"not valid JSON"_s);
        row("array instead of object", "[" + release + "}]", u"not a JSON object"_s);
        row("blank tag", "{\"tag_name\":\"  \"}", u"tag_name"_s);
        row("tag not a version", "{\"tag_name\":\"nightly\"}",
            u"\u201cnightly\u201d is not a version number"_s);
        // Not quoted back: a tag this long is no version anyone reads.
        row("enormous tag", "{\"tag_name\":\"1." + QByteArray(500, '9') + "\"}",
            u"the release tag is 502 characters long"_s);
        row("page not https", "{\"tag_name\":\"2\",\"html_url\":\"http://e.org/r\"}",
            u"https release page"_s);
    }

    void releaseRecord()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, notesOrProblem);
        QFETCH(bool, read);
        QString problem;
        const auto release = UpdateRelease::fromJson(json, &problem);
        QCOMPARE(bool(release), read);
        if (!read) {
            QVERIFY2(problem.contains(notesOrProblem) && problem.size() < 200, qPrintable(problem));
            return;
        }
        QCOMPARE(release->notes(), notesOrProblem);
        QCOMPARE(release->tagName(), u"2"_s);
        QCOMPARE(release->version().toString(), u"2"_s);
        QCOMPARE(release->pageUrl(), QUrl(u"https://e.org/r"_s));
    }

    // Each row's left version is older than (-1) or equal to (0) its right one.
    void versionOrder_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("right");
        QTest::addColumn<int>("order");
        const auto row = [](const char* name, const char* left, const char* right, int order) {
            QTest::newRow(name) << QString::fromUtf8(left) << QString::fromUtf8(right) << order;
        };
        row("minor numerically", "1.9", "1.10", -1);
        row("major beats minor", "1.99", "2.0", -1);
        row("extra component", "1.2", "1.2.1", -1);
        row("beyond 64 bits", "1.18446744073709551615", "1.18446744073709551616", -1);
        row("pre-release before release", "1.2-beta", "1.2", -1);
        row("pre-release after lower release", "1.1.9", "1.2-alpha", -1);
        row("pre-release without dash", "1.2b3", "1.2", -1);
        row("alpha before beta", "1.2-alpha", "1.2-beta", -1);
        row("shorter suffix first", "1.2-alpha", "1.2-alpha.1", -1);
        row("suffix numbers numerically", "1.2-beta.2", "1.2-beta.10", -1);
        row("suffix case ignored, number decides", "1.2-RC1", "1.2-rc2", -1);
        row("numeric piece before word", "1.2-1", "1.2-alpha", -1);
        row("pre-release of missing component", "1.2-rc1", "1.2.0.1", -1);
        row("missing components are zero", "1.2", "1.2.0.0", 0);
        row("v prefix", "v1.0", "1", 0);
        row("capital V", "V2.1", "2.1.0", 0);
        row("leading zeros", "01.002", "1.2", 0);
        row("build metadata ignored", "1.2+linux.7", "1.2", 0);
        row("suffix separators", "1.2rc1", "1.2-rc.1", 0);
        row("surrounding blanks", "  1.4\n", "1.4", 0);
    }

    void versionOrder()
    {
        QFETCH(QString, left);
        QFETCH(QString, right);
        QFETCH(int, order);
        const auto a = VersionNumber::parse(left);
        const auto b = VersionNumber::parse(right);
        QVERIFY(a && b);
        QCOMPARE(VersionNumber::compare(*a, *b), order);
        QCOMPARE(VersionNumber::compare(*b, *a), -order);
    }

    void versionText()
    {
        for (const char* text :
             {"", "v", "latest", ".1", "1..2", "1.", "1.2-", "1.2 beta", "-1.2", "1.2/3"})
            QVERIFY2(!VersionNumber::parse(QString::fromUtf8(text)), text);
        // Shown as written, less the "v" and the build metadata.
        const auto version = VersionNumber::parse(u"v007.2.0-rc1+x"_s);
        QVERIFY(version);
        QCOMPARE(version->components(), (QStringList{u"7"_s, u"2"_s, u"0"_s}));
        QCOMPARE(version->preRelease(), u"rc1"_s);
        QVERIFY(version->isPreRelease());
        QCOMPARE(version->toString(), u"007.2.0-rc1"_s);
        const auto dotted = VersionNumber::parse(u"1.2.beta"_s);
        QCOMPARE(dotted->components(), (QStringList{u"1"_s, u"2"_s}));
        QCOMPARE(dotted->toString(), u"1.2.beta"_s);
        QVERIFY(!VersionNumber::parse(u"1.2"_s)->isPreRelease());
        // This build's own version is one the feed's versions can be compared with.
        QVERIFY(VersionNumber::parse(QStringLiteral(CODEPLEXOR_VERSION)));
    }
};

QTEST_GUILESS_MAIN(TestUpdaterFeed)
#include "tst_updater_feed.moc"

#include "ui/VersionNumber.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestUpdaterVersion : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void ordering_data()
    {
        QTest::addColumn<QString>("older");
        QTest::addColumn<QString>("newer");

        QTest::newRow("minor numerically") << "1.9"
                                           << "1.10";
        QTest::newRow("patch numerically") << "1.2.9"
                                           << "1.2.10";
        QTest::newRow("major beats minor") << "1.99"
                                           << "2.0";
        QTest::newRow("v prefix either side") << "v1.2"
                                              << "1.3";
        QTest::newRow("extra component") << "1.2"
                                         << "1.2.1";
        QTest::newRow("four components") << "1.2.3.4"
                                         << "1.2.3.5";
        QTest::newRow("beyond 64 bits") << "1.18446744073709551615"
                                        << "1.18446744073709551616";
        QTest::newRow("pre-release before release") << "1.2-beta"
                                                    << "1.2";
        QTest::newRow("pre-release after lower release") << "1.1.9"
                                                         << "1.2-alpha";
        QTest::newRow("pre-release without dash") << "1.2b3"
                                                  << "1.2";
        QTest::newRow("alpha before beta") << "1.2-alpha"
                                           << "1.2-beta";
        QTest::newRow("shorter suffix first") << "1.2-alpha"
                                              << "1.2-alpha.1";
        QTest::newRow("suffix numbers numerically") << "1.2-beta.2"
                                                    << "1.2-beta.10";
        QTest::newRow("glued suffix numbers") << "1.2rc9"
                                              << "1.2rc10";
        QTest::newRow("rc after beta") << "1.2-beta.10"
                                       << "1.2-rc.1";
        QTest::newRow("suffix case ignored, number decides") << "1.2-RC1"
                                                             << "1.2-rc2";
        QTest::newRow("numeric piece before word") << "1.2-1"
                                                   << "1.2-alpha";
        QTest::newRow("pre-release of missing component") << "1.2-rc1"
                                                          << "1.2.0.1";
    }

    void ordering()
    {
        QFETCH(QString, older);
        QFETCH(QString, newer);
        const auto a = VersionNumber::parse(older);
        const auto b = VersionNumber::parse(newer);
        QVERIFY(a);
        QVERIFY(b);
        QVERIFY(*a < *b);
        QVERIFY(*b > *a);
        QVERIFY(!(*a == *b));
        QCOMPARE(VersionNumber::compare(*a, *b), -1);
        QCOMPARE(VersionNumber::compare(*b, *a), 1);
    }

    void equality_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("right");

        QTest::newRow("missing components are zero") << "1.2"
                                                     << "1.2.0.0";
        QTest::newRow("v prefix") << "v1.0"
                                  << "1";
        QTest::newRow("capital V") << "V2.1"
                                   << "2.1.0";
        QTest::newRow("leading zeros") << "01.002"
                                       << "1.2";
        QTest::newRow("build metadata ignored") << "1.2+linux.7"
                                                << "1.2";
        QTest::newRow("suffix case") << "1.2-Beta.1"
                                     << "1.2-beta.1";
        QTest::newRow("suffix separators") << "1.2rc1"
                                           << "1.2-rc.1";
        QTest::newRow("surrounding blanks") << "  1.4\n"
                                            << "1.4";
    }

    void equality()
    {
        QFETCH(QString, left);
        QFETCH(QString, right);
        const auto a = VersionNumber::parse(left);
        const auto b = VersionNumber::parse(right);
        QVERIFY(a);
        QVERIFY(b);
        QVERIFY(*a == *b);
        QCOMPARE(VersionNumber::compare(*a, *b), 0);
    }

    void rejected_data()
    {
        QTest::addColumn<QString>("text");

        QTest::newRow("empty") << "";
        QTest::newRow("only v") << "v";
        QTest::newRow("word") << "latest";
        QTest::newRow("leading dot") << ".1";
        QTest::newRow("empty component") << "1..2";
        QTest::newRow("trailing dot") << "1.";
        QTest::newRow("trailing dash") << "1.2-";
        QTest::newRow("blank inside") << "1.2 beta";
        QTest::newRow("negative") << "-1.2";
        QTest::newRow("slash") << "1.2/3";
    }

    void rejected()
    {
        QFETCH(QString, text);
        QVERIFY(!VersionNumber::parse(text));
    }

    void partsAndShownText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("components");
        QTest::addColumn<QString>("preRelease");
        QTest::addColumn<QString>("shown");

        QTest::newRow("plain") << "1.2.0" << QStringList{u"1"_s, u"2"_s, u"0"_s} << ""
                               << "1.2.0";
        QTest::newRow("v and metadata")
            << "v1.2.0-rc1+x" << QStringList{u"1"_s, u"2"_s, u"0"_s} << "rc1"
            << "1.2.0-rc1";
        QTest::newRow("dotted word suffix") << "1.2.beta" << QStringList{u"1"_s, u"2"_s} << "beta"
                                            << "1.2.beta";
        QTest::newRow("zeros dropped") << "007.0" << QStringList{u"7"_s, u"0"_s} << ""
                                       << "007.0";
    }

    void partsAndShownText()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, components);
        QFETCH(QString, preRelease);
        QFETCH(QString, shown);
        const auto version = VersionNumber::parse(text);
        QVERIFY(version);
        QCOMPARE(version->components(), components);
        QCOMPARE(version->preRelease(), preRelease);
        QCOMPARE(version->isPreRelease(), !preRelease.isEmpty());
        QCOMPARE(version->toString(), shown);
    }
};

QTEST_GUILESS_MAIN(TestUpdaterVersion)
#include "tst_updater_version.moc"

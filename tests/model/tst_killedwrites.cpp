#include "KilledWrites.h"

#include <QRandomGenerator>
#include <QtTest>

class TestKilledWrites : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyKillLeavesOneWholeStore()
    {
        QTemporaryDir dir;
        const quint32 seed = QRandomGenerator::global()->generate();
        const KilledWrites::Outcome outcome = KilledWrites::run(
            QCoreApplication::applicationFilePath(), {u"--write-loop"_qs}, dir.path(), 200, seed);
        QVERIFY2(outcome.failures.isEmpty(),
                 qPrintable(u"seed %1, first failure of %2: %3"_qs.arg(
                     QString::number(seed), QString::number(outcome.failures.size()),
                     outcome.failures.value(0))));
        QCOMPARE(outcome.kills, 200);
        // Kills landed while either store was being written.
        QVERIFY(outcome.smallSeen > 0 && outcome.largeSeen > 0);
    }
};

// The same program is the writer that gets killed: tst_killedwrites --write-loop FILE.
int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--write-loop") == 0)
        return KilledWrites::writeLoop(QFile::decodeName(argv[2]));
    TestKilledWrites test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_killedwrites.moc"

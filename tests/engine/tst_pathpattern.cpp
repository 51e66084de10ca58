#include "engine/PathPattern.h"

#include <QtTest>

// Each expectation is what `git check-ignore` answers for a .gitignore holding the pattern.
class TestPathPattern : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void matchesAsAGitignoreLine_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("matches");
        const auto row = [](const char* name, const char* pattern, const char* path, bool matches) {
            QTest::newRow(name) << QString::fromUtf8(pattern) << QString::fromUtf8(path) << matches;
        };
        row("name at any depth", "*.h", "src/x/a.h", true);
        row("star stops at slash", "src/*.c", "src/x/a.c", false);
        row("anchored by inner slash", "x/a.c", "src/x/a.c", false);
        row("anchored by leading slash", "/a.c", "src/a.c", false);
        row("folder-only pattern skips files", "build/", "src/build", false);
        row("double star prefix at top", "**/test/*.py", "test/t.py", true);
        row("double star inside", "src/**/util.c", "src/util.c", true);
        row("double star inside deep", "src/**/util.c", "src/a/b/util.c", true);
        row("trailing double star", "src/**", "src/a/b.c", true);
        row("question mark", "?.c", "ab.c", false);
        row("class range", "[a-c].c", "b.c", true);
        row("negated class", "[!a-c].c", "b.c", false);
        row("escaped star", "\\*.c", "x.c", false);
        row("case matters", "*.C", "a.c", false);
        row("prefix of a name is not a match", "src", "srcs/a.c", false);
    }

    void matchesAsAGitignoreLine()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, path);
        QFETCH(bool, matches);
        QString error;
        const std::optional<PathPattern> parsed = PathPattern::parse(pattern, &error);
        QVERIFY2(parsed, qPrintable(error));
        QCOMPARE(parsed->matchesFile(path), matches);
    }

    void refusesWhatCannotMatch()
    {
        for (const char* pattern : {"", "  ", "!*.c", "/", "[ab.c"}) {
            QString error;
            QVERIFY2(!PathPattern::parse(QString::fromUtf8(pattern), &error), pattern);
            QVERIFY(!error.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestPathPattern)
#include "tst_pathpattern.moc"

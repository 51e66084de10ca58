#include "TestEngine.h"
#include "TestTree.h"

#include "platform/TextFileReader.h"

#include <QtTest>

#include <cerrno>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString rule = u"------------------------------------"_s;
const QString end = u"\n\n-------------\nS"_s;

ssize_t stingyRead(int fd, void* buffer, size_t count)
{
    static int calls = 0;
    if (++calls % 2 == 0) {
        errno = EINTR;
        return -1;
    }
    return ::read(fd, buffer, std::min<size_t>(count, 3));
}

// One file block as the generated text holds it.
QString block(const QString& displayPath, const QString& text)
{
    return u"\n\n\n\n\n"_s + rule + u'\n' + displayPath + u'\n' + rule + u"\n\n"_s + text +
           u"\n\n"_s;
}

// The text as a sink receives it, piece by piece: the list, each readable file's block alone,
// then the suffix.
QStringList streamed(const PlexorViewModel& engine, const QString& root)
{
    QStringList pieces;
    const bool written = engine.writeContent(root, [&pieces](QString& text) {
        pieces.append(text);
        text.clear();
        return true;
    });
    return written ? pieces : QStringList{u"<refused>"_s};
}

} // namespace

class TestGeneration : public QObject {
    Q_OBJECT

    TestTree m_tree;
    std::unique_ptr<TestEngine> m_rig;
    std::unique_ptr<PlexorViewModel> m_engine;
    std::unique_ptr<LogCapture> m_log;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_tree.add(u"a.c"_s, "x"));
        QVERIFY(m_tree.add(u"b/c.h"_s, "y\n"));
        QVERIFY(m_tree.add(u"b/unselected.h"_s, "no"));
        QVERIFY(m_tree.add(u"empty.swift"_s));
    }

    void init()
    {
        m_rig = std::make_unique<TestEngine>();
        m_engine = m_rig->make();
        m_engine->setPrefixText(u"P"_s);
        m_engine->setSuffixText(u"S"_s);
        m_log = std::make_unique<LogCapture>();
    }

    void cleanup()
    {
        m_log.reset();
        m_engine.reset();
        m_rig.reset();
    }

    // The exact text of one file with the default texts, and of no file, is checked by the
    // command-line test.
    void filesComeInTreeOrderAndAnEmptyFileHasItsBlock()
    {
        m_engine->loadFiles(m_tree.root(), m_tree.paths(pathList("a.c,b,b/c.h,empty.swift")));
        m_engine->generateContent(m_tree.root() + u'/');
        const QString expected = u"P\n\napp/b/c.h\napp/a.c\napp/empty.swift"_s +
                                 block(u"app/b/c.h"_s, u"y\n"_s) + block(u"app/a.c"_s, u"x"_s) +
                                 block(u"app/empty.swift"_s, QString()) + end;
        QCOMPARE(m_engine->generatedContent(), expected);
        QCOMPARE(streamed(*m_engine, m_tree.root()).join(QString()), expected);
        QCOMPARE(m_log->lines, QStringList());
    }

    // Text that is not UTF-8 and files that cannot be opened are checked by the command-line
    // test; here the files that changed between the scan and the generation.
    void filesChangedSinceTheScanAreLoggedAndLeftOut_data()
    {
        QTest::addColumn<bool>("grow");
        QTest::addColumn<QString>("reason");
        QTest::newRow("deleted") << false << u"does not exist"_s;
        QTest::newRow("too large to hold") << true << u"The file is too large."_s;
    }

    void filesChangedSinceTheScanAreLoggedAndLeftOut()
    {
        QFETCH(bool, grow);
        QFETCH(QString, reason);
        TestTree tree;
        QVERIFY(tree.add(u"bad.c"_s, "gone"));
        QVERIFY(tree.add(u"good.c"_s, "fine"));
        const QString bad = tree.path(u"bad.c"_s);
        m_engine->loadFiles(tree.root(), tree.paths(pathList("bad.c,good.c")));
        if (grow) // sparse: no disk space and no time, whatever its size
            QVERIFY(QFile::resize(bad, TextFileReader::sizeLimit() + 1));
        else
            QVERIFY(QFile::remove(bad));
        m_engine->generateContent(tree.root());
        // Both paths are listed; only the good file has a block.
        QCOMPARE(m_engine->generatedContent(),
                 u"P\n\napp/bad.c\napp/good.c"_s + block(u"app/good.c"_s, u"fine"_s) + end);
        const QStringList pieces = streamed(*m_engine, tree.root());
        QCOMPARE(pieces.size(), 3);
        QCOMPARE(pieces.join(QString()), m_engine->generatedContent());
        QCOMPARE(m_log->lines.size(), 2);
        QVERIFY2(m_log->lines.first().startsWith(u"Error reading file "_s + bad + u": "_s) &&
                     m_log->lines.first().contains(reason),
                 qPrintable(m_log->lines.first()));
    }

    void copyNeedsAFolderAndAccess()
    {
        ScopedBookmarkService bookmarks;
        m_engine->loadFiles(m_tree.root(), m_tree.paths({u"a.c"_s}));
        m_engine->setGeneratedContent(u"old"_s);
        // Nothing generated: the user's clipboard is left alone and nothing claims a copy.
        QVERIFY(!m_engine->generateAndCopy(std::nullopt));
        bookmarks.refuse = true;
        QVERIFY(!m_engine->generateAndCopy(m_tree.root()));
        QCOMPARE(m_engine->generatedContent(), u"old"_s);
        QVERIFY(m_rig->clipboard.calls.isEmpty());
        QVERIFY(!m_engine->justCopied());

        bookmarks.refuse = false;
        const int begunBefore = bookmarks.begun;
        QVERIFY(m_engine->generateAndCopy(m_tree.root()));
        QCOMPARE(bookmarks.begun, begunBefore + 1);
        QCOMPARE(bookmarks.ended, bookmarks.begun);
        // The clipboard is cleared before each copy.
        QCOMPARE(m_rig->clipboard.calls,
                 (QStringList{u"clear"_s, u"set:"_s + m_engine->generatedContent()}));
        QVERIFY(m_engine->justCopied());
        // A sink that refuses stops the generation at once; no folder, no text.
        int calls = 0;
        QVERIFY(!m_engine->writeContent(m_tree.root(), [&calls](QString&) { return ++calls > 1; }));
        QCOMPARE(calls, 1);
        QVERIFY(!m_engine->writeContent(std::nullopt, [](QString&) { return true; }));
    }

    // A file below the project folder is checked by the command-line test.
    void displayPathStartsAtTheProjectFolder()
    {
        const auto shown = [](const QString& path, const QString& root) {
            return PlexorViewModel::displayPath(FileItem(QUuid::createUuid(), path, false), root);
        };
        QCOMPARE(shown(u"/work/app/work/app/x.c"_s, u"/work/app"_s), u"app/work/app/x.c"_s);
        QCOMPARE(shown(u"/other/y.c"_s, u"/work/app"_s), u"y.c"_s);
        QCOMPARE(shown(u"/etc/hosts"_s, u"/"_s), u"/etc/hosts"_s);
    }

    void utf8Validation_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text"); // null for bytes that are not UTF-8
        const auto bad = [](const char* name, const QByteArray& bytes) {
            QTest::newRow(name) << bytes << QString();
        };
        QTest::newRow("ascii with NUL") << QByteArray("a\0b", 3) << QString(u"a\0b"_s);
        QTest::newRow("two, three and four bytes")
            << QByteArray("\xc3\xa9\xe2\x80\x99\xf0\x9f\x98\x80") << u"\u00e9\u2019\U0001F600"_s;
        QTest::newRow("byte order mark is kept") << QByteArray("\xef\xbb\xbfx") << u"\ufeffx"_s;
        QTest::newRow("highest code point") << QByteArray("\xf4\x8f\xbf\xbf") << u"\U0010FFFF"_s;
        bad("long ascii run then error", QByteArray(1000, 'a') + QByteArray("\xff"));
        bad("overlong slash", "\xc0\xaf");
        bad("surrogate D800", "\xed\xa0\x80");
        bad("past U+10FFFF", "\xf4\x90\x80\x80");
        bad("missing continuation", "\xe2\x82x");
        bad("truncated at the end", "x\xf0\x9f\x98");
    }

    void utf8Validation()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        const bool valid = !text.isNull();
        QString out = u"kept"_s;
        QCOMPARE(TextFileReader::appendUtf8(bytes, out), valid);
        QCOMPARE(out, u"kept"_s + text);
    }

    // Reads return at most three bytes and every other one is interrupted, as on a slow network
    // or FUSE file system; the whole file still comes through, multi-byte characters included.
    void shortAndInterruptedReadsStillReadTheWholeFile()
    {
        QTemporaryDir dir;
        QByteArray bytes;
        for (int i = 0; i < 500; ++i)
            bytes += "line \xc3\xa9\xe2\x82\xac " + QByteArray::number(i) + '\n';
        QFile file(dir.filePath(u"big.txt"_s));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();
        TextFileReader reader(&stingyRead);
        QString text = u"before:"_s;
        QString error;
        QVERIFY2(reader.appendFile(file.fileName(), text, &error), qPrintable(error));
        QCOMPARE(text, u"before:"_s + QString::fromUtf8(bytes));
    }
};

QTEST_GUILESS_MAIN(TestGeneration)
#include "tst_generation.moc"

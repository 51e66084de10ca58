#include "TestEngine.h"
#include "TestTree.h"

#include "platform/TextFileReader.h"

#include <QSignalSpy>
#include <QtTest>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString rule = u"------------------------------------"_s;
const QString end = u"\n\n-------------\nS"_s;

// A read that returns at most three bytes per call and is interrupted before every other call,
// as a slow network or FUSE file system may.
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
        QVERIFY(m_tree.add(u"d/e.c"_s, "e"));
        QVERIFY(m_tree.add(u"empty.swift"_s));
        QVERIFY(m_tree.add(u"main.c"_s, "int main() {}\n"));
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

    void generatedText_data()
    {
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("one file, byte for byte")
            << pathList("main.c") << u"P"_s << u"S"_s
            << QByteArray("P\n\napp/main.c\n\n\n\n\n------------------------------------\n"
                          "app/main.c\n------------------------------------\n\nint main() {}\n"
                          "\n\n\n\n-------------\nS");
        QTest::newRow("tree order, a folder adds nothing, an empty file has its block")
            << pathList("a.c,b,b/c.h,empty.swift") << u"P"_s << u"S"_s
            << (u"P\n\napp/b/c.h\napp/a.c\napp/empty.swift"_s + block(u"app/b/c.h"_s, u"y\n"_s) +
                block(u"app/a.c"_s, u"x"_s) + block(u"app/empty.swift"_s, QString()) + end)
                   .toUtf8();
        QTest::newRow("nothing selected, the default texts")
            << QStringList() << PlexorViewModel::defaultPrefixText()
            << PlexorViewModel::defaultSuffixText()
            << (PlexorViewModel::defaultPrefixText() + u"\n\n\n\n-------------\n"_s +
                PlexorViewModel::defaultSuffixText())
                   .toUtf8();
        QTest::newRow("folders alone, empty texts")
            << pathList("d") << QString() << QString() << QByteArray("\n\n\n\n-------------\n");
    }

    void generatedText()
    {
        QFETCH(QStringList, selected);
        QFETCH(QString, prefix);
        QFETCH(QString, suffix);
        QFETCH(QByteArray, expected);
        // A fresh engine starts with the default texts.
        auto engine = m_rig->make();
        if (prefix != PlexorViewModel::defaultPrefixText()) {
            engine->setPrefixText(prefix);
            engine->setSuffixText(suffix);
        }
        engine->loadFiles(m_tree.root(), m_tree.paths(selected));
        QSignalSpy changed(engine.get(), &PlexorViewModel::generatedContentChanged);
        engine->generateContent(m_tree.root() + u'/');
        QCOMPARE(changed.count(), 1);
        QCOMPARE(engine->generatedContent().toUtf8(), expected);
        QCOMPARE(streamed(*engine, m_tree.root()).join(QString()).toUtf8(), expected);
        QCOMPARE(m_log->lines, QStringList());
    }

    void unreadableFilesAreLoggedAndLeftOut_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("harm");
        QTest::addColumn<QString>("reason");
        QTest::newRow("deleted after the scan")
            << QByteArray("gone") << u"delete"_s << u"does not exist"_s;
        QTest::newRow("too large to hold")
            << QByteArray() << u"grow"_s << u"The file is too large."_s;
        QTest::newRow("no read permission") << QByteArray("x") << u"lock"_s << u"permission"_s;
        QTest::newRow("Latin-1 text") << QByteArray("caf\xe9") << QString() << u"not valid UTF-8"_s;
    }

    void unreadableFilesAreLoggedAndLeftOut()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, harm);
        QFETCH(QString, reason);
        if (harm == u"lock" && ::geteuid() == 0)
            QSKIP("Running as root: file permissions do not stop root from reading.");
        TestTree tree;
        QVERIFY(tree.add(u"bad.c"_s, content));
        QVERIFY(tree.add(u"good.c"_s, "fine"));
        const QString bad = tree.path(u"bad.c"_s);
        m_engine->loadFiles(tree.root(), tree.paths(pathList("bad.c,good.c")));
        if (harm == u"delete")
            QVERIFY(QFile::remove(bad));
        else if (harm == u"grow") // sparse: no disk space and no time, whatever its size
            QVERIFY(QFile::resize(bad, TextFileReader::sizeLimit() + 1));
        else if (harm == u"lock")
            QCOMPARE(::chmod(QFile::encodeName(bad).constData(), 0), 0);
        m_engine->generateContent(tree.root());
        // Both paths are listed; only the good file has a block.
        QCOMPARE(m_engine->generatedContent(),
                 u"P\n\napp/bad.c\napp/good.c"_s + block(u"app/good.c"_s, u"fine"_s) + end);
        QCOMPARE(m_log->lines.size(), 1);
        const QStringList pieces = streamed(*m_engine, tree.root());
        QCOMPARE(pieces.size(), 3);
        QCOMPARE(pieces.join(QString()), m_engine->generatedContent());
        QVERIFY2(m_log->lines.first().startsWith(u"Error reading file "_s + bad + u": "_s) &&
                     m_log->lines.first().contains(reason),
                 qPrintable(m_log->lines.first()));
    }

    void copyNeedsAFolderAndAccess()
    {
        ScopedBookmarkService bookmarks;
        m_engine->loadFiles(m_tree.root(), m_tree.paths({u"a.c"_s}));
        m_engine->setGeneratedContent(u"old"_s);
        QSignalSpy changed(m_engine.get(), &PlexorViewModel::generatedContentChanged);
        // Nothing generated: the user's clipboard is left alone and nothing claims a copy.
        QVERIFY(!m_engine->generateAndCopy(std::nullopt));
        bookmarks.service.refuse = true;
        QVERIFY(!m_engine->generateAndCopy(m_tree.root()));
        QCOMPARE(m_engine->generatedContent(), u"old"_s);
        QCOMPARE(changed.count(), 0);
        QVERIFY(m_rig->clipboard.calls.isEmpty());
        QVERIFY(!m_engine->justCopied());

        bookmarks.service.refuse = false;
        const int begunBefore = bookmarks.service.begun;
        QVERIFY(m_engine->generateAndCopy(m_tree.root()));
        QCOMPARE(bookmarks.service.begun, begunBefore + 1);
        QCOMPARE(bookmarks.service.ended, bookmarks.service.begun);
        const QString generated = m_engine->generatedContent();
        QVERIFY(generated.startsWith(u"P\n\napp/a.c"_s));
        // An edited text is copied as it stands; the clipboard is cleared before each copy.
        m_engine->setGeneratedContent(u"edited \u2019 text"_s);
        m_engine->copyToClipboard();
        QCOMPARE(m_rig->clipboard.calls, (QStringList{u"clear"_s, u"set:"_s + generated, u"clear"_s,
                                                      u"set:edited \u2019 text"_s}));
        QVERIFY(m_engine->justCopied());
        // A sink that refuses stops the generation at once; no folder, no text.
        int calls = 0;
        QVERIFY(!m_engine->writeContent(m_tree.root(), [&calls](QString&) { return ++calls > 1; }));
        QCOMPARE(calls, 1);
        QVERIFY(!m_engine->writeContent(std::nullopt, [](QString&) { return true; }));
    }

    void displayPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("root");
        QTest::addColumn<QString>("expected");
        QTest::newRow("file below the root")
            << u"/work/app/src/main.c"_s << u"/work/app"_s << u"app/src/main.c"_s;
        QTest::newRow("root named again inside")
            << u"/work/app/work/app/x.c"_s << u"/work/app"_s << u"app/work/app/x.c"_s;
        QTest::newRow("root not contained") << u"/other/y.c"_s << u"/work/app"_s << u"y.c"_s;
        QTest::newRow("case matters") << u"/Work/App/z.c"_s << u"/work/app"_s << u"z.c"_s;
        QTest::newRow("file system root") << u"/etc/hosts"_s << u"/"_s << u"/etc/hosts"_s;
    }

    void displayPath()
    {
        QFETCH(QString, path);
        QFETCH(QString, root);
        QFETCH(QString, expected);
        QCOMPARE(PlexorViewModel::displayPath(FileItem(QUuid::createUuid(), path, false), root),
                 expected);
    }

    void utf8Validation_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text"); // null for bytes that are not UTF-8
        const auto bad = [](const char* name, const QByteArray& bytes) {
            QTest::newRow(name) << bytes << QString();
        };
        QTest::newRow("empty") << QByteArray() << u""_s;
        QTest::newRow("ascii with NUL") << QByteArray("a\0b", 3) << QString(u"a\0b"_s);
        QTest::newRow("two, three and four bytes")
            << QByteArray("\xc3\xa9\xe2\x80\x99\xf0\x9f\x98\x80") << u"\u00e9\u2019\U0001F600"_s;
        QTest::newRow("byte order mark is kept") << QByteArray("\xef\xbb\xbfx") << u"\ufeffx"_s;
        QTest::newRow("highest code point") << QByteArray("\xf4\x8f\xbf\xbf") << u"\U0010FFFF"_s;
        QTest::newRow("noncharacter U+FFFE is text") << QByteArray("\xef\xbf\xbe") << u"\ufffe"_s;
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
        // The same through a file.
        QTemporaryDir dir;
        QFile file(dir.filePath(u"f"_s));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();
        QString read;
        QString error;
        QCOMPARE(TextFileReader::readFile(file.fileName(), read, &error), valid);
        QCOMPARE(read, text);
        QCOMPARE(error.isEmpty(), valid);
    }

    void readerRefusesFoldersAndPipes()
    {
        QTemporaryDir dir;
        QString text;
        QString error;
        QVERIFY(!TextFileReader::readFile(dir.path(), text, &error));
        QVERIFY(error.contains(u"folder"_s));
        const QString pipe = dir.filePath(u"pipe.c"_s);
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        // Must not block on a pipe with no writer.
        QVERIFY(!TextFileReader::readFile(pipe, text, &error));
        QVERIFY(error.contains(u"regular file"_s));
    }

    void wholeFileIsRead_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<bool>("stingy");
        QTest::newRow("large file") << 200000 << false;
        QTest::newRow("short and interrupted reads") << 500 << true;
    }

    void wholeFileIsRead()
    {
        QFETCH(int, lines);
        QFETCH(bool, stingy);
        QTemporaryDir dir;
        QByteArray bytes;
        for (int i = 0; i < lines; ++i)
            bytes += "line \xc3\xa9\xe2\x82\xac " + QByteArray::number(i) + '\n';
        QFile file(dir.filePath(u"big.txt"_s));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();
        TextFileReader reader(stingy ? &stingyRead : nullptr);
        QString text = u"before:"_s;
        QString error;
        QVERIFY2(reader.appendFile(file.fileName(), text, &error), qPrintable(error));
        QCOMPARE(text, u"before:"_s + QString::fromUtf8(bytes));
    }
};

QTEST_GUILESS_MAIN(TestGeneration)
#include "tst_generation.moc"

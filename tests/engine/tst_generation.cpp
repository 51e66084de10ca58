#include "FakeServices.h"
#include "TestTree.h"

#include "engine/PlexorViewModel.h"
#include "model/Preferences.h"
#include "platform/Log.h"
#include "platform/TextFileReader.h"

#include <QSignalSpy>
#include <QtTest>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString rule = QStringLiteral("------------------------------------");

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
    return QStringLiteral("\n\n\n\n\n") + rule + u'\n' + displayPath + u'\n' + rule +
           QStringLiteral("\n\n") + text + QStringLiteral("\n\n");
}

} // namespace

class TestGeneration : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_configDir;
    std::unique_ptr<Preferences> m_preferences;
    FakeClipboard m_clipboard;
    QStringList m_log;
    Log::Sink m_previousSink;

    std::unique_ptr<PlexorViewModel> makeEngine()
    {
        auto engine = std::make_unique<PlexorViewModel>(*m_preferences, m_clipboard);
        engine->setPrefixText(QStringLiteral("P"));
        engine->setSuffixText(QStringLiteral("S"));
        return engine;
    }

    // Scans `tree` and selects the nodes at `relatives`.
    static void scanAndSelect(PlexorViewModel& engine, const TestTree& tree,
                              const QStringList& relatives)
    {
        QSet<QString> paths;
        for (const QString& relative : relatives)
            paths.insert(tree.path(relative));
        engine.loadFiles(tree.root(), paths);
    }

private Q_SLOTS:
    void init()
    {
        m_configDir = std::make_unique<QTemporaryDir>();
        m_preferences =
            std::make_unique<Preferences>(m_configDir->filePath(QStringLiteral("prefs.json")));
        m_clipboard.calls.clear();
        m_log.clear();
        m_previousSink = Log::setSink([this](const QString& line) { m_log.append(line); });
    }

    void cleanup()
    {
        Log::setSink(m_previousSink);
        m_preferences.reset();
        m_configDir.reset();
    }

    void layoutOfTheText()
    {
        TestTree tree;
        QVERIFY(tree.add(QStringLiteral("a.c"), "x"));
        QVERIFY(tree.add(QStringLiteral("b/c.h"), "y\n"));
        QVERIFY(tree.add(QStringLiteral("b/unselected.h"), "no"));
        QVERIFY(tree.add(QStringLiteral("empty.swift")));
        auto engine = makeEngine();
        // The selected folder b adds nothing by itself.
        scanAndSelect(*engine, tree,
                      {QStringLiteral("a.c"), QStringLiteral("b"), QStringLiteral("b/c.h"),
                       QStringLiteral("empty.swift")});
        QSignalSpy changed(engine.get(), &PlexorViewModel::generatedContentChanged);
        engine->generateContent(tree.root());
        QCOMPARE(changed.count(), 1);

        // Files come in tree order: the folder b before the files beside it.
        const QStringList order{QStringLiteral("b/c.h"), QStringLiteral("a.c"),
                                QStringLiteral("empty.swift")};
        const QHash<QString, QString> texts{{QStringLiteral("a.c"), QStringLiteral("x")},
                                            {QStringLiteral("b/c.h"), QStringLiteral("y\n")},
                                            {QStringLiteral("empty.swift"), QString()}};
        QString expected = QStringLiteral("P\n\n");
        QStringList listed;
        for (const QString& relative : order)
            listed.append(QStringLiteral("app/") + relative);
        expected += listed.join(u'\n');
        for (const QString& relative : order)
            expected += block(QStringLiteral("app/") + relative, texts.value(relative));
        expected += QStringLiteral("\n\n-------------\nS");
        QCOMPARE(engine->generatedContent(), expected);
        QVERIFY(m_log.isEmpty());
    }

    void exactBytesForOneFile()
    {
        TestTree tree;
        QVERIFY(tree.add(QStringLiteral("main.c"), "int main() {}\n"));
        auto engine = makeEngine();
        scanAndSelect(*engine, tree, {QStringLiteral("main.c")});
        engine->generateContent(tree.root() + u'/');
        QCOMPARE(engine->generatedContent().toUtf8(),
                 QByteArray("P\n\napp/main.c\n\n\n\n\n------------------------------------\n"
                            "app/main.c\n------------------------------------\n\nint main() {}\n"
                            "\n\n\n\n-------------\nS"));
    }

    void emptySelectionAndDefaultTexts()
    {
        TestTree tree;
        QVERIFY(tree.add(QStringLiteral("a.c"), "x"));
        auto engine = std::make_unique<PlexorViewModel>(*m_preferences, m_clipboard);
        engine->loadFiles(tree.root());
        engine->generateContent(tree.root());
        QCOMPARE(engine->generatedContent(), PlexorViewModel::defaultPrefixText() +
                                                 QStringLiteral("\n\n\n\n-------------\n") +
                                                 PlexorViewModel::defaultSuffixText());
        // Folders alone give no file list either.
        QVERIFY(tree.add(QStringLiteral("d/e.c"), "e"));
        scanAndSelect(*engine, tree, {QStringLiteral("d")});
        engine->setPrefixText(QString());
        engine->setSuffixText(QString());
        engine->generateContent(tree.root());
        QCOMPARE(engine->generatedContent(), QStringLiteral("\n\n\n\n-------------\n"));
    }

    void unreadableFilesAreLoggedAndLeftOut_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("removeAfterScan");
        QTest::addColumn<QString>("reason");
        QTest::newRow("deleted after the scan")
            << QByteArray("gone") << true << QStringLiteral("does not exist");
        QTest::newRow("stray continuation byte")
            << QByteArray("ab\x80") << false << QStringLiteral("not valid UTF-8");
        QTest::newRow("Latin-1 text")
            << QByteArray("caf\xe9") << false << QStringLiteral("not valid UTF-8");
        QTest::newRow("cut-off sequence at the end")
            << QByteArray("ok\xe2\x82") << false << QStringLiteral("not valid UTF-8");
    }

    void unreadableFilesAreLoggedAndLeftOut()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, removeAfterScan);
        QFETCH(QString, reason);

        TestTree tree;
        QVERIFY(tree.add(QStringLiteral("bad.c"), content));
        QVERIFY(tree.add(QStringLiteral("good.c"), "fine"));
        auto engine = makeEngine();
        scanAndSelect(*engine, tree, {QStringLiteral("bad.c"), QStringLiteral("good.c")});
        if (removeAfterScan)
            QVERIFY(QFile::remove(tree.path(QStringLiteral("bad.c"))));
        engine->generateContent(tree.root());

        const QString text = engine->generatedContent();
        // Both paths are listed; only the good file has a block.
        QVERIFY(text.contains(QStringLiteral("app/bad.c")));
        QVERIFY(!text.contains(QStringLiteral("\napp/bad.c\n") + rule));
        QVERIFY(text.contains(block(QStringLiteral("app/good.c"), QStringLiteral("fine"))));
        QCOMPARE(text.count(rule + u'\n'), 2);
        QCOMPARE(m_log.size(), 1);
        const QString prefix = QStringLiteral("Error reading file ") +
                               tree.path(QStringLiteral("bad.c")) + u':' + u' ';
        QVERIFY2(m_log.first().startsWith(prefix), qPrintable(m_log.first()));
        QVERIFY2(m_log.first().contains(reason), qPrintable(m_log.first()));
    }

    void streamedTextEqualsTheGeneratedText()
    {
        TestTree tree;
        QVERIFY(tree.add(QStringLiteral("a.c"), "first"));
        QVERIFY(tree.add(QStringLiteral("bad.c"), "\xff"));
        QVERIFY(tree.add(QStringLiteral("d/b.c"), "second \xc3\xa9"));
        auto engine = makeEngine();
        scanAndSelect(*engine, tree,
                      {QStringLiteral("a.c"), QStringLiteral("bad.c"), QStringLiteral("d/b.c")});
        engine->generateContent(tree.root());

        // The sink sees the list, then each readable file's block alone, then the suffix.
        QStringList pieces;
        QVERIFY(engine->writeContent(tree.root(), [&pieces](QString& text) {
            pieces.append(text);
            text.clear();
            return true;
        }));
        QCOMPARE(pieces.join(QString()), engine->generatedContent());
        QCOMPARE(pieces.size(), 4);
        QCOMPARE(pieces.last(), QStringLiteral("\n\n-------------\nS"));
        QCOMPARE(m_log.size(), 2);

        // A sink that refuses stops the generation at once.
        int calls = 0;
        QVERIFY(!engine->writeContent(tree.root(), [&calls](QString&) { return ++calls > 1; }));
        QCOMPARE(calls, 1);
        QVERIFY(!engine->writeContent(std::nullopt, [](QString&) { return true; }));
    }

    void unreadablePermissionsAreLogged()
    {
        if (::geteuid() == 0)
            QSKIP("Running as root: file permissions do not stop root from reading.");
        TestTree tree;
        QVERIFY(tree.add(QStringLiteral("locked.c"), "secret"));
        auto engine = makeEngine();
        scanAndSelect(*engine, tree, {QStringLiteral("locked.c")});
        const QByteArray path = QFile::encodeName(tree.path(QStringLiteral("locked.c")));
        QCOMPARE(::chmod(path.constData(), 0), 0);
        engine->generateContent(tree.root());
        QCOMPARE(m_log.size(), 1);
        QVERIFY(m_log.first().contains(QStringLiteral("permission")));
    }

    void noFolderOrRefusedAccessKeepsTheOldTextAndTheClipboard()
    {
        TestTree tree;
        QVERIFY(tree.add(QStringLiteral("a.c"), "x"));
        ScopedBookmarkService bookmarks;
        auto engine = makeEngine();
        scanAndSelect(*engine, tree, {QStringLiteral("a.c")});
        engine->setGeneratedContent(QStringLiteral("old"));
        QSignalSpy changed(engine.get(), &PlexorViewModel::generatedContentChanged);

        // Nothing generated: the user's clipboard is left alone and nothing claims a copy.
        QVERIFY(!engine->generateAndCopy(std::nullopt));
        QCOMPARE(engine->generatedContent(), QStringLiteral("old"));
        bookmarks.service.refuse = true;
        QVERIFY(!engine->generateAndCopy(tree.root()));
        QCOMPARE(engine->generatedContent(), QStringLiteral("old"));
        QCOMPARE(changed.count(), 0);
        QVERIFY(m_clipboard.calls.isEmpty());
        QVERIFY(!engine->justCopied());

        bookmarks.service.refuse = false;
        const int begunBefore = bookmarks.service.begun;
        QVERIFY(engine->generateAndCopy(tree.root()));
        QCOMPARE(bookmarks.service.begun, begunBefore + 1);
        QCOMPARE(bookmarks.service.ended, bookmarks.service.begun);
        QVERIFY(engine->generatedContent().startsWith(QStringLiteral("P\n\napp/a.c")));
        QCOMPARE(m_clipboard.calls,
                 (QStringList{QStringLiteral("clear"),
                              QStringLiteral("set:") + engine->generatedContent()}));
        QVERIFY(engine->justCopied());
    }

    void copyClearsThenSetsTheText()
    {
        auto engine = makeEngine();
        engine->copyToClipboard();
        engine->setGeneratedContent(QStringLiteral("edited \u2019 text"));
        engine->copyToClipboard();
        QCOMPARE(m_clipboard.calls,
                 (QStringList{QStringLiteral("clear"), QStringLiteral("set:"),
                              QStringLiteral("clear"), QStringLiteral("set:edited \u2019 text")}));
        QVERIFY(engine->justCopied());
    }

    void displayPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("root");
        QTest::addColumn<QString>("expected");
        QTest::newRow("file below the root")
            << QStringLiteral("/work/app/src/main.c") << QStringLiteral("/work/app")
            << QStringLiteral("app/src/main.c");
        QTest::newRow("root named again inside")
            << QStringLiteral("/work/app/work/app/x.c") << QStringLiteral("/work/app")
            << QStringLiteral("app/work/app/x.c");
        QTest::newRow("root not contained")
            << QStringLiteral("/other/y.c") << QStringLiteral("/work/app") << QStringLiteral("y.c");
        QTest::newRow("case matters") << QStringLiteral("/Work/App/z.c")
                                      << QStringLiteral("/work/app") << QStringLiteral("z.c");
        QTest::newRow("file system root")
            << QStringLiteral("/etc/hosts") << QStringLiteral("/") << QStringLiteral("/etc/hosts");
    }

    void displayPath()
    {
        QFETCH(QString, path);
        QFETCH(QString, root);
        QFETCH(QString, expected);
        const FileItem node(QUuid::createUuid(), path, false);
        QCOMPARE(PlexorViewModel::displayPath(node, root), expected);
    }

    void utf8Validation_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QByteArray() << true << QString();
        QTest::newRow("ascii with NUL")
            << QByteArray("a\0b", 3) << true << QStringView(u"a\0b", 3).toString();
        QTest::newRow("two, three and four bytes")
            << QByteArray("\xc3\xa9\xe2\x80\x99\xf0\x9f\x98\x80") << true
            << QStringLiteral("\u00e9\u2019") + QString::fromUcs4(U"\U0001F600", 1);
        QTest::newRow("byte order mark is kept")
            << QByteArray("\xef\xbb\xbfx") << true << QStringLiteral("\ufeffx");
        QTest::newRow("highest code point")
            << QByteArray("\xf4\x8f\xbf\xbf") << true << QString::fromUcs4(U"\U0010FFFF", 1);
        QTest::newRow("noncharacter U+FFFE is text")
            << QByteArray("\xef\xbf\xbe") << true << QStringLiteral("\ufffe");
        QTest::newRow("long ascii run then error")
            << QByteArray(1000, 'a') + QByteArray("\xff") << false << QString();
        QTest::newRow("lone continuation") << QByteArray("\x80") << false << QString();
        QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << false << QString();
        QTest::newRow("overlong C1") << QByteArray("\xc1\xbf") << false << QString();
        QTest::newRow("overlong three bytes") << QByteArray("\xe0\x80\xaf") << false << QString();
        QTest::newRow("overlong four bytes")
            << QByteArray("\xf0\x80\x80\xaf") << false << QString();
        QTest::newRow("surrogate D800") << QByteArray("\xed\xa0\x80") << false << QString();
        QTest::newRow("surrogate DFFF") << QByteArray("\xed\xbf\xbf") << false << QString();
        QTest::newRow("past U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << false << QString();
        QTest::newRow("F5 lead byte") << QByteArray("\xf5\x80\x80\x80") << false << QString();
        QTest::newRow("missing continuation") << QByteArray("\xe2\x82x") << false << QString();
        QTest::newRow("truncated at the end") << QByteArray("x\xf0\x9f\x98") << false << QString();
        QTest::newRow("FE byte") << QByteArray("\xfe") << false << QString();
    }

    void utf8Validation()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, valid);
        QFETCH(QString, text);
        QString out = QStringLiteral("kept");
        QCOMPARE(TextFileReader::appendUtf8(bytes, out), valid);
        QCOMPARE(out, valid ? QStringLiteral("kept") + text : QStringLiteral("kept"));

        // The same through a file.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("f"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        QString read;
        QString error;
        QCOMPARE(TextFileReader::readFile(path, read, &error), valid);
        if (valid)
            QCOMPARE(read, text);
        else
            QVERIFY(!error.isEmpty());
    }

    void readerRefusesFoldersAndPipes()
    {
        QTemporaryDir dir;
        QString text;
        QString error;
        QVERIFY(!TextFileReader::readFile(dir.path(), text, &error));
        QVERIFY(error.contains(QStringLiteral("folder")));
        const QString pipe = dir.filePath(QStringLiteral("pipe.c"));
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        // Must not block on a pipe with no writer.
        QVERIFY(!TextFileReader::readFile(pipe, text, &error));
        QVERIFY(error.contains(QStringLiteral("regular file")));
    }

    void fileTooLargeToHoldIsReportedAndTheRestGenerated()
    {
        TestTree tree;
        QVERIFY(tree.add(QStringLiteral("h.c")));
        QVERIFY(tree.add(QStringLiteral("s.c"), "small"));
        // Sparse: no disk space and no time, whatever its size.
        QVERIFY(QFile::resize(tree.path(QStringLiteral("h.c")), TextFileReader::sizeLimit() + 1));
        auto engine = makeEngine();
        scanAndSelect(*engine, tree, {QStringLiteral("h.c"), QStringLiteral("s.c")});
        engine->generateContent(tree.root());
        QCOMPARE(m_log, QStringList{QStringLiteral("Error reading file ") +
                                    tree.path(QStringLiteral("h.c")) +
                                    QStringLiteral(": The file is too large.")});
        const QString text = engine->generatedContent();
        QVERIFY(text.contains(QStringLiteral("app/h.c")));
        QVERIFY(!text.contains(QStringLiteral("\napp/h.c\n") + rule));
        QVERIFY(text.contains(block(QStringLiteral("app/s.c"), QStringLiteral("small"))));
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
        const QString path = dir.filePath(QStringLiteral("big.txt"));
        QByteArray bytes;
        for (int i = 0; i < lines; ++i)
            bytes += "line \xc3\xa9\xe2\x82\xac " + QByteArray::number(i) + '\n';
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
        file.close();
        TextFileReader reader(stingy ? &stingyRead : nullptr);
        QString text = QStringLiteral("before:");
        QString error;
        QVERIFY2(reader.appendFile(path, text, &error), qPrintable(error));
        QCOMPARE(text, QStringLiteral("before:") + QString::fromUtf8(bytes));
    }
};

QTEST_GUILESS_MAIN(TestGeneration)
#include "tst_generation.moc"

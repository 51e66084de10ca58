#include "engine/FakeServices.h"
#include "engine/TestTree.h"

#include "engine/PlexorViewModel.h"
#include "model/Preferences.h"
#include "ui/Badge.h"
#include "ui/CharacterCount.h"
#include "ui/PlexorPreviewView.h"
#include "ui/TintedButton.h"

#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

class TestPreviewView : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_configDir;
    std::unique_ptr<Preferences> m_preferences;
    FakeClipboard m_clipboard;
    std::unique_ptr<TestTree> m_tree;
    std::unique_ptr<PlexorViewModel> m_engine;
    std::unique_ptr<PlexorPreviewView> m_view;

    template <typename T>
    T* find(const QString& name) const
    {
        return m_view->findChild<T*>(name);
    }

    QPlainTextEdit* editor() const { return find<QPlainTextEdit>(QStringLiteral("previewEditor")); }
    TintedButton* button(const QString& name) const { return find<TintedButton>(name); }
    QString copied() const
    {
        return m_clipboard.calls.isEmpty() ? QString() : m_clipboard.calls.last();
    }

private Q_SLOTS:
    void init()
    {
        m_configDir = std::make_unique<QTemporaryDir>();
        m_preferences =
            std::make_unique<Preferences>(m_configDir->filePath(QStringLiteral("prefs.json")));
        m_tree = std::make_unique<TestTree>();
        QVERIFY(m_tree->add(QStringLiteral("main.py"), "print(1)\n"));
        m_engine = std::make_unique<PlexorViewModel>(*m_preferences, m_clipboard);
        m_view = std::make_unique<PlexorPreviewView>(*m_engine);
        m_view->resize(700, 500);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        m_clipboard.calls.clear();
    }

    void cleanup()
    {
        m_view.reset();
        m_engine.reset();
        m_tree.reset();
        m_preferences.reset();
        m_configDir.reset();
    }

    void graphemes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("ascii") << QStringLiteral("int main;") << 9;
        QTest::newRow("crlf is one") << QStringLiteral("a\r\nb\n\rc") << 6;
        QTest::newRow("latin-1") << QStringLiteral("caf\u00e9 \u00bd") << 6;
        QTest::newRow("combining accent and emoji") << QStringLiteral("e\u0301\U0001F600") << 2;
        QTest::newRow("precomposed letter with extra accent")
            << QStringLiteral("\u00e9\u0301") << 1;
        QTest::newRow("family emoji")
            << QStringLiteral("\U0001F469\u200D\U0001F469\u200D\U0001F467") << 1;
        QTest::newRow("flag") << QStringLiteral("\U0001F1E9\U0001F1EA!") << 2;
        QTest::newRow("hangul jamo") << QStringLiteral("\u1100\u1161\u11A8") << 1;
    }

    void graphemes()
    {
        QFETCH(QString, text);
        QFETCH(int, count);
        QCOMPARE(CharacterCount::graphemes(text), qsizetype(count));
        // The badge counts what the engine holds.
        m_engine->setGeneratedContent(text);
        QTRY_COMPARE(find<Badge>(QStringLiteral("charCountBadge"))->text(),
                     QStringLiteral("%1 chars").arg(count));
    }

    void editsAreCopied()
    {
        m_engine->setGeneratedContent(QStringLiteral("generated"));
        editor()->setFocus();
        editor()->moveCursor(QTextCursor::End);
        QTest::keyClicks(editor(), QStringLiteral(" + edit"));
        // Copy right away, before the pause after typing has passed.
        QTest::mouseClick(button(QStringLiteral("copyButton")), Qt::LeftButton);
        QCOMPARE(copied(), QStringLiteral("set:generated + edit"));
        QCOMPARE(m_engine->generatedContent(), QStringLiteral("generated + edit"));
        QCOMPARE(button(QStringLiteral("copyButton"))->text(), QStringLiteral("Copied"));
        QCOMPARE(button(QStringLiteral("copyButton"))->symbol(), std::optional(Symbol::checkmark));
        QTRY_COMPARE(find<Badge>(QStringLiteral("charCountBadge"))->text(),
                     QStringLiteral("16 chars"));

        // Typing alone reaches the engine after a pause too.
        QTest::keyClicks(editor(), QStringLiteral("!"));
        QTRY_COMPARE(m_engine->generatedContent(), QStringLiteral("generated + edit!"));
        QCOMPARE(editor()->textCursor().position(), 17);
    }

    void anEditKeepsEveryOtherCharacter()
    {
        // As generated from files with CR LF line ends, no-break spaces, a line separator and
        // tabs, ending in a newline.
        const QString generated = QStringLiteral("x\r\n\ty\u00a0z\u2028w\r\n");
        m_engine->setGeneratedContent(generated);
        editor()->setFocus();
        editor()->moveCursor(QTextCursor::Start);
        QTest::keyClick(editor(), Qt::Key_Right);
        QTest::keyClick(editor(), Qt::Key_Exclam);
        QTest::mouseClick(button(QStringLiteral("copyButton")), Qt::LeftButton);
        const QString edited = QStringLiteral("x!\r\n\ty\u00a0z\u2028w\r\n");
        QCOMPARE(m_engine->generatedContent(), edited);
        QCOMPARE(copied(), QStringLiteral("set:") + edited);
    }

    void regenerateDiscardsEdits()
    {
        m_view->setUrl(m_tree->root());
        m_engine->loadFiles(m_tree->root(), QSet<QString>{m_tree->path(QStringLiteral("main.py"))});
        m_engine->generateContent(m_tree->root());
        const QString generated = m_engine->generatedContent();
        QCOMPARE(editor()->toPlainText(), generated);

        editor()->setFocus();
        editor()->moveCursor(QTextCursor::Start);
        QTest::keyClicks(editor(), QStringLiteral("XX"));
        QTest::mouseClick(button(QStringLiteral("regenerateButton")), Qt::LeftButton);
        QCOMPARE(editor()->toPlainText(), generated);
        QCOMPARE(m_engine->generatedContent(), generated);
        QCOMPARE(copied(), QStringLiteral("set:") + generated);
        QCOMPARE(button(QStringLiteral("regenerateButton"))->text(),
                 QStringLiteral("Updated & Copied"));
        QCOMPARE(button(QStringLiteral("copyButton"))->text(), QStringLiteral("Copied"));
        // No late write-back of the discarded edits.
        QTest::qWait(300);
        QCOMPARE(m_engine->generatedContent(), generated);
        QTRY_COMPARE_WITH_TIMEOUT(button(QStringLiteral("regenerateButton"))->text(),
                                  QStringLiteral("Regenerate"), 4000);
        QCOMPARE(button(QStringLiteral("regenerateButton"))->symbol(),
                 std::optional(Symbol::arrowClockwise));
    }

    void regenerateWithoutAFolderCopiesTheText()
    {
        m_engine->setGeneratedContent(QStringLiteral("kept"));
        QTest::mouseClick(button(QStringLiteral("regenerateButton")), Qt::LeftButton);
        QCOMPARE(m_engine->generatedContent(), QStringLiteral("kept"));
        QCOMPARE(copied(), QStringLiteral("set:kept"));
        QVERIFY(m_engine->justRegenerated());
    }

    void anUnchangedTextKeepsTheCursor()
    {
        m_engine->setGeneratedContent(QStringLiteral("line one\nline two"));
        QTextCursor cursor = editor()->textCursor();
        cursor.setPosition(12);
        editor()->setTextCursor(cursor);
        // A generation that gives the same text again.
        m_engine->setGeneratedContent(QStringLiteral("line one\nline two"));
        QMetaObject::invokeMethod(m_engine.get(), "generatedContentChanged");
        QCOMPARE(editor()->textCursor().position(), 12);
    }

    void backWritesEditsAndAsksForTheInputScreen()
    {
        QSignalSpy requests(m_view.get(), &PlexorPreviewView::viewModeRequested);
        m_engine->setGeneratedContent(QStringLiteral("a"));
        editor()->setFocus();
        editor()->moveCursor(QTextCursor::End);
        QTest::keyClicks(editor(), QStringLiteral("b"));
        QTest::mouseClick(button(QStringLiteral("backButton")), Qt::LeftButton);
        QCOMPARE(m_engine->generatedContent(), QStringLiteral("ab"));
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.first().first().value<ViewMode>(), ViewMode::plexor);
    }
};

QTEST_MAIN(TestPreviewView)
#include "tst_preview.moc"

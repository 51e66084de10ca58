#include "engine/FakeServices.h"
#include "engine/TestTree.h"

#include "engine/PlexorViewModel.h"
#include "model/Preferences.h"
#include "ui/Badge.h"
#include "ui/CharacterCount.h"
#include "ui/LargeTextEdit.h"
#include "ui/PlexorPreviewView.h"
#include "ui/TintedButton.h"

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

    LargeTextEdit* editor() const { return find<LargeTextEdit>(QStringLiteral("previewEditor")); }
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
        // A project is open, as whenever the preview shows a generated text.
        m_view->setUrl(m_tree->root());
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

    void countFollowsAnEdit_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("removed");
        QTest::addColumn<QString>("inserted");
        QTest::newRow("an accent joins the letter before it")
            << QStringLiteral("cafe\nx") << 4 << 0 << QStringLiteral("\u0301");
        QTest::newRow("CR and LF meet") << QStringLiteral("a\rX\nb") << 2 << 1 << QString();
        QTest::newRow("flags pair anew") << QStringLiteral("\U0001F1E9\U0001F1EA\U0001F1EB") << 0
                                         << 0 << QStringLiteral("\U0001F1EB");
        QTest::newRow("a joiner makes one emoji")
            << QStringLiteral("\U0001F469!") << 2 << 0 << QStringLiteral("\u200D\U0001F467");
        QTest::newRow("a removed line feed joins two lines")
            << QStringLiteral("x\ne\u0301\n\u0301y\nz") << 4 << 1 << QString();
        QTest::newRow("a line feed typed between accents")
            << QStringLiteral("e\u0301\u0301") << 2 << 0 << QStringLiteral("\n");
    }

    void countFollowsAnEdit()
    {
        QFETCH(QString, text);
        QFETCH(int, from);
        QFETCH(int, removed);
        QFETCH(QString, inserted);
        QString after = text;
        after.replace(from, removed, inserted);
        QCOMPARE(CharacterCount::changeAfterEdit(text, from, removed, inserted),
                 CharacterCount::graphemes(after) - CharacterCount::graphemes(text));
    }

    void editsAreCopied()
    {
        m_engine->setGeneratedContent(QStringLiteral("generated"));
        editor()->setFocus();
        editor()->setCursorPosition(editor()->text().size());
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
        QCOMPARE(editor()->cursorPosition(), 17);
    }

    void anEditKeepsEveryOtherCharacter()
    {
        // As generated from files with CR LF line ends, no-break spaces, a line separator and
        // tabs, ending in a newline.
        const QString generated = QStringLiteral("x\r\n\ty\u00a0z\u2028w\r\n");
        m_engine->setGeneratedContent(generated);
        editor()->setFocus();
        editor()->setCursorPosition(0);
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
        QCOMPARE(editor()->text(), generated);

        editor()->setFocus();
        editor()->setCursorPosition(0);
        QTest::keyClicks(editor(), QStringLiteral("XX"));
        QTest::mouseClick(button(QStringLiteral("regenerateButton")), Qt::LeftButton);
        QCOMPARE(editor()->text(), generated);
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

    void nothingToCopyLeavesTheClipboardAlone()
    {
        // Without a folder: neither button acts, whatever the editor holds.
        m_view->setUrl(std::nullopt);
        m_engine->setGeneratedContent(QStringLiteral("kept"));
        QVERIFY(!button(QStringLiteral("regenerateButton"))->isEnabled());
        QVERIFY(!button(QStringLiteral("copyButton"))->isEnabled());
        m_view->regenerate();
        m_view->copy();
        QCOMPARE(m_engine->generatedContent(), QStringLiteral("kept"));
        QVERIFY(m_clipboard.calls.isEmpty());
        QVERIFY(!m_engine->justCopied() && !m_engine->justRegenerated());

        // With a folder but an empty text, only Regenerate can act.
        m_view->setUrl(m_tree->root());
        QVERIFY(button(QStringLiteral("copyButton"))->isEnabled());
        m_engine->setGeneratedContent(QString());
        QVERIFY(button(QStringLiteral("regenerateButton"))->isEnabled());
        QVERIFY(!button(QStringLiteral("copyButton"))->isEnabled());
        m_view->copy();
        QVERIFY(m_clipboard.calls.isEmpty());
    }

    void anUnchangedTextKeepsTheCursor()
    {
        m_engine->setGeneratedContent(QString::fromLatin1("line one\nline two"));
        editor()->setCursorPosition(12);
        // The engine's text changes to the same characters in a new block, as a generation
        // from unchanged files does; the screen keeps none of the old block.
        const QString before = m_engine->generatedContent();
        m_engine->editGeneratedContent(0, 1, u"l");
        QCOMPARE(editor()->cursorPosition(), 12);
        QVERIFY(before.isDetached());
    }

    void backWritesEditsAndAsksForTheInputScreen()
    {
        QSignalSpy requests(m_view.get(), &PlexorPreviewView::viewModeRequested);
        m_engine->setGeneratedContent(QStringLiteral("a"));
        editor()->setFocus();
        editor()->setCursorPosition(editor()->text().size());
        QTest::keyClicks(editor(), QStringLiteral("b"));
        QTest::mouseClick(button(QStringLiteral("backButton")), Qt::LeftButton);
        QCOMPARE(m_engine->generatedContent(), QStringLiteral("ab"));
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.first().first().value<ViewMode>(), ViewMode::plexor);
    }
};

QTEST_MAIN(TestPreviewView)
#include "tst_preview.moc"

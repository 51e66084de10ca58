#include "engine/TestEngine.h"
#include "engine/TestTree.h"

#include "ui/Badge.h"
#include "ui/CharacterCount.h"
#include "ui/LargeTextEdit.h"
#include "ui/PlexorPreviewView.h"
#include "ui/TintedButton.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestPreviewView : public QObject {
    Q_OBJECT

    TestTree m_tree;
    std::unique_ptr<TestEngine> m_rig;
    std::unique_ptr<PlexorViewModel> m_engine;
    std::unique_ptr<PlexorPreviewView> m_view;

    LargeTextEdit* editor() const { return m_view->findChild<LargeTextEdit*>(u"previewEditor"_s); }
    TintedButton* button(const char* name) const
    {
        return m_view->findChild<TintedButton*>(QString::fromLatin1(name));
    }
    QString badge() const { return m_view->findChild<Badge*>(u"charCountBadge"_s)->text(); }
    const QStringList& clipboard() const { return m_rig->clipboard.calls; }
    void typeAtEnd(const QString& text)
    {
        editor()->setFocus();
        editor()->setCursorPosition(editor()->text().size());
        QTest::keyClicks(editor(), text);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_tree.add(u"main.py"_s, "print(1)\n")); }

    void init()
    {
        m_rig = std::make_unique<TestEngine>();
        m_engine = m_rig->make();
        m_view = std::make_unique<PlexorPreviewView>(*m_engine);
        // A project is open, as whenever the preview shows a generated text.
        m_view->setUrl(m_tree.root());
        m_view->resize(700, 500);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }

    void cleanup()
    {
        m_view.reset();
        m_engine.reset();
        m_rig.reset();
    }

    void graphemes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("ascii") << u"int main;"_s << 9;
        QTest::newRow("crlf is one") << u"a\r\nb\n\rc"_s << 6;
        QTest::newRow("combining accent and emoji") << u"e\u0301\U0001F600"_s << 2;
    }

    void graphemes()
    {
        QFETCH(QString, text);
        QFETCH(int, count);
        QCOMPARE(CharacterCount::graphemes(text), qsizetype(count));
        // The badge counts what the engine holds.
        m_engine->setGeneratedContent(text);
        QTRY_COMPARE(badge(), u"%1 chars"_s.arg(count));
    }

    void countFollowsAnEdit_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("removed");
        QTest::addColumn<QString>("inserted");
        QTest::newRow("an accent joins the letter before it")
            << u"cafe\nx"_s << 4 << 0 << u"\u0301"_s;
        QTest::newRow("CR and LF meet") << u"a\rX\nb"_s << 2 << 1 << QString();
        QTest::newRow("a joiner makes one emoji")
            << u"\U0001F469!"_s << 2 << 0 << u"\u200D\U0001F467"_s;
        QTest::newRow("a removed line feed joins two lines")
            << u"x\ne\u0301\n\u0301y\nz"_s << 4 << 1 << QString();
        QTest::newRow("a line feed typed between accents")
            << u"e\u0301\u0301"_s << 2 << 0 << u"\n"_s;
    }

    void countFollowsAnEdit()
    {
        QFETCH(QString, text);
        QFETCH(int, from);
        QFETCH(int, removed);
        QFETCH(QString, inserted);
        const QString after = QString(text).replace(from, removed, inserted);
        QCOMPARE(CharacterCount::changeAfterEdit(text, from, removed, inserted),
                 CharacterCount::graphemes(after) - CharacterCount::graphemes(text));
    }

    // An edit keeps every other character as generated (CR LF line ends, no-break spaces, a line
    // separator, tabs, the last newline) and reaches the engine before a copy or Back.
    void editsReachTheEngineAndTheClipboard()
    {
        m_engine->setGeneratedContent(u"x\r\n\ty\u00a0z\u2028w\r\n"_s);
        editor()->setFocus();
        editor()->setCursorPosition(0);
        QTest::keyClick(editor(), Qt::Key_Right);
        QTest::keyClick(editor(), Qt::Key_Exclam);
        // Copy right away, before the pause after typing has passed.
        QTest::mouseClick(button("copyButton"), Qt::LeftButton);
        const QString edited = u"x!\r\n\ty\u00a0z\u2028w\r\n"_s;
        QCOMPARE(m_engine->generatedContent(), edited);
        QCOMPARE(clipboard().last(), u"set:"_s + edited);
        QCOMPARE(button("copyButton")->text(), u"Copied"_s);
        QTRY_COMPARE(badge(), u"10 chars"_s);

        // Typing alone reaches the engine after a pause; Back writes it at once.
        typeAtEnd(u"a"_s);
        QTRY_COMPARE(m_engine->generatedContent(), edited + u'a');
        QCOMPARE(editor()->cursorPosition(), edited.size() + 1);
        QSignalSpy requests(m_view.get(), &PlexorPreviewView::viewModeRequested);
        typeAtEnd(u"b"_s);
        QTest::mouseClick(button("backButton"), Qt::LeftButton);
        QCOMPARE(m_engine->generatedContent(), edited + u"ab"_s);
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.first().first().value<ViewMode>(), ViewMode::plexor);
    }

    void nothingToCopyLeavesTheClipboardAlone()
    {
        // Without a folder: neither button acts, whatever the editor holds.
        m_view->setUrl(std::nullopt);
        m_engine->setGeneratedContent(u"kept"_s);
        QVERIFY(!button("regenerateButton")->isEnabled() && !button("copyButton")->isEnabled());
        m_view->regenerate();
        m_view->copy();
        QCOMPARE(m_engine->generatedContent(), u"kept"_s);
        QVERIFY(!m_engine->justCopied() && !m_engine->justRegenerated());
        // With a folder but an empty text, only Regenerate can act.
        m_view->setUrl(m_tree.root());
        m_engine->setGeneratedContent(QString());
        QVERIFY(button("regenerateButton")->isEnabled() && !button("copyButton")->isEnabled());
        m_view->copy();
        QVERIFY(clipboard().isEmpty());
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
};

QTEST_MAIN(TestPreviewView)
#include "tst_preview.moc"

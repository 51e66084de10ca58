#include "engine/TestEngine.h"
#include "engine/TestTree.h"

#include "ui/Badge.h"
#include "ui/CharacterCount.h"
#include "ui/ExactTextMirror.h"
#include "ui/LargeTextEdit.h"
#include "ui/PlexorPreviewView.h"
#include "ui/TintedButton.h"

#include <QAccessible>
#include <QClipboard>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

#include <memory>

namespace {

// One change made in the document: the `length` positions at `at` replaced by `text`, typed or
// (with `pasted`) announced as a paste of exactly that text.
struct DocumentEdit {
    int at = 0;
    int length = 0;
    QString text;
    bool pasted = false;
};

} // namespace

Q_DECLARE_METATYPE(QList<DocumentEdit>)

using namespace Qt::StringLiterals;

class TestPreviewView : public QObject {
    Q_OBJECT

    TestTree m_tree;
    std::unique_ptr<TestEngine> m_rig;
    std::unique_ptr<PlexorViewModel> m_engine;
    std::unique_ptr<PlexorPreviewView> m_view;
    QString m_text;
    std::unique_ptr<LargeTextEdit> m_edit;

    LargeTextEdit* editor() const { return m_view->findChild<LargeTextEdit*>(u"previewEditor"_s); }
    TintedButton* button(const char* name) const
    {
        return m_view->findChild<TintedButton*>(QString::fromLatin1(name));
    }
    QString badge() const { return m_view->findChild<Badge*>(u"charCountBadge"_s)->text(); }

    // A text editor of its own over `m_text`, outside the preview.
    void showEditor(const QString& text)
    {
        m_text = text;
        m_edit = std::make_unique<LargeTextEdit>([this]() -> const QString& { return m_text; });
        connect(m_edit.get(), &LargeTextEdit::edited, this,
                [this](qsizetype from, qsizetype removed, const QString& inserted) {
                    m_text.replace(from, removed, inserted);
                });
        m_edit->resize(400, 300);
        m_edit->show();
        m_edit->setFocus();
        QVERIFY(QTest::qWaitForWindowExposed(m_edit.get()));
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
        m_edit.reset();
        m_view.reset();
        m_engine.reset();
        m_rig.reset();
    }

    void graphemes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::newRow("empty") << QString() << 0;
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
        QCOMPARE(m_rig->clipboard.calls.last(), u"set:"_s + edited);
        QCOMPARE(button("copyButton")->text(), u"Copied"_s);
        QTRY_COMPARE(badge(), u"10 chars"_s);

        // Typing alone reaches the engine after a pause; Back writes it at once.
        editor()->setCursorPosition(editor()->text().size());
        QTest::keyClick(editor(), Qt::Key_A);
        QTRY_COMPARE(m_engine->generatedContent(), edited + u'a');
        QCOMPARE(editor()->cursorPosition(), edited.size() + 1);
        QSignalSpy requests(m_view.get(), &PlexorPreviewView::viewModeRequested);
        QTest::keyClick(editor(), Qt::Key_B);
        QTest::mouseClick(button("backButton"), Qt::LeftButton);
        QCOMPARE(m_engine->generatedContent(), edited + u"ab"_s);
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.first().first().value<ViewMode>(), ViewMode::plexor);
    }

    // With an empty text, or without a folder, Copy does nothing: the user's clipboard stays.
    void nothingToCopyLeavesTheClipboardAlone()
    {
        m_engine->setGeneratedContent(QString());
        QVERIFY(button("regenerateButton")->isEnabled() && !button("copyButton")->isEnabled());
        m_view->copy();
        m_view->setUrl(std::nullopt);
        m_engine->setGeneratedContent(u"kept"_s);
        QVERIFY(!button("regenerateButton")->isEnabled() && !button("copyButton")->isEnabled());
        m_view->copy();
        QVERIFY(m_rig->clipboard.calls.isEmpty());
    }

    // The editors that keep a text exactly as it is (CR LF pairs, no-break spaces, line
    // separators): the mirror behind the prefix and suffix editors, and the preview's editor.
    void editsChangeOnlyWhatChanged_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<DocumentEdit>>("edits");
        QTest::addColumn<QString>("expected");

        const auto row = [](const char* name, const QString& text, const QList<DocumentEdit>& edits,
                            const QString& expected) {
            QTest::newRow(name) << text << edits << expected;
        };
        row("typing after a CR LF keeps every pair", u"one\r\ntwo\r\nthree"_s,
            {{7, 0, u"!"_s}, {14, 0, u"?"_s}}, u"one\r\ntwo!\r\nthree?"_s);
        row("typing into the last empty line", u"x\n"_s, {{2, 0, u"y"_s}}, u"x\ny"_s);
        row("deleting a CR LF removes both", u"a\r\nb\r\nc"_s, {{1, 1, {}}}, u"ab\r\nc"_s);
        row("a typed line break is a line feed", u"a\r\nb"_s, {{3, 0, u"\n"_s}}, u"a\r\nb\n"_s);
        row("replacing across pairs", u"x\r\ny\r\nz\r\n"_s, {{1, 3, u"-"_s}}, u"x-z\r\n"_s);
        row("a lone CR stays", u"a\rb\r\nc"_s, {{4, 0, u"d"_s}}, u"a\rb\r\ndc"_s);
        row("a paste keeps its CR LF pairs, later edits find them", u"a\r\nb"_s,
            {{1, 0, u"p\r\nq\u00a0"_s, true}, {7, 0, u"!"_s}}, u"ap\r\nq\u00a0\r\nb!"_s);
        row("a paste over a selection keeps its pairs", u"keep this"_s,
            {{5, 4, u"that\r\n"_s, true}}, u"keep that\r\n"_s);
        row("the same characters again change nothing", u"a\u00a0b\r\n"_s,
            {{0, 4, u"a\u00a0b\n"_s}}, u"a\u00a0b\r\n"_s);
    }

    void editsChangeOnlyWhatChanged()
    {
        QFETCH(QString, text);
        QFETCH(QList<DocumentEdit>, edits);
        QFETCH(QString, expected);

        QTextDocument document;
        ExactTextMirror mirror(document, [&text]() -> const QString& { return text; });
        connect(&mirror, &ExactTextMirror::edited, this,
                [&text](qsizetype from, qsizetype removed, const QString& inserted) {
                    text.replace(from, removed, inserted);
                });
        mirror.show();
        QCOMPARE(document.toRawText(), ExactTextMirror::documentForm(text));

        for (const DocumentEdit& edit : edits) {
            if (edit.pasted)
                mirror.expectInsertion(edit.text);
            QTextCursor cursor(&document);
            cursor.setPosition(edit.at);
            cursor.setPosition(edit.at + edit.length, QTextCursor::KeepAnchor);
            cursor.insertText(edit.text);
            // The document and the text agree after every step.
            QCOMPARE(ExactTextMirror::documentForm(text), document.toRawText());
        }
        QCOMPARE(text, expected);

        // A change of format alone is no edit.
        QSignalSpy edited(&mirror, &ExactTextMirror::edited);
        QTextCursor all(&document);
        all.select(QTextCursor::Document);
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        all.mergeCharFormat(bold);
        QCOMPARE(edited.size(), 0);
    }

    void keysChangeOnlyWhatTheyTouch_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("expected");

        const auto row = [](const char* name, const QString& text, int cursor,
                            const QKeySequence& keys, const QString& expected) {
            QTest::newRow(name) << text << cursor << keys << expected;
        };
        const QString mixed = u"a\u00a0b\r\n\tc\u2028d\r\n"_s;
        row("Enter inserts a line feed", mixed, 3, Qt::Key_Return,
            u"a\u00a0b\n\r\n\tc\u2028d\r\n"_s);
        row("Backspace at a line start removes the whole CR LF", mixed, 5, Qt::Key_Backspace,
            u"a\u00a0b\tc\u2028d\r\n"_s);
        row("Delete at a line end removes the whole CR LF", mixed, 3, Qt::Key_Delete,
            u"a\u00a0b\tc\u2028d\r\n"_s);
        row("Backspace removes a letter with its combining accent", u"ae\u0301"_s, 3,
            Qt::Key_Backspace, u"a"_s);
        row("a cursor inside a CR LF pair stands before it", u"ab\r\ncd"_s, 3, Qt::Key_X,
            u"abx\r\ncd"_s);
        row("Right over a line end skips the whole CR LF", u"ab\r\ncd"_s, 2,
            QKeySequence(Qt::Key_Right, Qt::Key_X), u"ab\r\nxcd"_s);
    }

    void keysChangeOnlyWhatTheyTouch()
    {
        QFETCH(QString, text);
        QFETCH(int, cursor);
        QFETCH(QKeySequence, keys);
        QFETCH(QString, expected);
        showEditor(text);
        m_edit->setCursorPosition(cursor);
        for (int i = 0; i < keys.count(); ++i)
            QTest::keyClick(m_edit.get(), keys[i].key(), keys[i].keyboardModifiers());
        QCOMPARE(m_text, expected);
    }

    void clipboardUndoAndAccessibilityKeepExactText()
    {
        showEditor(u"one\r\ntwo\u00a0\r\nthree"_s);
        // A selection across a CR LF copies it as it is.
        m_edit->setCursorPosition(2);
        m_edit->setCursorPosition(8, true);
        QTest::keyClick(m_edit.get(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), u"e\r\ntwo"_s);
        // Cut, then paste it back elsewhere: the pair comes back with it.
        QTest::keyClick(m_edit.get(), Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(m_text, u"on\u00a0\r\nthree"_s);
        m_edit->setCursorPosition(m_text.size());
        QTest::keyClick(m_edit.get(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(m_text, u"on\u00a0\r\nthreee\r\ntwo"_s);
        // Undo takes both steps back to the exact start.
        QTest::keyClick(m_edit.get(), Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(m_edit.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m_text, u"one\r\ntwo\u00a0\r\nthree"_s);
        QTest::keyClick(m_edit.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(m_text, u"on\u00a0\r\nthree"_s);

        // An assistive tool reads and edits it as multi-line text, pairs and all.
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(m_edit.get());
        QVERIFY(accessible && accessible->textInterface());
        QCOMPARE(accessible->role(), QAccessible::EditableText);
        QVERIFY(accessible->state().multiLine);
        QAccessibleTextInterface* text = accessible->textInterface();
        QCOMPARE(text->characterCount(), m_text.size());
        QCOMPARE(text->text(2, 5), u"\u00a0\r\n"_s);
        accessible->editableTextInterface()->insertText(5, u"X"_s);
        QCOMPARE(m_text, u"on\u00a0\r\nXthree"_s);
        text->setSelection(0, 0, 2);
        QCOMPARE(m_edit->selectedText(), u"on"_s);
    }

    void aLargeTextScrollsToTheCursorAndHitsWhereItPaints()
    {
        QString text;
        for (int line = 0; line < 200'000; ++line)
            text += u"line %1 of a long text\n"_s.arg(line);
        showEditor(text);
        QCOMPARE(m_edit->lineCount(), 200'001);
        QTest::keyClick(m_edit.get(), Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(m_edit->cursorPosition(), text.size());
        QVERIFY(m_edit->firstVisibleLine() > 199'000);

        // A click lands on the character drawn there.
        const qsizetype target = text.size() - 10;
        const QRect rect = m_edit->rectAt(target);
        QTest::mouseClick(m_edit->viewport(), Qt::LeftButton, {},
                          QPoint(rect.left() + 1, rect.center().y()));
        QCOMPARE(m_edit->cursorPosition(), target);

        QTest::keyClick(m_edit.get(), Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(m_edit->firstVisibleLine(), 0);
        QTest::keyClick(m_edit.get(), Qt::Key_Down);
        QCOMPARE(m_edit->cursorPosition(), text.indexOf(u'\n') + 1);
    }
};

QTEST_MAIN(TestPreviewView)
#include "tst_preview.moc"

#include "ui/ExactTextMirror.h"
#include "ui/LargeTextEdit.h"

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

// The two editors that keep a text exactly as it is (CR LF pairs, no-break spaces, line
// separators): the mirror behind the prefix and suffix editors, and the preview's editor.
class TestExactText : public QObject {
    Q_OBJECT

    QString m_text;
    std::unique_ptr<LargeTextEdit> m_edit;

    void show(const QString& text)
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

    void cleanup() { m_edit.reset(); }

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
        show(text);
        m_edit->setCursorPosition(cursor);
        for (int i = 0; i < keys.count(); ++i)
            QTest::keyClick(m_edit.get(), keys[i].key(), keys[i].keyboardModifiers());
        QCOMPARE(m_text, expected);
    }

    void clipboardAndUndoKeepExactText()
    {
        show(u"one\r\ntwo\u00a0\r\nthree"_s);
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
    }

    void aLargeTextScrollsToTheCursorAndHitsWhereItPaints()
    {
        QString text;
        for (int line = 0; line < 200'000; ++line)
            text += u"line %1 of a long text\n"_s.arg(line);
        show(text);
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

    void accessibleAsEditableText()
    {
        show(u"ab\r\ncd"_s);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(m_edit.get());
        QVERIFY(accessible);
        QCOMPARE(accessible->role(), QAccessible::EditableText);
        QVERIFY(accessible->state().multiLine);
        QAccessibleTextInterface* text = accessible->textInterface();
        QVERIFY(text);
        QCOMPARE(text->characterCount(), 6);
        QCOMPARE(text->text(1, 5), u"b\r\nc"_s);
        accessible->editableTextInterface()->insertText(4, u"X"_s);
        QCOMPARE(m_text, u"ab\r\nXcd"_s);
        text->setSelection(0, 0, 2);
        QCOMPARE(m_edit->selectedText(), u"ab"_s);
    }
};

QTEST_MAIN(TestExactText)
#include "tst_exacttext.moc"

#include "ui/LargeTextEdit.h"

#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

class TestLargeTextEdit : public QObject {
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
        row("typing keeps no-break spaces, CR LF, U+2028, tabs and the last newline", mixed, 7,
            Qt::Key_X, u"a\u00a0b\r\n\tcx\u2028d\r\n"_s);
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
        QVERIFY(!m_edit->cursorRect().isEmpty());

        // A click lands on the character drawn there.
        const qsizetype target = text.size() - 10;
        const QRect rect = m_edit->rectAt(target);
        QVERIFY(!rect.isEmpty());
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

QTEST_MAIN(TestLargeTextEdit)
#include "tst_largetextedit.moc"

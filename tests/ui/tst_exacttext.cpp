#include "ui/ExactTextMirror.h"

#include <QSignalSpy>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

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

class TestExactText : public QObject {
    Q_OBJECT

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
        row("no-break spaces stay", u"a\u00a0b\u00a0c"_s, {{5, 0, u"!"_s}}, u"a\u00a0b\u00a0c!"_s);
        row("typing after a CR LF keeps every pair", u"one\r\ntwo\r\nthree"_s,
            {{7, 0, u"!"_s}, {14, 0, u"?"_s}}, u"one\r\ntwo!\r\nthree?"_s);
        row("line separator and tab stay", u"a\u2028\tb"_s, {{0, 0, u"Z"_s}}, u"Za\u2028\tb"_s);
        row("trailing newline stays", u"x\r\n"_s, {{1, 0, u"y"_s}}, u"xy\r\n"_s);
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
};

QTEST_MAIN(TestExactText)
#include "tst_exacttext.moc"

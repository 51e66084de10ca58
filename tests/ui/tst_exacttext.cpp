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

class TestExactText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void editsChangeOnlyWhatChanged_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<DocumentEdit>>("edits");
        QTest::addColumn<QString>("expected");

        QTest::newRow("no-break spaces stay")
            << QStringLiteral("a\u00a0b\u00a0c") << QList<DocumentEdit>{{5, 0, QStringLiteral("!")}}
            << QStringLiteral("a\u00a0b\u00a0c!");
        QTest::newRow("typing after a CR LF keeps every pair")
            << QStringLiteral("one\r\ntwo\r\nthree")
            << QList<DocumentEdit>{{7, 0, QStringLiteral("!")}, {14, 0, QStringLiteral("?")}}
            << QStringLiteral("one\r\ntwo!\r\nthree?");
        QTest::newRow("line separator and tab stay")
            << QStringLiteral("a\u2028\tb") << QList<DocumentEdit>{{0, 0, QStringLiteral("Z")}}
            << QStringLiteral("Za\u2028\tb");
        QTest::newRow("trailing newline stays")
            << QStringLiteral("x\r\n") << QList<DocumentEdit>{{1, 0, QStringLiteral("y")}}
            << QStringLiteral("xy\r\n");
        QTest::newRow("typing into the last empty line")
            << QStringLiteral("x\n") << QList<DocumentEdit>{{2, 0, QStringLiteral("y")}}
            << QStringLiteral("x\ny");
        QTest::newRow("deleting a CR LF removes both")
            << QStringLiteral("a\r\nb\r\nc") << QList<DocumentEdit>{{1, 1, QString()}}
            << QStringLiteral("ab\r\nc");
        QTest::newRow("a typed line break is a line feed")
            << QStringLiteral("a\r\nb") << QList<DocumentEdit>{{3, 0, QStringLiteral("\n")}}
            << QStringLiteral("a\r\nb\n");
        QTest::newRow("replacing across pairs")
            << QStringLiteral("x\r\ny\r\nz\r\n") << QList<DocumentEdit>{{1, 3, QStringLiteral("-")}}
            << QStringLiteral("x-z\r\n");
        QTest::newRow("a lone CR stays")
            << QStringLiteral("a\rb\r\nc") << QList<DocumentEdit>{{4, 0, QStringLiteral("d")}}
            << QStringLiteral("a\rb\r\ndc");
        QTest::newRow("a paste keeps its CR LF pairs, later edits find them")
            << QStringLiteral("a\r\nb")
            << QList<DocumentEdit>{{1, 0, QStringLiteral("p\r\nq\u00a0"), true},
                                   {7, 0, QStringLiteral("!")}}
            << QStringLiteral("ap\r\nq\u00a0\r\nb!");
        QTest::newRow("a paste over a selection keeps its pairs")
            << QStringLiteral("keep this")
            << QList<DocumentEdit>{{5, 4, QStringLiteral("that\r\n"), true}}
            << QStringLiteral("keep that\r\n");
        QTest::newRow("the same characters again change nothing")
            << QStringLiteral("a\u00a0b\r\n")
            << QList<DocumentEdit>{{0, 4, QStringLiteral("a\u00a0b\n")}}
            << QStringLiteral("a\u00a0b\r\n");
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
    }

    void formatsAreNoEdit()
    {
        QString text = QStringLiteral("one\r\ntwo\u00a0");
        QTextDocument document;
        ExactTextMirror mirror(document, [&text]() -> const QString& { return text; });
        QSignalSpy edits(&mirror, &ExactTextMirror::edited);
        mirror.show();
        QTextCursor cursor(&document);
        cursor.select(QTextCursor::Document);
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        cursor.mergeCharFormat(bold);
        QCOMPARE(edits.size(), 0);
    }
};

QTEST_MAIN(TestExactText)
#include "tst_exacttext.moc"

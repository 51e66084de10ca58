#include "ui/AboutDialog.h"
#include "ui/UpdateDialogs.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

UpdateRelease releaseWithNotes(const QString& tag, const QString& notes)
{
    const QByteArray json = QJsonDocument(QJsonObject{{u"tag_name"_s, tag},
                                                      {u"html_url"_s, u"https://example.org/r"_s},
                                                      {u"body"_s, notes}})
                                .toJson();
    return *UpdateRelease::fromJson(json, nullptr);
}

QStringList buttonTexts(QMessageBox* box)
{
    QStringList texts;
    for (QAbstractButton* button : box->buttons())
        texts.append(button->text().remove(u'&'));
    texts.sort();
    return texts;
}

int visibleMessageBoxes()
{
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMessageBox*>(widget) && widget->isVisible())
            ++count;
    }
    return count;
}

QString labelText(const QWidget* parent, const QString& objectName)
{
    const auto* label = parent->findChild<QLabel*>(objectName);
    return label ? label->text() : u"<missing>"_s;
}

} // namespace

class TestUpdaterDialogs : public QObject {
    Q_OBJECT

    QWidget m_window;

private Q_SLOTS:
    void initTestCase() { m_window.show(); }

    void upToDate()
    {
        UpdateDialogs dialogs(&m_window);
        dialogs.presentUpToDate(u"1.0"_s);
        QMessageBox* box = dialogs.currentMessage();
        QVERIFY(box);
        QVERIFY(box->isVisible());
        QCOMPARE(box->parentWidget(), &m_window);
        QCOMPARE(box->icon(), QMessageBox::Information);
        QCOMPARE(box->text(), u"You\u2019re up to date!"_s);
        QCOMPARE(box->informativeText(), u"Code Plexor 1.0 is the newest version available."_s);
        QCOMPARE(buttonTexts(box), QStringList{u"OK"_s});

        box->button(QMessageBox::Ok)->click();
        QTRY_VERIFY(!dialogs.currentMessage());
    }

    void updateAvailableButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("opened");
        QTest::newRow("View Release") << u"viewReleaseButton"_s << 1;
        QTest::newRow("Later") << u"laterButton"_s << 0;
    }

    void updateAvailableButtons()
    {
        QFETCH(QString, button);
        QFETCH(int, opened);
        UpdateDialogs dialogs(&m_window);
        int calls = 0;
        dialogs.presentUpdateAvailable(releaseWithNotes(u"v1.2"_s, u"Faster scans."_s), u"1.0"_s,
                                       [&calls] { ++calls; });
        QMessageBox* box = dialogs.currentMessage();
        QVERIFY(box);
        QCOMPARE(box->text(), u"A new version of Code Plexor is available!"_s);
        QCOMPARE(box->informativeText(),
                 u"Code Plexor 1.2 is now available \u2014 you have 1.0.\n\nFaster scans."_s);
        QVERIFY(box->detailedText().isEmpty());
        QCOMPARE(buttonTexts(box), (QStringList{u"Later"_s, u"View Release"_s}));
        QCOMPARE(box->defaultButton()->text(), u"View Release"_s);
        QCOMPARE(calls, 0);

        box->findChild<QPushButton*>(button)->click();
        QCOMPARE(calls, opened);
        QTRY_VERIFY(!dialogs.currentMessage());
    }

    void feedTextsNeverReadAsMarkup()
    {
        UpdateDialogs dialogs(&m_window);
        const QString notes = u"<b>Bold</b> <a href=\"file:///etc/passwd\">link</a>"_s;
        dialogs.presentUpdateAvailable(releaseWithNotes(u"2.0"_s, notes), u"1.0"_s, {});
        QMessageBox* box = dialogs.currentMessage();
        QVERIFY(box);
        QVERIFY(box->informativeText().endsWith(notes));
        const QList<QLabel*> labels = box->findChildren<QLabel*>();
        QVERIFY(labels.size() >= 2);
        for (const QLabel* label : labels) {
            QCOMPARE(label->textFormat(), Qt::PlainText);
            QVERIFY(!label->openExternalLinks());
        }
        box->close();
    }

    void longNotesAreCutWithTheWholeUnderDetails()
    {
        UpdateDialogs dialogs(&m_window);
        QStringList lines;
        for (int i = 1; i <= 40; ++i)
            lines.append(u"- change %1"_s.arg(i));
        const QString notes = lines.join(u'\n');
        dialogs.presentUpdateAvailable(releaseWithNotes(u"2.0"_s, notes), u"1.0"_s, {});
        QMessageBox* box = dialogs.currentMessage();
        QVERIFY(box);
        QVERIFY(box->informativeText().contains(u"- change 20\u2026"_s));
        QVERIFY(!box->informativeText().contains(u"- change 21"_s));
        QCOMPARE(box->detailedText(), notes);
        box->close();
    }

    void notesExcerpt_data()
    {
        QTest::addColumn<QString>("notes");
        QTest::addColumn<QString>("excerpt");

        QTest::newRow("short") << u"  Fixes.\n"_s << u"Fixes."_s;
        QTest::newRow("windows line ends") << u"a\r\nb"_s << u"a\nb"_s;
        QStringList twenty, twentyOne;
        for (int i = 0; i < 21; ++i) {
            (i < 20 ? twenty : twentyOne).append(QString::number(i));
        }
        twentyOne.prepend(twenty.join(u'\n'));
        QTest::newRow("twenty lines kept") << twenty.join(u'\n') << twenty.join(u'\n');
        QTest::newRow("twenty-one lines cut")
            << twentyOne.join(u'\n') << twenty.join(u'\n') + u'\u2026';
        const QString longLine(UpdateDialogs::maximumNotesLength + 50, u'x');
        QTest::newRow("long line cut")
            << longLine << QString(UpdateDialogs::maximumNotesLength, u'x') + u'\u2026';
        QString emoji = QString(UpdateDialogs::maximumNotesLength - 1, u'y') + u"\U0001F600"_s;
        QTest::newRow("surrogate pair kept whole")
            << emoji << QString(UpdateDialogs::maximumNotesLength - 1, u'y') + u'\u2026';
    }

    void notesExcerpt()
    {
        QFETCH(QString, notes);
        QFETCH(QString, excerpt);
        QCOMPARE(UpdateDialogs::notesExcerpt(notes), excerpt);
    }

    void failure()
    {
        UpdateDialogs dialogs(&m_window);
        const UpdateError error(UpdateError::Kind::HttpStatus, u"Not Found"_s, 404);
        dialogs.presentCheckFailed(error);
        QMessageBox* box = dialogs.currentMessage();
        QVERIFY(box);
        QCOMPARE(box->icon(), QMessageBox::Warning);
        QCOMPARE(box->text(), u"Update check failed"_s);
        QCOMPARE(box->informativeText(),
                 u"The update server answered with HTTP status 404 (Not Found)."_s);
        QCOMPARE(buttonTexts(box), QStringList{u"OK"_s});
        box->close();
    }

    void oneAnswerOnScreenAtATime()
    {
        UpdateDialogs dialogs(&m_window);
        dialogs.presentUpToDate(u"1.0"_s);
        const QPointer<QMessageBox> first = dialogs.currentMessage();
        dialogs.presentCheckFailed(UpdateError(UpdateError::Kind::TimedOut, {}));
        QVERIFY(!first);
        QVERIFY(dialogs.currentMessage());
        QCOMPARE(visibleMessageBoxes(), 1);
        QCOMPARE(dialogs.currentMessage()->informativeText(),
                 u"The update server did not answer in time."_s);
        dialogs.currentMessage()->close();
        QTRY_COMPARE(visibleMessageBoxes(), 0);
    }

    void aboutBox_data()
    {
        QTest::addColumn<QString>("versionText");
        QTest::addColumn<QString>("versionLine");
        QTest::newRow("version and build") << u"1.2 (34)"_s << u"Version 1.2 (34)"_s;
        QTest::newRow("version unknown") << QString() << u"<missing>"_s;
    }

    void aboutBox()
    {
        QFETCH(QString, versionText);
        QFETCH(QString, versionLine);
        AboutDialog about(versionText, &m_window);
        QCOMPARE(labelText(&about, u"aboutName"_s), u"Code Plexor"_s);
        QCOMPARE(labelText(&about, u"aboutVersion"_s), versionLine);
        QCOMPARE(labelText(&about, u"aboutDescription"_s),
                 u"Gathers a project's source files into one text for an AI assistant."_s);
        const auto* icon = about.findChild<QLabel*>(u"aboutIcon"_s);
        QVERIFY(icon);
        QVERIFY(!icon->pixmap().isNull());
    }

    void aboutBoxShowsThisBuild()
    {
        AboutDialog about;
        QCOMPARE(labelText(&about, u"aboutVersion"_s),
                 u"Version "_s + QStringLiteral(CODEPLEXOR_VERSION) + u" ("_s +
                     QStringLiteral(CODEPLEXOR_BUILD_NUMBER) + u')');
    }

    void applicationIconResource()
    {
        QFile svg(u":/icons/codeplexor.svg"_s);
        QVERIFY(svg.open(QIODevice::ReadOnly));
        QVERIFY(svg.readAll().contains("<svg"));
        const QIcon icon(u":/icons/codeplexor.svg"_s);
        const QImage image = icon.pixmap(64, 64).toImage();
        QCOMPARE(image.size(), QSize(64, 64));
        // Drawn, not blank: the middle of the icon is opaque.
        QCOMPARE(qAlpha(image.pixel(32, 32)), 255);
    }
};

QTEST_MAIN(TestUpdaterDialogs)
#include "tst_updater_dialogs.moc"

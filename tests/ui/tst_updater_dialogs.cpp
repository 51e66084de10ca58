#include "ui/AboutDialog.h"
#include "ui/UpdateDialogs.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

UpdateRelease releaseWithNotes(const QString& tag, const QString& notes)
{
    const QJsonObject json{
        {u"tag_name"_s, tag}, {u"html_url"_s, u"https://example.org/r"_s}, {u"body"_s, notes}};
    return *UpdateRelease::fromJson(QJsonDocument(json).toJson(), nullptr);
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

    void answers_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("informative");
        QTest::addColumn<QStringList>("buttons");
        QTest::newRow("up to date")
            << u"current"_s << int(QMessageBox::Information) << u"You\u2019re up to date!"_s
            << u"Code Plexor 1.0 is the newest version available."_s << QStringList{u"OK"_s};
        QTest::newRow("newer release")
            << u"newer"_s << int(QMessageBox::Information)
            << u"A new version of Code Plexor is available!"_s
            << u"Code Plexor 1.2 is now available \u2014 you have 1.0.\n\nFaster scans."_s
            << QStringList{u"Later"_s, u"View Release"_s};
        QTest::newRow("HTTP status")
            << u"404"_s << int(QMessageBox::Warning) << u"Update check failed"_s
            << u"The update server answered with HTTP status 404 (Not Found)."_s
            << QStringList{u"OK"_s};
    }

    void answers()
    {
        QFETCH(QString, answer);
        QFETCH(int, icon);
        QFETCH(QString, text);
        QFETCH(QString, informative);
        QFETCH(QStringList, buttons);
        UpdateDialogs dialogs(&m_window);
        int opened = 0;
        if (answer == u"current")
            dialogs.presentUpToDate(u"1.0"_s);
        else if (answer == u"newer")
            dialogs.presentUpdateAvailable(releaseWithNotes(u"v1.2"_s, u"Faster scans."_s),
                                           u"1.0"_s, [&opened] { ++opened; });
        else
            dialogs.presentCheckFailed(
                UpdateError(UpdateError::Kind::HttpStatus, u"Not Found"_s, 404));
        QMessageBox* box = dialogs.currentMessage();
        QVERIFY(box && box->isVisible());
        QCOMPARE(box->parentWidget(), &m_window);
        QCOMPARE(int(box->icon()), icon);
        QCOMPARE(box->text(), text);
        QCOMPARE(box->informativeText(), informative);
        QVERIFY(box->detailedText().isEmpty());
        QStringList shown;
        for (QAbstractButton* button : box->buttons())
            shown.append(button->text().remove(u'&'));
        shown.sort();
        QCOMPARE(shown, buttons);
        // OK, or View Release (the default), closes the message.
        QAbstractButton* accept =
            buttons.size() == 1 ? box->buttons().constFirst() : box->defaultButton();
        QCOMPARE(accept->text().remove(u'&'), buttons.last());
        accept->click();
        QCOMPARE(opened, answer == u"newer" ? 1 : 0);
        QTRY_VERIFY(!dialogs.currentMessage());
    }

    // Notes from the feed are shown as text, never as markup or links; "Later" opens nothing.
    void feedTextsNeverReadAsMarkup()
    {
        UpdateDialogs dialogs(&m_window);
        int opened = 0;
        const QString notes = u"<b>Bold</b> <a href=\"file:///etc/passwd\">link</a>"_s;
        dialogs.presentUpdateAvailable(releaseWithNotes(u"2.0"_s, notes), u"1.0"_s,
                                       [&opened] { ++opened; });
        QMessageBox* box = dialogs.currentMessage();
        QVERIFY(box->informativeText().endsWith(notes));
        const QList<QLabel*> labels = box->findChildren<QLabel*>();
        QVERIFY(labels.size() >= 2);
        for (const QLabel* label : labels) {
            QCOMPARE(label->textFormat(), Qt::PlainText);
            QVERIFY(!label->openExternalLinks());
        }
        box->findChild<QPushButton*>(u"laterButton"_s)->click();
        QCOMPARE(opened, 0);
        QTRY_VERIFY(!dialogs.currentMessage());
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
        QVERIFY(box->informativeText().endsWith(u"- change 20\u2026"_s));
        QCOMPARE(box->detailedText(), notes);
        // A second answer replaces the first: one message on screen at a time.
        const QPointer<QMessageBox> first = box;
        dialogs.presentUpToDate(u"1.0"_s);
        QVERIFY(!first);
        int visible = 0;
        for (QWidget* widget : QApplication::topLevelWidgets())
            visible += qobject_cast<QMessageBox*>(widget) && widget->isVisible();
        QCOMPARE(visible, 1);
        dialogs.currentMessage()->close();
    }

    void notesExcerpt_data()
    {
        QTest::addColumn<QString>("notes");
        QTest::addColumn<QString>("excerpt");
        const qsizetype most = UpdateDialogs::maximumNotesLength;
        QStringList lines;
        for (int i = 0; i < 21; ++i)
            lines.append(QString::number(i));
        const QString twenty = lines.mid(0, 20).join(u'\n');
        QTest::newRow("short") << u"  Fixes.\n"_s << u"Fixes."_s;
        QTest::newRow("windows line ends") << u"a\r\nb"_s << u"a\nb"_s;
        QTest::newRow("twenty lines kept") << twenty << twenty;
        QTest::newRow("twenty-one lines cut") << lines.join(u'\n') << twenty + u'\u2026';
        QTest::newRow("long line cut")
            << QString(most + 50, u'x') << QString(most, u'x') + u'\u2026';
        QTest::newRow("surrogate pair kept whole")
            << QString(most - 1, u'y') + u"\U0001F600"_s << QString(most - 1, u'y') + u'\u2026';
    }

    void notesExcerpt()
    {
        QFETCH(QString, notes);
        QFETCH(QString, excerpt);
        QCOMPARE(UpdateDialogs::notesExcerpt(notes), excerpt);
    }

    void aboutBox()
    {
        const AboutDialog thisBuild;
        QCOMPARE(labelText(&thisBuild, u"aboutVersion"_s),
                 QStringLiteral("Version " CODEPLEXOR_VERSION " (" CODEPLEXOR_BUILD_NUMBER ")"));
        QCOMPARE(labelText(&thisBuild, u"aboutDescription"_s),
                 u"Gathers a project's source files into one text for an AI assistant."_s);
        const AboutDialog unknown(QString(), &m_window);
        QCOMPARE(labelText(&unknown, u"aboutVersion"_s), u"<missing>"_s);
        // The application's icon is drawn, not blank: its middle is opaque.
        const QImage icon = thisBuild.findChild<QLabel*>(u"aboutIcon"_s)->pixmap().toImage();
        QVERIFY(!icon.isNull());
        QCOMPARE(icon.pixelColor(icon.width() / 2, icon.height() / 2).alpha(), 255);
    }
};

QTEST_MAIN(TestUpdaterDialogs)
#include "tst_updater_dialogs.moc"

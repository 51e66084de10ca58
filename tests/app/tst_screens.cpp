// Renders the main window's screens in a light and a dark palette and checks that text reads on
// its background. With CODEPLEXOR_SCREENSHOT_DIR set, the pictures are also written there as PNG
// files for a person to look at.

#include "AppFixtures.h"
#include "TempPreferences.h"
#include "engine/FakeServices.h"
#include "engine/TestTree.h"

#include "app/MainContainerView.h"
#include "engine/PlexorWorkView.h"
#include "ui/ElidedLabel.h"
#include "ui/FileTreeModel.h"
#include "ui/PlexorInputView.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QScopeGuard>
#include <QStyle>
#include <QStyleFactory>
#include <QTreeView>
#include <QtTest>

class TestScreens : public QObject {
    Q_OBJECT

    FakeClipboard m_clipboard;
    FakeFolderChooser m_chooser;

    // The picture of `window`, saved as `name` when pictures are wanted.
    static QImage grab(QWidget* window, const QString& name)
    {
        QCoreApplication::processEvents();
        const QImage image = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QString folder = qEnvironmentVariable("CODEPLEXOR_SCREENSHOT_DIR");
        if (!folder.isEmpty() &&
            (!QDir().mkpath(folder) || !image.save(folder + u'/' + name + QStringLiteral(".png"))))
            qWarning("cannot save %s", qPrintable(name));
        return image;
    }

    // The mean brightness (0 to 255) of the part of `image` where `widget` shows.
    static int brightness(const QImage& image, QWidget* widget)
    {
        const QRect area(widget->mapTo(widget->window(), QPoint(0, 0)), widget->size());
        return qGray(image.copy(area)
                         .scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                         .pixel(0, 0));
    }

private Q_SLOTS:
    void initTestCase() { QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion"))); }

    void screens_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::newRow("light") << false;
        QTest::newRow("dark") << true;
    }

    void screens()
    {
        QFETCH(bool, dark);
        // A palette made from a dark window colour: light text on dark backgrounds.
        QApplication::setPalette(dark ? QPalette(QColor(0x3a, 0x3a, 0x3e), QColor(0x2b, 0x2b, 0x2e))
                                      : QApplication::style()->standardPalette());
        const auto restore =
            qScopeGuard([] { QApplication::setPalette(QApplication::style()->standardPalette()); });
        const QString suffix = dark ? QStringLiteral("-dark") : QStringLiteral("-light");
        TestTree project;
        QVERIFY(project.add(QStringLiteral("README.md"), "# Robots\n"));
        QVERIFY(project.add(QStringLiteral("Sources/Arm/Servo.swift"), "struct Servo {}\n"));
        QVERIFY(project.add(QStringLiteral("Sources/App.swift"), "@main struct App {}\n"));

        TempPreferences temp;
        MainContainerView window(temp.preferences, m_clipboard, m_chooser);
        window.resize(1100, 800);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        m_chooser.answer = project.root();
        window.browseFolder();
        // A file ticked inside an opened folder.
        PlexorInputView* input = window.workView()->inputView();
        FileTreeModel* model = input->fileTreeModel();
        input->fileTree()->expand(model->index(0, 0));
        model->toggleSelection(model->index(1, 0, model->index(0, 0)));
        const QImage inputPicture = grab(&window, QStringLiteral("input") + suffix);
        const int title =
            brightness(inputPicture, window.findChild<ElidedLabel*>(QStringLiteral("titleLabel")));
        const int background = qGray(QApplication::palette().color(QPalette::Window).rgb());
        QVERIFY2(dark ? title > background : title < background,
                 qPrintable(QString::number(title)));

        input->generate();
        QCOMPARE(window.viewMode(), ViewMode::preview);
        const QImage previewPicture = grab(&window, QStringLiteral("preview") + suffix);
        auto* editor = window.findChild<QAbstractScrollArea*>(QStringLiteral("previewEditor"));
        QCOMPARE(
            previewPicture.pixelColor(editor->mapTo(&window, QPoint(editor->width() / 2, 2))).rgb(),
            QApplication::palette().color(QPalette::Base).rgb());

        window.setViewMode(ViewMode::projects);
        grab(&window, QStringLiteral("projects") + suffix);
    }
};

QTEST_MAIN(TestScreens)
#include "tst_screens.moc"

// Renders the main window's screens in a light and a dark palette and checks the colours that
// carry meaning (selection, tints, text on backgrounds). With CODEPLEXOR_SCREENSHOT_DIR set, the
// pictures are also written there as PNG files for a person to look at.

#include "AppFixtures.h"
#include "TempPreferences.h"
#include "engine/FakeServices.h"
#include "engine/TestTree.h"

#include "app/MainContainerView.h"
#include "app/SidebarView.h"
#include "engine/PlexorWorkView.h"
#include "library/ProjectLibraryView.h"
#include "library/RecentFoldersStore.h"
#include "model/Preferences.h"
#include "ui/ElidedLabel.h"
#include "ui/FileTreeModel.h"
#include "ui/PlexorInputView.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QLabel>
#include <QStyle>
#include <QStyleFactory>
#include <QTreeView>
#include <QtTest>

#include <memory>

namespace {

// The mean brightness (0 to 255) of an image area.
double brightness(const QImage& image, const QRect& area)
{
    double sum = 0;
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            sum += qGray(image.pixel(x, y));
            ++count;
        }
    }
    return count ? sum / count : 0;
}

} // namespace

class TestScreens : public QObject {
    Q_OBJECT

    std::optional<TempPreferences> m_temp;
    FakeClipboard m_clipboard;
    FakeFolderChooser m_chooser;
    std::unique_ptr<TestTree> m_project;
    std::unique_ptr<MainContainerView> m_window;
    QString m_pictures;

    void save(const QImage& image, const QString& name) const
    {
        if (!m_pictures.isEmpty())
            QVERIFY(image.save(m_pictures + u'/' + name + QStringLiteral(".png")));
    }

    QImage grab(QWidget* widget) const
    {
        QCoreApplication::processEvents();
        return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        m_pictures = qEnvironmentVariable("CODEPLEXOR_SCREENSHOT_DIR");
        if (!m_pictures.isEmpty())
            QDir().mkpath(m_pictures);
    }

    void init()
    {
        m_temp.emplace();
        m_project = std::make_unique<TestTree>();
        QVERIFY(m_project->add(QStringLiteral("README.md"), "# Robots\n"));
        QVERIFY(m_project->add(QStringLiteral("Sources/Arm/Controller.swift"), "struct Arm {}\n"));
        QVERIFY(m_project->add(QStringLiteral("Sources/Arm/Servo.swift"), "struct Servo {}\n"));
        QVERIFY(m_project->add(QStringLiteral("Sources/App.swift"), "@main struct App {}\n"));
        QVERIFY(m_project->add(QStringLiteral("Tests/ArmTests.swift"), "final class T {}\n"));
        QVERIFY(m_project->add(QStringLiteral("Package.json"), "{}\n"));
    }

    void cleanup()
    {
        m_window.reset();
        m_project.reset();
        m_temp.reset();
        QApplication::setPalette(QApplication::style()->standardPalette());
    }

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
        const QString suffix = dark ? QStringLiteral("-dark") : QStringLiteral("-light");

        m_window = std::make_unique<MainContainerView>(m_temp->preferences, m_clipboard, m_chooser);
        m_window->resize(1100, 800);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        save(grab(m_window.get()), QStringLiteral("projects") + suffix);

        // The main tab without a folder.
        m_window->setViewMode(ViewMode::plexor);
        save(grab(m_window.get()), QStringLiteral("input-nofolder") + suffix);

        // One pinned project and the open one below "Recents".
        TestTree pinned;
        m_chooser.answer = pinned.root();
        m_window->browseFolder();
        m_window->store().togglePin(m_window->store().recentFolders().first());
        m_chooser.answer = m_project->root();
        m_window->browseFolder();
        QTRY_COMPARE(m_window->sidebar()->highlightedProjects().size(), 1);
        // A file ticked inside an opened folder (the tree's own test checks how rows draw).
        PlexorInputView* input = m_window->workView()->inputView();
        FileTreeModel* model = input->fileTreeModel();
        const QModelIndex sources =
            model->match(model->index(0, 0), Qt::DisplayRole, QStringLiteral("Sources")).value(0);
        input->fileTree()->expand(sources);
        model->toggleSelection(model->index(0, 0, sources));
        const QImage inputPicture = grab(m_window.get());
        save(inputPicture, QStringLiteral("input") + suffix);

        // Body text reads against its background in both palettes.
        auto* title = m_window->findChild<ElidedLabel*>(QStringLiteral("titleLabel"));
        const QRect titleRect(title->mapTo(m_window.get(), QPoint(0, 0)), title->size());
        const double titleBrightness = brightness(inputPicture, titleRect);
        const double windowBrightness =
            qGray(QApplication::palette().color(QPalette::Window).rgb());
        QVERIFY2(dark ? titleBrightness > windowBrightness : titleBrightness < windowBrightness,
                 qPrintable(QString::number(titleBrightness)));

        m_window->workView()->inputView()->generate();
        QCOMPARE(m_window->viewMode(), ViewMode::preview);
        const QImage previewPicture = grab(m_window.get());
        save(previewPicture, QStringLiteral("preview") + suffix);
        auto* editor = m_window->findChild<QAbstractScrollArea*>(QStringLiteral("previewEditor"));
        const QPoint editorCorner = editor->mapTo(m_window.get(), QPoint(editor->width() / 2, 2));
        QCOMPARE(previewPicture.pixelColor(editorCorner).rgb(),
                 QApplication::palette().color(QPalette::Base).rgb());

        // The library with both projects, in both orderings.
        m_window->setViewMode(ViewMode::projects);
        QTRY_COMPARE(m_window->projectsScreen()->recentFolders().size(), 2);
        save(grab(m_window.get()), QStringLiteral("library-recent") + suffix);
        m_window->setProjectSortMode(ProjectSortMode::tags);
        save(grab(m_window.get()), QStringLiteral("library-tags") + suffix);
    }
};

QTEST_MAIN(TestScreens)
#include "tst_screens.moc"

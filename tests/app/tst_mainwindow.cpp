#include "AppFixtures.h"
#include "KeyboardShortcuts/FakeHotKeyBackend.h"
#include "TabOrder.h"
#include "TempPreferences.h"
#include "engine/FakeServices.h"
#include "engine/TestTree.h"

#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/Recorder.h"
#include "KeyboardShortcuts/RecorderLineEdit.h"
#include "app/MainContainerView.h"
#include "app/SidebarView.h"
#include "app/VantorApp.h"
#include "engine/Notifications.h"
#include "engine/PlexorWorkView.h"
#include "library/ProjectCard.h"
#include "library/ProjectContextMenu.h"
#include "library/ProjectLibrary.h"
#include "library/ProjectLibraryView.h"
#include "library/RecentFoldersStore.h"
#include "library/SidebarRow.h"
#include "model/PreferenceKeys.h"
#include "platform/FileManager.h"
#include "platform/NotificationCenter.h"
#include "tags/CustomTagManager.h"
#include "tags/TagSelectionView.h"
#include "ui/ElidedLabel.h"
#include "ui/FileTreeActions.h"
#include "ui/FileTreeModel.h"
#include "ui/LargeTextEdit.h"
#include "ui/PlexorInputView.h"
#include "ui/PlexorPreviewView.h"
#include "ui/SegmentedControl.h"
#include "ui/SettingsView.h"
#include "ui/TintedButton.h"
#include "ui/UpdaterViewModel.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleFactory>
#include <QTcpServer>
#include <QToolBar>
#include <QTreeView>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace KeyboardShortcuts;

class FakeFileManager : public FileManager {
public:
    QStringList revealed;
    void revealFolder(const QString& folderPath) override { revealed << folderPath; }
};

// The main window and the application around it: projects added, opened, generated from and
// tagged; menus, settings and what assistive tools read.
class TestMainWindow : public QObject {
    Q_OBJECT

    // A feed that is never asked unless a test starts a check.
    const QString unusedFeed = u"https://updates.codeplexor.invalid/feed.json"_s;
    std::optional<TempPreferences> m_temp;
    FakeClipboard m_clipboard;
    FakeFolderChooser m_chooser;
    FakeFileManager m_fileManager;
    std::unique_ptr<TestTree> m_project;
    std::unique_ptr<TestTree> m_other;
    std::unique_ptr<MainContainerView> m_window;
    // The window under test: m_window, or the application's own.
    MainContainerView* m_shown = nullptr;

    MainContainerView& openWindow()
    {
        m_window = std::make_unique<MainContainerView>(m_temp->preferences, m_clipboard, m_chooser);
        m_window->resize(1000, 760);
        m_window->show();
        if (!QTest::qWaitForWindowExposed(m_window.get()))
            qWarning("window not exposed");
        m_shown = m_window.get();
        return *m_window;
    }

    // A window with the other project and then the main one opened.
    MainContainerView& openBoth()
    {
        openWindow();
        chooseFolder(m_other->root());
        chooseFolder(m_project->root());
        return *m_shown;
    }

    QPushButton* button(const QString& name) const
    {
        return m_shown->findChild<QPushButton*>(name);
    }
    PlexorWorkView* workView() const { return m_shown->workView(); }
    PlexorViewModel& engine() const { return m_shown->workView()->viewModel(); }
    std::optional<QString> openFolder() const { return m_shown->store().accessibleURL(); }
    QString lastCopied() const { return m_clipboard.calls.value(m_clipboard.calls.size() - 1); }

    static void click(QAbstractButton* button)
    {
        QVERIFY(button && button->isVisible());
        QTest::mouseClick(button, Qt::LeftButton);
    }

    void chooseFolder(const QString& folder)
    {
        m_chooser.answer = folder;
        click(m_shown->sidebar()->selectFolderButton());
    }

    // The tree row of `relative` in the main project.
    QModelIndex treeIndex(const QString& relative) const
    {
        return workView()->inputView()->fileTreeModel()->indexOf(
            findNode(engine().files(), m_project->root(), relative));
    }

    void clickRow(const QString& relative) const
    {
        QTreeView* tree = workView()->inputView()->fileTree();
        const QModelIndex index = treeIndex(relative);
        QVERIFY2(index.isValid(), qPrintable(relative));
        tree->scrollTo(index);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(index).center());
    }

    std::optional<RecentFolder> record(const QString& path) const
    {
        for (const RecentFolder& folder : m_shown->store().recentFolders()) {
            if (folder.path == path)
                return folder;
        }
        return std::nullopt;
    }

    // The project open on the main tab with main.c ticked and src open, as last saved.
    void showsTheSavedState()
    {
        QCOMPARE(m_shown->viewMode(), ViewMode::plexor);
        QCOMPARE(openFolder(), m_project->root());
        const QList<FileItem*> selected = engine().collectSelectedItems();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected.first()->path(), m_project->path(u"src/main.c"_s));
        QVERIFY(workView()->inputView()->fileTree()->isExpanded(treeIndex(u"src"_s)));
    }

    // The sidebar's rows as read: the accessible text, else the first label, else "--".
    QStringList sidebarTexts() const
    {
        QStringList texts;
        QListWidget* list = m_shown->sidebar()->list();
        for (int row = 0; row < list->count(); ++row) {
            const QString accessible = list->item(row)->data(Qt::AccessibleTextRole).toString();
            QWidget* widget = list->itemWidget(list->item(row));
            const auto labels = widget ? widget->findChildren<QLabel*>() : QList<QLabel*>();
            texts << (!accessible.isEmpty() ? accessible
                      : labels.isEmpty()    ? u"--"_s
                                            : labels.first()->text());
        }
        return texts;
    }

    SidebarRow* sidebarRow(const QUuid& id) const
    {
        QListWidget* list = m_shown->sidebar()->list();
        const int row = m_shown->sidebar()->rowOf(id);
        QWidget* widget = row >= 0 ? list->itemWidget(list->item(row)) : nullptr;
        return widget ? widget->findChild<SidebarRow*>() : nullptr;
    }

    QString sidebarTag(const QUuid& id) const
    {
        return sidebarRow(id) ? sidebarRow(id)->tagText() : QString();
    }

    ProjectCard* libraryCard(const QUuid& id) const
    {
        for (ProjectCard* card : m_shown->projectsScreen()->findChildren<ProjectCard*>()) {
            if (card->folder().id == id)
                return card;
        }
        return nullptr;
    }

    UpdaterViewModel::Options options(const QString& feed)
    {
        UpdaterViewModel::Options result;
        result.feedAddress = feed;
        result.currentVersion = u"1.0"_s;
        result.buildNumber = u"1"_s;
        result.preferences = &m_temp->preferences;
        result.openUrl = [](const QUrl&) { return true; };
        result.clock = [] { return 800000000.0; };
        return result;
    }

    // The visible controls of `widget` that take the focus and have no name for assistive tools.
    static QStringList unnamedControls(QWidget* widget)
    {
        QStringList unnamed;
        for (QWidget* control : widget->findChildren<QWidget*>()) {
            if (control->isVisible() && control->focusPolicy() != Qt::NoFocus &&
                QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name).isEmpty())
                unnamed << control->objectName();
        }
        return unnamed;
    }

    // The window's picture, also saved as `name` in CODEPLEXOR_SCREENSHOT_DIR for people to see.
    QImage picture(const QString& name) const
    {
        QCoreApplication::processEvents();
        const QImage image = m_shown->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QString folder = qEnvironmentVariable("CODEPLEXOR_SCREENSHOT_DIR");
        if (!folder.isEmpty() && QDir().mkpath(folder))
            image.save(folder + u'/' + name + u".png"_s);
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

    void triggerMenuItem(const QString& path, const QString& text)
    {
        std::unique_ptr<QMenu> menu(m_shown->sidebar()->buildContextMenu(*record(path)));
        for (QAction* action : menu->actions()) {
            if (QString(action->text()).remove(u'&') == text)
                return action->trigger();
        }
        QFAIL(qPrintable(u"no menu item "_s + text));
    }

private Q_SLOTS:
    void initTestCase() { QApplication::setStyle(QStyleFactory::create(u"Fusion"_s)); }

    void init()
    {
        setPreferences(&m_temp.emplace().preferences);
        m_clipboard.calls.clear();
        m_chooser = FakeFolderChooser();
        m_fileManager.revealed.clear();
        FileManager::setCurrent(&m_fileManager);
        m_project = std::make_unique<TestTree>();
        QVERIFY(m_project->add(u"README.md"_s, "# App\n"));
        QVERIFY(m_project->add(u"src/main.c"_s, "int main(void) { return 0; }\n"));
        QVERIFY(m_project->addAll({u"src/util.h"_s, u"docs/guide.md"_s}));
        m_other = std::make_unique<TestTree>();
        QVERIFY(m_other->add(u"lib/core.py"_s, "print('hi')\n"));
    }

    void cleanup()
    {
        removeAllHandlers();
        setBackend(nullptr);
        setPreferences(nullptr);
        m_window.reset();
        FileManager::setCurrent(nullptr);
        m_other.reset();
        m_project.reset();
        m_temp.reset();
    }

    // A chosen folder, or the first of two dropped, is remembered and opens on the main tab; a
    // cancelled chooser or a drop without local files changes nothing.
    void choosingOrDroppingAFolderOpensIt()
    {
        MainContainerView& window = openWindow();
        QCOMPARE(sidebarTexts(), QStringList{u"Projects"_s});
        click(window.sidebar()->selectFolderButton());
        QCOMPARE(m_chooser.asked, 1);
        window.handleDroppedItems({QUrl(u"https://example.org/app"_s)});
        QTest::qWait(10);
        QCOMPARE(window.viewMode(), ViewMode::projects);
        QVERIFY(window.store().recentFolders().isEmpty());

        chooseFolder(m_project->root());
        QCOMPARE(window.viewMode(), ViewMode::plexor);
        QCOMPARE(openFolder(), m_project->root());
        QCOMPARE(workView()->inputView()->fileTreeModel()->rowCount(), 3);
        QTRY_COMPARE(window.sidebar()->highlightedProjects(),
                     QList<QUuid>{record(m_project->root())->id});
        QCOMPARE(sidebarTexts(), (QStringList{u"Projects"_s, u"--"_s, u"app"_s}));

        QMimeData data;
        data.setUrls(
            {QUrl::fromLocalFile(m_other->root() + u'/'), QUrl::fromLocalFile(m_project->root())});
        QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&window, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&window, &drop);
        QTRY_COMPARE(openFolder(), m_other->root());
        QCOMPARE(window.store().recentFolders().size(), 2);
    }

    void generateStoresCopiesAndTheSavedStateComesBack()
    {
        MainContainerView& window = openWindow();
        chooseFolder(m_project->root());
        clickRow(u"src/main.c"_s);
        // A click stores nothing by itself.
        QVERIFY(!record(m_project->root())->savedSelectedPaths);

        click(button(u"generateButton"_s));
        const std::optional<RecentFolder> stored = record(m_project->root());
        QCOMPARE(stored->savedSelectedPaths, std::optional(m_project->paths({u"src/main.c"_s})));
        QCOMPARE(stored->savedExpandedPaths, std::optional(m_project->paths({u"src"_s})));
        const QString text =
            SeededProject::expectedText(u"app/src/main.c"_s, u"int main(void) { return 0; }\n"_s);
        QCOMPARE(lastCopied(), u"set:"_s + text);
        QCOMPARE(window.viewMode(), ViewMode::preview);
        QCOMPARE(window.modePicker()->currentIndex(), 2);
        auto* editor = window.findChild<LargeTextEdit*>(u"previewEditor"_s);
        QCOMPARE(editor->text(), text);

        // Regenerate reads the files again and drops the edits.
        editor->setFocus();
        editor->setCursorPosition(0);
        QTest::keyClicks(editor, u"NOTE "_s);
        click(button(u"regenerateButton"_s));
        QCOMPARE(editor->text(), text);

        click(button(u"backButton"_s));
        // Unsaved changes go with the work view when the projects screen shows; the global
        // shortcut does nothing there, and on the main tab generates from the saved state.
        clickRow(u"README.md"_s);
        workView()->inputView()->fileTree()->collapse(treeIndex(u"src"_s));
        click(window.modePicker()->segment(0));
        m_clipboard.calls.clear();
        const auto pressShortcut = [] {
            NotificationCenter::defaultCenter().post(
                QString(Notifications::triggerGenerateFromShortcut));
        };
        pressShortcut();
        QCOMPARE(window.viewMode(), ViewMode::projects);
        QVERIFY(m_clipboard.calls.isEmpty());
        click(window.modePicker()->segment(1));
        showsTheSavedState();
        pressShortcut();
        QCOMPARE(window.viewMode(), ViewMode::preview);
        QCOMPARE(lastCopied(), u"set:"_s + text);

        // The last generated folder is the one a restart opens.
        chooseFolder(m_other->root());
        m_window.reset();
        openWindow();
        showsTheSavedState();
        QTRY_COMPARE(m_shown->sidebar()->highlightedProjects(),
                     QList<QUuid>{record(m_project->root())->id});
    }

    // A sidebar row (clicked or by the keyboard) and a library card open their project in the
    // same engine; the card of a vanished folder leaves the open folder as it is. The row's menu
    // reveals, pins and removes, which keeps the open folder open.
    void sidebarRowsAndLibraryCards()
    {
        MainContainerView& window = openBoth();
        QTRY_COMPARE(sidebarTexts(), (QStringList{u"Projects"_s, u"--"_s, u"app"_s, u"app"_s}));
        PlexorViewModel* before = &engine();
        engine().setFileTypeEnabled(u".c"_s, false);
        QListWidget* list = window.sidebar()->list();
        const QUuid otherId = record(m_other->root())->id;
        const QUuid projectId = record(m_project->root())->id;
        QTRY_VERIFY(window.sidebar()->rowOf(otherId) >= 0);
        QTest::mouseClick(
            list->viewport(), Qt::LeftButton, {},
            list->visualItemRect(list->item(window.sidebar()->rowOf(otherId))).center());
        QCOMPARE(openFolder(), m_other->root());
        QCOMPARE(&engine(), before);
        QVERIFY(!engine().isFileTypeEnabled(u".c"_s));
        QCOMPARE(workView()->inputView()->fileTreeModel()->index(0, 0).data(), u"lib"_s);
        QTRY_COMPARE(window.sidebar()->highlightedProjects(), QList<QUuid>{otherId});
        list->setFocus();
        list->setCurrentRow(window.sidebar()->rowOf(projectId), QItemSelectionModel::NoUpdate);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(openFolder(), m_project->root());

        window.setViewMode(ViewMode::projects);
        QTRY_VERIFY(libraryCard(otherId));
        QTest::mouseClick(libraryCard(otherId), Qt::LeftButton);
        QCOMPARE(window.viewMode(), ViewMode::plexor);
        QCOMPARE(openFolder(), m_other->root());
        m_project.reset();
        window.setViewMode(ViewMode::projects);
        QTRY_VERIFY(libraryCard(projectId));
        QTest::mouseClick(libraryCard(projectId), Qt::LeftButton);
        QCOMPARE(window.modePicker()->currentIndex(), 1);
        QCOMPARE(openFolder(), m_other->root());

        triggerMenuItem(m_other->root(), u"Show in File Manager"_s);
        QCOMPARE(m_fileManager.revealed, QStringList{m_other->root()});

        triggerMenuItem(m_other->root(), u"Pin"_s);
        QVERIFY(record(m_other->root())->isPinned);
        QTRY_COMPARE(sidebarTexts(), (QStringList{u"Projects"_s, u"Pinned"_s, u"app"_s, u"--"_s,
                                                  u"Recents"_s, u"app"_s}));
        QCOMPARE(window.sidebar()->projectAt(2)->id, record(m_other->root())->id);
        triggerMenuItem(m_other->root(), u"Remove"_s);
        QVERIFY(!record(m_other->root()));
        QCOMPARE(openFolder(), m_other->root());
        QTRY_COMPARE(sidebarTexts(), (QStringList{u"Projects"_s, u"--"_s, u"app"_s}));
    }

    // The sheet saves a new tag and colour, changes nothing when cancelled (opened from the
    // library), and a removed tag falls back to the one the path gives. A sidebar row too long
    // for the sidebar ends in an ellipsis, without a horizontal scroll bar; its tooltip holds the
    // whole texts.
    void theTagSheetSavesCancelsAndRemoves()
    {
        const QString root = m_project->path(
            u"Coding/web/a-project-folder-whose-name-is-much-wider-than-any-sidebar"_s);
        QVERIFY(QDir().mkpath(root));
        const QString tag = u"a-tag-that-is-also-far-too-long-for-the-row"_s;
        MainContainerView& window = openWindow();
        chooseFolder(root);
        const QUuid id = record(root)->id;
        triggerMenuItem(root, u"Assign Tag..."_s);
        TagSelectionView* sheet = window.tagSheet();
        QVERIFY(sheet && sheet->isVisible());
        sheet->setColorChooser(
            [](const QColor&, QWidget*) -> std::optional<QColor> { return QColor(u"#22AA55"_s); });
        QTest::keyClicks(sheet->findChild<QLineEdit*>(u"customTagField"_s), tag);
        click(sheet->findChild<QAbstractButton*>(u"tagColorButton"_s));
        click(sheet->findChild<QPushButton*>(u"saveButton"_s));
        QVERIFY(!window.tagSheet() && !window.folderForTagging());
        QCOMPARE(record(root)->manualTag, std::optional(tag));
        QCOMPARE(record(root)->customColorHex.value_or(QString()).toUpper(), u"#22AA55"_s);
        QTRY_COMPARE(sidebarTag(id), u'#' + tag);
        SidebarRow* row = sidebarRow(id);
        QCOMPARE(row->projectColor().rgb(), QColor(0x22, 0xAA, 0x55).rgb());
        QCoreApplication::processEvents();
        QListWidget* list = window.sidebar()->list();
        QCOMPARE(list->horizontalScrollBar()->maximum(), 0);
        QVERIFY(row->mapTo(list->viewport(), QPoint(row->width(), 0)).x() <=
                list->viewport()->width());
        QVERIFY(row->findChild<ElidedLabel*>(u"projectName"_s)->isElided());
        QVERIFY(row->findChild<ElidedLabel*>(u"projectPath"_s)->isElided());
        const QString tip = list->item(window.sidebar()->rowOf(id))->toolTip();
        for (const QString& whole :
             {ProjectLibrary::displayName(*record(root)), QString(u'#' + tag),
              ProjectLibrary::displayPath(*record(root))})
            QVERIFY2(tip.contains(whole), qPrintable(tip));

        window.setViewMode(ViewMode::projects);
        std::unique_ptr<ProjectContextMenu> menu(
            window.projectsScreen()->createContextMenu(*record(root), nullptr));
        menu->assignTagAction()->trigger();
        QCOMPARE(window.tagSheet()->selectedTag(), tag);
        click(window.tagSheet()->findChild<QPushButton*>(u"cancelButton"_s));
        QVERIFY(!window.tagSheet() && !window.folderForTagging());
        QCOMPARE(record(root)->manualTag, std::optional(tag));

        triggerMenuItem(root, u"Assign Tag..."_s);
        click(window.tagSheet()->findChild<QPushButton*>(u"removeTagButton"_s));
        QVERIFY(record(root)->manualTag.value_or(QString()).isEmpty());
        QVERIFY(!record(root)->customColorHex);
        QTRY_COMPARE(sidebarTag(id), u"#web"_s);
    }

    // The menus and the sidebar command. The toolbar button and the menu item open one settings
    // dialog, first focus on the idle shortcut field, every control named, a shortcut another
    // application holds reported; Tab goes top to bottom, Escape or Ctrl+W close it and it opens
    // afresh. The update check follows the About item, which opens its box.
    void theApplication()
    {
        VantorApp::configureApplication();
        QVERIFY(!QApplication::windowIcon().isNull());
        VantorApp app(m_temp->preferences, m_clipboard, m_chooser, unusedFeed);
        const Shortcut taken(Key::j, EventModifierFlag::command | EventModifierFlag::shift);
        auto backend = std::make_unique<FakeHotKeyBackend>();
        backend->refused.insert(taken);
        FakeHotKeyBackend* hotKeys = backend.get();
        setBackend(std::move(backend));
        MainContainerView& window = app.mainWindow();
        m_shown = &window;
        app.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        m_chooser.answer = m_project->root();
        window.browseFolder();

        // Every item of every menu has an access letter of its own.
        RecentFolder project = *record(m_project->root());
        std::unique_ptr<QMenu> rowMenu(window.sidebar()->buildContextMenu(project));
        project.isPinned = true;
        std::unique_ptr<QMenu> pinnedMenu(window.sidebar()->buildContextMenu(project));
        TagSelectionView sheet(QString(), std::nullopt, CustomTagManager::shared());
        std::unique_ptr<QMenu> chipMenu(sheet.createChipMenu(u"mine"_s));
        std::unique_ptr<QMenu> treeMenu(
            workView()->inputView()->fileTreeActions()->menuFor(treeIndex(u"src"_s)));
        QList<QMenu*> menus{rowMenu.get(), pinnedMenu.get(), chipMenu.get(), treeMenu.get()};
        for (QAction* action : window.menuBar()->actions())
            menus << action->menu();
        for (QMenu* menu : std::as_const(menus)) {
            QSet<QChar> letters;
            for (QAction* action : menu->actions()) {
                const QString text = action->text();
                const qsizetype marker = text.indexOf(u'&');
                if (action->isSeparator())
                    continue;
                QVERIFY2(marker >= 0 && marker + 1 < text.size(), qPrintable(text));
                QVERIFY2(!letters.contains(text.at(marker + 1).toLower()), qPrintable(text));
                letters.insert(text.at(marker + 1).toLower());
            }
        }

        // The sidebar command hides the sidebar and brings it back as it was.
        QTRY_COMPARE(window.sidebar()->highlightedProjects().size(), 1);
        QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
        QVERIFY(!window.sidebar()->isVisible());
        QVERIFY(!window.toggleSidebarAction()->isChecked());
        window.toggleSidebarAction()->trigger();
        QVERIFY(window.sidebar()->isVisible());
        QCOMPARE(window.sidebar()->highlightedProjects().size(), 1);

        QTest::mouseClick(app.mainWindow().toolBar()->widgetForAction(app.settingsToolbarAction()),
                          Qt::LeftButton);
        SettingsView* settings = app.settingsWindow();
        QCOMPARE(settings->shortcutRecorder()->name(), Names::generateProject());
        QCOMPARE(unnamedControls(settings), QStringList());
        QVERIFY(settings->shortcutStatus()->isHidden());
        setShortcut(taken, Names::generateProject());
        QCOMPARE(settings->shortcutStatus()->text(),
                 u"Ctrl+Shift+J is used by another application, so this shortcut does nothing. "
                 u"Record another one."_s);
        setShortcut(std::nullopt, Names::generateProject());
        QVERIFY(settings->shortcutStatus()->isHidden());
        // The shortcut asks for a generation when it is released, not while it is held.
        int posted = 0;
        NotificationCenter::defaultCenter().addObserver(Notifications::triggerGenerateFromShortcut,
                                                        settings,
                                                        [&](const QVariantMap&) { ++posted; });
        const Shortcut generate(Key::k, EventModifierFlag::command | EventModifierFlag::shift);
        setShortcut(generate, Names::generateProject());
        QVERIFY(hotKeys->press(generate) && posted == 0);
        QVERIFY(hotKeys->release(generate));
        QCOMPARE(posted, 1);

        for (const QKeySequence& closing :
             {QKeySequence(Qt::CTRL | Qt::Key_W), QKeySequence(Qt::Key_Escape)}) {
            QPointer<SettingsView> view = app.settingsWindow();
            QVERIFY(QTest::qWaitForWindowActive(view));
            app.settingsAction()->trigger();
            QCOMPARE(app.mainWindow().findChildren<SettingsView*>(), QList<SettingsView*>{view});
            auto* field = view->shortcutRecorder()->field();
            QTRY_COMPARE(QApplication::focusWidget(), field);
            QVERIFY(!field->isCapturing());
            // Escape closes from the field at once; Ctrl+W after a walk through the window.
            if (closing == QKeySequence(Qt::CTRL | Qt::Key_W)) {
                QList<QWidget*> order{field};
                for (int i = 0; i < 2; ++i) {
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                    order << QApplication::focusWidget();
                }
                QCOMPARE(order, (QList<QWidget*>{field, view->automaticChecksToggle(),
                                                 view->checkNowButton()}));
            }
            QTest::keySequence(QApplication::focusWidget(), closing);
            QTRY_VERIFY(!view);
            app.settingsAction()->trigger();
        }

        const QList<QAction*> help = app.helpMenu()->actions();
        QVERIFY(help.indexOf(app.checkForUpdatesAction()) > help.indexOf(app.aboutAction()));
        app.aboutAction()->trigger();
        QTRY_VERIFY(app.mainWindow().findChild<QDialog*>(u"aboutDialog"_s));
    }

    // Every screen through the interface assistive tools read: each visible control has a name,
    // the buttons the application draws are named as they read ("&" included), and the Tab
    // stops go top to bottom.
    void everyScreenIsNamedAndTabsTopToBottom()
    {
        MainContainerView& window = openBoth();
        // Tall enough that every screen shows whole.
        window.resize(1000, 1400);
        window.setViewMode(ViewMode::preview);
        click(button(u"regenerateButton"_s));
        QCOMPARE(button(u"regenerateButton"_s)->text(), u"Updated & Copied"_s);
        for (ViewMode mode : {ViewMode::preview, ViewMode::plexor, ViewMode::projects}) {
            window.setViewMode(mode);
            QCoreApplication::processEvents();
            QCOMPARE(unnamedControls(&window), QStringList());
            for (TintedButton* tinted : window.findChildren<TintedButton*>()) {
                if (tinted->isVisible() && !tinted->text().isEmpty())
                    QCOMPARE(QAccessible::queryAccessibleInterface(tinted)->text(QAccessible::Name),
                             tinted->text());
            }
            QWidget* screen = mode == ViewMode::projects ? window.projectsScreen()
                              : mode == ViewMode::plexor
                                  ? static_cast<QWidget*>(workView()->inputView())
                                  : workView()->previewView();
            const QStringList problems = tabOrderProblems(screen);
            QVERIFY2(problems.isEmpty(), qPrintable(rawValue(mode) + u": " + problems.join(u"; ")));
        }
    }

    // The automatic checks are on unless stored off; a click stores them, a change made
    // elsewhere shows. "Check Now" is disabled while a check runs: here against a server that
    // accepts the request and never answers.
    void theUpdateControls()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        UpdaterViewModel::Options opts =
            options(u"http://127.0.0.1:%1/feed.json"_s.arg(server.serverPort()));
        opts.timeout = std::chrono::milliseconds(300);
        UpdaterViewModel updater(std::move(opts));
        SettingsView view(updater);
        QCheckBox* toggle = view.automaticChecksToggle();
        QVERIFY(toggle->isChecked());
        toggle->click();
        QCOMPARE(m_temp->preferences.boolean(PreferenceKeys::enableAutomaticChecks), false);
        QVERIFY(!SettingsView(updater).automaticChecksToggle()->isChecked());
        m_temp->preferences.setBoolean(PreferenceKeys::enableAutomaticChecks, true);
        QVERIFY(toggle->isChecked());

        view.checkNowButton()->click();
        QVERIFY(updater.isChecking());
        QVERIFY(!view.checkNowButton()->isEnabled());
        QTRY_VERIFY(!updater.isChecking());
        QVERIFY(view.checkNowButton()->isEnabled());
    }

    void aBuildWithoutAFeedOffersNoUpdateChecks()
    {
        UpdaterViewModel updater(options(QString()));
        SettingsView view(updater);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QVERIFY(view.findChildren<QCheckBox*>().isEmpty());
        QVERIFY(view.findChildren<QPushButton*>().isEmpty());
        QVERIFY(view.findChild<QLabel*>(u"updatedByInstallerLabel"_s)->isVisible());

        VantorApp app(m_temp->preferences, m_clipboard, m_chooser, QString());
        QCOMPARE(app.checkForUpdatesAction(), nullptr);
        for (QAction* action : app.helpMenu()->actions())
            QVERIFY2(!action->text().contains(u"Update"_s), qPrintable(action->text()));
    }

    void screensInBothPalettes_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::newRow("light") << false;
        QTest::newRow("dark") << true;
    }

    // The main tab and the preview, in a light and a dark palette: text reads on its background.
    void screensInBothPalettes()
    {
        QFETCH(bool, dark);
        // A palette made from a dark window colour: light text on dark backgrounds.
        QApplication::setPalette(dark ? QPalette(QColor(0x3a, 0x3a, 0x3e), QColor(0x2b, 0x2b, 0x2e))
                                      : QApplication::style()->standardPalette());
        const auto restore =
            qScopeGuard([] { QApplication::setPalette(QApplication::style()->standardPalette()); });
        const QString suffix = dark ? u"-dark"_s : u"-light"_s;
        MainContainerView& window = openWindow();
        chooseFolder(m_project->root());
        clickRow(u"src/main.c"_s);
        const int title = brightness(picture(u"input"_s + suffix),
                                     window.findChild<ElidedLabel*>(u"titleLabel"_s));
        const int background = qGray(QApplication::palette().color(QPalette::Window).rgb());
        QVERIFY2(dark ? title > background : title < background,
                 qPrintable(QString::number(title)));

        click(button(u"generateButton"_s));
        const QImage preview = picture(u"preview"_s + suffix);
        auto* editor = window.findChild<LargeTextEdit*>(u"previewEditor"_s);
        QCOMPARE(preview.pixelColor(editor->mapTo(&window, QPoint(editor->width() / 2, 2))).rgb(),
                 QApplication::palette().color(QPalette::Base).rgb());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

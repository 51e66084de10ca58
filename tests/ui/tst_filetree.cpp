#include "engine/FakeServices.h"
#include "engine/TestTree.h"

#include "engine/PlexorViewModel.h"
#include "model/Preferences.h"
#include "ui/FileTreeModel.h"
#include "ui/FileTreeRow.h"

#include <QAbstractItemModelTester>
#include <QPainter>
#include <QSignalSpy>
#include <QTreeView>
#include <QtTest>

#include <memory>

namespace {

using PathSet = PlexorViewModel::PathSet;

// The model's index of the node at `relative` under `root`, searched through the model itself.
QModelIndex findIndex(const QAbstractItemModel& model, const QString& path,
                      const QModelIndex& parent = {})
{
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex index = model.index(row, 0, parent);
        const QString here = index.data(FileTreeModel::PathRole).toString();
        if (here == path)
            return index;
        if (path.startsWith(here + u'/'))
            return findIndex(model, path, index);
    }
    return {};
}

} // namespace

class TestFileTree : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_configDir;
    std::unique_ptr<Preferences> m_preferences;
    FakeClipboard m_clipboard;
    std::unique_ptr<TestTree> m_tree;
    std::unique_ptr<PlexorViewModel> m_engine;

private Q_SLOTS:
    void init()
    {
        m_configDir = std::make_unique<QTemporaryDir>();
        m_preferences =
            std::make_unique<Preferences>(m_configDir->filePath(QStringLiteral("prefs.json")));
        m_tree = std::make_unique<TestTree>();
        QVERIFY(m_tree->addAll({QStringLiteral("README.md"), QStringLiteral("src/main.c"),
                                QStringLiteral("src/util/strings.h"),
                                QStringLiteral("src/util/strings.c"), QStringLiteral("docs/a.md"),
                                QStringLiteral("notes.txt")}));
        m_engine = std::make_unique<PlexorViewModel>(*m_preferences, m_clipboard);
    }

    void cleanup()
    {
        m_engine.reset();
        m_tree.reset();
        m_preferences.reset();
        m_configDir.reset();
    }

    void modelFollowsScansExpansionAndRescans()
    {
        FileTreeModel model(*m_engine);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(!model.hasChildren());

        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        m_engine->loadFiles(m_tree->root(), PathSet{m_tree->path(QStringLiteral("src/main.c"))},
                            PathSet{m_tree->path(QStringLiteral("src"))});
        QCOMPARE(resets.size(), 1);
        // README.md, docs, src at the top (notes.txt is switched off).
        QCOMPARE(model.rowCount(), 3);

        const QModelIndex src = findIndex(model, m_tree->path(QStringLiteral("src")));
        QVERIFY(src.isValid());
        QVERIFY(model.hasChildren(src));
        QCOMPARE(model.rowCount(src), 2);
        QCOMPARE(src.data(FileTreeModel::ExpandedRole).toBool(), true);
        QCOMPARE(src.data(FileTreeModel::IsFolderRole).toBool(), true);
        const QModelIndex util = findIndex(model, m_tree->path(QStringLiteral("src/util")));
        QCOMPARE(util.parent(), src);
        QCOMPARE(util.data(Qt::DisplayRole).toString(), QStringLiteral("util"));
        QCOMPARE(util.data(Qt::AccessibleTextRole).toString(), QStringLiteral("util"));

        const QModelIndex mainC = findIndex(model, m_tree->path(QStringLiteral("src/main.c")));
        QVERIFY(!model.hasChildren(mainC));
        QVERIFY(model.flags(mainC).testFlag(Qt::ItemNeverHasChildren));
        QCOMPARE(mainC.data(FileTreeModel::SelectedRole).toBool(), true);
        QCOMPARE(mainC.data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);

        // Opening a folder in the engine is announced for that row.
        QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
        QSignalSpy expansions(&model, &FileTreeModel::expansionChanged);
        m_engine->setExpanded(model.node(util), true);
        QCOMPARE(changes.size(), 1);
        QCOMPARE(changes.first().at(0).toModelIndex(), util);
        QCOMPARE(expansions.size(), 1);
        QCOMPARE(expansions.first().at(1).toBool(), true);
        QCOMPARE(util.data(FileTreeModel::ExpandedRole).toBool(), true);

        // A rescan without saved sets: a new tree, nothing selected or open.
        m_engine->loadFiles(m_tree->root());
        QCOMPARE(resets.size(), 2);
        const QModelIndex srcAgain = findIndex(model, m_tree->path(QStringLiteral("src")));
        QCOMPARE(srcAgain.data(FileTreeModel::ExpandedRole).toBool(), false);
        const QModelIndex mainAgain = findIndex(model, m_tree->path(QStringLiteral("src/main.c")));
        QCOMPARE(mainAgain.data(FileTreeModel::SelectedRole).toBool(), false);
    }

    void indexesOutsideTheTreeAreInvalid()
    {
        FileTreeModel model(*m_engine);
        m_engine->loadFiles(m_tree->root());
        QVERIFY(!model.index(3, 0).isValid());
        QVERIFY(!model.index(-1, 0).isValid());
        QVERIFY(!model.index(0, 1).isValid());
        const QModelIndex src = findIndex(model, m_tree->path(QStringLiteral("src")));
        QVERIFY(!model.index(2, 0, src).isValid());
        QCOMPARE(model.rowCount(src.siblingAtColumn(0)), 2);
        QVERIFY(!model.parent(QModelIndex()).isValid());
        QVERIFY(model.node(QModelIndex()) == nullptr);
    }

    void selectionChangesAreAnnouncedPerRow()
    {
        FileTreeModel model(*m_engine);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        m_engine->loadFiles(m_tree->root());
        const QModelIndex strings =
            findIndex(model, m_tree->path(QStringLiteral("src/util/strings.h")));
        const QModelIndex docs = findIndex(model, m_tree->path(QStringLiteral("docs")));

        QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
        QVERIFY(model.setData(strings, true, FileTreeModel::SelectedRole));
        QCOMPARE(changes.size(), 1);
        QCOMPARE(changes.first().at(0).toModelIndex(), strings);
        QVERIFY(m_engine->isSelected(model.node(strings)->id()));

        // Setting the state it already has changes nothing.
        QVERIFY(model.setData(strings, true, FileTreeModel::SelectedRole));
        QCOMPARE(changes.size(), 1);

        // A change made in the engine directly is found in the tree.
        changes.clear();
        m_engine->setSelectedFiles({model.node(docs)->id()});
        QCOMPARE(changes.size(), 2);
        QSet<QModelIndex> changed;
        for (const QList<QVariant>& change : std::as_const(changes))
            changed.insert(change.at(0).toModelIndex());
        QCOMPARE(changed, (QSet<QModelIndex>{strings, docs}));

        // The check state role toggles as well (what accessibility clients use).
        QVERIFY(model.setData(docs, Qt::Unchecked, Qt::CheckStateRole));
        QVERIFY(m_engine->selectedFiles().isEmpty());
        QVERIFY(!model.setData(docs, true, Qt::DisplayRole));
    }

    void clickingRowsTogglesOnlyThatNode()
    {
        m_engine->loadFiles(m_tree->root());
        QTreeView view;
        view.setItemDelegate(new FileTreeRow(&view));
        view.setSelectionMode(QAbstractItemView::NoSelection);
        view.setExpandsOnDoubleClick(false);
        FileTreeModel model(*m_engine);
        view.setModel(&model);
        view.resize(400, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        const QModelIndex src = findIndex(model, m_tree->path(QStringLiteral("src")));
        view.expand(src);
        const QModelIndex mainC = findIndex(model, m_tree->path(QStringLiteral("src/main.c")));

        // A folder row selects the folder alone.
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(src).center());
        QCOMPARE(m_engine->selectedFiles(), (QSet<QUuid>{model.node(src)->id()}));
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(mainC).center());
        QCOMPARE(m_engine->selectedFiles().size(), 2);
        // A second click clears the row again.
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(src).center());
        QCOMPARE(m_engine->selectedFiles(), (QSet<QUuid>{model.node(mainC)->id()}));
        // Other buttons do nothing.
        QTest::mouseClick(view.viewport(), Qt::RightButton, {}, view.visualRect(src).center());
        QCOMPARE(m_engine->selectedFiles().size(), 1);

        // Space toggles the current row.
        view.setFocus();
        view.setCurrentIndex(mainC);
        QTest::keyClick(&view, Qt::Key_Space);
        QVERIFY(m_engine->selectedFiles().isEmpty());
        QTest::keyClick(&view, Qt::Key_Space);
        QCOMPARE(m_engine->selectedFiles(), (QSet<QUuid>{model.node(mainC)->id()}));
    }

    void rowsShowTheirSelection()
    {
        m_engine->loadFiles(m_tree->root());
        FileTreeModel model(*m_engine);
        FileTreeRow row;
        QStyleOptionViewItem option;
        option.rect = QRect(0, 0, 200, row.sizeHint(option, model.index(0, 0)).height());
        option.font = QApplication::font();
        option.fontMetrics = QFontMetrics(option.font);
        const QModelIndex first = model.index(0, 0);

        const auto render = [&] {
            QImage image(option.rect.size(), QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            row.paint(&painter, option, first);
            return image;
        };
        // The middle of the row's right half holds no text: only the background is there.
        const QPoint background(option.rect.width() - 10, option.rect.height() / 2);
        QCOMPARE(render().pixelColor(background).alpha(), 0);
        model.toggleSelection(first);
        const QColor selected = render().pixelColor(background);
        QCOMPARE(selected.rgb(), QApplication::palette().color(QPalette::Highlight).rgb());
        QCOMPARE(option.rect.height(),
                 std::max(option.fontMetrics.height(), int(FileTreeRow::iconSize)) +
                     2 * FileTreeRow::verticalPadding);
    }

    void theFocusRingStaysInsideTheRow()
    {
        // The view repaints only the row's rectangle when the current row moves; a ring reaching
        // past it would stay on screen.
        m_engine->loadFiles(m_tree->root());
        FileTreeModel model(*m_engine);
        FileTreeRow row;
        QStyleOptionViewItem option;
        option.rect = QRect(10, 10, 200, 30);
        option.state |= QStyle::State_HasFocus;
        option.font = QApplication::font();
        option.fontMetrics = QFontMetrics(option.font);
        const QModelIndex first = model.index(0, 0);
        for (bool selected : {false, true}) {
            if (selected)
                model.toggleSelection(first);
            QImage image(220, 50, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            row.paint(&painter, option, first);
            painter.end();
            int inside = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    const bool drawn = image.pixelColor(x, y).alpha() > 0;
                    if (option.rect.contains(x, y))
                        inside += drawn;
                    else
                        QVERIFY2(!drawn, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
                }
            }
            QVERIFY(inside > 0);
        }
    }
};

QTEST_MAIN(TestFileTree)
#include "tst_filetree.moc"

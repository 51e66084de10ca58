#include "engine/TestEngine.h"
#include "engine/TestTree.h"

#include "ui/FileTreeModel.h"
#include "ui/FileTreeRow.h"
#include "ui/FileTreeView.h"

#include <QAbstractItemModelTester>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

using PathSet = PlexorViewModel::PathSet;

// The model's index of the node at `path`, searched through the model itself.
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

using namespace Qt::StringLiterals;

class TestFileTree : public QObject {
    Q_OBJECT

    TestTree m_tree;
    std::unique_ptr<TestEngine> m_rig;
    std::unique_ptr<PlexorViewModel> m_engine;

    QModelIndex find(const QAbstractItemModel& model, const char* relative) const
    {
        return findIndex(model, m_tree.path(QString::fromUtf8(relative)));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_tree.addAll(pathList("README.md,src/main.c,src/util/strings.h,"
                                       "src/util/strings.c,docs/a.md,notes.txt")));
    }

    void init()
    {
        m_rig = std::make_unique<TestEngine>();
        m_engine = m_rig->make();
    }

    void cleanup()
    {
        m_engine.reset();
        m_rig.reset();
    }

    void modelFollowsScansExpansionAndRescans()
    {
        FileTreeModel model(*m_engine);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        m_engine->loadFiles(m_tree.root(), m_tree.paths({u"src/main.c"_s}),
                            m_tree.paths({u"src"_s}));
        QCOMPARE(resets.size(), 1);
        // README.md, docs, src at the top (notes.txt is switched off).
        QCOMPARE(model.rowCount(), 3);

        const QModelIndex src = find(model, "src");
        QCOMPARE(model.rowCount(src), 2);
        QCOMPARE(src.data(FileTreeModel::ExpandedRole).toBool(), true);
        QCOMPARE(src.data(FileTreeModel::IsFolderRole).toBool(), true);
        const QModelIndex util = find(model, "src/util");
        QCOMPARE(util.data(Qt::DisplayRole).toString(), u"util"_s);
        QCOMPARE(util.data(Qt::AccessibleTextRole).toString(), u"util"_s);

        const QModelIndex mainC = find(model, "src/main.c");
        QVERIFY(model.flags(mainC).testFlag(Qt::ItemNeverHasChildren));
        QCOMPARE(mainC.data(FileTreeModel::SelectedRole).toBool(), true);
        QCOMPARE(mainC.data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);

        // Opening a folder in the engine is announced for that row.
        QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
        QSignalSpy expansions(&model, &FileTreeModel::expansionChanged);
        m_engine->setExpanded(model.node(util), true);
        m_engine->setExpanded(model.node(util), true);
        QCOMPARE(changes.size(), 1);
        QCOMPARE(changes.first().at(0).toModelIndex(), util);
        QCOMPARE(expansions.size(), 1);
        QCOMPARE(expansions.first().at(1).toBool(), true);
        QCOMPARE(util.data(FileTreeModel::ExpandedRole).toBool(), true);

        // A rescan without saved sets: a new tree, nothing selected or open.
        m_engine->loadFiles(m_tree.root());
        QCOMPARE(resets.size(), 2);
        QCOMPARE(find(model, "src").data(FileTreeModel::ExpandedRole).toBool(), false);
        QCOMPARE(find(model, "src/main.c").data(FileTreeModel::SelectedRole).toBool(), false);

        // Filtered, only the folders holding found files are rows, each in its place.
        model.setFilterQuery(u"strings"_s);
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.rowCount(find(model, "src")), 1);
        QCOMPARE(model.rowCount(find(model, "src/util")), 2);
    }

    void selectionChangesAreAnnouncedPerRow()
    {
        FileTreeModel model(*m_engine);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        m_engine->loadFiles(m_tree.root());
        const QModelIndex strings = find(model, "src/util/strings.h");
        const QModelIndex docs = find(model, "docs");

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
        m_engine->loadFiles(m_tree.root());
        FileTreeView view;
        view.setItemDelegate(new FileTreeRow(&view));
        FileTreeModel model(*m_engine);
        view.setModel(&model);
        view.resize(400, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        const QModelIndex src = find(model, "src");
        view.expand(src);
        const QModelIndex mainC = find(model, "src/main.c");
        const auto click = [&view](const QModelIndex& index, Qt::MouseButton button) {
            QTest::mouseClick(view.viewport(), button, {}, view.visualRect(index).center());
        };

        // A folder row selects the folder alone; a second click clears it; other buttons do
        // nothing.
        click(src, Qt::LeftButton);
        QCOMPARE(m_engine->selectedFiles(), (QSet<QUuid>{model.node(src)->id()}));
        click(mainC, Qt::LeftButton);
        click(src, Qt::LeftButton);
        click(src, Qt::RightButton);
        QCOMPARE(m_engine->selectedFiles(), (QSet<QUuid>{model.node(mainC)->id()}));

        // Space toggles the current row.
        view.setFocus();
        view.setCurrentIndex(mainC);
        QTest::keyClick(&view, Qt::Key_Space);
        QVERIFY(m_engine->selectedFiles().isEmpty());
        QTest::keyClick(&view, Qt::Key_Space);
        QCOMPARE(m_engine->selectedFiles(), (QSet<QUuid>{model.node(mainC)->id()}));
    }

    // A selected row is filled with the highlight colour; with the focus ring, nothing is drawn
    // past the row's rectangle: the view repaints only that when the current row moves.
    void rowsShowTheirSelectionInsideTheirRectangle()
    {
        m_engine->loadFiles(m_tree.root());
        FileTreeModel model(*m_engine);
        const QModelIndex first = model.index(0, 0);
        FileTreeRow row;
        QStyleOptionViewItem option;
        option.state |= QStyle::State_HasFocus;
        option.font = QApplication::font();
        option.fontMetrics = QFontMetrics(option.font);
        option.rect = QRect(10, 10, 200, row.sizeHint(option, first).height());
        // The middle of the row's right half holds no text: only the background is there.
        const QPoint background(option.rect.right() - 10, option.rect.center().y());
        for (bool selected : {false, true}) {
            if (selected)
                model.toggleSelection(first);
            QImage image(option.rect.adjusted(-10, -10, 10, 10).size(),
                         QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            row.paint(&painter, option, first);
            painter.end();
            QCOMPARE(image.pixelColor(background).rgba(),
                     selected ? QApplication::palette().color(QPalette::Highlight).rgba() : 0u);
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x)
                    QVERIFY2(option.rect.contains(x, y) || image.pixelColor(x, y).alpha() == 0,
                             qPrintable(u"%1,%2"_s.arg(x).arg(y)));
            }
        }
    }
};

QTEST_MAIN(TestFileTree)
#include "tst_filetree.moc"

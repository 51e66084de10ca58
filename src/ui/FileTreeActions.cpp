#include "ui/FileTreeActions.h"

#include "engine/PlexorViewModel.h"
#include "model/FileItem.h"
#include "ui/FileTreeModel.h"

#include <QAction>
#include <QMenu>
#include <QTreeView>

FileTreeActions::FileTreeActions(QTreeView* tree, FileTreeModel* model, PlexorViewModel& engine)
    : QObject(tree)
    , m_tree(tree)
    , m_model(model)
    , m_engine(engine)
    , m_selectAll(new QAction(tr("Select &All Files"), this))
    , m_deselectAll(new QAction(tr("Deselect A&ll"), this))
{
    m_selectAll->setObjectName(QStringLiteral("selectAllFilesAction"));
    m_selectAll->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    m_deselectAll->setObjectName(QStringLiteral("deselectAllAction"));
    m_deselectAll->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A));
    for (QAction* action : {m_selectAll, m_deselectAll}) {
        action->setShortcutContext(Qt::WidgetShortcut);
        m_tree->addAction(action);
    }
    connect(m_selectAll, &QAction::triggered, this,
            [this] { m_model->filter().selectShownFiles(m_engine); });
    connect(m_deselectAll, &QAction::triggered, this,
            [this] { m_model->filter().deselectShown(m_engine); });

    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_tree, &QWidget::customContextMenuRequested, this, &FileTreeActions::showMenu);
}

QMenu* FileTreeActions::menuFor(const QModelIndex& index) const
{
    auto* menu = new QMenu(m_tree);
    menu->setObjectName(QStringLiteral("fileTreeMenu"));
    const FileItem* node = m_model->node(index);
    if (node && node->isFolder()) {
        QAction* selectInside = menu->addAction(tr("&Select Files Inside"));
        selectInside->setObjectName(QStringLiteral("selectFilesInsideAction"));
        connect(selectInside, &QAction::triggered, this,
                [this, node] { m_engine.select(PlexorViewModel::filesInside(*node)); });
        QAction* deselectInside = menu->addAction(tr("&Deselect Files Inside"));
        deselectInside->setObjectName(QStringLiteral("deselectFilesInsideAction"));
        connect(deselectInside, &QAction::triggered, this,
                [this, node] { m_engine.deselect(PlexorViewModel::filesInside(*node)); });
        menu->addSeparator();
        // The node goes with the tree: a rescan while the menu is open retires both commands.
        for (QAction* action : {selectInside, deselectInside})
            connect(&m_engine, &PlexorViewModel::filesAboutToChange, action,
                    [action] { action->setEnabled(false); });
    }
    menu->addAction(m_selectAll);
    menu->addAction(m_deselectAll);
    return menu;
}

void FileTreeActions::showMenu(const QPoint& position)
{
    QMenu* menu = menuFor(m_tree->indexAt(position));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(m_tree->viewport()->mapToGlobal(position));
}

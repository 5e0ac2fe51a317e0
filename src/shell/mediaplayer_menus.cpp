// The player window's menus and tool bars.
#include "shell/mediaplayer.h"

#include "custom/actionbuilder.h"
#include "custom/commandcatalogue.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

void TApp_MEDIAPlayer::CreateMenus()
{
    // One menu per category, in catalogue order, so that every command can be tried until the
    // window's own menus replace these.
    for (QAction *action : Commands->Actions(TMyCommandList::ActionList_Main)) {
        const TMyCommandDef *def = Commands->Definition(action);
        if (!def || def->IsSeparator())
            continue;
        const QString category = def->Category.toString();
        QMenu *menu = ProvisionalMenu(category);
        if (!menu) {
            menu = menuBar()->addMenu(category);
            menu->setObjectName(QStringLiteral("mnuProvisional_") + category);
        }
        menu->addAction(action);
    }
}

QMenu *TApp_MEDIAPlayer::ProvisionalMenu(const QString &category) const
{
    return menuBar()->findChild<QMenu *>(QStringLiteral("mnuProvisional_") + category, Qt::FindDirectChildrenOnly);
}

void TApp_MEDIAPlayer::CreateToolBars()
{
    ToolBar_Main = new QToolBar(this);
    ToolBar_Main->setObjectName(QStringLiteral("ToolBar_Main"));
    ToolBar_Main->hide();
    ToolBar_Play = new QToolBar(this);
    ToolBar_Play->setObjectName(QStringLiteral("ToolBar_Play"));
    ToolBar_Play->hide();
}

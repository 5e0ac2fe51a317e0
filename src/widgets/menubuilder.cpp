#include "widgets/menubuilder.h"

#include "widgets/commanditem.h"

#include <QActionGroup>
#include <QHash>
#include <QMenu>
#include <QPointer>
#include <QToolBar>
#include <QToolButton>

namespace {

struct MenuBuild {
    std::span<const TMyMenuEntry> table;
    const TMyCommandLookup &commands;
    TMyMenuOptions options;
    QList<QAction *> made;
};

// The item of one entry that is not a separator.
TMyCommandItem *NewItem(const TMyMenuEntry &e, const TMyCommandLookup &commands, QObject *parent)
{
    QAction *command = e.Command.isEmpty() || !commands ? nullptr : commands(e.Command);
    auto *item = new TMyCommandItem(e.Name.toString(), command, parent);
    if (!e.Caption.isEmpty())
        item->SetOwnCaption(e.Caption.toString());
    else if (!command)
        item->SetOwnCaption(e.Command.toString());
    if (!command && !e.Command.isEmpty())
        item->setEnabled(false);  // its command is not there
    return item;
}

// Fills menu with the entries from index i on that belong to it (level and deeper); returns
// the index of the first entry after them.
size_t Fill(QMenu *menu, size_t i, int level, MenuBuild &b)
{
    menu->setSeparatorsCollapsible(b.options.CollapseSeparators);
    QHash<QActionGroup *, QActionGroup *> radio;  // command group -> item group of this menu
    const std::span<const TMyMenuEntry> t = b.table;
    while (i < t.size() && t[i].Level >= level) {
        const TMyMenuEntry &e = t[i];
        ++i;
        if (e.Level > level)
            continue;  // deeper entries without an entry to hold them
        QAction *item = nullptr;
        if (e.Separator) {
            item = NewSeparatorItem(e.Name.toString(), menu);
            b.made.append(item);
        } else {
            TMyCommandItem *commandItem = NewItem(e, b.commands, menu);
            commandItem->setIconVisibleInMenu(false);
            commandItem->SetShowsShortcut(b.options.ShowShortcuts);
            item = commandItem;
            b.made.append(item);
            if ((i < t.size() && t[i].Level > level) || !e.SubMenu.isEmpty()) {
                commandItem->SetHolder(true);
                auto *sub = new QMenu(menu);
                sub->setObjectName((e.SubMenu.isEmpty() ? e.Name : e.SubMenu).toString());
                i = Fill(sub, i, level + 1, b);
                commandItem->setMenu(sub);
                if (e.Command.isEmpty() && sub->isEmpty())
                    commandItem->setEnabled(false);  // a place for a menu filled elsewhere
            } else if (e.Command.isEmpty()) {
                commandItem->setEnabled(false);  // a place for entries made elsewhere
            } else if (QAction *command = commandItem->Command()) {
                QActionGroup *group = command->actionGroup();
                if (b.options.RadioItems && group && group->isExclusive()) {
                    QActionGroup *&items = radio[group];
                    if (!items) {
                        items = new QActionGroup(menu);
                        // The command's group decides; the items only take the radio look.
                        items->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
                    }
                    items->addAction(commandItem);
                    commandItem->Sync();
                }
            }
        }
        menu->addAction(item);
        if (e.Default)
            menu->setDefaultAction(item);
    }
    return i;
}

void CollectItems(const QMenu *menu, QList<QAction *> &out)
{
    for (QAction *a : menu->actions()) {
        out.append(a);
        if (a->menu())
            CollectItems(a->menu(), out);
    }
}

} // namespace

QList<QAction *> BuildMenu(QMenu *menu, std::span<const TMyMenuEntry> table, const TMyCommandLookup &commands,
                           TMyMenuOptions options)
{
    MenuBuild b{table, commands, options, {}};
    size_t i = 0;
    while (i < table.size())
        i = Fill(menu, i, table[i].Level, b);  // a table should start at level 0
    return b.made;
}

QList<QAction *> MenuItems(const QMenu *menu)
{
    QList<QAction *> out;
    if (menu)
        CollectItems(menu, out);
    return out;
}

QAction *FindMenuItem(const QMenu *menu, QStringView name)
{
    if (!menu)
        return nullptr;
    for (QAction *a : menu->actions()) {
        if (a->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return a;
        if (QAction *found = a->menu() ? FindMenuItem(a->menu(), name) : nullptr)
            return found;
    }
    return nullptr;
}

QList<QAction *> BuildToolBar(QToolBar *bar, std::span<const TMyToolEntry> table, const TMyCommandLookup &commands,
                              const TMyMenuLookup &menus, QSize buttonSize)
{
    bar->setIconSize(QSize(18, 18));
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    bar->setMovable(false);
    bar->setFloatable(false);
    QList<QAction *> made;
    auto menuOf = [&menus](QStringView name) -> QMenu * {
        return name.isEmpty() || !menus ? nullptr : menus(name);
    };
    for (const TMyToolEntry &e : table) {
        if (e.Command.isEmpty()) {
            QAction *separator = NewSeparatorItem(e.Name.toString(), bar);
            separator->setVisible(e.Shown);
            bar->addAction(separator);
            made.append(separator);
            continue;
        }
        TMyCommandItem *item = NewItem(MenuCmd(0, e.Name, e.Command), commands, bar);
        item->SetShowsShortcut(false);
        item->SetHolder(e.Style == TMyToolStyle::Holder);
        item->SetProgramHidden(!e.Shown);
        bar->addAction(item);
        made.append(item);
        auto *button = qobject_cast<QToolButton *>(bar->widgetForAction(item));
        if (!button)
            continue;
        button->setObjectName(e.Name.toString());
        button->setAutoRaise(true);
        QMenu *menu = menuOf(e.Menu);
        if (menu) {
            button->setMenu(menu);
            button->setPopupMode(e.Style == TMyToolStyle::Holder ? QToolButton::InstantPopup
                                                                 : QToolButton::MenuButtonPopup);
        }
        if (menu && e.Style == TMyToolStyle::DropDown) {
            // The arrow comes on top of the button's own width.
            button->setFixedHeight(buttonSize.height());
            button->setMinimumWidth(buttonSize.width());
        } else {
            button->setFixedSize(buttonSize);
        }
        SetRightButtonMenu(button, menuOf(e.Right));
    }
    return made;
}

QToolButton *FindToolButton(const QToolBar *bar, QStringView name)
{
    if (!bar)
        return nullptr;
    for (QAction *a : bar->actions()) {
        if (a->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return qobject_cast<QToolButton *>(bar->widgetForAction(a));
    }
    return nullptr;
}

void SetRightButtonMenu(QWidget *widget, QMenu *menu)
{
    if (!widget || !menu)
        return;
    QObject::disconnect(widget, &QWidget::customContextMenuRequested, nullptr, nullptr);
    widget->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(widget, &QWidget::customContextMenuRequested, widget,
                     [widget, m = QPointer<QMenu>(menu)](const QPoint &pos) {
                         if (m)
                             m->popup(widget->mapToGlobal(pos));
                     });
}

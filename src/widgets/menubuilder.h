#pragma once
// Menus and tool bars made from tables (user-interface thread).
//
// A window describes each menu and tool bar as a constant table; the functions here turn a
// table into TMyCommandItem objects (commanditem.h), one per entry, named after the entry's
// component name, so that the customisation can find and hide every item, separators included.
//
// Menu tables list the items depth-first with their level: the entries that follow an entry
// with a level one deeper form its sub-menu.
//
//   constexpr TMyMenuEntry kMenu[] = {
//       MenuOwn(0, u"mniPlay", u"再生 (&P)"),
//       MenuCmd(1, u"mniPlay_PlayPause", u"actPlay_PlayPause").Bold(),
//       MenuSep(1, u"mniPlay_Line1"),
//       MenuCmd(1, u"mniPlay_Rate", u"actPlay_Rate"),     // holds the sub-menu below
//       MenuCmd(2, u"mniPlay_Rate_20", u"actPlay_Rate_20"),
//   };
//   BuildMenu(menu, kMenu, lookup);
//
// - An item with a command mirrors it and runs it; an item with a caption of its own and a
//   command shows that caption instead. An entry with a sub-menu only holds it (no check, no
//   run). An item with neither command nor sub-menu is a placeholder and shows disabled, as
//   does an item whose command the lookup cannot find.
// - Items of a command that belongs to an exclusive QActionGroup get the radio look (each
//   sub-menu keeps an item group per command group; the commands' group decides what is
//   checked, the items follow).
// - An entry given a sub-menu name (Sub) holds a sub-menu of that name, made even when no
//   entries follow; without a command and with nothing in it, the item shows disabled (a place
//   for a menu filled elsewhere).
// - Menu items show no images; their shortcut text follows TMyCommandItem's rules unless the
//   options turn it off.
// - Bold entries become their (sub-)menu's default action.
//
// Tool bar tables list the buttons in order with their default visibility and menus:
//
//   constexpr TMyToolEntry kBar[] = {
//       ToolSep(u"btnSpc_0").Hidden(),
//       ToolCmd(u"btnToolFile_OpenFile", u"Action_FileOpenFile")
//           .DropDown(u"mnuFile_HistoryOpenFile").RightMenu(u"mnuFile"),
//       ToolCmd(u"ToolButton3", u"actPlay_Rate").Holder(u"mnuPlay_Rate"),
//   };
//   BuildToolBar(bar, kBar, lookup, menus, QSize(25, 24));
//
// - DropDown: the button's arrow opens the menu, a click runs the command.
// - Holder: a click opens the menu; the command is not run (its caption and image are shown).
// - RightMenu: the menu pops up on the right button over the button.
// - A hidden entry is on the bar but not shown (TMyCommandItem::SetProgramHidden for buttons,
//   setVisible(false) for separators); the customisation shows it again.
// - A menu name the menu lookup does not know leaves the button without that menu.

#include <QList>
#include <QSize>
#include <QStringView>

#include <functional>
#include <span>

class QAction;
class QMenu;
class QToolBar;
class QToolButton;
class QWidget;
class TMyCommandItem;

// The command of a name, or nullptr when there is none.
using TMyCommandLookup = std::function<QAction *(QStringView commandName)>;
// The menu of a name, or nullptr when there is none.
using TMyMenuLookup = std::function<QMenu *(QStringView menuName)>;

// One entry of a menu table.
struct TMyMenuEntry {
    int Level = 0;          // 0: an item of the menu itself; n + 1: of the sub-menu above
    QStringView Name;       // component name (the item's objectName)
    QStringView Command;    // the command's name; empty for an item without command
    QStringView Caption;    // a caption of the item's own; empty: the command's
    bool Separator = false;
    bool Default = false;   // the default item of its menu (drawn bold)
    QStringView SubMenu;    // the sub-menu's objectName; empty: the entry's name

    constexpr TMyMenuEntry Bold() const { TMyMenuEntry e = *this; e.Default = true; return e; }
    constexpr TMyMenuEntry Sub(QStringView menuName) const { TMyMenuEntry e = *this; e.SubMenu = menuName; return e; }
};

constexpr TMyMenuEntry MenuCmd(int level, QStringView name, QStringView command)
{
    return {level, name, command, {}, false, false, {}};
}
// An item with a caption of its own: with a command, the caption replaces the command's.
constexpr TMyMenuEntry MenuOwn(int level, QStringView name, QStringView caption, QStringView command = {})
{
    return {level, name, command, caption, false, false, {}};
}
constexpr TMyMenuEntry MenuSep(int level, QStringView name)
{
    return {level, name, {}, {}, true, false, {}};
}

struct TMyMenuOptions {
    // Separators that hidden items leave at the start or end of a (sub-)menu, or next to
    // another separator, are not shown.
    bool CollapseSeparators = true;
    // Items show their command's shortcut after a tab.
    bool ShowShortcuts = true;
    // Items of a command in an exclusive QActionGroup take the radio look (otherwise the check).
    bool RadioItems = true;
};

// Appends the table's items to menu (and makes the sub-menus, children of menu, objectName =
// the holding entry's name). Returns the items made, in table order.
QList<QAction *> BuildMenu(QMenu *menu, std::span<const TMyMenuEntry> table, const TMyCommandLookup &commands,
                           TMyMenuOptions options = {});

// The item named name (letters compared without regard to case) in menu or any sub-menu of it,
// depth-first; nullptr when there is none.
QAction *FindMenuItem(const QMenu *menu, QStringView name);
// Every item of menu and its sub-menus, depth-first (an item before its sub-menu's items).
QList<QAction *> MenuItems(const QMenu *menu);

// One button of a tool bar table.
enum class TMyToolStyle { Button, DropDown, Holder };

struct TMyToolEntry {
    QStringView Name;       // component name (the item's objectName)
    QStringView Command;    // empty for a separator
    bool Shown = true;      // part of the default layout
    TMyToolStyle Style = TMyToolStyle::Button;
    QStringView Menu;       // the drop-down menu (DropDown, Holder)
    QStringView Right;      // the right button's menu

    constexpr TMyToolEntry Hidden() const { TMyToolEntry e = *this; e.Shown = false; return e; }
    constexpr TMyToolEntry DropDown(QStringView menu) const
    {
        TMyToolEntry e = *this;
        e.Style = TMyToolStyle::DropDown;
        e.Menu = menu;
        return e;
    }
    constexpr TMyToolEntry Holder(QStringView menu) const
    {
        TMyToolEntry e = *this;
        e.Style = TMyToolStyle::Holder;
        e.Menu = menu;
        return e;
    }
    constexpr TMyToolEntry RightMenu(QStringView menu) const { TMyToolEntry e = *this; e.Right = menu; return e; }
};

constexpr TMyToolEntry ToolCmd(QStringView name, QStringView command)
{
    return {name, command, true, TMyToolStyle::Button, {}, {}};
}
constexpr TMyToolEntry ToolSep(QStringView name) { return ToolCmd(name, {}); }

// Appends the table's buttons to bar: icon-only, flat, of buttonSize (separators keep the
// style's width). Returns the items made, in table order (separators as plain QActions).
QList<QAction *> BuildToolBar(QToolBar *bar, std::span<const TMyToolEntry> table, const TMyCommandLookup &commands,
                              const TMyMenuLookup &menus, QSize buttonSize);

// The button of the bar whose item is named name (without regard to case); nullptr when none.
QToolButton *FindToolButton(const QToolBar *bar, QStringView name);

// Pops menu up at the mouse when the right button is pressed over widget (replaces the
// widget's own context menu). A null menu does nothing.
void SetRightButtonMenu(QWidget *widget, QMenu *menu);

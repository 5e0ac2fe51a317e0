#pragma once
// The player window's menus and tool bars as data: which command each item or button carries,
// in which order, with which sub-menus, separators and menus, under which component name.
// The menu customisation stores hidden items by these names and the tool bar customisation
// takes the buttons shown here as the default layouts, so the names must not change.
//
// Commands named "App_MEDIAPlaylist.<name>" belong to the playlist window.

#include "widgets/glyphicons.h"
#include "widgets/menubuilder.h"

#include <span>

// The prefix of the playlist window's commands in the tables.
inline constexpr QStringView kPlaylistCommandPrefix = u"App_MEDIAPlaylist.";

// A menu of the player window and its table.
struct TMyPlayerMenu {
    QStringView Name;  // the menu's component name (mnuMain, mnuPopup, mnuFile, ...)
    std::span<const TMyMenuEntry> Table;
    bool CollapseSeparators;  // the main and context menus hide separators left stray
};

// Every menu made from a table, mnuMain and mnuPopup first.
std::span<const TMyPlayerMenu> PlayerMenus();
// The table of a menu by name; empty when there is none.
std::span<const TMyMenuEntry> PlayerMenuTable(QStringView menuName);

std::span<const TMyToolEntry> MainToolBarTable();  // ToolBar_Main
std::span<const TMyToolEntry> PlayToolBarTable();  // ToolBar_Play

// The image of a command (by name, without regard to case), with its checked image as
// QIcon::On for toggles; a null icon for commands without one.
QIcon PlayerCommandIcon(QStringView commandName);

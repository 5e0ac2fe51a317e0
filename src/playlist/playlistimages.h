#pragma once
// The images of the playlist window's commands (user-interface thread: the icons draw
// pixmaps). The tool bar buttons show them; the menus of the window show none.

#include <QIcon>
#include <QStringView>

// The image of a command of the playlist window or its find box (by name, without regard to
// case); a null icon for commands without one.
QIcon PlaylistCommandIcon(QStringView commandName);

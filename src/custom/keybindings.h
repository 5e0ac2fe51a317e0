#pragma once
// Plain-key bindings of the player window: the process-wide tables KeyBindings (the live one)
// and DefaultKeyBindings (the target of "reset").
//
// A binding ties one plain key code (no modifier bits) to a command of ActionList_Main, held by
// name so that the tables need no window. Dispatch takes the first binding of a key. The
// defaults come from the plain keys that ActionList_Main's commands carry (their
// SecondaryShortCuts): for each command in list order, each of its keys that differs from the
// command's previous key gives one binding. Those keys are no shortcuts of the commands
// themselves (TMyActionBuilder leaves them out).
//
// Qt Core only. The tables belong to the user-interface thread.

#include <QList>
#include <QString>

struct T_ShortCutAction {
    quint16 KeyCode = 0;  // a plain key code (keycodes.h)
    QString Command;      // the command's name in ActionList_Main

    bool operator==(const T_ShortCutAction &) const = default;
};

using TMyKeyBindingList = QList<T_ShortCutAction>;

// The live table; on first use a copy of the defaults.
TMyKeyBindingList &KeyBindings();
// The defaults, built once from the catalogue and never changed.
const TMyKeyBindingList &DefaultKeyBindings();

// The command name of the first binding of that key in the list; empty when none.
QString BoundCommand(const TMyKeyBindingList &bindings, quint16 keyCode);

#pragma once
// The modifier keys held right now, as commands that read Shift and Ctrl ask for them. Under X
// the query asks the server, which never sees keys that tests send, so tests set them here.

#include <Qt>

Qt::KeyboardModifiers HeldModifiers();
// Makes HeldModifiers answer these until ClearHeldModifiers (tests).
void SetHeldModifiers(Qt::KeyboardModifiers modifiers);
void ClearHeldModifiers();

inline bool ShiftHeld() { return HeldModifiers() & Qt::ShiftModifier; }
inline bool CtrlHeld() { return HeldModifiers() & Qt::ControlModifier; }

#pragma once
// The program entry: one executable, three roles. With the "property" switch it shows the media
// property window of one file (or raises the one already showing it); with "subplayer" it runs
// the hidden sub-player; otherwise it is the player, unless a player runs already: then the
// command line goes to that one and this process ends.

#include <QString>

#include <functional>

class QWidget;
class TMyParam;

// Runs the program; the exit code.
int TavioMain(int argc, char **argv);

// The name of the single-instance lock.
QString InstanceMutexName();

// The marker file "allow.duplication" in the data folder: while it exists every start opens a
// player of its own and no instance lock is taken.
QString DuplicationMarkerPath();
bool DuplicationAllowed();
// Writes ("allow duplication" and a line break) or deletes the marker; false when that failed.
bool SetAllowDuplication(bool allow);

// Makes the window of a property start; the default is a TApp_MediaProperty.
using PropertyWindowFactory = std::function<QWidget *(const QString &path)>;
void SetPropertyWindowFactory(PropertyWindowFactory factory);

// The running property window of this executable that shows path (visible or minimised); 0 when
// there is none.
int FindPropertyWindowPanel(const QString &path);

// Makes message boxes the lower layers' message handler and installs the beep. With the
// variable TAVIO_MSGBOX_LOG set, message boxes are not shown but accepted, each one appended to
// that file as a line "<caption>\t<text>" (tests of the executable).
void InstallUiHooks();

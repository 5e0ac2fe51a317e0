#pragma once
// Where the program is and where its data files live.

#include <QString>

namespace platform {

// The real path of the running executable.
QString ExecutablePathOS();

// The folder for settings, the resume list, the tag library and the other data files:
// $TAVIO_HOME when set; else the executable's folder when it is writable;
// else $XDG_CONFIG_HOME/tavio (created on demand).
QString DataFolder();

// The executable's file name inside the data folder: the base of "<exe>.ini" and its siblings.
QString DataPathBase();

} // namespace platform

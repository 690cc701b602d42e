// Small facts and services of the desktop and the process that the application asks
// for by name: the user's full name, the per-user folders, the system beep.
#pragma once

#include <QString>

namespace tovin::SystemServices {

// The GECOS field of the user's passwd entry up to its first comma, else the login
// name; "Unknown" only when the process has no passwd entry at all.
QString fullUserName();

// Where Tovin keeps per-user state: $XDG_STATE_HOME/tovin, else ~/.local/state/tovin.
// Whoever writes there creates it, and reports the folder that could not be made.
QString stateDirectory();

// The folder for the single-instance socket: $XDG_RUNTIME_DIR, else Qt's fallback.
QString runtimeDirectory();

// The sound of a refused command.
void beep();

}  // namespace tovin::SystemServices

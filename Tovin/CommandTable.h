// The command table: one row per command of the application, in menu order (identifier,
// menu, title, key, selector, handler, enabling rule). The menu bar, its shortcuts,
// validation, the help's list of keys and the tests read it; adding a command is a row
// here and its handler where its concern lives.
#pragma once

#include <vector>

#include "Tovin/commands/Command.h"
#include "Tovin/commands/MainMenu.h"

namespace tovin {

class AppDelegate;

namespace CommandTable {

// The rows, their handlers bound to the application's delegate and documents.
std::vector<CommandRow> rows(AppDelegate& app);
// The menus' items that are listed as they open: recent files, windows.
std::vector<MainMenu::DynamicItems> dynamicItems(AppDelegate& app);
// Installs both in the process-wide menu.
void install(AppDelegate& app);

}  // namespace CommandTable
}  // namespace tovin

// Who tovin-cli names as the author of tracked changes, comments and replies when --author
// is not given: the same person the desktop application names.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tovin::cli {

// The application's "authorName" setting when it is set, else the system's full name of
// the user (the first field of GECOS), else the login name.
std::string defaultAuthor();

// The value of `key` in the [General] section of a settings file in the INI format the
// application writes: quotes and backslash escapes undone, and only the first item of a
// comma-separated list. Nothing when the file, the key or a value is missing.
std::optional<std::string> iniValue(std::string_view text, std::string_view key);

}  // namespace tovin::cli

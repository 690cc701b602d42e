// How tovin-cli prints: JSON for scripts, and text from files made safe for a terminal.
#pragma once

#include <iosfwd>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace tovin::cli {

// Pretty-printed JSON on standard output; invalid UTF-8 from a file becomes U+FFFD rather
// than an exception half way through the output.
void printJson(const nlohmann::json& value);
// The same on another stream (standard error when the document went to standard output).
void printJson(const nlohmann::json& value, std::ostream& out);

// What a command that wrote `target` from `file` did: "<line>; saved <target>", or with
// `json` the details with the two files named; on standard error when the document went to
// standard output.
void reportSaved(const std::string& file, bool json, const std::string& target, const std::string& line,
                 nlohmann::json details);

// Text from a file (entry names, style names) with control characters shown as \xNN, so
// that one item stays one line.
std::string printable(std::string_view text);

}  // namespace tovin::cli

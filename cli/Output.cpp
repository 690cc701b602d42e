#include "cli/Output.h"

#include <cstdio>
#include <iostream>

#include "cli/DocumentFiles.h"

namespace tovin::cli {

void printJson(const nlohmann::json& value) {
    printJson(value, std::cout);
}

void printJson(const nlohmann::json& value, std::ostream& out) {
    out << value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}

std::string printable(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            shown += escaped;
        } else {
            shown += static_cast<char>(c);
        }
    }
    return shown;
}

void reportSaved(const std::string& file, bool json, const std::string& target, const std::string& line,
                 nlohmann::json details) {
    std::ostream& out = reportStream(target);
    if (!json) {
        out << line << "; saved " << target << '\n';
        return;
    }
    details["file"] = file;
    details["output"] = target;
    printJson(details, out);
}

}  // namespace tovin::cli

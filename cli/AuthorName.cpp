#include "cli/AuthorName.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "RovuVuz/xml/Numbers.h"
#include "RovuVuz/xml/Utf8.h"

namespace tovin::cli {

namespace {

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool isHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// A value as the INI writer spells a string: parts in double quotes keep their spaces and
// commas, a backslash starts an escape (\n, \t, \", \\, \xHHHH), an unquoted comma ends
// the first item of a list, and a leading "@@" stands for "@".
std::string unquoted(std::string_view value) {
    std::string out;
    bool quoted = false;
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            break;
        } else if (c == '\\' && i + 1 < value.size()) {
            const char e = value[++i];
            if (e == 'n')
                out += '\n';
            else if (e == 't')
                out += '\t';
            else if (e == 'r')
                out += '\r';
            else if (e == 'x') {
                size_t end = i + 1;
                while (end < value.size() && end < i + 5 && isHex(value[end])) ++end;
                // A lone surrogate or an empty escape is no character: the replacement one.
                const uint32_t code =
                    rovuvuz::Numbers::hex(value.substr(i + 1, end - i - 1)).value_or(0xFFFD);
                rovuvuz::utf8::appendScalar(out, code >= 0xD800 && code <= 0xDFFF ? 0xFFFD : code);
                i = end - 1;
            } else
                out += e;
        } else {
            out += c;
        }
    }
    if (out.starts_with("@@"))
        out.erase(0, 1);
    else if (out.starts_with("@"))
        return {};  // a typed value (@Invalid(), @ByteArray(…)), not a name
    return out;
}

std::optional<std::string> settingsAuthor() {
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    std::filesystem::path folder;
    if (configHome && *configHome == '/')
        folder = configHome;
    else if (home && *home)
        folder = std::filesystem::path(home) / ".config";
    else
        return std::nullopt;
    // The application keeps its settings in the INI format; a native settings file is read
    // when there is no INI one.
    for (const char* name : {"Tovin/Tovin.ini", "Tovin/Tovin.conf"}) {
        std::ifstream file(folder / name, std::ios::binary);
        if (!file) continue;
        std::ostringstream text;
        text << file.rdbuf();
        return iniValue(text.str(), "authorName");
    }
    return std::nullopt;
}

std::string systemName() {
    const passwd* entry = ::getpwuid(::getuid());
    if (!entry) return "Unknown";
    // GECOS is "Full Name,Room,Work phone,Home phone,Other"; only the name matters.
    const std::string_view gecos = entry->pw_gecos ? entry->pw_gecos : "";
    const std::string_view name = trimmed(gecos.substr(0, gecos.find(',')));
    if (!name.empty()) return std::string(name);
    return entry->pw_name && *entry->pw_name ? entry->pw_name : "Unknown";
}

}  // namespace

std::optional<std::string> iniValue(std::string_view text, std::string_view key) {
    bool general = true;  // keys before any section belong to [General]
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            general = line == "[General]";
            continue;
        }
        const size_t equals = line.find('=');
        if (!general || equals == std::string_view::npos || trimmed(line.substr(0, equals)) != key) continue;
        std::string value = unquoted(trimmed(line.substr(equals + 1)));
        if (value.empty()) return std::nullopt;
        return value;
    }
    return std::nullopt;
}

std::string defaultAuthor() {
    if (auto name = settingsAuthor()) return *name;
    return systemName();
}

}  // namespace tovin::cli

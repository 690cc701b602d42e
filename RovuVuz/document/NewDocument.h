// A new, empty document: a minimal package of our own making with one empty paragraph, a
// page of the chosen paper with one-inch margins, Word's usual styles (Normal, Title,
// Subtitle, Heading 1–3, List Paragraph, Quote, Hyperlink, Table Grid) in Calibri 11 pt,
// a bulleted and a numbered list, settings, and core and application properties naming
// the author and the time. Everything it holds is written here; nothing is copied from a
// template file.
#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "RovuVuz/xml/Bytes.h"

namespace rovuvuz::NewDocument {

enum class Paper : uint8_t { letter, a4 };

struct Options {
    Paper paper = Paper::a4;
    std::string author;  // dc:creator and cp:lastModifiedBy; may be empty
    std::chrono::system_clock::time_point created;
};

// The parts of the package by entry name.
std::map<std::string, std::string> parts(const Options& options);
// The package's bytes.
SharedBytes package(const Options& options);

// The styles part (NewDocumentStyles.cpp).
std::string stylesPart();

// The territory of a POSIX locale name: "en_US.UTF-8" and "es_MX@euro" give "US" and "MX";
// "C", "POSIX", "en" and the empty name give nothing.
std::optional<std::string> territory(std::string_view localeName);
// Letter in the territories that use it (the United States, Canada, Mexico, the
// Philippines and much of Central and South America), A4 everywhere else and without one.
Paper paperFor(const std::optional<std::string>& territory);
// The paper a locale's settings call for: LC_ALL, else LC_PAPER, else LANG (the first one
// set and not empty, as POSIX orders them), by its territory. `variable` answers what a
// variable is set to.
template <typename Lookup>
Paper paperFromEnvironment(Lookup&& variable) {
    for (const char* name : {"LC_ALL", "LC_PAPER", "LANG"}) {
        const std::optional<std::string> value = variable(name);
        if (value && !value->empty()) return paperFor(territory(*value));
    }
    return paperFor(std::nullopt);
}

}  // namespace rovuvuz::NewDocument

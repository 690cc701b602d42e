// The sections part of `tovin-cli page`: every section's page setup, start, page
// numbering, columns and header and footer stories by type, as text and as JSON.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "RovuVuz/document/DocumentSections.h"
#include "RovuVuz/document/DocxDocument.h"

namespace tovin::cli {

struct SectionReport {
    std::vector<rovuvuz::DocumentSection> sections;
    rovuvuz::DocumentSettings settings;
};

SectionReport readSections(rovuvuz::DocxDocument& document);
void printSections(const SectionReport& report);
// {"sections": […], "evenAndOddHeaders": …, "defaultTabStop": …} merged into `out`.
void addSectionsJson(const SectionReport& report, nlohmann::json& out);

// A length in points as the page reports print it: up to two decimals, which show
// twentieths of a point exactly, without trailing zeros.
std::string points(double value);

}  // namespace tovin::cli

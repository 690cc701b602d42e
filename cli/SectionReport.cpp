#include "cli/SectionReport.h"

#include <cstdio>
#include <string>

#include "RovuVuz/document/DocxDocument.h"
#include "cli/Output.h"

namespace tovin::cli {

namespace {

using rovuvuz::DocumentSection;
using rovuvuz::SectionStart;

const char* startName(SectionStart start) {
    switch (start) {
        case SectionStart::continuous: return "continuous";
        case SectionStart::oddPage: return "oddPage";
        case SectionStart::evenPage: return "evenPage";
        case SectionStart::nextColumn: return "nextColumn";
        case SectionStart::nextPage: break;
    }
    return "nextPage";
}

constexpr const char* typeNames[] = {"default", "first", "even"};

std::string storyName(const std::optional<rovuvuz::StoryID>& story) {
    return story ? printable(story->part.rawValue) : "none";
}

nlohmann::json storyJson(const std::optional<rovuvuz::StoryID>& story) {
    return story ? nlohmann::json(story->part.rawValue) : nlohmann::json(nullptr);
}

nlohmann::json bands(const std::array<std::optional<rovuvuz::StoryID>, 3>& stories) {
    nlohmann::json out = nlohmann::json::object();
    for (size_t type = 0; type < 3; ++type) out[typeNames[type]] = storyJson(stories[type]);
    return out;
}

nlohmann::json sectionJson(const DocumentSection& section) {
    const rovuvuz::PageSetup& page = section.setup.page;
    nlohmann::json widths = nlohmann::json::array();
    for (const rovuvuz::Column& column : page.columnList) widths.push_back({{"width", column.width}, {"space", column.space}});
    return {{"page",
             {{"width", page.width},
              {"height", page.height},
              {"orientation", page.landscape ? "landscape" : "portrait"},
              {"top", page.top},
              {"right", page.right},
              {"bottom", page.bottom},
              {"left", page.left},
              {"gutter", page.gutter},
              {"header", page.header},
              {"footer", page.footer}}},
            {"columns",
             {{"count", page.columns},
              {"space", page.columnSpace},
              {"equalWidth", page.columnList.empty()},
              {"separator", page.columnSeparator},
              {"columns", widths}}},
            {"start", startName(section.setup.start)},
            {"titlePage", section.setup.titlePage},
            {"pageNumbers",
             {{"format", section.setup.pageNumberFormat ? nlohmann::json(*section.setup.pageNumberFormat)
                                                        : nlohmann::json(nullptr)},
              {"start", section.setup.pageNumberStart ? nlohmann::json(*section.setup.pageNumberStart)
                                                      : nlohmann::json(nullptr)}}},
            {"headers", bands(section.headers)},
            {"footers", bands(section.footers)}};
}

void printBands(const char* label, const std::array<std::optional<rovuvuz::StoryID>, 3>& stories) {
    std::printf("  %-9s default %s, first %s, even %s\n", label, storyName(stories[0]).c_str(),
                storyName(stories[1]).c_str(), storyName(stories[2]).c_str());
}

}  // namespace

std::string points(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    std::string shown = text;
    while (shown.back() == '0') shown.pop_back();
    if (shown.back() == '.') shown.pop_back();
    return shown;
}


SectionReport readSections(rovuvuz::DocxDocument& document) {
    return {document.sections(), document.settings()};
}

void printSections(const SectionReport& report) {
    std::printf("sections   %zu (even and odd headers %s, default tab stop %s pt)\n", report.sections.size(),
                report.settings.evenAndOddHeaders ? "on" : "off", points(report.settings.defaultTabStop).c_str());
    for (size_t i = 0; i < report.sections.size(); ++i) {
        const DocumentSection& section = report.sections[i];
        const rovuvuz::PageSetup& page = section.setup.page;
        std::printf("section %zu  starts %s%s\n", i + 1, startName(section.setup.start),
                    section.setup.titlePage ? ", title page" : "");
        std::printf("  size      %s x %s pt %s\n", points(page.width).c_str(), points(page.height).c_str(),
                    page.landscape ? "landscape" : "portrait");
        std::printf("  margins   top %s, right %s, bottom %s, left %s, gutter %s pt\n", points(page.top).c_str(),
                    points(page.right).c_str(), points(page.bottom).c_str(), points(page.left).c_str(),
                    points(page.gutter).c_str());
        std::printf("  distances header %s, footer %s pt\n", points(page.header).c_str(), points(page.footer).c_str());
        std::printf("  columns   %d, space %s pt%s%s\n", page.columns, points(page.columnSpace).c_str(),
                    page.columnList.empty() ? "" : ", unequal", page.columnSeparator ? ", separator" : "");
        std::printf("  numbers   %s, %s\n",
                    printable(section.setup.pageNumberFormat.value_or("decimal")).c_str(),
                    section.setup.pageNumberStart
                        ? ("restart at " + std::to_string(*section.setup.pageNumberStart)).c_str()
                        : "continue");
        printBands("headers", section.headers);
        printBands("footers", section.footers);
    }
}

void addSectionsJson(const SectionReport& report, nlohmann::json& out) {
    nlohmann::json sections = nlohmann::json::array();
    for (const DocumentSection& section : report.sections) sections.push_back(sectionJson(section));
    out["sections"] = std::move(sections);
    out["evenAndOddHeaders"] = report.settings.evenAndOddHeaders;
    out["defaultTabStop"] = report.settings.defaultTabStop;
}

}  // namespace tovin::cli

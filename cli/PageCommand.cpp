// `tovin-cli page FILE [--json]`: the page the document is shown on (the final section's
// size, margins and columns, in points), its default header and footer parts, and how
// paragraph spacing adds up; then every section (SectionReport.h).
#include <cstdio>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/format/Sections.h"
#include "cli/Commands.h"
#include "cli/DocumentFiles.h"
#include "cli/Output.h"
#include "cli/SectionReport.h"

namespace tovin::cli {

namespace {

struct PageOptions {
    std::string file;
    bool json = false;
};

struct PageReport {
    rovuvuz::PageSetup page;
    std::optional<std::string> header;
    std::optional<std::string> footer;
    bool sumsSpacing = false;
    SectionReport sections;
};

void printText(const PageReport& report) {
    const rovuvuz::PageSetup& page = report.page;
    std::printf("size       %s x %s pt\n", points(page.width).c_str(), points(page.height).c_str());
    std::printf("margins    top %s, right %s, bottom %s, left %s pt\n", points(page.top).c_str(),
                points(page.right).c_str(), points(page.bottom).c_str(), points(page.left).c_str());
    std::printf("distances  header %s, footer %s pt\n", points(page.header).c_str(),
                points(page.footer).c_str());
    std::printf("columns    %d\n", page.columns);
    std::printf("header     %s\n", report.header.value_or("none").c_str());
    std::printf("footer     %s\n", report.footer.value_or("none").c_str());
    std::printf("spacing    %s\n",
                report.sumsSpacing ? "sum of after and before" : "larger of after and before");
    printSections(report.sections);
}

void printPageJson(const std::string& file, const PageReport& report) {
    const rovuvuz::PageSetup& page = report.page;
    const auto part = [](const std::optional<std::string>& name) {
        return name ? nlohmann::json(*name) : nlohmann::json(nullptr);
    };
    nlohmann::json out{{"file", file},
                             {"page",
                              {{"width", page.width},
                               {"height", page.height},
                               {"top", page.top},
                               {"right", page.right},
                               {"bottom", page.bottom},
                               {"left", page.left},
                               {"header", page.header},
                               {"footer", page.footer},
                               {"columns", page.columns}}},
                             {"defaultHeader", part(report.header)},
                             {"defaultFooter", part(report.footer)},
                             {"sumsParagraphSpacing", report.sumsSpacing}};
    addSectionsJson(report.sections, out);
    printJson(out);
}

void runPage(const PageOptions& options) {
    onFile(options.file, [&] {
        const auto document = openDocument(options.file);
        PageReport report;
        report.page = document->pageSetup();
        if (const auto header = document->defaultHeader()) report.header = header->part.rawValue;
        if (const auto footer = document->defaultFooter()) report.footer = footer->part.rawValue;
        report.sumsSpacing = document->sumsParagraphSpacing();
        report.sections = readSections(*document);
        if (options.json)
            printPageJson(options.file, report);
        else
            printText(report);
    });
}

}  // namespace

void addPageCommand(CLI::App& app) {
    auto options = std::make_shared<PageOptions>();
    CLI::App* command = app.add_subcommand(
        "page", "Show the page setup, the default header and footer, and the spacing rule");
    command->add_option("FILE", options->file, "The .docx file")->required();
    command->add_flag("--json", options->json, "Print the report as JSON");
    command->callback([options] { runPage(*options); });
}

}  // namespace tovin::cli

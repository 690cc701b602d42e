// `tovin-cli styles FILE [--json]`: the paragraph styles a style menu offers, in menu order
// (priority, then name), with their ids.
#include <cstdio>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/format/Styles.h"
#include "cli/Commands.h"
#include "cli/DocumentFiles.h"
#include "cli/Output.h"

namespace tovin::cli {

namespace {

struct StylesOptions {
    std::string file;
    bool json = false;
};


void printTable(const rovuvuz::StyleSheet& sheet) {
    std::printf("%8s  %-24s  %s\n", "priority", "id", "name");
    for (const rovuvuz::Style& style : sheet.menu())
        std::printf("%8d  %-24s  %s\n", style.priority, printable(style.id.rawValue).c_str(),
                    printable(style.name).c_str());
}

void printStylesJson(const std::string& file, const rovuvuz::StyleSheet& sheet) {
    nlohmann::json styles = nlohmann::json::array();
    for (const rovuvuz::Style& style : sheet.menu())
        styles.push_back({{"id", style.id.rawValue}, {"name", style.name}, {"priority", style.priority}});
    const auto& fallback = sheet.defaultParagraphStyle;
    const nlohmann::json out{
        {"file", file},
        {"defaultParagraphStyle", fallback ? nlohmann::json(fallback->rawValue) : nullptr},
        {"styles", styles}};
    // Names from the file need not be valid UTF-8.
    printJson(out);
}

void runStyles(const StylesOptions& options) {
    onFile(options.file, [&] {
        const auto document = openDocument(options.file);
        const rovuvuz::StyleSheet& sheet = document->styles();
        if (options.json)
            printStylesJson(options.file, sheet);
        else
            printTable(sheet);
    });
}

}  // namespace

void addStylesCommand(CLI::App& app) {
    auto options = std::make_shared<StylesOptions>();
    CLI::App* command =
        app.add_subcommand("styles", "List the paragraph styles of the style menu: id, name, priority");
    command->add_option("FILE", options->file, "The .docx file")->required();
    command->add_flag("--json", options->json, "Print the list as JSON");
    command->callback([options] { runStyles(*options); });
}

}  // namespace tovin::cli

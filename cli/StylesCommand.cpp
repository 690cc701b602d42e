// `tovin-cli styles FILE [--json]`: the paragraph styles a style menu offers, in menu order
// (priority, then name), with their ids.
#include <cstdio>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "RovuVuz/DocxDocument.h"
#include "RovuVuz/Styles.h"
#include "cli/Commands.h"

namespace tovin::cli {

namespace {

struct StylesOptions {
    std::string file;
    bool json = false;
};

// Style names and ids come from the file; control characters would break the
// one-line-per-style layout.
std::string printable(const std::string& text) {
    std::string shown;
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

void printTable(const rovuvuz::StyleSheet& sheet) {
    std::printf("%8s  %-24s  %s\n", "priority", "id", "name");
    for (const rovuvuz::Style& style : sheet.menu())
        std::printf("%8d  %-24s  %s\n", style.priority, printable(style.id.rawValue).c_str(),
                    printable(style.name).c_str());
}

void printJson(const std::string& file, const rovuvuz::StyleSheet& sheet) {
    nlohmann::json styles = nlohmann::json::array();
    for (const rovuvuz::Style& style : sheet.menu())
        styles.push_back({{"id", style.id.rawValue}, {"name", style.name}, {"priority", style.priority}});
    const auto& fallback = sheet.defaultParagraphStyle;
    const nlohmann::json out{
        {"file", file},
        {"defaultParagraphStyle", fallback ? nlohmann::json(fallback->rawValue) : nullptr},
        {"styles", styles}};
    // Names from the file need not be valid UTF-8.
    std::cout << out.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}

void runStyles(const StylesOptions& options) {
    onFile(options.file, [&] {
        const auto document = rovuvuz::DocxDocument::open(options.file);
        const rovuvuz::StyleSheet& sheet = document->styles();
        if (options.json)
            printJson(options.file, sheet);
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

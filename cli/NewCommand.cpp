// `tovin-cli new OUT.docx [--paper letter|a4] [--author NAME] [--date ISO] [--force]
// [--json]`: writes a new, empty document: one empty paragraph on a page of the paper with
// one-inch margins, the usual styles in Calibri 11 pt, a bulleted and a numbered list.
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/document/NewDocument.h"
#include "RovuVuz/model/IsoDate.h"
#include "cli/AuthorName.h"
#include "cli/Commands.h"
#include "cli/DocumentFiles.h"
#include "cli/Output.h"

namespace tovin::cli {

namespace {

namespace NewDocument = rovuvuz::NewDocument;

struct NewOptions {
    std::string output;
    std::string paper;   // empty: from the locale
    std::string author;  // empty: the default author
    std::string date;    // empty: now
    bool force = false;
    bool json = false;
};

NewDocument::Paper paperOf(const std::string& name) {
    if (name == "letter") return NewDocument::Paper::letter;
    if (name == "a4") return NewDocument::Paper::a4;
    return NewDocument::paperFromEnvironment([](const char* variable) -> std::optional<std::string> {
        const char* value = std::getenv(variable);
        return value ? std::optional<std::string>(value) : std::nullopt;
    });
}

void runNew(const NewOptions& options) {
    NewDocument::Options document{paperOf(options.paper),
                                  options.author.empty() ? defaultAuthor() : options.author,
                                  std::chrono::system_clock::now()};
    if (!options.date.empty()) {
        const auto date = rovuvuz::IsoDate::parse(options.date);
        if (!date) throw CLI::ValidationError("--date", "expected YYYY-MM-DDTHH:MM:SSZ, got " + options.date);
        document.created = *date;
    }
    if (options.output != "-" && !options.force && std::filesystem::exists(options.output))
        throw FileError(options.output, "already exists (pass --force to replace it)");
    // Opened like any document, so the save checks the new package as it checks every save.
    const auto opened = onFile(options.output, [&] {
        return std::make_unique<rovuvuz::DocxDocument>(NewDocument::package(document));
    });
    saveDocument(*opened, options.output);
    std::ostream& out = reportStream(options.output);
    const std::string paper = document.paper == NewDocument::Paper::letter ? "letter" : "a4";
    if (options.json) {
        printJson({{"output", options.output}, {"paper", paper}, {"author", document.author},
                   {"created", rovuvuz::IsoDate::format(document.created)}},
                  out);
        return;
    }
    out << "new document " << options.output << ": " << paper << ", by " << document.author << '\n';
}

}  // namespace

void addNewCommand(CLI::App& app) {
    auto options = std::make_shared<NewOptions>();
    CLI::App* command = app.add_subcommand("new", "Write a new, empty document");
    command->footer(
        "Without --paper the paper follows the locale: LC_ALL, else LC_PAPER, else LANG (the first that is set "
        "and not empty); its territory US, CA, MX, PH, PR, CL, CO, VE, CR, GT, SV, NI, PA or DO gives Letter "
        "(8.5 x 11 in), any other territory, and a locale without one (C, POSIX), gives A4.");
    command->add_option("OUT", options->output, "The new .docx file ('-' for standard output)")->required();
    command->add_option("--paper", options->paper, "letter or a4")
        ->check(CLI::IsMember({"letter", "a4"}));
    command->add_option("--author", options->author, "The author the document's properties name");
    command->add_option("--date", options->date, "Creation time, YYYY-MM-DDTHH:MM:SSZ (default: now)");
    command->add_flag("--force", options->force, "Replace OUT when it exists");
    command->add_flag("--json", options->json, "Print as JSON");
    command->callback([options] { runNew(*options); });
}

}  // namespace tovin::cli

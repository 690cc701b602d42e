// `tovin-cli parts FILE [--json]`: the ZIP entries of a package in archive order, with
// method, sizes and CRC-32 as the central directory records them.
#include <cstdio>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "RovuVuz/package/ZipArchive.h"
#include "cli/Commands.h"
#include "cli/DocumentFiles.h"
#include "cli/Output.h"

namespace tovin::cli {

namespace {

struct PartsOptions {
    std::string file;
    bool json = false;
};

std::string methodName(uint16_t method) {
    switch (method) {
        case 0:
            return "stored";
        case 8:
            return "deflate";
        default:
            return "method " + std::to_string(method);
    }
}

std::string hex32(uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}


void printTable(const rovuvuz::ZipArchive& archive) {
    std::printf("%-10s %12s %12s  %-8s  %s\n", "method", "compressed", "uncompressed", "crc32", "name");
    for (const auto& entry : archive.entries())
        std::printf("%-10s %12zu %12zu  %-8s  %s\n", methodName(entry.method).c_str(), entry.compressedSize,
                    entry.uncompressedSize, hex32(entry.crc32).c_str(), printable(entry.name).c_str());
}

void printPartsJson(const std::string& file, const rovuvuz::ZipArchive& archive) {
    nlohmann::json entries = nlohmann::json::array();
    for (const auto& entry : archive.entries())
        entries.push_back({{"name", entry.name},
                           {"method", entry.method},
                           {"methodName", methodName(entry.method)},
                           {"compressedSize", entry.compressedSize},
                           {"uncompressedSize", entry.uncompressedSize},
                           {"crc32", hex32(entry.crc32)}});
    // Entry names are repaired to valid UTF-8 when read; the file name may not be.
    const nlohmann::json out{{"file", file}, {"entries", entries}};
    printJson(out);
}

void runParts(const PartsOptions& options) {
    onFile(options.file, [&] {
        const rovuvuz::ZipArchive archive(readInput(options.file));
        if (options.json)
            printPartsJson(options.file, archive);
        else
            printTable(archive);
    });
}

}  // namespace

void addPartsCommand(CLI::App& app) {
    auto options = std::make_shared<PartsOptions>();
    CLI::App* command = app.add_subcommand("parts", "List the ZIP entries of a package in archive order");
    command->add_option("FILE", options->file, "The .docx (or any ZIP) file")->required();
    command->add_flag("--json", options->json, "Print the list as JSON");
    command->callback([options] { runParts(*options); });
}

}  // namespace tovin::cli

// `tovin-cli parts FILE [--json]`: the ZIP entries of a package in archive order, with
// method, sizes and CRC-32 as the central directory records them.
#include <cstdio>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "RovuVuz/ZipArchive.h"
#include "cli/Commands.h"

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

// Names come from untrusted files; control characters would break the one-line-per-entry
// layout, so they are shown as \xNN.
std::string printable(const std::string& name) {
    std::string shown;
    for (unsigned char c : name) {
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

void printTable(const rovuvuz::ZipArchive& archive) {
    std::printf("%-10s %12s %12s  %-8s  %s\n", "method", "compressed", "uncompressed", "crc32", "name");
    for (const auto& entry : archive.entries())
        std::printf("%-10s %12zu %12zu  %-8s  %s\n", methodName(entry.method).c_str(), entry.compressedSize,
                    entry.uncompressedSize, hex32(entry.crc32).c_str(), printable(entry.name).c_str());
}

void printJson(const std::string& file, const rovuvuz::ZipArchive& archive) {
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
    std::cout << out.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}

void runParts(const PartsOptions& options) {
    const rovuvuz::Bytes bytes = readInput(options.file);
    onFile(options.file, [&] {
        const rovuvuz::ZipArchive archive(rovuvuz::share(bytes));
        if (options.json)
            printJson(options.file, archive);
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

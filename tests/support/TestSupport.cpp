#include "support/TestSupport.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "RovuVuz/package/ZipArchive.h"

#ifndef TOVIN_CORPUS_DIR
#define TOVIN_CORPUS_DIR "../shared/corpus"
#endif

namespace rovuvuz::testing {

std::vector<std::filesystem::path> corpusFiles() {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(TOVIN_CORPUS_DIR, error))
        if (entry.path().extension() == ".docx") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

SharedBytes makePackage(const std::vector<std::pair<std::string, std::string>>& parts) {
    // An empty archive is just its end record.
    Bytes empty = {0x50, 0x4B, 0x05, 0x06};
    empty.resize(22, 0);
    ZipArchive::Replacements replacing;
    for (const auto& [name, contents] : parts) replacing.emplace(name, asBytes(contents));
    return ZipArchive(share(std::move(empty))).write(replacing);
}

std::vector<std::pair<std::string, std::string>> minimalDocument(std::string_view bodyXml,
                                                                 std::string_view documentRels) {
    const std::string types =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types "
        "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Override PartName=\"/word/document.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/></Types>";
    const std::string packageRels =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
        "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
        "Target=\"word/document.xml\"/></Relationships>";
    const std::string rels =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
        "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" +
        std::string(documentRels) + "</Relationships>";
    const std::string document =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:document "
        "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>" +
        std::string(bodyXml) + "</w:body></w:document>";
    return {{"[Content_Types].xml", types},
            {"_rels/.rels", packageRels},
            {"word/_rels/document.xml.rels", rels},
            {"word/document.xml", document}};
}

std::string rel(std::string_view id, std::string_view kind, std::string_view target, bool external) {
    return "<Relationship Id=\"" + std::string(id) +
           "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/" + std::string(kind) +
           "\" Target=\"" + std::string(target) + "\"" + (external ? " TargetMode=\"External\"" : "") + "/>";
}

size_t count(std::string_view haystack, std::string_view needle) {
    size_t n = 0;
    for (size_t at = haystack.find(needle); at != std::string_view::npos; at = haystack.find(needle, at + 1)) ++n;
    return n;
}

std::string parameterName(const std::filesystem::path& path) {
    std::string name = path.stem().string();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

}  // namespace rovuvuz::testing

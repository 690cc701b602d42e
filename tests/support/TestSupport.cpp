#include "support/TestSupport.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "RovuVuz/package/ZipArchive.h"
#include "RovuVuz/xml/Markup.h"
#include "RovuVuz/xml/XMLTree.h"

#ifndef TOVIN_CORPUS_DIR
#define TOVIN_CORPUS_DIR "../shared/corpus"
#endif

namespace rovuvuz::testing {

namespace {

constexpr std::string_view mainNamespace = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";

struct Rewrite {
    ByteRange range;
    std::string text;
};

// Whether the part can take the new binding without two names meaning one thing.
bool canRebind(const XMLTree& tree, const MainBinding& binding) {
    bool usesW = false;
    for (size_t i = 0; i < tree.nodeCount(); ++i) {
        const int node = static_cast<int>(i);
        if (tree.kind(node) != XMLTree::Kind::element) continue;
        const std::string_view element = tree.nameView(node);
        usesW = usesW || Markup::prefixOf(element) == "w";
        if (Markup::prefixOf(element) == binding.elements) return false;  // "" also catches unprefixed ones
        std::vector<std::string> names = tree.attributeNames(node);
        for (const std::string& name : names) {
            if (name == "xmlns:w" && tree.attribute(node, name) != mainNamespace) return false;
            if (name == "xmlns" || name == "xmlns:" + binding.elements ||
                name == "xmlns:" + binding.attributes)
                return false;
            if (Markup::prefixOf(name) == "w") {
                const std::string renamed = Markup::qualified(binding.attributes, Markup::localOf(name));
                if (std::find(names.begin(), names.end(), renamed) != names.end()) return false;
            }
        }
    }
    return usesW;
}

std::string quoted(std::string_view raw, char originalQuote, bool singleQuotes) {
    if (!singleQuotes || originalQuote == '\'') return originalQuote + std::string(raw) + originalQuote;
    std::string value = "'";
    for (char c : raw) value += c == '\'' ? std::string("&apos;") : std::string(1, c);
    return value + "'";
}

std::string declarations(const MainBinding& binding) {
    const std::string uri = "\"" + std::string(mainNamespace) + "\"";
    std::string text = (binding.elements.empty() ? "xmlns=" : "xmlns:" + binding.elements + "=") + uri;
    if (binding.attributes != binding.elements && !binding.attributes.empty())
        text += " xmlns:" + binding.attributes + "=" + uri;
    return text;
}

}  // namespace

std::optional<std::string> rebindMainNamespace(std::string_view part, const MainBinding& binding) {
    std::optional<XMLTree> parsed;
    try {
        parsed.emplace(asBytes(part));
    } catch (const XMLError&) {
        return std::nullopt;
    }
    const XMLTree& tree = *parsed;
    if (!canRebind(tree, binding)) return std::nullopt;
    std::vector<Rewrite> rewrites;
    const auto chars = [&](ByteRange range) {
        return std::string_view(part).substr(range.lower, range.size());
    };
    for (size_t i = 0; i < tree.nodeCount(); ++i) {
        const int node = static_cast<int>(i);
        if (tree.kind(node) != XMLTree::Kind::element) continue;
        const std::string_view element = tree.nameView(node);
        if (Markup::prefixOf(element) == "w") {
            const std::string renamed = Markup::qualified(binding.elements, Markup::localOf(element));
            rewrites.push_back({tree.nameRange(node), renamed});
            if (!tree.isSelfClosing(node)) {
                const size_t endTag = part.rfind("</", tree.range(node).upper - 1) + 2;
                rewrites.push_back({ByteRange{endTag, endTag + element.size()}, renamed});
            }
        }
        for (size_t a = 0; a < tree.attributeCount(node); ++a) {
            const XMLTree::Attribute attribute = tree.attributeAt(node, a);
            const std::string_view name = chars(attribute.name);
            const char quote = part[attribute.value.lower - 1];
            const std::string value = quoted(chars(attribute.value), quote, binding.singleQuotes);
            std::string text;
            if (name == "xmlns:w")
                text = declarations(binding);
            else if (Markup::prefixOf(name) == "w")
                text = Markup::qualified(binding.attributes, Markup::localOf(name)) + "=" + value;
            else if (binding.singleQuotes)
                text = std::string(name) + "=" + value;
            else
                continue;
            if (binding.singleQuotes && name == "xmlns:w") std::replace(text.begin(), text.end(), '"', '\'');
            rewrites.push_back({ByteRange{attribute.name.lower, attribute.value.upper + 1}, std::move(text)});
        }
    }
    std::sort(rewrites.begin(), rewrites.end(),
              [](const Rewrite& a, const Rewrite& b) { return a.range.lower < b.range.lower; });
    std::string result;
    size_t at = 0;
    for (const Rewrite& rewrite : rewrites) {
        result.append(part.substr(at, rewrite.range.lower - at));
        result += rewrite.text;
        at = rewrite.range.upper;
    }
    result.append(part.substr(at));
    return result;
}

std::optional<SharedBytes> rebindPackage(const SharedBytes& package, const std::vector<std::string>& parts,
                                         const MainBinding& binding, std::vector<std::string>* rebound) {
    const ZipArchive archive(package);
    std::vector<std::pair<std::string, std::string>> texts;
    const auto rebind = [&](const std::string& name) {
        const Bytes contents = archive.contents(name);
        auto text = rebindMainNamespace(asChars(contents), binding);
        if (text) texts.emplace_back(name, std::move(*text));
        return text.has_value();
    };
    for (const std::string& name : parts)
        if (!archive.entry(name) || !rebind(name)) return std::nullopt;
    if (parts.empty()) {
        for (const ZipArchive::Entry& entry : archive.entries())
            if (entry.name.ends_with(".xml") && rebind(entry.name) && rebound) rebound->push_back(entry.name);
    }
    ZipArchive::Replacements replacing;
    for (const auto& [name, text] : texts) replacing.emplace(name, asBytes(text));
    return archive.write(replacing);
}

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

SharedBytes packageWith(std::string_view bodyXml, const std::vector<RelatedPart>& parts,
                        std::string_view documentRels) {
    std::string rels(documentRels);
    for (size_t i = 0; i < parts.size(); ++i) rels += rel("rIdP" + std::to_string(i + 1), parts[i].kind, parts[i].name);
    auto all = minimalDocument(bodyXml, rels);
    for (const RelatedPart& part : parts) all.emplace_back("word/" + part.name, part.xml);
    return makePackage(all);
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

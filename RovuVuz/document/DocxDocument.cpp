#include "RovuVuz/document/DocxDocument.h"

#include <algorithm>

#include "RovuVuz/model/Serializer.h"
#include "RovuVuz/package/FileIO.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz {

namespace {

std::optional<StoryID> storyForKind(std::string_view kind, const PartName& part) {
    if (kind == "header") return StoryID::header(part);
    if (kind == "footer") return StoryID::footer(part);
    if (kind == "footnotes") return StoryID::footnotes();
    if (kind == "endnotes") return StoryID::endnotes();
    if (kind == "comments") return StoryID::comments();
    return std::nullopt;
}

std::string_view kindOf(StoryID::Kind kind) {
    switch (kind) {
        case StoryID::Kind::footnotes: return "footnotes";
        case StoryID::Kind::endnotes: return "endnotes";
        case StoryID::Kind::comments: return "comments";
        default: return {};
    }
}

}  // namespace

DocxDocument::DocxDocument(SharedBytes data) : archive_(std::move(data)) {
    SharedBytes keepAlive;
    const Relationships package(PartName(), storedBytes("_rels/.rels", keepAlive));
    const Relationship* office = nullptr;
    for (const Relationship& r : package.all) {
        // Ends with "/officeDocument": both the transitional and the strict type.
        if (r.type.size() >= 15 && std::string_view(r.type).ends_with("/officeDocument")) {
            office = &r;
            break;
        }
    }
    const auto main = office ? package.part(*office) : std::nullopt;
    if (!main || main->empty()) throw DocxError(DocxErrorCode::noMainDocument);
    mainPart_ = *main;
    relationships_ = Relationships(mainPart_, storedBytes(Relationships::relsName(mainPart_), keepAlive));
}

std::unique_ptr<DocxDocument> DocxDocument::open(const std::filesystem::path& path) {
    return std::make_unique<DocxDocument>(FileIO::read(path));
}

std::optional<ByteView> DocxDocument::storedBytes(std::string_view name, SharedBytes& keepAlive) const {
    try {
        if (!hasPart(name)) return std::nullopt;
        keepAlive = contents(name);
        return ByteView(*keepAlive);
    } catch (const ZipError&) {
        return std::nullopt;
    }
}

std::vector<StoryID> DocxDocument::storyIDs() const {
    std::vector<StoryID> ids{StoryID::body()};
    for (const Relationship& r : relationships_.all) {
        const auto target = relationships_.part(r);
        if (!target || !hasPart(target->rawValue)) continue;
        auto id = storyForKind(r.kind(), *target);
        if (id && std::find(ids.begin(), ids.end(), *id) == ids.end()) ids.push_back(std::move(*id));
    }
    return ids;
}

std::optional<PartName> DocxDocument::part(const StoryID& story) const {
    switch (story.kind) {
        case StoryID::Kind::header:
        case StoryID::Kind::footer: return story.part;
        case StoryID::Kind::body: return mainPart_;
        default: break;
    }
    const auto found = relationships_.of(kindOf(story.kind));
    if (found.empty()) return std::nullopt;
    return relationships_.part(found.front());
}

bool DocxDocument::hasPart(std::string_view name) const {
    return cache_.added.count(name) > 0 || archive_.entry(name) != nullptr;
}

SharedBytes DocxDocument::contents(std::string_view name) const {
    const auto pending = cache_.added.find(name);
    if (pending != cache_.added.end()) return pending->second;
    return share(archive_.contents(name));
}

std::vector<PartName> DocxDocument::partNames() const {
    std::vector<PartName> names;
    for (const ZipArchive::Entry& entry : archive_.entries())
        if (!entry.name.ends_with('/')) names.emplace_back(entry.name);
    return names;
}

DocxDocument::Cache::PartSource DocxDocument::partSource(std::string_view kind) const {
    const auto related = relationships_.of(kind);
    if (related.empty()) return {};
    auto part = relationships_.part(related.front());
    if (!part) return {};
    const auto pending = cache_.added.find(part->rawValue);
    return {std::move(part), pending == cache_.added.end() ? nullptr : pending->second};
}

SharedBytes DocxDocument::partBytes(const Cache::PartSource& source) const {
    if (source.pending) return source.pending;
    if (!source.part || !hasPart(source.part->rawValue)) return nullptr;
    try {
        return contents(source.part->rawValue);
    } catch (const std::exception&) {
        return nullptr;
    }
}

SharedBytes DocxDocument::storyContents(std::string_view name) {
    if (cache_.added.count(name)) return contents(name);
    if (const auto found = inflated_.find(name); found != inflated_.end()) return found->second.contents;
    DeflateSplice::BlockMap blocks;
    SharedBytes bytes = share(archive_.contents(name, blocks));
    if (!blocks.empty()) inflated_[std::string(name)] = {bytes, std::move(blocks)};
    return bytes;
}

Story& DocxDocument::story(const StoryID& id) {
    const auto name = part(id);
    if (!name || !hasPart(name->rawValue)) throw DocxError(DocxErrorCode::unknownStory, id);
    auto found = stories_.find(*name);
    if (found != stories_.end()) return *found->second;
    std::unique_ptr<Story> parsed;
    try {
        parsed = std::make_unique<Story>(*name, storyContents(name->rawValue), nullptr, mint_);
    } catch (const XMLError& error) {
        // Never an empty story in its place: a save would write it back empty. The story is
        // refused on every use, and the part, untouched, is saved as it was read.
        throw DocxError(DocxErrorCode::damagedPart, DocxError::Detail{id, *name, std::nullopt, error.what()});
    }
    return *stories_.emplace(*name, std::move(parsed)).first->second;
}

std::pair<Story*, Paragraph*> DocxDocument::paragraph(ParagraphID id, const StoryID& storyID) {
    Story& s = story(storyID);
    if (Paragraph* p = s.findParagraph(id, mint_)) return {&s, p};
    throw DocxError(DocxErrorCode::unknownParagraph, storyID);
}

PartMap DocxDocument::replacements() {
    PartMap result = cache_.added;
    for (const auto& [name, s] : stories_) {
        if (!s->touched) continue;
        Bytes bytes = s->serialized();
        if (bytes == *s->source) continue;
        result[name.rawValue] = share(std::move(bytes));
    }
    return result;
}

SharedBytes DocxDocument::partData(const PartName& name) {
    const auto found = stories_.find(name);
    if (found != stories_.end()) return share(found->second->serialized());
    return contents(name.rawValue);
}

std::set<PartName> DocxDocument::dirtyParts() {
    std::set<PartName> parts;
    for (const auto& [name, bytes] : replacements()) parts.insert(PartName(name));
    return parts;
}

SharedBytes DocxDocument::image(const PartMap& parts, bool splice) const {
    ZipArchive::Replacements replacing;
    ZipArchive::SpliceSources splicing;
    for (const auto& [name, bytes] : parts) {
        replacing.emplace(name, ByteView(*bytes));
        const auto found = inflated_.find(name);
        if (splice && found != inflated_.end())
            splicing.emplace(name, ZipArchive::SpliceSource{&found->second.blocks, *found->second.contents});
    }
    return archive_.write(replacing, splicing, splicePolicy_);
}

SharedBytes DocxDocument::checkedImage(const PartMap& parts, bool verifyAll) const {
    checkXMLParts(parts);
    const bool splicing =
        splicePolicy_.enabled &&
        std::any_of(parts.begin(), parts.end(), [&](const auto& p) { return inflated_.count(p.first); });
    if (splicing) {
        // A splice fault must never reach a file: the spliced image is read back first.
        const SharedBytes spliced = image(parts, true);
        try {
            verifyImage(spliced, parts);
            return spliced;
        } catch (const ZipError&) {
        }
    }
    const SharedBytes whole = image(parts, false);
    if (verifyAll) {
        try {
            verifyImage(whole, parts);
        } catch (const ZipError& error) {
            // The new image did not read back as written: a fault of the writer, not of the
            // document the user opened, so it is not reported as a damaged archive.
            throw DocxError(DocxErrorCode::writeCheckFailed,
                            DocxError::Detail{std::nullopt, PartName(error.entryName()), std::nullopt, error.what()});
        }
    }
    return whole;
}

SharedBytes DocxDocument::data() { return checkedImage(replacements(), false); }

SharedBytes DocxDocument::checkedData() { return checkedImage(replacements(), true); }

void DocxDocument::write(const std::filesystem::path& path) {
    FileIO::writeAtomically(path, *checkedData());
}

void DocxDocument::verifyImage(const SharedBytes& image, const PartMap& replaced) const {
    // Never write what the reader would not take back exactly: every untouched entry keeps
    // its local record byte for byte, every new or replaced one inflates with its CRC.
    const ZipArchive written(image);
    const Bytes& oldBytes = *archive_.data();
    const Bytes& newBytes = *image;
    for (const auto& entry : archive_.entries()) {
        if (replaced.count(entry.name)) continue;
        const auto* copy = written.entry(entry.name);
        if (!copy || copy->localRecord.size() != entry.localRecord.size() ||
            !std::equal(oldBytes.begin() + entry.localRecord.lower, oldBytes.begin() + entry.localRecord.upper,
                        newBytes.begin() + copy->localRecord.lower))
            throw ZipError(ZipErrorCode::truncated, entry.name);
    }
    for (const auto& [name, bytes] : replaced) {
        if (written.contents(name) != *bytes) throw ZipError(ZipErrorCode::crcMismatch, name);
    }
}

namespace {

// The largest integer value of an attribute ending in `pattern` ("…id="), either quote.
int64_t largestValue(std::string_view text, std::string_view pattern) {
    int64_t best = 0;
    size_t at = text.find(pattern);
    while (at != std::string_view::npos) {
        size_t i = at + pattern.size();
        const char quote = i < text.size() ? text[i] : '\0';
        if (quote != '"' && quote != '\'') {
            at = text.find(pattern, i);
            continue;
        }
        ++i;
        int64_t value = 0;
        int digits = 0;
        while (i < text.size() && digits < 10 && text[i] >= '0' && text[i] <= '9') {
            value = value * 10 + (text[i] - '0');
            ++digits, ++i;
        }
        if (digits > 0 && i < text.size() && text[i] == quote) best = std::max(best, value);
        at = text.find(pattern, i);
    }
    return best;
}

}  // namespace

int64_t DocxDocument::maxID(ByteView bytes) {
    // Any prefix, either quote: "w:id=\"7\"", "ns0:id='7'".
    const std::string_view text = asChars(bytes);
    int64_t best = largestValue(text, ":id=");
    // A part that makes the main namespace its default one may leave its ids unqualified
    // (<ins id="7">); DrawingML's unqualified ids there only make the answer larger.
    constexpr std::string_view mainNamespace = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
    for (const char quote : {'"', '\''}) {
        const std::string declaration = "xmlns=" + std::string(1, quote) + std::string(mainNamespace) + quote;
        if (text.find(declaration) == std::string_view::npos) continue;
        for (const std::string_view unqualified : {" id=", "\tid=", "\nid=", "\rid="})
            best = std::max(best, largestValue(text, unqualified));
        break;
    }
    return best;
}

int64_t DocxDocument::nextRevisionID() {
    if (!revisionCounter_) {
        int64_t highest = 0;
        for (const StoryID& id : storyIDs()) {
            const auto name = part(id);
            SharedBytes keepAlive;
            if (!name) continue;
            if (const auto bytes = storedBytes(name->rawValue, keepAlive)) highest = std::max(highest, maxID(*bytes));
        }
        revisionCounter_ = highest;
    }
    return ++*revisionCounter_;
}

void DocxDocument::rebuildAll() {
    for (const StoryID& id : storyIDs()) {
        Story& s = story(id);
        for (Paragraph* p : s.paragraphs()) {
            p->setDirty(true);
            if (p->props) p->props->original.reset();
        }
        s.touched = true;
    }
}

DocxDocument::PackageState DocxDocument::packageState() {
    PackageState state;
    for (const auto& [name, s] : stories_)
        if (s->touched) state.stories.emplace(name, share(s->serialized()));
    state.added = cache_.added;
    state.relationships = relationships_;
    return state;
}

void DocxDocument::restore(const PackageState& state) {
    for (auto it = stories_.begin(); it != stories_.end();) {
        Story& s = *it->second;
        const PartName& name = it->first;
        // An untouched story is left alone unless the state holds an edit of it: redoing an
        // edit after undoing it back to the source.
        if (!s.touched && !state.stories.count(name)) {
            ++it;
            continue;
        }
        if (const auto saved = state.stories.find(name); saved != state.stories.end()) {
            auto restored = std::make_unique<Story>(name, saved->second, s.source, mint_);
            restored->touched = true;
            it->second = std::move(restored);
        } else if (!state.added.count(name.rawValue) && hasPart(name.rawValue) && cache_.added.count(name.rawValue)) {
            // The part itself is pending and changes with the state: read it again on next use.
            it = stories_.erase(it);
            continue;
        } else {
            it->second = std::make_unique<Story>(name, s.source, nullptr, mint_);
        }
        ++it;
    }
    cache_.added = state.added;
    cache_.relationships.clear();
    relationships_ = state.relationships;
}

}  // namespace rovuvuz

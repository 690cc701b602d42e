#include "RovuVuz/package/Relationships.h"

#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz {

namespace {

std::vector<std::string_view> components(std::string_view path) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t slash = path.find('/', start);
        if (slash == std::string_view::npos) slash = path.size();
        if (slash > start) parts.push_back(path.substr(start, slash - start));
        start = slash + 1;
    }
    return parts;
}

}  // namespace

std::string_view Relationship::kind() const {
    const auto parts = components(type);
    return parts.empty() ? std::string_view() : parts.back();
}

Relationships::Relationships(PartName sourcePart, std::optional<ByteView> data) : source(std::move(sourcePart)) {
    if (!data) return;
    try {
        const XMLTree tree(*data);
        for (int child : tree.childElements(tree.root())) {
            if (tree.localName(child) != "Relationship") continue;
            auto id = tree.attribute(child, "Id");
            auto target = tree.attribute(child, "Target");
            if (!id || !target) continue;
            const auto mode = tree.attribute(child, "TargetMode");
            all.push_back(Relationship{RelationshipID{std::move(*id)}, tree.attribute(child, "Type").value_or(""),
                                       std::move(*target), mode && *mode == "External"});
        }
    } catch (const XMLError&) {
        all.clear();
    }
}

std::vector<Relationship> Relationships::of(std::string_view kind) const {
    std::vector<Relationship> result;
    for (const Relationship& r : all)
        if (r.kind() == kind) result.push_back(r);
    return result;
}

const Relationship* Relationships::find(const RelationshipID& id) const {
    for (const Relationship& r : all)
        if (r.id == id) return &r;
    return nullptr;
}

std::optional<PartName> Relationships::part(const Relationship& relationship) const {
    if (relationship.external) return std::nullopt;
    const std::string_view target = relationship.target;
    if (!target.empty() && target.front() == '/') return PartName(target);
    // Relative to the source part's folder (RFC 3986 §5.2 in the package's own terms).
    auto path = components(source.rawValue);
    if (!path.empty()) path.pop_back();
    for (std::string_view part : components(target)) {
        if (part == "..") {
            if (!path.empty()) path.pop_back();
        } else if (part != ".") {
            path.push_back(part);
        }
    }
    std::string joined;
    for (std::string_view part : path) {
        if (!joined.empty()) joined += '/';
        joined += part;
    }
    return PartName(joined);
}

std::string Relationships::relsName(const PartName& part) {
    const std::string& name = part.rawValue;
    const size_t slash = name.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
    const std::string file = slash == std::string::npos ? name : name.substr(slash + 1);
    return folder + "_rels/" + file + ".rels";
}

}  // namespace rovuvuz

// One parsed story part: the node tree read from the part's bytes, and the bytes a save
// writes for it (the parser reads, the serializer writes; the node types know neither).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "RovuVuz/model/Nodes.h"

namespace rovuvuz {

// One parsed story part.
struct Story {
    PartName part;
    SharedBytes source;  // the part's bytes as first read
    ByteSlice prolog;    // everything before the root element
    ByteSlice epilog;    // everything after the root element's end
    std::unique_ptr<Group> root;
    bool touched = false;

    // Parses a story part; `original`, when given, becomes the source that saving compares
    // against (a story restored from an undo snapshot keeps its first-read bytes).
    // Throws XMLError.
    Story(PartName part, SharedBytes data, SharedBytes original, IdentityMint& mint);

    // Every paragraph in document order, through nested groups.
    std::vector<Paragraph*> paragraphs() const;
    // The paragraph of this story with that identity, or nullptr. Cheap while the story's
    // paragraphs stay the same; after paragraphs were added or removed the first lookup
    // walks the story once.
    Paragraph* findParagraph(ParagraphID id, const IdentityMint& mint) const;

    // The story's bytes as they would be saved: prolog, root, epilog.
    Bytes serialized() const;

  private:
    // Paragraphs of this story by identity, as of the last walk. An entry is trusted only
    // while the mint still registers that very paragraph as alive: paragraphs never move
    // between stories, so a live paragraph that was in this story still is.
    mutable std::unordered_map<uint64_t, Paragraph*> index_;

  public:
    // Checks the tree's structural invariants; returns a description of the first
    // violation, or nothing. Tests call it after every mutation.
    std::optional<std::string> checkInvariants() const;
};

}  // namespace rovuvuz

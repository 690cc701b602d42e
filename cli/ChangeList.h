// The tracked changes of a document as tovin-cli lists them, shared by `changes` and the
// commands that accept or reject them.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/TrackedChange.h"

namespace tovin::cli {

struct ListedChange {
    rovuvuz::StoryID story;
    rovuvuz::TrackedChange change;
};

// Every tracked change of the given stories, story by story in document order.
std::vector<ListedChange> listChanges(rovuvuz::DocxDocument& document, const std::vector<rovuvuz::StoryID>& stories);

// "insertion", "deletion", "moved from", "moved to", "paragraph mark" or "format".
std::string kindName(rovuvuz::TrackedChange::Kind kind);

nlohmann::json toJson(const ListedChange& listed);
// One line: id, kind, author, date, story and the text concerned, separated by tabs.
std::string textLine(const ListedChange& listed);

}  // namespace tovin::cli

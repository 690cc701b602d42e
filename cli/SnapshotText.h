// Story snapshots as a reader sees them: plain text with list labels, tables as tab-
// separated rows, notes and comments as numbered entries; and the snapshot as JSON.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "RovuVuz/snapshot/Snapshot.h"

namespace tovin::cli {

enum class ShowChanges { No, Yes };

// One line per paragraph. Tracked deletions are left out, or with ShowChanges marked
// [-like this-], and insertions {+like this+}.
std::string plainText(const rovuvuz::StorySnapshot& story, ShowChanges changes);
std::string plainText(const rovuvuz::ParagraphSnapshot& paragraph, ShowChanges changes);

nlohmann::json toJson(const rovuvuz::StorySnapshot& story);

}  // namespace tovin::cli

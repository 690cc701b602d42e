// What the comment rail shows, as values: one card per comment thread (its first comment,
// the replies to that comment, whether the thread is resolved, and the body offset of its
// start mark) and one per tracked insertion or deletion of the body (adjacent runs of one
// revision joined), comment cards first. Built from the body bridge's entries, which are
// exactly the paragraphs the body view shows, and from the comments story.
#pragma once

#include <QString>
#include <QTextEdit>
#include <map>
#include <optional>
#include <vector>

#include "RovuVuz/document/Comments.h"
#include "RovuVuz/snapshot/Snapshot.h"
#include "Tovin/editor/StoryBridge.h"

namespace tovin {

struct CommentCardModel {
    rovuvuz::EntrySnapshot comment;
    std::vector<rovuvuz::EntrySnapshot> replies;
    bool done = false;
    int anchor = 0;  // body offset of the comment's start mark; 0 when it has none there
    bool operator==(const CommentCardModel&) const = default;
};

struct ChangeCardModel {
    rovuvuz::RevisionInfo revision;
    int location = 0;  // the change's range in body offsets
    int length = 0;
    QString snippet;  // quoted, at most 120 units of the changed text
    bool operator==(const ChangeCardModel&) const = default;
};

struct RailModel {
    std::vector<CommentCardModel> comments;
    std::vector<ChangeCardModel> changes;

    // `comments` is the comments story's entries, or nothing when it cannot be read (then
    // there are no comment cards).
    static RailModel build(const std::vector<StoryBridge::Entry>& body,
                           const std::map<rovuvuz::CommentID, rovuvuz::CommentThreadInfo>& threads,
                           const std::optional<std::vector<rovuvuz::EntrySnapshot>>& comments);

    // The quoted snippet of `length` units of a paragraph's text from `from`.
    static QString snippet(const QString& text, int from, int length);
};

// An entry's text as the card shows it: its paragraphs joined by line breaks.
QString entryText(const rovuvuz::EntrySnapshot& entry);

// An ISO 8601 date as "MMM d" in the user's locale, upper-cased; empty when it does not parse.
QString shortDate(const std::optional<std::string>& iso);

}  // namespace tovin

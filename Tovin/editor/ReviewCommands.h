// The Review menu's commands and the rail's card actions: tracking on and off, moving from
// change to change, accepting and rejecting one change or all of them, comments (adding
// one, replying, resolving) and showing the rail. Every edit goes through the editor's
// seam as one undo step, and the views reload from the model after it.
#pragma once

#include <QString>
#include <vector>

#include "RovuVuz/model/Identifiers.h"
#include "Tovin/editor/EditorSelection.h"

class QAction;

namespace tovin {

class EditorViewController;

namespace ReviewCommands {

void toggleTracking(EditorViewController& editor);
// The change after (before) the selection, wrapping; nothing without changes.
void moveToChange(EditorViewController& editor, bool forward);
// The change the selection starts in, then the selection moves to the next one.
void resolveAtSelection(EditorViewController& editor, bool accept);
// Every change of every story but the comments.
void resolveAll(EditorViewController& editor, bool accept);
// One change of the body, by its w:id (a rail card's Accept or Reject).
// Accepts or rejects the body's revisions of one rail card, as one undo step.
void resolveRevisions(EditorViewController& editor, const std::vector<rovuvuz::RevisionID>& revisions,
                      bool accept);

// The comment popover over the selection; its text becomes the comment (addComment).
void showCommentPopover(EditorViewController& editor);
void addComment(EditorViewController& editor, const QString& text);
void reply(EditorViewController& editor, rovuvuz::CommentID to, const QString& text);
void resolveThread(EditorViewController& editor, rovuvuz::CommentID comment, bool resolved);
// A comment deleted with its replies (a reply alone), its marks in the text with it.
void deleteComment(EditorViewController& editor, rovuvuz::CommentID comment);
// A comment's or reply's text replaced (each line a paragraph).
void editComment(EditorViewController& editor, rovuvuz::CommentID comment, const QString& text);
void toggleRail(EditorViewController& editor);

// The runs of the body carrying a tracked change, adjacent ones joined, in view offsets.
std::vector<EditorSelection::Range> changeRanges(EditorViewController& editor);

// Rules (some set the item's check mark or title).
bool trackingState(EditorViewController& editor, QAction& item);
bool hasChangeAtSelection(EditorViewController& editor);
bool hasChanges(EditorViewController& editor);
bool canComment(EditorViewController& editor);
bool railState(EditorViewController& editor, QAction& item);

}  // namespace ReviewCommands
}  // namespace tovin

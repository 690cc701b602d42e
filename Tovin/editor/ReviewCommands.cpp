#include "Tovin/editor/ReviewCommands.h"

#include <QAction>
#include <QPointer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <algorithm>
#include <chrono>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/StructuralEdit.h"
#include "Tovin/document/EditSeam.h"
#include "Tovin/document/TovinDocument.h"
#include "Tovin/editor/EditorViewController.h"
#include "Tovin/editor/InputPopover.h"
#include "Tovin/review/CommentRail.h"
#include "Tovin/text/StoryBridge.h"
#include "Tovin/text/TextProperties.h"

namespace tovin::ReviewCommands {

namespace {

using EditorSelection::Range;
using rovuvuz::StructuralEdit;

void resolveIn(EditorViewController& editor, const rovuvuz::StoryID& story,
               const std::vector<rovuvuz::RevisionID>& revisions, bool accept) {
    if (!editor.seam().run([&] {
            for (const rovuvuz::RevisionID revision : revisions) {
                const StructuralEdit edit = accept ? StructuralEdit{StructuralEdit::Accept{revision}}
                                                   : StructuralEdit{StructuralEdit::Reject{revision}};
                editor.doc()->apply(edit, story, rovuvuz::EditMode::direct());
            }
        }))
        return;
    editor.modelChanged();
    editor.reloadAll();
}

bool isBody(const EditorViewController::Active& active) {
    return active.bridge && active.bridge->story().kind == rovuvuz::StoryID::Kind::body;
}

}  // namespace

void toggleTracking(EditorViewController& editor) {
    editor.document()->setTrackChanges(!editor.document()->trackChanges());
}

void moveToChange(EditorViewController& editor, bool forward) {
    const std::vector<Range> ranges = changeRanges(editor);
    if (ranges.empty()) return;
    const int at = editor.body()->textCursor().selectionStart();
    if (forward) {
        auto next =
            std::find_if(ranges.begin(), ranges.end(), [at](const Range& r) { return r.location > at; });
        EditorSelection::selectInBody(editor, next == ranges.end() ? ranges.front() : *next);
    } else {
        auto previous =
            std::find_if(ranges.rbegin(), ranges.rend(), [at](const Range& r) { return r.location < at; });
        EditorSelection::selectInBody(editor, previous == ranges.rend() ? ranges.back() : *previous);
    }
}

void resolveAtSelection(EditorViewController& editor, bool accept) {
    const auto active = editor.active();
    const std::optional<rovuvuz::RevisionInfo> revision = EditorSelection::revision(active);
    // Without a usable w:id the change cannot be named to the engine.
    if (!revision || revision->id.rawValue < 0) return editor.seam().refuse();
    // In the body, everything the change's rail card stands for.
    std::vector<rovuvuz::RevisionID> revisions{revision->id};
    if (active.bridge == editor.bodyBridge()) revisions = editor.rail()->revisionsWith(revision->id);
    resolveIn(editor, active.bridge->story(), revisions, accept);
    moveToChange(editor, /*forward=*/true);
}

void resolveAll(EditorViewController& editor, bool accept) {
    if (editor.active().bridge) editor.active().bridge->flush();
    const StructuralEdit edit =
        accept ? StructuralEdit{StructuralEdit::AcceptAll{}} : StructuralEdit{StructuralEdit::RejectAll{}};
    // A story the engine refuses keeps its changes; the others are resolved in one step.
    QString refusal;
    editor.seam().run([&] {
        for (const rovuvuz::StoryID& story : editor.doc()->storyIDs()) {
            if (story.kind == rovuvuz::StoryID::Kind::comments) continue;
            try {
                editor.doc()->apply(edit, story, rovuvuz::EditMode::direct());
            } catch (const std::exception& error) {
                refusal = EditSeam::reasonOf(error);
            }
        }
    });
    if (!refusal.isEmpty()) editor.seam().refuse(refusal);
    editor.modelChanged();
    editor.reloadAll();
}

void resolveRevisions(EditorViewController& editor, const std::vector<rovuvuz::RevisionID>& revisions,
                      bool accept) {
    if (!editor.doc() || !editor.bodyBridge()) return;
    editor.bodyBridge()->flush();
    // Without a usable w:id the change cannot be named to the engine.
    if (revisions.empty() ||
        std::any_of(revisions.begin(), revisions.end(), [](rovuvuz::RevisionID id) { return id.rawValue < 0; }))
        return editor.seam().refuse();
    resolveIn(editor, rovuvuz::StoryID::body(), revisions, accept);
}

void showCommentPopover(EditorViewController& editor) {
    const auto active = editor.active();
    if (!isBody(active) || !EditorSelection::hasText(active)) return editor.seam().refuse();
    QTextCursor start = active.view->textCursor();
    start.setPosition(start.selectionStart());
    QPointer<EditorViewController> target(&editor);
    auto* popover = new InputPopover(QStringLiteral("Comment"), QString(), QStringLiteral("Comment"),
                                     [target](const QString& text) {
                                         if (target) addComment(*target, text);
                                     });
    popover->showAt(active.view->viewport(), active.view->cursorRect(start));
}

void addComment(EditorViewController& editor, const QString& text) {
    if (text.isEmpty()) return;
    const auto active = editor.active();
    if (!isBody(active)) return editor.seam().refuse();
    EditorSelection::Ranges ranges = EditorSelection::paragraphRanges(active);
    std::erase_if(ranges, [](const auto& range) { return range.second.size() == 0; });
    if (ranges.empty()) return editor.seam().refuse();
    const auto [paragraph, range] = ranges.front();
    if (!editor.seam().run([&] {
            editor.doc()->addComment(paragraph, active.bridge->story(), range, text.toStdU16String(),
                                     TovinDocument::authorName().toStdString(),
                                     std::chrono::system_clock::now());
        }))
        return;
    editor.modelChanged();
    editor.reloadAll();
}

void reply(EditorViewController& editor, rovuvuz::CommentID to, const QString& text) {
    if (!editor.doc()) return;
    if (!editor.seam().run([&] {
            editor.doc()->reply(to, text.toStdU16String(), TovinDocument::authorName().toStdString(),
                                std::chrono::system_clock::now());
        }))
        return;
    editor.modelChanged();
    editor.reloadAll();
}

void resolveThread(EditorViewController& editor, rovuvuz::CommentID comment, bool resolved) {
    if (!editor.doc()) return;
    if (!editor.seam().run([&] { editor.doc()->setResolved(comment, resolved); })) return;
    editor.modelChanged();
    // Only the comments changed: the rail reads them again, the text stays.
    editor.rail()->commentsChanged();
    editor.rail()->reload();
}

void deleteComment(EditorViewController& editor, rovuvuz::CommentID comment) {
    if (!editor.doc()) return;
    if (!editor.seam().run([&] { editor.doc()->deleteComment(comment); })) return;
    editor.modelChanged();
    // Its range marks and reference go from the text too.
    editor.reloadAll();
    editor.rail()->commentsChanged();
    editor.rail()->reload();
}

void editComment(EditorViewController& editor, rovuvuz::CommentID comment, const QString& text) {
    if (!editor.doc()) return;
    if (!editor.seam().run([&] { editor.doc()->editComment(comment, text.toStdU16String()); })) return;
    editor.modelChanged();
    editor.rail()->commentsChanged();
    editor.rail()->reload();
}

void toggleRail(EditorViewController& editor) {
    editor.setRailShown(!editor.railShown());
}

std::vector<Range> changeRanges(EditorViewController& editor) {
    std::vector<Range> ranges;
    if (const auto& cached = editor.changeCache()) {
        for (const auto& [location, length] : *cached) ranges.push_back({location, length});
        return ranges;
    }
    const QTextDocument* document = editor.body()->document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (!revisionProperty(format, TextProperty::revision) &&
                !revisionProperty(format, TextProperty::formatRevision))
                continue;
            if (!ranges.empty() && ranges.back().location + ranges.back().length == fragment.position())
                ranges.back().length += fragment.length();
            else
                ranges.push_back({fragment.position(), fragment.length()});
        }
    }
    auto& cache = editor.changeCache().emplace();
    for (const Range& range : ranges) cache.emplace_back(range.location, range.length);
    return ranges;
}

bool trackingState(EditorViewController& editor, QAction& item) {
    item.setCheckable(true);
    item.setChecked(editor.document()->trackChanges());
    return true;
}

bool hasChangeAtSelection(EditorViewController& editor) {
    return EditorSelection::revision(editor.active()).has_value();
}

bool hasChanges(EditorViewController& editor) {
    return !changeRanges(editor).empty();
}

bool canComment(EditorViewController& editor) {
    const auto active = editor.active();
    return isBody(active) && EditorSelection::hasText(active);
}

bool railState(EditorViewController& editor, QAction& item) {
    item.setText(editor.railShown() ? QStringLiteral("Hide Comments") : QStringLiteral("Show Comments"));
    return editor.railCardCount() > 0;
}

}  // namespace tovin::ReviewCommands

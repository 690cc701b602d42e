#include "Tovin/editor/ClipboardCommands.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QTextEdit>
#include <algorithm>
#include <functional>
#include <optional>

#include "RovuVuz/document/Clip.h"
#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/document/EditSeam.h"
#include "Tovin/document/TovinDocument.h"
#include "Tovin/editor/EditorSelection.h"
#include "Tovin/editor/EditorSession.h"
#include "Tovin/editor/EditorViewController.h"
#include "Tovin/editor/InsertCommands.h"
#include "Tovin/text/StoryBridge.h"

namespace tovin::ClipboardCommands {

namespace {

using rovuvuz::ParagraphPos;

struct Span {
    ParagraphPos from;
    ParagraphPos to;
};

// The selection as engine positions: where its start and its end stand (an end at the
// start of a paragraph takes the mark before it along); nothing when either stands in no
// paragraph (on a table).
std::optional<Span> selectedSpan(const EditorViewController::Active& active) {
    if (!active.bridge) return std::nullopt;
    const EditorSelection::Range selected = EditorSelection::range(active);
    auto at = [&](int position) -> std::optional<ParagraphPos> {
        const auto ranges = active.bridge->paragraphRanges(position, 0);
        if (ranges.empty()) return std::nullopt;
        return ParagraphPos{ranges.front().first, ranges.front().second.lower};
    };
    const std::optional<ParagraphPos> from = at(selected.location);
    const std::optional<ParagraphPos> to = at(selected.location + selected.length);
    if (!from || !to) return std::nullopt;
    return Span{*from, *to};
}

int paragraphLength(const StoryBridge& bridge, rovuvuz::ParagraphID paragraph) {
    for (const StoryBridge::Entry& entry : bridge.entries()) {
        const auto* snapshot = std::get_if<rovuvuz::ParagraphSnapshot>(&entry.block.value);
        if (snapshot && snapshot->id == paragraph) return StoryBridge::lengthOf(entry);
    }
    return 0;
}

// After a paste the caret stands where the pasted text ends: in the last paragraph standing
// where the range stood, before the text that followed the range.
void placeCaretAfter(const EditorViewController::Active& active, const std::vector<rovuvuz::ParagraphID>& pasted,
                     int tail) {
    if (pasted.empty() || !active.view) return;
    const std::vector<int> starts = active.bridge->starts();
    const auto& entries = active.bridge->entries();
    for (size_t i = 0; i < entries.size(); ++i) {
        const auto* snapshot = std::get_if<rovuvuz::ParagraphSnapshot>(&entries[i].block.value);
        if (!snapshot || snapshot->id != pasted.back()) continue;
        QTextCursor cursor = active.view->textCursor();
        const int end = starts[i] + StoryBridge::lengthOf(entries[i]);
        cursor.setPosition(std::max(starts[i], end - tail));
        active.view->setTextCursor(cursor);
        return;
    }
}

using Paste = std::function<std::vector<rovuvuz::ParagraphID>(rovuvuz::DocxDocument&, const Span&,
                                                              const rovuvuz::StoryID&, const rovuvuz::EditMode&)>;

// The paragraphs that stand where the span stood once the paste is made, in story order:
// those of the span that remain (a tracked paste leaves them with their text marked
// deleted; a direct one joins them away, and they are skipped as the view reads them),
// then the ones the paste reports.
std::vector<rovuvuz::ParagraphID> standingAfter(const StoryBridge& bridge, const Span& span,
                                                const std::vector<rovuvuz::ParagraphID>& pasted) {
    std::vector<rovuvuz::ParagraphID> standing;
    bool inside = false;
    for (const StoryBridge::Entry& entry : bridge.entries()) {
        const auto* paragraph = std::get_if<rovuvuz::ParagraphSnapshot>(&entry.block.value);
        if (!paragraph) continue;
        inside = inside || paragraph->id == span.from.paragraph;
        if (!inside) continue;
        if (std::find(pasted.begin(), pasted.end(), paragraph->id) == pasted.end()) standing.push_back(paragraph->id);
        if (paragraph->id == span.to.paragraph) break;
    }
    standing.insert(standing.end(), pasted.begin(), pasted.end());
    return standing;
}

// Shows the paste. In the body only the span's paragraphs are written again, with the
// pasted ones after them: new styles and lists change nothing else that the body, its
// bands or other views show (list labels are renumbered). Elsewhere (a band, a table cell)
// every view is shown anew.
void showPaste(EditorViewController& editor, const EditorViewController::Active& active, const Span& span,
               const std::vector<rovuvuz::ParagraphID>& pasted) {
    if (active.bridge == editor.bodyBridge() && !pasted.empty() &&
        active.bridge->replaceParagraphs(span.from.paragraph, span.to.paragraph,
                                         standingAfter(*active.bridge, span, pasted)))
        return;
    editor.reloadAll();
}

// One formatted paste as one undo step.
bool pasteThrough(EditorViewController& editor, const Paste& paste) {
    const EditorViewController::Active active = editor.active();
    const std::optional<Span> span = selectedSpan(active);
    if (!span) {
        editor.seam().refuse();
        return false;
    }
    const int tail = paragraphLength(*active.bridge, span->to.paragraph) - int(span->to.offset);
    const rovuvuz::EditMode mode = editor.editMode();
    std::vector<rovuvuz::ParagraphID> pasted;
    if (!editor.seam().run([&] { pasted = paste(*editor.doc(), *span, active.bridge->story(), mode); })) return false;
    showPaste(editor, active, *span, pasted);
    placeCaretAfter(active, pasted, tail);
    // Marked changed once the view shows it: what follows a change after a pause (the
    // footer's counts, the rail, the part ledger, autosave) waits from here, so that after a
    // long paste it comes after the text is on screen, not right before.
    editor.modelChanged();
    return true;
}

std::string_view bytesOf(const QByteArray& data) {
    return {data.constData(), size_t(data.size())};
}

void plainPaste(EditorViewController& editor) {
    const EditorViewController::Active to = editor.active();
    if (!to.view || !to.bridge) return;
    to.bridge->noteSelection();
    to.view->paste();
}

}  // namespace

QString fragmentType() {
    return QString::fromLatin1(rovuvuz::Clip::mimeType.data(), qsizetype(rovuvuz::Clip::mimeType.size()));
}

QMimeData* mimeForSelection(EditorViewController& editor) {
    const EditorViewController::Active active = editor.active();
    if (!active.view || !active.view->textCursor().hasSelection()) return nullptr;
    const std::optional<Span> span = selectedSpan(active);
    if (!span) return nullptr;
    rovuvuz::ClipboardContent content;
    try {
        content = editor.doc()->copy(span->from, span->to, active.bridge->story());
    } catch (const std::exception&) {
        return nullptr;
    }
    auto* data = new QMimeData;
    data->setData(fragmentType(), QByteArray::fromStdString(content.fragment));
    data->setHtml(QString::fromStdString(content.html));
    data->setText(QString::fromStdU16String(content.text));
    return data;
}

void copy(EditorViewController& editor) {
    const EditorViewController::Active active = editor.active();
    if (!active.view) return;
    editor.session()->flushAll();
    if (QMimeData* data = mimeForSelection(editor)) {
        QGuiApplication::clipboard()->setMimeData(data);
        return;
    }
    active.view->copy();
}

void cut(EditorViewController& editor) {
    const EditorViewController::Active active = editor.active();
    if (!active.view || !active.bridge) return;
    editor.session()->flushAll();
    QMimeData* data = mimeForSelection(editor);
    if (!data) {
        active.bridge->noteSelection();
        active.view->cut();
        return;
    }
    QGuiApplication::clipboard()->setMimeData(data);
    // The text goes as typing deletes it: through the view and its bridge.
    active.bridge->noteSelection();
    active.view->textCursor().removeSelectedText();
}

void paste(EditorViewController& editor, const QMimeData* data) {
    if (!data) data = QGuiApplication::clipboard()->mimeData();
    const EditorViewController::Active active = editor.active();
    if (!active.view || !active.bridge) return;
    // An X clipboard that nobody owns has no data at all.
    if (!data) return editor.seam().refuse();
    editor.session()->flushAll();
    if (data->hasFormat(fragmentType())) {
        const QByteArray fragment = data->data(fragmentType());
        pasteThrough(editor, [&](rovuvuz::DocxDocument& doc, const Span& span, const rovuvuz::StoryID& story,
                                 const rovuvuz::EditMode& mode) {
            return doc.paste(bytesOf(fragment), span.from, span.to, story, mode);
        });
        return;
    }
    if (data->hasHtml()) {
        const QByteArray html = data->html().toUtf8();
        pasteThrough(editor, [&](rovuvuz::DocxDocument& doc, const Span& span, const rovuvuz::StoryID& story,
                                 const rovuvuz::EditMode& mode) {
            return doc.pasteHTML(bytesOf(html), span.from, span.to, story, mode);
        });
        return;
    }
    if (data->hasImage() && !data->hasText()) {
        const QImage image = qvariant_cast<QImage>(data->imageData());
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (image.isNull() || !image.save(&buffer, "PNG")) return editor.seam().refuse();
        InsertCommands::insertImageData(editor, png, QStringLiteral("png"), QStringLiteral("The pasted picture"));
        return;
    }
    plainPaste(editor);
}

void pasteMatchingStyle(EditorViewController& editor) {
    editor.session()->flushAll();
    plainPaste(editor);
}

}  // namespace tovin::ClipboardCommands

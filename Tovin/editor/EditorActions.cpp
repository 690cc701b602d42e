#include "Tovin/editor/EditorActions.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <chrono>
#include <cmath>
#include <set>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/Structural.h"
#include "RovuVuz/format/Sections.h"
#include "Tovin/MainMenu.h"
#include "Tovin/TovinDocument.h"
#include "Tovin/editor/EditorSession.h"
#include "Tovin/editor/EditorUndo.h"
#include "Tovin/editor/EditorViewController.h"
#include "Tovin/editor/FindBar.h"
#include "Tovin/editor/FooterBar.h"
#include "Tovin/editor/FormatPopover.h"
#include "Tovin/editor/InputPopover.h"
#include "Tovin/editor/RevealToolbar.h"
#include "Tovin/editor/ShareMenu.h"
#include "Tovin/editor/SpellingHighlighter.h"
#include "Tovin/editor/StoryBridge.h"
#include "Tovin/editor/TextProperties.h"
#include "Tovin/platform/Spelling.h"
#include "Tovin/platform/SystemServices.h"

namespace tovin {

void registerEditorActions(MainMenu& menu, QObject* context, std::function<EditorSession*()> current) {
    using SessionCommand = void (EditorSession::*)();
    auto hasSelection = [current](QAction*) {
        EditorSession* session = current();
        return session && session->target().view && session->target().view->textCursor().hasSelection();
    };
    auto command = [&menu, context, current](Command selector, SessionCommand run,
                                             MainMenu::Validate validate) {
        menu.setHandler(
            selector, context,
            [current, run](QAction*) {
                if (EditorSession* session = current()) (session->*run)();
            },
            std::move(validate));
    };

    command(Command::undo, &EditorSession::undoStep, [current](QAction*) {
        EditorSession* session = current();
        return session && session->undo().canUndo();
    });
    command(Command::redo, &EditorSession::redoStep, [current](QAction*) {
        EditorSession* session = current();
        return session && session->undo().canRedo();
    });
    command(Command::cut, &EditorSession::cut, hasSelection);
    command(Command::copy, &EditorSession::copy, hasSelection);
    auto canPaste = [current](QAction*) {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        return current() != nullptr && data && data->hasText();
    };
    // Rich text arrives as plain text in the typing attributes either way, until the engine
    // inserts formatted runs.
    command(Command::paste, &EditorSession::paste, canPaste);
    command(Command::pasteAsPlainText, &EditorSession::paste, canPaste);
    command(Command::deleteSelection, &EditorSession::deleteSelection, hasSelection);
    command(Command::selectAll, &EditorSession::selectAll,
            [current](QAction*) { return current() != nullptr; });
}

namespace EditorActions {

std::function<void()> beep = [] { SystemServices::beep(); };

namespace {

using rovuvuz::ParagraphID;
using rovuvuz::RunFormatChange;
using rovuvuz::StructuralEdit;
using rovuvuz::TextRange;
using Ranges = std::vector<std::pair<ParagraphID, TextRange>>;

constexpr double growFactor = 1.1;

// The active view's selection as a location and length, after any pending typing has
// reached the engine.
Range selection(const EditorViewController::Active& active, bool flush = true) {
    if (active.bridge && flush) active.bridge->flush();
    const QTextCursor cursor = active.view->textCursor();
    return {cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart()};
}

// Validation reads the selection without flushing, so that a burst of typing stays one edit.
Ranges selectionRanges(const EditorViewController::Active& active, bool flush = true) {
    if (!active.bridge) return {};
    const Range range = selection(active, flush);
    return active.bridge->paragraphRanges(range.location, range.length);
}

// The format of the character at `index` of a view (its paragraph's mark at a block end).
QTextCharFormat formatAt(const QTextEdit& view, int index) {
    const QTextBlock block = view.document()->findBlock(index);
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (fragment.position() <= index && index < fragment.position() + fragment.length())
            return fragment.charFormat();
    }
    return block.charFormat();
}

// The attributes of the first selected character, or of the character at the caret.
QTextCharFormat selectionAttributes(const EditorViewController::Active& active) {
    const int length = active.view->document()->characterCount() - 1;
    if (length <= 0) return {};
    return formatAt(*active.view, std::min(length - 1, active.view->textCursor().selectionStart()));
}

std::optional<rovuvuz::RevisionInfo> revisionAtSelection(const EditorViewController::Active& active) {
    const QTextCharFormat format = selectionAttributes(active);
    for (int key :
         {int(TextProperty::revision), int(TextProperty::formatRevision), int(TextProperty::markRevision)}) {
        if (auto revision = revisionProperty(format, key)) return revision;
    }
    return std::nullopt;
}

// Runs one engine edit; an engine error is a beep and nothing else.
template <typename Edit>
bool attempt(Edit&& edit) {
    try {
        edit();
        return true;
    } catch (const std::exception&) {
        beep();
        return false;
    }
}

// Runs one engine edit as its own undo step; a refused edit beeps and leaves no step behind.
template <typename Edit>
bool attemptStep(EditorViewController& editor, Edit&& edit) {
    editor.undo().registerUndo(/*typing=*/false);
    if (attempt(std::forward<Edit>(edit))) return true;
    editor.undo().abandonStep();
    return false;
}

void applyToSelection(EditorViewController& editor,
                      const std::function<StructuralEdit(ParagraphID, TextRange)>& make) {
    const auto active = editor.active();
    Ranges ranges = selectionRanges(active);
    std::erase_if(ranges, [](const auto& range) { return range.second.size() == 0; });
    if (ranges.empty()) return beep();  // a caret alone formats nothing
    editor.undo().registerUndo(/*typing=*/false);
    std::set<ParagraphID> touched;
    const rovuvuz::EditMode mode = editor.editMode();
    for (const auto& [paragraph, range] : ranges) {
        attempt([&] { editor.doc()->apply(make(paragraph, range), active.bridge->story(), mode); });
        touched.insert(paragraph);
    }
    editor.modelChanged();
    active.bridge->refresh(touched);
    editor.popover()->sync();
}

void applyToParagraphs(EditorViewController& editor, const std::function<StructuralEdit(ParagraphID)>& make) {
    const auto active = editor.active();
    const Ranges ranges = selectionRanges(active);
    if (ranges.empty()) return beep();
    editor.undo().registerUndo(/*typing=*/false);
    std::set<ParagraphID> touched;
    const rovuvuz::EditMode mode = editor.editMode();
    for (const auto& [paragraph, range] : ranges) {
        attempt([&] { editor.doc()->apply(make(paragraph), active.bridge->story(), mode); });
        touched.insert(paragraph);
    }
    editor.modelChanged();
    active.bridge->refresh(touched);
    editor.popover()->sync();
}

void runFormat(EditorViewController& editor, RunFormatChange change) {
    applyToSelection(editor, [change](ParagraphID paragraph, TextRange range) {
        return StructuralEdit{StructuralEdit::SetRunFormat{paragraph, range, change}};
    });
}

void toggle(EditorViewController& editor, RunFormatChange::Toggle property) {
    const QTextCharFormat format = selectionAttributes(editor.active());
    bool on = false;
    switch (property) {
        case RunFormatChange::Toggle::bold:
            on = format.fontWeight() >= QFont::Bold;
            break;
        case RunFormatChange::Toggle::italic:
            on = format.fontItalic();
            break;
        case RunFormatChange::Toggle::underline:
            on = format.fontUnderline();
            break;
        case RunFormatChange::Toggle::strike:
            on = format.fontStrikeOut();
            break;
    }
    runFormat(editor, RunFormatChange{RunFormatChange::Switch{property, !on}});
}

void toggleScript(EditorViewController& editor, rovuvuz::VerticalAlign script) {
    const qreal offset = selectionAttributes(editor.active()).baselineOffset();
    const bool already = script == rovuvuz::VerticalAlign::superscript ? offset > 0 : offset < 0;
    runFormat(editor, RunFormatChange{
                          RunFormatChange::VertAlign{already ? rovuvuz::VerticalAlign::baseline : script}});
}

void align(EditorViewController& editor, rovuvuz::Alignment alignment) {
    applyToParagraphs(editor, [alignment](ParagraphID paragraph) {
        return StructuralEdit{StructuralEdit::SetParagraphFormat{
            paragraph, rovuvuz::ParagraphFormatChange{rovuvuz::ParagraphFormatChange::Align{alignment}}}};
    });
}

// Selects a view range in the body, scrolled into view, with the body focused.
void selectInBody(EditorViewController& editor, Range range) {
    QTextCursor cursor = editor.body()->textCursor();
    cursor.setPosition(range.location);
    cursor.setPosition(range.location + range.length, QTextCursor::KeepAnchor);
    editor.body()->setTextCursor(cursor);
    editor.body()->ensureCursorVisible();
    editor.body()->setFocus();
}

void moveToChange(EditorViewController& editor, bool forward) {
    const std::vector<Range> ranges = changeRanges(editor);
    if (ranges.empty()) return;
    const int at = editor.body()->textCursor().selectionStart();
    if (forward) {
        auto next =
            std::find_if(ranges.begin(), ranges.end(), [at](const Range& r) { return r.location > at; });
        selectInBody(editor, next == ranges.end() ? ranges.front() : *next);
    } else {
        auto previous =
            std::find_if(ranges.rbegin(), ranges.rend(), [at](const Range& r) { return r.location < at; });
        selectInBody(editor, previous == ranges.rend() ? ranges.back() : *previous);
    }
}

void resolveIn(EditorViewController& editor, const rovuvuz::StoryID& story, rovuvuz::RevisionID revision,
               bool accept) {
    const StructuralEdit edit = accept ? StructuralEdit{StructuralEdit::Accept{revision}}
                                       : StructuralEdit{StructuralEdit::Reject{revision}};
    if (!attemptStep(editor, [&] { editor.doc()->apply(edit, story, rovuvuz::EditMode::direct()); })) return;
    editor.modelChanged();
    editor.reloadAll();
}

void resolve(EditorViewController& editor, bool accept) {
    const auto active = editor.active();
    const std::optional<rovuvuz::RevisionInfo> revision = revisionAtSelection(active);
    // Without a usable w:id the change cannot be named to the engine.
    if (!revision || revision->id.rawValue < 0) return beep();
    resolveIn(editor, active.bridge->story(), revision->id, accept);
    moveToChange(editor, /*forward=*/true);
}

void resolveAll(EditorViewController& editor, bool accept) {
    if (editor.active().bridge) editor.active().bridge->flush();
    editor.undo().registerUndo(/*typing=*/false);
    const StructuralEdit edit =
        accept ? StructuralEdit{StructuralEdit::AcceptAll{}} : StructuralEdit{StructuralEdit::RejectAll{}};
    bool failed = false;
    for (const rovuvuz::StoryID& story : editor.doc()->storyIDs()) {
        if (story.kind == rovuvuz::StoryID::Kind::comments) continue;
        try {
            editor.doc()->apply(edit, story, rovuvuz::EditMode::direct());
        } catch (const std::exception&) {
            failed = true;
        }
    }
    if (failed) beep();
    editor.modelChanged();
    editor.reloadAll();
}

// The image span the selection starts at: its paragraph, offset and size in points.
struct SelectedImage {
    ParagraphID paragraph;
    size_t offset = 0;
    double width = 0;
    double height = 0;
};

std::optional<SelectedImage> selectedImage(const EditorViewController::Active& active, bool flush = true) {
    const Ranges ranges = selectionRanges(active, flush);
    if (ranges.empty()) return std::nullopt;
    const auto [paragraph, range] = ranges.front();
    for (const StoryBridge::Entry& entry : active.bridge->entries()) {
        const auto* snapshot = std::get_if<rovuvuz::ParagraphSnapshot>(&entry.block.value);
        if (!snapshot || snapshot->id != paragraph) continue;
        for (const rovuvuz::Span& span : snapshot->spans) {
            if (span.range.lower != range.lower || span.content.type != rovuvuz::Span::Content::Type::image)
                continue;
            if (!span.content.width || !span.content.height) return std::nullopt;
            return SelectedImage{paragraph, range.lower, *span.content.width, *span.content.height};
        }
    }
    return std::nullopt;
}

// The text column's width in points: images are never inserted wider than the text.
double columnPoints(EditorViewController& editor) {
    const rovuvuz::PageSetup page = editor.doc()->pageSetup();
    return std::max(page.width - page.left - page.right, 1.0);
}

void insertPageBreak(EditorViewController& editor) {
    const auto active = editor.active();
    const Ranges ranges = selectionRanges(active);
    if (ranges.empty()) return beep();
    const int start = active.view->textCursor().selectionStart();
    if (!attemptStep(editor, [&] {
            editor.doc()->insertPageBreak(ranges.front().first, active.bridge->story(),
                                          ranges.front().second.lower, editor.editMode());
        }))
        return;
    editor.modelChanged();
    active.bridge->reloadFromModel(std::nullopt);
    QTextCursor cursor = active.view->textCursor();
    cursor.setPosition(std::min(start + 1, active.view->document()->characterCount() - 1));
    active.view->setTextCursor(cursor);
}

void showLinkPopover(EditorViewController& editor) {
    const auto active = editor.active();
    const Ranges ranges = selectionRanges(active);
    if (ranges.empty() || ranges.front().second.size() == 0) return beep();
    const QString existing = selectionAttributes(active).anchorHref();
    QTextCursor start = active.view->textCursor();
    start.setPosition(start.selectionStart());
    QPointer<EditorViewController> target(&editor);
    auto* popover =
        new InputPopover(QStringLiteral("https://"), existing,
                         existing.isEmpty() ? QStringLiteral("Add Link") : QStringLiteral("Change Link"),
                         [target](const QString& text) {
                             if (target) setLink(*target, text);
                         });
    popover->showAt(active.view->viewport(), active.view->cursorRect(start));
}

void showCommentPopover(EditorViewController& editor) {
    const auto active = editor.active();
    if (!active.bridge || active.bridge->story().kind != rovuvuz::StoryID::Kind::body) return beep();
    Ranges ranges = selectionRanges(active);
    std::erase_if(ranges, [](const auto& range) { return range.second.size() == 0; });
    if (ranges.empty()) return beep();
    QTextCursor start = active.view->textCursor();
    start.setPosition(start.selectionStart());
    QPointer<EditorViewController> target(&editor);
    auto* popover = new InputPopover(QStringLiteral("Comment"), QString(), QStringLiteral("Comment"),
                                     [target](const QString& text) {
                                         if (target) addComment(*target, text);
                                     });
    popover->showAt(active.view->viewport(), active.view->cursorRect(start));
}

void chooseImage(EditorViewController& editor) {
    auto* dialog = new QFileDialog(editor.window(), QStringLiteral("Insert Image"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilter(QStringLiteral("Images (*.png *.jpg *.jpeg *.gif *.bmp *.tif *.tiff)"));
    QPointer<EditorViewController> target(&editor);
    QObject::connect(dialog, &QFileDialog::fileSelected, &editor, [target](const QString& path) {
        if (target) insertImageFile(*target, path);
    });
    dialog->open();
}

bool hasNonEmptyRange(const EditorViewController::Active& active) {
    const Ranges ranges = selectionRanges(active, /*flush=*/false);
    return std::any_of(ranges.begin(), ranges.end(),
                       [](const auto& range) { return range.second.size() > 0; });
}

bool isViewCommand(Command command) {
    switch (command) {
        case Command::showDraft:
        case Command::togglePageView:
        case Command::exportPDF:
        case Command::share:
        case Command::printDocument:
        case Command::toggleRevealToolbar:
            return true;
        default:
            return false;
    }
}

// The commands this file carries out; the Edit menu's and the page view's are elsewhere.
constexpr Command handled[] = {
    Command::toggleBold,
    Command::toggleItalic,
    Command::toggleUnderline,
    Command::toggleStrike,
    Command::toggleSuperscript,
    Command::toggleSubscript,
    Command::alignLeft,
    Command::alignCenter,
    Command::alignRight,
    Command::alignJustify,
    Command::addLink,
    Command::insertPageBreak,
    Command::insertImage,
    Command::makeImageLarger,
    Command::makeImageSmaller,
    Command::addComment,
    Command::toggleTracking,
    Command::acceptChange,
    Command::rejectChange,
    Command::acceptAll,
    Command::rejectAll,
    Command::nextChange,
    Command::previousChange,
    Command::toggleRail,
    Command::toggleRevealToolbar,
    Command::share,
    Command::showFindBar,
    Command::showReplaceBar,
    Command::findNext,
    Command::findPrevious,
    Command::useSelectionForFind,
    Command::checkSpelling,
    Command::showGuessPanel,
    Command::toggleContinuousSpellChecking,
};

// Selects the first misspelt word after the selection in the active view, wrapping once.
bool selectNextMisspelling(EditorViewController& editor) {
    QTextEdit* view = editor.active().view;
    const QTextDocument* document = view->document();
    const int from = view->textCursor().selectionEnd();
    for (int pass = 0; pass < 2; ++pass) {
        for (QTextBlock block = document->findBlock(pass == 0 ? from : 0); block.isValid();
             block = block.next()) {
            for (const Spelling::Miss& miss : Spelling::shared().misspellings(block.text())) {
                const int at = block.position() + miss.start;
                if (pass == 0 && at < from) continue;
                QTextCursor cursor = view->textCursor();
                cursor.setPosition(at);
                cursor.setPosition(at + miss.length, QTextCursor::KeepAnchor);
                view->setTextCursor(cursor);
                view->ensureCursorVisible();
                return true;
            }
            if (pass == 1 && block.position() > from) break;
        }
    }
    beep();
    return false;
}

// Replaces the selected text of the active view through the engine, one undo step.
void replaceSelection(EditorViewController& editor, const QString& text) {
    const auto active = editor.active();
    const Ranges ranges = selectionRanges(active);
    if (ranges.size() != 1 || ranges.front().second.size() == 0) return beep();
    if (!attemptStep(editor, [&] {
            editor.doc()->replaceText(ranges.front().first, active.bridge->story(), ranges.front().second,
                                      text.toStdU16String(), editor.editMode());
        }))
        return;
    editor.modelChanged();
    active.bridge->reloadFromModel(std::nullopt);
}

// The dictionary's suggestions for the selected misspelt word, as a menu at the word.
void showGuesses(EditorViewController& editor) {
    QTextEdit* view = editor.active().view;
    const QString word = view->textCursor().selectedText();
    if (word.isEmpty() || Spelling::shared().isCorrect(word)) {
        if (!selectNextMisspelling(editor)) return;
    }
    const QString selected = view->textCursor().selectedText();
    auto* menu = new QMenu(view);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const QStringList guesses = Spelling::shared().suggestions(selected);
    for (const QString& guess : guesses) {
        QPointer<EditorViewController> target(&editor);
        menu->addAction(guess, [target, guess] {
            if (target) replaceSelection(*target, guess);
        });
    }
    if (guesses.isEmpty()) menu->addAction(QStringLiteral("No Guesses Found"))->setEnabled(false);
    menu->addSeparator();
    menu->addAction(QStringLiteral("Find Next Misspelling"), &editor, [target = QPointer(&editor)] {
        if (target) selectNextMisspelling(*target);
    });
    menu->popup(view->viewport()->mapToGlobal(view->cursorRect().bottomLeft()));
}

// With no editor, the items whose titles and check marks follow an editor's state show
// as the menu bar is built.
void resetItem(Command command, QAction* item) {
    if (command == Command::toggleRail) item->setText(QStringLiteral("Show Comments"));
    if (command == Command::toggleRevealToolbar) item->setText(QStringLiteral("Show Toolbar"));
    if (item->isCheckable()) item->setChecked(false);
}

}  // namespace

void resolveRevision(EditorViewController& editor, rovuvuz::RevisionID revision, bool accept) {
    if (!editor.doc() || !editor.bodyBridge()) return;
    editor.bodyBridge()->flush();
    // Without a usable w:id the change cannot be named to the engine.
    if (revision.rawValue < 0) return beep();
    resolveIn(editor, rovuvuz::StoryID::body(), revision, accept);
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

void setLink(EditorViewController& editor, const QString& typed) {
    const auto active = editor.active();
    const Ranges ranges = selectionRanges(active);
    if (ranges.empty() || ranges.front().second.size() == 0) return beep();
    const std::optional<QString> link = normalizedLink(typed);
    const auto [paragraph, range] = ranges.front();
    if (!attemptStep(editor, [&] {
            editor.doc()->setLink(paragraph, active.bridge->story(), range,
                                  link ? std::optional<std::string>(link->toStdString()) : std::nullopt);
        }))
        return;
    editor.modelChanged();
    active.bridge->refresh({paragraph});
}

void addComment(EditorViewController& editor, const QString& text) {
    if (text.isEmpty()) return;
    const auto active = editor.active();
    if (!active.bridge || active.bridge->story().kind != rovuvuz::StoryID::Kind::body) return beep();
    Ranges ranges = selectionRanges(active);
    std::erase_if(ranges, [](const auto& range) { return range.second.size() == 0; });
    if (ranges.empty()) return beep();
    const auto [paragraph, range] = ranges.front();
    if (!attemptStep(editor, [&] {
            editor.doc()->addComment(paragraph, active.bridge->story(), range, text.toStdU16String(),
                                     TovinDocument::authorName().toStdString(),
                                     std::chrono::system_clock::now());
        }))
        return;
    editor.modelChanged();
    editor.reloadAll();
}

void insertImageFile(EditorViewController& editor, const QString& path) {
    const auto active = editor.active();
    const Ranges ranges = selectionRanges(active);
    QFile file(path);
    if (ranges.empty() || !file.open(QIODevice::ReadOnly)) return beep();
    const QByteArray bytes = file.readAll();
    const QImage image = QImage::fromData(bytes);
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) return beep();
    const double width = std::min(double(image.width()), columnPoints(editor));
    const double height = width * image.height() / image.width();
    QString extension = QFileInfo(path).suffix().toLower();
    if (extension == "jpg") extension = "jpeg";
    const rovuvuz::ByteView data(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
    if (!attemptStep(editor, [&] {
            editor.doc()->insertImage(data, extension.toStdString(), width, height, ranges.front().first,
                                      active.bridge->story(), ranges.front().second.lower, editor.editMode());
        }))
        return;
    editor.modelChanged();
    active.bridge->reloadFromModel(std::nullopt);
}

void scaleImage(EditorViewController& editor, double factor) {
    const auto active = editor.active();
    const std::optional<SelectedImage> image = selectedImage(active);
    if (!image) return beep();
    const Range before = selection(active);
    if (!attemptStep(editor, [&] {
            editor.doc()->resizeImage(image->paragraph, active.bridge->story(), image->offset,
                                      std::round(image->width * factor), std::round(image->height * factor));
        }))
        return;
    editor.modelChanged();
    active.bridge->reloadFromModel(std::nullopt);
    QTextCursor cursor = active.view->textCursor();
    cursor.setPosition(before.location);
    cursor.setPosition(before.location + before.length, QTextCursor::KeepAnchor);
    active.view->setTextCursor(cursor);
}

void setParagraphStyle(EditorViewController& editor, const std::optional<std::string>& styleID) {
    std::optional<rovuvuz::StyleID> style;
    if (styleID) style = rovuvuz::StyleID{*styleID};
    applyToParagraphs(editor, [style](ParagraphID paragraph) {
        return StructuralEdit{StructuralEdit::SetParagraphStyle{paragraph, style}};
    });
    if (StoryBridge* bridge = editor.active().bridge) bridge->relabel();
}

void perform(EditorViewController& editor, Command command) {
    using Toggle = RunFormatChange::Toggle;
    switch (command) {
        case Command::toggleBold:
            return toggle(editor, Toggle::bold);
        case Command::toggleItalic:
            return toggle(editor, Toggle::italic);
        case Command::toggleUnderline:
            return toggle(editor, Toggle::underline);
        case Command::toggleStrike:
            return toggle(editor, Toggle::strike);
        case Command::toggleSuperscript:
            return toggleScript(editor, rovuvuz::VerticalAlign::superscript);
        case Command::toggleSubscript:
            return toggleScript(editor, rovuvuz::VerticalAlign::subscript);
        case Command::alignLeft:
            return align(editor, rovuvuz::Alignment::left);
        case Command::alignCenter:
            return align(editor, rovuvuz::Alignment::center);
        case Command::alignRight:
            return align(editor, rovuvuz::Alignment::right);
        case Command::alignJustify:
            return align(editor, rovuvuz::Alignment::both);
        case Command::addLink:
            return showLinkPopover(editor);
        case Command::insertPageBreak:
            return insertPageBreak(editor);
        case Command::insertImage:
            return chooseImage(editor);
        case Command::makeImageLarger:
            return scaleImage(editor, growFactor);
        case Command::makeImageSmaller:
            return scaleImage(editor, 1 / growFactor);
        case Command::addComment:
            return showCommentPopover(editor);
        case Command::toggleTracking:
            editor.document()->setTrackChanges(!editor.document()->trackChanges());
            return;
        case Command::acceptChange:
            return resolve(editor, /*accept=*/true);
        case Command::rejectChange:
            return resolve(editor, /*accept=*/false);
        case Command::acceptAll:
            return resolveAll(editor, /*accept=*/true);
        case Command::rejectAll:
            return resolveAll(editor, /*accept=*/false);
        case Command::nextChange:
            return moveToChange(editor, /*forward=*/true);
        case Command::previousChange:
            return moveToChange(editor, /*forward=*/false);
        case Command::toggleRail:
            return editor.setRailShown(!editor.railShown());
        case Command::toggleRevealToolbar:
            return editor.toolbar()->setPinned(!editor.toolbar()->pinned());
        case Command::share:
            return ShareMenu::show(editor.document()->filePath(), editor.footer());
        case Command::showFindBar:
            return editor.findBar()->showFind(/*replace=*/false);
        case Command::showReplaceBar:
            return editor.findBar()->showFind(/*replace=*/true);
        case Command::findNext:
        case Command::findPrevious:
            if (editor.findBar()->searchField()->text().isEmpty()) return editor.findBar()->showFind(false);
            editor.findBar()->findNext(command == Command::findNext);
            return;
        case Command::useSelectionForFind:
            return editor.findBar()->useSelection();
        case Command::checkSpelling:
            selectNextMisspelling(editor);
            return;
        case Command::showGuessPanel:
            return showGuesses(editor);
        case Command::toggleContinuousSpellChecking:
            return editor.setContinuousSpellChecking(!SpellingHighlighter::continuousChecking());
        default:
            return;
    }
}

bool validate(EditorViewController& editor, Command command, QAction* item) {
    if (editor.isPageView() && !isViewCommand(command)) return false;
    const auto active = editor.active();
    switch (command) {
        case Command::toggleTracking:
            item->setCheckable(true);
            item->setChecked(editor.document()->trackChanges());
            return true;
        case Command::showDraft:
            item->setCheckable(true);
            item->setChecked(!editor.isPageView());
            return true;
        case Command::togglePageView:
            item->setCheckable(true);
            item->setChecked(editor.isPageView());
            return true;
        case Command::toggleRail:
            item->setText(editor.railShown() ? QStringLiteral("Hide Comments")
                                             : QStringLiteral("Show Comments"));
            return editor.railCardCount() > 0;
        case Command::toggleRevealToolbar:
            item->setText(editor.toolbar()->pinned() ? QStringLiteral("Hide Toolbar")
                                                     : QStringLiteral("Show Toolbar"));
            return true;
        case Command::acceptChange:
        case Command::rejectChange:
            return revisionAtSelection(active).has_value();
        case Command::nextChange:
        case Command::previousChange:
        case Command::acceptAll:
        case Command::rejectAll:
            return !changeRanges(editor).empty();
        case Command::addLink:
            return hasNonEmptyRange(active);
        case Command::addComment:
            return active.bridge && active.bridge->story().kind == rovuvuz::StoryID::Kind::body &&
                   hasNonEmptyRange(active);
        case Command::makeImageLarger:
        case Command::makeImageSmaller:
            return selectedImage(active, /*flush=*/false).has_value();
        case Command::share:
            return !editor.document()->filePath().isEmpty();
        case Command::useSelectionForFind:
            return active.view->textCursor().hasSelection();
        case Command::toggleContinuousSpellChecking:
            item->setCheckable(true);
            item->setChecked(SpellingHighlighter::continuousChecking());
            return true;
        default:
            return true;
    }
}

void registerAll(MainMenu& menu, QObject* context, std::function<EditorViewController*()> current) {
    for (Command command : handled) {
        menu.setHandler(
            command, context,
            [current, command](QAction*) {
                if (EditorViewController* editor = current()) perform(*editor, command);
            },
            [current, command](QAction* item) {
                EditorViewController* editor = current();
                if (!editor) resetItem(command, item);
                return editor && validate(*editor, command, item);
            });
    }
}

}  // namespace EditorActions
}  // namespace tovin

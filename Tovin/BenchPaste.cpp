#include "Tovin/BenchPaste.h"

#include <QCoreApplication>
#include <QMimeData>
#include <QTextCursor>
#include <QTextEdit>
#include <chrono>
#include <memory>

#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/document/TovinDocument.h"
#include "Tovin/editor/ClipboardCommands.h"
#include "Tovin/editor/EditorSession.h"
#include "Tovin/editor/EditorViewController.h"
#include "Tovin/text/StoryBridge.h"

namespace tovin::BenchPaste {

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Lets the view take in what was written (layout of the visible part, repaint) before the
// clock stops, as a user waits for it.
void settle() {
    QCoreApplication::processEvents();
}

double engineMs(EditorViewController& editor, const QByteArray& html) {
    rovuvuz::DocxDocument* opened = editor.doc();
    if (!opened) return -1;
    rovuvuz::DocxDocument copy(opened->data());
    const rovuvuz::StorySnapshot body = copy.snapshot(rovuvuz::StoryID::body());
    const auto paragraphs = body.paragraphs();
    if (paragraphs.empty()) return -1;
    const rovuvuz::ParagraphPos at{paragraphs.front()->id, 0};
    const Clock::time_point start = Clock::now();
    copy.pasteHTML({html.constData(), size_t(html.size())}, at, at, rovuvuz::StoryID::body(),
                   rovuvuz::EditMode::direct());
    return since(start);
}

struct Window {
    double shown = 0;      // until the view shows the paste
    double refreshed = 0;  // until the footer, the rail and the part ledger follow it too
};

Window windowMs(EditorViewController& editor, const QString& html) {
    QTextCursor cursor = editor.body()->textCursor();
    cursor.setPosition(0);
    editor.body()->setTextCursor(cursor);
    QMimeData data;
    data.setHtml(html);
    const Clock::time_point start = Clock::now();
    ClipboardCommands::paste(editor, &data);
    settle();
    Window window;
    window.shown = since(start);
    // The refresh waits for a pause after the change; it is run now, not waited for.
    editor.flushRefresh();
    window.refreshed = since(start);
    return window;
}

// Qt's fastest way to hold the text (one plain-text fill, laid out lazily), with the caret
// put at its end as a paste leaves it, which lays out everything above it.
double floorMs(const EditorViewController& editor, const QString& text) {
    QTextEdit bare;
    bare.resize(editor.body()->size());
    bare.setAcceptRichText(false);
    bare.document()->setUndoRedoEnabled(false);
    bare.show();
    settle();
    const Clock::time_point start = Clock::now();
    bare.document()->setPlainText(text);
    bare.moveCursor(QTextCursor::End);
    settle();
    return since(start);
}

}  // namespace

double requestedMegabytes() {
    bool ok = false;
    const double megabytes = qEnvironmentVariable("TOVIN_BENCH_PASTE").trimmed().toDouble(&ok);
    return ok && megabytes > 0 ? megabytes : 0;
}

Clip make(double megabytes) {
    Clip clip;
    const QString paragraph =
        QStringLiteral("<p>word <b>word</b> word word word word word word word word</p>");
    const QString shown = QStringLiteral("word word word word word word word word word word");
    const auto size = qsizetype(megabytes * 1024 * 1024);
    clip.html.reserve(size + paragraph.size());
    while (clip.html.size() < size) {
        clip.html += paragraph;
        if (clip.paragraphs++ > 0) clip.text += QLatin1Char('\n');
        clip.text += shown;
    }
    return clip;
}

QString run(EditorViewController& editor, double megabytes) {
    if (!editor.doc()) return {};
    const Clip clip = make(megabytes);
    // The floor first: what the window's paste leaves to run after a pause (autosave) would
    // otherwise land in the floor's time.
    const double bare = floorMs(editor, clip.text);
    const double engine = engineMs(editor, clip.html.toUtf8());
    const Window window = windowMs(editor, clip.html);
    return QString::asprintf(
        "TOVIN_BENCH_PASTE html_mb=%.2f paragraphs=%d engine_ms=%.0f paste_ms=%.0f refreshed_ms=%.0f floor_ms=%.0f",
        megabytes, clip.paragraphs, engine, window.shown, window.refreshed, bare);
}

}  // namespace tovin::BenchPaste

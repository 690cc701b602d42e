// The bench's paste case (TOVIN_BENCH_PASTE=MB): HTML of about that many megabytes, one
// short paragraph after another with a bold word in each, as a web page or another word
// processor puts on the clipboard. It is pasted three ways in the same run:
//   - the engine alone, into a fresh copy of the open document (engine_ms);
//   - through the window's Paste, into the opened document at its start, until the view shows
//     it (paste_ms), and until the footer, the rail and the part ledger, which follow a change
//     after a pause, have followed it too (refreshed_ms);
//   - the floor, measured first: the same text inserted as plain text into a bare QTextEdit of
//     the body's size (floor_ms), what any Qt text view pays to hold that many new paragraphs.
// and reported on one line:
//   TOVIN_BENCH_PASTE html_mb=… paragraphs=… engine_ms=… paste_ms=… refreshed_ms=… floor_ms=…
#pragma once

#include <QString>

namespace tovin {

class EditorViewController;

namespace BenchPaste {

// The requested size in megabytes; 0 when TOVIN_BENCH_PASTE is absent or not a number.
double requestedMegabytes();

// The HTML and the text a reader sees of it, `megabytes` long.
struct Clip {
    QString html;
    QString text;
    int paragraphs = 0;
};
Clip make(double megabytes);

// Runs the three pastes and returns the report line; an empty line when the editor has no
// document.
QString run(EditorViewController& editor, double megabytes);

}  // namespace BenchPaste
}  // namespace tovin

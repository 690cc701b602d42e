// The bench harness: a script launches the application with TOVIN_BENCH_OPEN naming a
// document, and the harness opens a scratch copy of it, reports how long the first paint
// took and how much memory the process holds, then, as the environment asks, types a
// phrase key by key with tracking off and on (TOVIN_BENCH_TYPE), writes the page layout's
// PDF (TOVIN_PDF), switches to page view (TOVIN_PAGE), snapshots the window
// (TOVIN_SNAPSHOT, with a description of its widgets under TOVIN_DEBUG) and quits
// (TOVIN_BENCH_QUIT). The report lines are in BenchReport. The user's file is only ever
// read: everything happens to the copy, and typing into anything else is refused.
// All of it runs on the main thread.
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace tovin {

class EditorViewController;
class TovinDocument;

namespace Bench {

// Whether this process is a bench run (TOVIN_BENCH_OPEN is set).
bool isBenchRun();

// Points the settings and state folders (XDG_CONFIG_HOME, XDG_STATE_HOME) at a fresh
// folder that goes with the returned object, so that a bench run adds nothing to the
// user's Open Recent, restored windows or kept versions, nor reads their learned words. Call before anything reads
// settings; null when no folder could be made (the run then fails rather than touch
// the user's).
std::unique_ptr<QTemporaryDir> isolateUserState();

// Copies the file into a fresh folder under the temporary directory and opens the copy.
void open(const QString& path);
// Runs after the opened copy's body view is first drawn (open() connects it); only the first paint of the
// scratch copy after open() reports, and starts what the environment asks for next.
void firstPaint(EditorViewController* editor);
// Whether the document is the scratch copy (paths compared after resolving links).
bool isScratch(const TovinDocument* document);
// Types 2 × n keys in the editor's body (n with tracking off, n on), reports and quits.
void typeKeys(int n, EditorViewController* editor);
// Writes a PNG of the first visible editor window, dialogs over it included; false when
// there is none or the file cannot be written.
bool snapshot(const QString& path);
// Ends the process through the document controller, in a bench run only.
void quit();

}  // namespace Bench

}  // namespace tovin

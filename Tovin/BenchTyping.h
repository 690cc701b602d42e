// Typing for the bench: a fixed phrase sent key by key to a text view, one key per turn of
// the event loop, each timed from sending the key until the window has been drawn again.
// The first n keys are the "off" phase and the next n the "on" phase; a caller that knows
// about change tracking switches it at the phase boundary. The bench harness types into
// the editor's body with it, and the floor program in bench/ into a bare QTextEdit, so both
// take the same keys at the same place.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTextEdit>
#include <chrono>
#include <functional>
#include <vector>

#include "Tovin/BenchReport.h"

class QTextDocument;

namespace tovin {

class BenchTyping : public QObject {
    Q_OBJECT
  public:
    // Typed over and over: 20 characters starting with a space.
    static const QString phrase;

    // Where typing goes: from the middle of the text, the end of the first paragraph of
    // at least 41 characters holding no object character, before its separator; the end
    // of the text when there is none.
    static int insertionPoint(const QTextDocument& text);

    struct Hooks {
        // Called before the first key of each phase with the phase's tracking state.
        std::function<void(bool on)> setTracking = [](bool) {};
        // Called after each key is sent, before the window is drawn (a bridge's flush).
        std::function<void()> afterKey = [] {};
    };
    struct Result {
        BenchReport::Percentiles off;
        BenchReport::Percentiles on;
        int typed = 0;
        int at = 0;
    };

    // Types 2 × keys keys into `view`; `finished` gets the figures, then the typer deletes
    // itself. It belongs to the view, so it goes when the view does.
    static void start(QTextEdit* view, int keys, Hooks hooks, std::function<void(const Result&)> finished);

  private:
    BenchTyping(QTextEdit* view, int keys, Hooks hooks, std::function<void(const Result&)> finished);
    void placeCaret();
    void typeNext();
    void finish();
    void display();

    QPointer<QTextEdit> view_;
    int keys_;
    Hooks hooks_;
    std::function<void(const Result&)> finished_;
    int next_ = 0;
    int at_ = 0;
    std::vector<double> off_;
    std::vector<double> on_;
};

}  // namespace tovin

#include "Tovin/BenchTyping.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

namespace tovin {

namespace {

constexpr int shortestParagraph = 41;
const QChar objectCharacter(0xFFFC);

// The key a keyboard sends for one character of the phrase.
int keyFor(QChar character) {
    if (character == QLatin1Char(' ')) return Qt::Key_Space;
    if (character >= QLatin1Char('a') && character <= QLatin1Char('z'))
        return Qt::Key_A + (character.unicode() - 'a');
    return Qt::Key_unknown;
}

}  // namespace

const QString BenchTyping::phrase = QStringLiteral(" the quick brown fox");

int BenchTyping::insertionPoint(const QTextDocument& text) {
    // The document's last paragraph separator is not part of the text.
    const int length = text.characterCount() - 1;
    for (QTextBlock block = text.findBlock(length / 2); block.isValid(); block = block.next()) {
        const QString paragraph = block.text();
        if (paragraph.size() >= shortestParagraph && !paragraph.contains(objectCharacter))
            return block.position() + int(paragraph.size());
    }
    return length;
}

void BenchTyping::start(QTextEdit* view, int keys, Hooks hooks, std::function<void(const Result&)> finished) {
    auto* typing = new BenchTyping(view, keys, std::move(hooks), std::move(finished));
    typing->placeCaret();
    QTimer::singleShot(0, typing, &BenchTyping::typeNext);
}

BenchTyping::BenchTyping(QTextEdit* view, int keys, Hooks hooks, std::function<void(const Result&)> finished)
    : QObject(view), view_(view), keys_(keys), hooks_(std::move(hooks)), finished_(std::move(finished)) {
    off_.reserve(size_t(keys));
    on_.reserve(size_t(keys));
}

void BenchTyping::placeCaret() {
    // Qt lays a long text out in steps between events; typing into a text half laid out
    // costs less than into one laid out to its end, as it is a moment after opening. The
    // layout is finished first, so every key (and the floor's) meets the same state.
    view_->document()->documentLayout()->documentSize();
    view_->setFocus();
    at_ = insertionPoint(*view_->document());
    QTextCursor caret(view_->document());
    caret.setPosition(at_);
    view_->setTextCursor(caret);
    view_->ensureCursorVisible();
    display();
}

void BenchTyping::display() {
    view_->window()->repaint();
}

void BenchTyping::typeNext() {
    if (!view_) return;
    if (next_ >= 2 * keys_) {
        finish();
        return;
    }
    const int k = next_++;
    if (k == 0 || k == keys_) {
        hooks_.setTracking(k == keys_);
        display();
    }
    const QChar character = phrase.at(k % phrase.size());
    QKeyEvent key(QEvent::KeyPress, keyFor(character), Qt::NoModifier, QString(character));
    const auto start = std::chrono::steady_clock::now();
    QApplication::sendEvent(view_, &key);
    hooks_.afterKey();
    display();
    const std::chrono::duration<double, std::milli> latency = std::chrono::steady_clock::now() - start;
    (k < keys_ ? off_ : on_).push_back(latency.count());
    if (next_ == 2 * keys_) {
        finish();
        return;
    }
    // The next key waits for its own turn, so timers and posted events run in between.
    QTimer::singleShot(0, this, &BenchTyping::typeNext);
}

void BenchTyping::finish() {
    const Result result{BenchReport::percentiles(off_), BenchReport::percentiles(on_), next_, at_};
    finished_(result);
    deleteLater();
}

}  // namespace tovin

// Spelling while typing: misspelt words of an editable view are underlined with the
// spell-check wave. The underline lives in the view's layout (QSyntaxHighlighter), never in
// the document's character formats, so it is not the document's formatting.
//
// Given the view that shows the document, only paragraphs the view has laid out and shows
// are checked; the others are checked when they come into view. A long document then costs
// no more to open than the part on screen, where checking every paragraph would look up
// every word and lay the whole text out again before the first paint.
#pragma once

#include <QPointer>
#include <QSyntaxHighlighter>

class QTextEdit;

namespace tovin {

class Spelling;

class SpellingHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
  public:
    SpellingHighlighter(QTextDocument* document, const Spelling& spelling, QTextEdit* view = nullptr);

    // Check Spelling While Typing; on by default and shared by every view.
    static bool continuousChecking();
    static void setContinuousChecking(bool on);

  protected:
    void highlightBlock(const QString& text) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool laidOut() const;
    bool isShown(const QTextBlock& block) const;
    void checkShownBlocks();

    const Spelling& spelling_;
    QPointer<QTextEdit> view_;
    bool checkScheduled_ = false;
};

}  // namespace tovin

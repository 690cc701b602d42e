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
#include <vector>

#include "Tovin/platform/WordChecker.h"

class QTextEdit;

namespace tovin {

class SpellingHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
  public:
    // Checks with `checker`, and again whenever it changes (a word ignored or learned).
    SpellingHighlighter(QTextDocument* document, WordChecker& checker, QTextEdit* view = nullptr);

    // The languages a paragraph's runs are in (TextProperty::language), in order.
    static std::vector<WordChecker::LanguageRun> languages(const QTextBlock& block);
    // The misspelt words of a paragraph, each in its run's language.
    static std::vector<Spelling::Miss> misspellings(const QTextBlock& block, const WordChecker& checker);

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

    QPointer<WordChecker> checker_;
    QPointer<QTextEdit> view_;
    bool checkScheduled_ = false;
};

}  // namespace tovin

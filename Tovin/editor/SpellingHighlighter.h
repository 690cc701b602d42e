// Spelling while typing: misspelt words of an editable view are underlined with the
// spell-check wave. The underline lives in the view's layout (QSyntaxHighlighter), never in
// the document's character formats, so it is not the document's formatting.
#pragma once

#include <QSyntaxHighlighter>

namespace tovin {

class Spelling;

class SpellingHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
  public:
    SpellingHighlighter(QTextDocument* document, const Spelling& spelling);

    // Check Spelling While Typing; on by default and shared by every view.
    static bool continuousChecking();
    static void setContinuousChecking(bool on);

  protected:
    void highlightBlock(const QString& text) override;

  private:
    const Spelling& spelling_;
};

}  // namespace tovin

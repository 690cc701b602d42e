// The bar along the bottom of an editor window: on the left the body's word count, or the
// page count in page view marked approximate; in the middle, for a few seconds, why the
// last edit was refused; on the right whether the user's edits are tracked. Only the
// paragraphs that changed since the last count are broken into words.
#pragma once

#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <optional>

#include "Tovin/text/WordCount.h"

class QLabel;

namespace tovin {

class FooterBar : public QWidget {
    Q_OBJECT
  public:
    static constexpr int height = 30;

    explicit FooterBar(QWidget* parent = nullptr);

    // Counts the words of the paragraphs anew where they changed, then relabels both sides.
    void update(const QStringList& paragraphs, bool tracking);

    int words() const { return words_; }
    // Set while page view shows; the left label then counts pages.
    std::optional<int> pages() const { return pages_; }
    void setPages(std::optional<int> pages) { pages_ = pages; }
    // How many updates found paragraphs to count anew (a burst of edits should count once).
    int countsMade() const { return counts_; }

    // Shows a refusal's reason for `messageMs` (nothing for an empty reason).
    static constexpr int messageMs = 6000;
    void showMessage(const QString& reason);

    // Puts a view at the bar's trailing end, after the tracking label.
    void addTrailing(QWidget* view);

    QLabel* left() const { return left_; }
    QLabel* right() const { return right_; }
    QLabel* message() const { return message_; }

    // "1,234 WORDS", or "3 PAGES (APPROXIMATE)" with pages; numbers grouped as the user's
    // locale groups them.
    static QString countLabel(int words, std::optional<int> pages);
    static QString trackingLabel(bool tracking);

  private:
    QLabel* left_;
    QLabel* right_;
    QLabel* message_;
    QTimer messageTimer_;
    WordCount count_;
    int words_ = 0;
    int counts_ = 0;
    std::optional<int> pages_;
};

}  // namespace tovin

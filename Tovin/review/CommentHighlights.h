// The commented text of the body, tinted behind the text: softly for every comment, more
// strongly for the thread whose card the pointer is over or that was clicked (until the
// caret leaves its text). The tint is drawn as the body view's extra selections, so the
// document's character formats, and the saved file, never change; its cursors follow the
// text as it is typed, and the ranges are read again from the body's entries whenever the
// rail reloads.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTextCharFormat>
#include <QTimer>
#include <cstdint>
#include <set>
#include <vector>

#include "Tovin/text/StoryBridge.h"

namespace tovin {

class CommentRail;
class RailCard;
class RailSource;

class CommentHighlights : public QObject {
    Q_OBJECT
  public:
    // The tint's opacity for a comment, and for the thread whose card is hovered or selected.
    static constexpr qreal softAlpha = 0.22;
    static constexpr qreal strongAlpha = 0.55;

    CommentHighlights(CommentRail& rail, RailSource& source);

    // One comment's text in body offsets [start, end), between its w:commentRangeStart and
    // w:commentRangeEnd (ECMA-376 §17.13.4.4, §17.13.4.3).
    struct Range {
        int64_t comment = 0;
        int start = 0;
        int end = 0;
        bool operator==(const Range&) const = default;
    };
    // The ranges of the comments marked in the body's paragraphs, in order of their ends. A
    // comment marked inside a table, or missing either mark, has none: its text is not in
    // the body view's own text.
    static std::vector<Range> rangesOf(const std::vector<StoryBridge::Entry>& body);

    const std::vector<Range>& ranges() const { return ranges_; }
    // The comments of the hovered or selected card's thread.
    std::set<int64_t> emphasised() const;

    // Reads the ranges again and draws them.
    void refresh();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void watchCards();
    void draw();
    void restyle();
    // Where the drawn ranges stand now; empty when they are not drawn.
    std::vector<Range> drawnAt() const;
    static QTextCharFormat shade(int64_t comment, const std::set<int64_t>& strong, const QPalette& palette);
    void caretMoved();
    static std::set<int64_t> threadOf(const RailCard* card);

    CommentRail& rail_;
    RailSource& source_;
    std::vector<Range> ranges_;
    QPointer<RailCard> hovered_;
    std::set<int64_t> selected_;
    QTimer retry_;
};

}  // namespace tovin

// The floating format bar over a selection: the paragraph style menu, the font family and
// size, the text colour and highlight, the four marks (bold, italic, underline,
// strikethrough), Link and Comment. It appears once a selection
// is made (after the mouse is released), sits above the selection or below it near the top
// of the view, and hides while the user types.
#pragma once

#include <QFrame>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <array>
#include <optional>

class QComboBox;
class QLayout;
class QTextEdit;
class QToolButton;

namespace tovin {

class EditorViewController;

class FormatPopover : public QFrame {
    Q_OBJECT
  public:
    FormatPopover(EditorViewController* editor, QWidget* host);

    // Hides for an empty selection; otherwise syncs and shows over the selection's first
    // line, waiting while a mouse button is still down.
    void selectionChanged(QTextEdit* view);
    // Rebuilds the style menu and sets the marks from the selection's attributes.
    void sync();

    // Where the bar of `size` stands for a selection whose first line is `line`, in a host
    // `hostWidth` wide: centred on the line, 12 from either side, 8 above the line, or 8
    // below it when above would come within 40 of the top.
    static QPoint placement(const QRect& line, const QSize& size, int hostWidth);

    QComboBox* styleMenu() const { return style_; }
    QComboBox* familyMenu() const { return family_; }
    QComboBox* sizeMenu() const { return size_; }
    QToolButton* colourButton() const { return colour_; }
    QToolButton* highlightButton() const { return highlight_; }
    QToolButton* mark(int index) const { return marks_[size_t(index)]; }
    const std::optional<std::pair<int, int>>& shownFor() const { return shownFor_; }

  private:
    void place(QTextEdit* view);
    void addFontControls(QLayout& layout);
    void syncFont();

    QPointer<EditorViewController> editor_;
    QComboBox* style_;
    QComboBox* family_ = nullptr;
    QComboBox* size_ = nullptr;
    QToolButton* colour_ = nullptr;
    QToolButton* highlight_ = nullptr;
    std::array<QToolButton*, 4> marks_{};
    std::optional<std::pair<int, int>> shownFor_;  // selection start and end
    QTimer recheck_;
    QPointer<QTextEdit> pendingView_;
    bool syncing_ = false;
};

}  // namespace tovin

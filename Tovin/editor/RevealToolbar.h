// The toolbar that slides in under the top edge of the editor when the pointer rests
// there, or stays when pinned (View > Show Toolbar): the Draft / Page switch, the "Track my
// edits" switch and Share.
#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QPropertyAnimation;
class QPushButton;
class QToolButton;

namespace tovin {

class EditorViewController;

class RevealToolbar : public QWidget {
    Q_OBJECT
  public:
    static constexpr int barHeight = 44;
    static constexpr int hotZone = 12;  // how far under the top edge the pointer calls the bar
    static constexpr int revealDelayMs = 120;

    RevealToolbar(EditorViewController* editor, QWidget* host);

    bool pinned() const { return pinned_; }
    void setPinned(bool pinned);
    bool shown() const { return shown_; }
    void setShown(bool shown);
    // Watches the pointer over a view of the editor (with mouse tracking on).
    void watch(QWidget* view);
    // Segment, switch and Share from the editor's state.
    void sync();

    QToolButton* draftSegment() const { return draft_; }
    QToolButton* pageSegment() const { return page_; }
    QCheckBox* trackSwitch() const { return track_; }
    QPushButton* shareButton() const { return share_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void pointerAt(const QPoint& inHost);
    QPoint restingPlace(bool shown) const;

    QPointer<EditorViewController> editor_;
    QToolButton* draft_;
    QToolButton* page_;
    QCheckBox* track_;
    QPushButton* share_;
    QPropertyAnimation* slide_;
    QTimer hoverTask_;
    bool pinned_ = false;
    bool shown_ = false;
};

}  // namespace tovin

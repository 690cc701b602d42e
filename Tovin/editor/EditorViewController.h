// The content of an editor window: the body column and its header, footer and notes bands
// (each an editable view with its own story bridge), the footer bar, the reveal toolbar,
// the format popover and the comment rail. It answers which view and bridge a command acts
// on (`active`), makes the bridges of its bands and table cells, and after every model
// change refreshes the footer once the burst of edits has settled. The menu commands
// themselves are in the command files beside it (FormatCommands, ReviewCommands, …).
#pragma once

#include <QPointer>
#include <QTextEdit>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "RovuVuz/model/EditValues.h"
#include "RovuVuz/model/Identifiers.h"
#include "RovuVuz/snapshot/Snapshot.h"
#include "Tovin/editor/ColumnTextView.h"
#include "Tovin/review/RailSource.h"
#include "Tovin/tables/TableEditor.h"
#include "Tovin/text/BandTextView.h"

namespace rovuvuz {
class DocxDocument;
struct TableEdit;
}  // namespace rovuvuz

namespace tovin {

class CommentRail;
class EditSeam;
class EditorSession;
class EditorUndo;
class FindBar;
class FooterBar;
class FormatPopover;
class PartLedger;
class RevealToolbar;
class StoryBridge;
class TovinDocument;
class WordChecker;

// A one-pixel rule drawn in the theme's hairline colour.
class HairlineView : public QWidget {
    Q_OBJECT
  public:
    explicit HairlineView(QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

class EditorViewController : public QWidget, public TableEditor, public RailSource {
    Q_OBJECT
  public:
    static constexpr int refreshDelayMs = 250;

    explicit EditorViewController(TovinDocument* document, QWidget* parent = nullptr);
    ~EditorViewController() override;

    // The editor of the frontmost window's current tab; null when there is none.
    static EditorViewController* frontmost();

    QObject* editorObject() override { return this; }
    QObject* sourceObject() override { return this; }

    TovinDocument* document() const;
    rovuvuz::DocxDocument* doc() const override;
    EditorSession* session() const { return session_; }
    EditorUndo& undo();
    // Every edit a command makes goes through here (see EditSeam).
    EditSeam& seam();
    QTextEdit* body() const override;
    StoryBridge* bodyBridge() const override;
    FooterBar* footer() const { return footer_; }
    FormatPopover* popover() const { return popover_; }
    FindBar* findBar() const { return findBar_; }
    RevealToolbar* toolbar() const { return toolbar_; }

    struct Band {
        BandTextView* view = nullptr;
        std::unique_ptr<StoryBridge> bridge;
    };
    BandTextView* headerBand() const { return header_.view; }
    BandTextView* footerBand() const { return footerBand_.view; }
    BandTextView* notesBand() const { return notes_.view; }
    // The endnotes, in a band of their own after the footnotes.
    BandTextView* endnotesBand() const { return endnotes_.view; }

    // The view a command acts on: the focused text view when it has a bridge, else the body.
    struct Active {
        QTextEdit* view = nullptr;
        StoryBridge* bridge = nullptr;
    };
    Active active() const;
    StoryBridge* bridgeOf(const QWidget* view) const;

    // A bridge between a band or table cell view and a story, hosted by the session (edit
    // mode, undo, change marking, refusals), its tables made live at `depth`, and entered
    // in the bridge map for as long as the view lives.
    std::unique_ptr<StoryBridge> makeBridge(const rovuvuz::StoryID& story, QTextEdit* view, qreal width,
                                            int depth = 0) override;
    // A table's row or column command: one undo step in the current edit mode; a refusal
    // is announced and leaves the document as it was; then every view reloads.
    void tableEdit(const rovuvuz::TableEdit& edit, rovuvuz::BlockID table, const rovuvuz::StoryID& story,
                   size_t row, size_t column) override;

    // A cell of a table of `story` was edited through its own bridge: a body table's entry,
    // or that of the body table holding it, is renewed before the rail next reads it.
    void cellEdited(rovuvuz::BlockID table, const rovuvuz::StoryID& story) override;
    // Sends the pending edits of the bands and cells to the engine.
    void flushBands();

    // direct, or tracked by the author name now while the document tracks changes.
    rovuvuz::EditMode editMode() const;

    // Marks the document edited and schedules one refresh of the footer 0.25 s after the
    // last of a burst of changes.
    void modelChanged();
    // Every view from fresh snapshots, then the footer and the band layout (undo does the
    // same through the session).
    void reloadAll();
    // Places the bands around the body's text and sets the body's insets to make room.
    void layoutBands();

    // Page view shows the pages instead of the editable column (set by the page preview).
    bool isPageView() const { return pageView_; }
    // `pages` is the page count the footer shows while it is on.
    void setPageView(bool on, std::optional<int> pages = std::nullopt);
    // Whether the comment rail is shown, and how many cards it has (none without a rail).
    bool railShown() const { return railShown_; }
    void setRailShown(bool shown);
    int railCardCount() const;
    CommentRail* rail() const { return rail_; }
    PartLedger* ledger() const { return ledger_; }

    // The window's zoom level (1 is actual size), within minimumZoom…maximumZoom: the body,
    // its bands and tables, the rail beside them and the page view are shown at it. It is
    // the window's own and never written into the document.
    static constexpr qreal minimumZoom = 0.5;
    static constexpr qreal maximumZoom = 3;
    qreal zoom() const { return zoom_; }
    void setZoom(qreal zoom);

    // Check Spelling While Typing, for every view of every editor.
    void setContinuousSpellChecking(bool on);
    // This document's spelling: the dictionaries, the user's learned words and the words
    // ignored in this window.
    WordChecker& spelling() const { return *spelling_; }

    // The body's change ranges as ReviewCommands last found them (location, length), kept
    // until the body's text or formats change: menu validation asks on every caret move.
    std::optional<std::vector<std::pair<int, int>>>& changeCache() { return changeCache_; }

    // How many debounced refreshes have run (each updates footer, ledger and rail).
    int refreshCount() const { return refreshes_; }
    // Runs a pending refresh at once.
    void flushRefresh();

  Q_SIGNALS:
    // After each debounced refresh: the ledger and the rail reload from the model.
    void refreshed();
    void pageViewChanged(bool on);
    // The window's zoom level changed (the page view follows it).
    void zoomChanged(qreal zoom);
    // Once, when the body has been painted for the first time.
    void firstPainted();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    // The first time the editor appears, the body takes the keys.
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void rescaleBody();
    void selectionChanged(QTextEdit* view);
    void connectRail();
    void loadBands();
    void reloadBands();
    void clearBands();
    std::vector<rovuvuz::BlockSnapshot> storyBlocks(const rovuvuz::StoryID& story) const;
    Band makeBand(const rovuvuz::StoryID& story, std::vector<rovuvuz::BlockSnapshot> blocks);
    std::pair<std::vector<rovuvuz::BlockSnapshot>, std::map<rovuvuz::ParagraphID, std::string>> noteBlocks(
        const rovuvuz::StoryID& story) const;
    static std::vector<rovuvuz::EntrySnapshot> inNumberOrder(std::vector<rovuvuz::EntrySnapshot> entries);
    void loadNotes(Band& band, std::map<rovuvuz::ParagraphID, std::string>& labels,
                   const rovuvuz::StoryID& story);
    bool reloadNotes(Band& band, std::map<rovuvuz::ParagraphID, std::string>& labels,
                     const rovuvuz::StoryID& story);
    void refresh();
    void refreshLedger();
    void updateFooter();
    qreal columnWidth() const;

    QPointer<TovinDocument> document_;
    WordChecker* spelling_;
    ColumnTextView* bodyView_;
    EditorSession* session_;
    FooterBar* footer_;
    FindBar* findBar_;
    FormatPopover* popover_;
    RevealToolbar* toolbar_;
    CommentRail* rail_;
    PartLedger* ledger_;
    HairlineView* headerRule_;
    HairlineView* notesRule_;
    Band header_;
    Band footerBand_;
    Band notes_;
    std::map<rovuvuz::ParagraphID, std::string> noteLabels_;
    Band endnotes_;
    std::map<rovuvuz::ParagraphID, std::string> endnoteLabels_;
    // The bridge of every band and table cell view.
    std::map<const QWidget*, QPointer<StoryBridge>> bridgeMap_;
    std::optional<std::vector<std::pair<int, int>>> changeCache_;
    QTimer refreshTask_;
    int refreshes_ = 0;
    int bandWidth_ = -1;
    qreal railLaidOutFor_ = -1;                 // the body height the rail's cards were placed for
    qreal bodyHeight_ = 0;                      // as the body's layout last reported it
    mutable std::optional<qreal> columnWidth_;  // until the package is replaced
    int bandHeights_[4] = {0, 0, 0, 0};         // header, notes, footer, endnotes
    qreal zoom_ = 1;
    bool bodyScaleStale_ = false;  // zoomed in page view: the body shows the level before
    bool pageView_ = false;
    bool shown_ = false;
    bool railShown_ = true;
};

}  // namespace tovin

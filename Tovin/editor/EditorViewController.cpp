#include "Tovin/editor/EditorViewController.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextFrame>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cctype>
#include <cmath>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/TableEdit.h"
#include "RovuVuz/format/Sections.h"
#include "Tovin/commands/MainMenu.h"
#include "Tovin/document/TovinDocument.h"
#include "Tovin/editor/EditorSession.h"
#include "Tovin/editor/FindBar.h"
#include "Tovin/editor/FooterBar.h"
#include "Tovin/editor/FormatPopover.h"
#include "Tovin/editor/ListCommands.h"
#include "Tovin/editor/SubstitutionCommands.h"
#include "Tovin/editor/ZoomLevels.h"
#include "Tovin/editor/RevealToolbar.h"
#include "Tovin/editor/ReviewCommands.h"
#include "Tovin/editor/SpellingCommands.h"
#include "Tovin/platform/PersonalDictionary.h"
#include "Tovin/platform/SpellingDictionaries.h"
#include "Tovin/platform/WordChecker.h"
#include "Tovin/platform/TabbedWindow.h"
#include "Tovin/review/CommentHighlights.h"
#include "Tovin/review/CommentRail.h"
#include "Tovin/review/PartLedger.h"
#include "Tovin/tables/TableAttachment.h"
#include "Tovin/tables/TableHost.h"
#include "Tovin/tables/TableMenu.h"
#include "Tovin/tables/TableView.h"
#include "Tovin/text/DisplayUnits.h"
#include "Tovin/text/SpellingHighlighter.h"
#include "Tovin/text/StoryBridge.h"
#include "Tovin/text/StoryText.h"
#include "Tovin/text/Theme.h"

namespace tovin {

using rovuvuz::BlockSnapshot;
using rovuvuz::StoryID;

namespace {

// Band layout constants, in device-independent pixels of the body view.
constexpr int headerTop = 28;        // the header band's distance from the top
constexpr int ruleGap = 14;          // from the header band to its rule
constexpr int headerClearance = 72;  // from the header band's top to the body text
constexpr int plainTop = 56;         // the body's top inset with no header
constexpr int bandGap = 40;          // between notes, footer and the text above
constexpr int plainBottom = 56;
constexpr int notesRuleWidth = 144;

}  // namespace

HairlineView::HairlineView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void HairlineView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Theme::hairline.resolve(palette()));
}

EditorViewController::EditorViewController(TovinDocument* document, QWidget* parent)
    : QWidget(parent),
      document_(document),
      spelling_(new WordChecker(SpellingDictionaries::shared(), PersonalDictionary::shared(), this)),
      bodyView_(new ColumnTextView(this)),
      session_(nullptr),
      footer_(new FooterBar(this)),
      findBar_(nullptr),
      popover_(nullptr),
      toolbar_(nullptr),
      rail_(nullptr),
      ledger_(new PartLedger(footer_)),
      headerRule_(new HairlineView(bodyView_->viewport())),
      notesRule_(new HairlineView(bodyView_->viewport())) {
    setObjectName(QStringLiteral("EditorViewController"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    bodyView_->setObjectName(QStringLiteral("body"));
    bodyView_->setColumnWidth(columnWidth());
    findBar_ = new FindBar(this, this);
    layout->addWidget(findBar_);
    layout->addWidget(bodyView_, 1);
    layout->addWidget(footer_);
    headerRule_->hide();
    notesRule_->hide();

    session_ = new EditorSession(*this, document, bodyView_, columnWidth());
    connect(&session_->seam(), &EditSeam::refused, footer_, &FooterBar::showMessage);
    // A newer change restarts the wait, so a burst of edits refreshes once.
    connect(session_, &EditorSession::changed, this, [this] { refreshTask_.start(); });
    connect(session_, &EditorSession::reloaded, this, &EditorViewController::reloadBands);
    connect(session_, &EditorSession::bodyLoaded, this, [this] {
        columnWidth_.reset();
        loadBands();
        updateFooter();
        if (!rail_) return;
        rail_->commentsChanged();
        rail_->reload();
    });
    popover_ = new FormatPopover(this, bodyView_->viewport());
    toolbar_ = new RevealToolbar(this, this);
    toolbar_->watch(bodyView_->viewport());
    rail_ = new CommentRail(this, bodyView_->viewport());
    new CommentHighlights(*rail_, *this);
    connectRail();
    footer_->addTrailing(ledger_);
    // The rail and the ledger follow the model after each settled burst of changes.
    connect(this, &EditorViewController::refreshed, this, [this] {
        rail_->reload();
        refreshLedger();
    });
    connect(this, &EditorViewController::pageViewChanged, this, [this] {
        refreshLedger();
        layoutBands();
    });

    refreshTask_.setSingleShot(true);
    refreshTask_.setInterval(refreshDelayMs);
    connect(&refreshTask_, &QTimer::timeout, this, &EditorViewController::refresh);
    connect(document, &TovinDocument::trackingChanged, this, [this] {
        updateFooter();
        toolbar_->sync();
    });
    connect(bodyView_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { layoutBands(); });
    // The layout reports the body's height as it lays out a long text bit by bit; asking
    // the document for its size instead would lay all of it out at once.
    connect(bodyView_->document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
            [this](const QSizeF& size) {
                bodyHeight_ = size.height();
                layoutBands();
            });
    connect(bodyView_->document(), &QTextDocument::contentsChange, this, [this] { changeCache_.reset(); });
    bodyView_->viewport()->installEventFilter(this);
    bodyView_->installEventFilter(new ListKeys(*this));
    bodyView_->installEventFilter(new SubstitutionKeys(*this));
    connect(bodyView_, &QTextEdit::selectionChanged, this, [this] { selectionChanged(bodyView_); });

    SpellingCommands::checkSpelling(*this, *bodyView_);
    loadBands();
    updateFooter();
    connect(bodyView_, &ColumnTextView::firstPainted, this, &EditorViewController::firstPainted);
    rail_->reload();
    refreshLedger();
}

EditorViewController* EditorViewController::frontmost() {
    TabbedWindow* window = TabbedWindow::frontmost();
    return window ? qobject_cast<EditorViewController*>(window->currentPage()) : nullptr;
}

void EditorViewController::connectRail() {
    connect(rail_, &CommentRail::layoutNeeded, this, &EditorViewController::layoutBands);
    connect(rail_, &CommentRail::resolveChangeRequested, this,
            [this](const std::vector<rovuvuz::RevisionID>& revisions, bool accept) {
                ReviewCommands::resolveRevisions(*this, revisions, accept);
            });
    connect(rail_, &CommentRail::resolveThreadRequested, this,
            [this](rovuvuz::CommentID comment, bool resolved) {
                ReviewCommands::resolveThread(*this, comment, resolved);
            });
    connect(rail_, &CommentRail::replyRequested, this,
            [this](rovuvuz::CommentID comment, const QString& text) {
                ReviewCommands::reply(*this, comment, text);
            });
    connect(rail_, &CommentRail::deleteCommentRequested, this,
            [this](rovuvuz::CommentID comment) { ReviewCommands::deleteComment(*this, comment); });
    connect(rail_, &CommentRail::editCommentRequested, this, [this](rovuvuz::CommentID comment, const QString& text) {
        ReviewCommands::editComment(*this, comment, text);
    });
}

int EditorViewController::railCardCount() const {
    return rail_ ? int(rail_->cards().size()) : 0;
}

void EditorViewController::refreshLedger() {
    ledger_->setDocument(doc());
    ledger_->refresh();
}

EditorViewController::~EditorViewController() {
    // The views outlive this part of the controller; their ends no longer concern it.
    for (const auto& entry : bridgeMap_) disconnect(entry.first, nullptr, this, nullptr);
}

void EditorViewController::setContinuousSpellChecking(bool on) {
    SpellingHighlighter::setContinuousChecking(on);
    for (QTextEdit* view : findChildren<QTextEdit*>()) {
        for (auto* highlighter : view->document()->findChildren<SpellingHighlighter*>())
            highlighter->rehighlight();
    }
}

void EditorViewController::selectionChanged(QTextEdit* view) {
    popover_->selectionChanged(view);
    // Items such as Add Link and Accept Change depend on the selection.
    MainMenu::build().scheduleValidation();
}

TovinDocument* EditorViewController::document() const {
    return document_;
}

rovuvuz::DocxDocument* EditorViewController::doc() const {
    return document_ ? document_->docx() : nullptr;
}

EditorUndo& EditorViewController::undo() {
    return session_->undo();
}

EditSeam& EditorViewController::seam() {
    return session_->seam();
}

QTextEdit* EditorViewController::body() const {
    return bodyView_;
}

StoryBridge* EditorViewController::bodyBridge() const {
    return session_->bodyBridge();
}

qreal EditorViewController::columnWidth() const {
    // Kept until the package is replaced: reading the page setup walks the body.
    if (columnWidth_) return *columnWidth_;
    rovuvuz::DocxDocument* docx = doc();
    if (!docx) return 612 * displayScale * zoom_;
    const rovuvuz::PageSetup page = docx->pageSetup();
    columnWidth_ = std::round((page.width - page.left - page.right) * displayScale * zoom_);
    return *columnWidth_;
}

void EditorViewController::setZoom(qreal zoom) {
    zoom = std::clamp(zoom, minimumZoom, maximumZoom);
    if (std::abs(zoom - zoom_) < 0.001) return;
    zoom_ = zoom;
    columnWidth_.reset();
    // Page view shows the pages at once; the text under them, which a long document takes
    // a while to show anew, follows when the draft comes back.
    if (pageView_)
        bodyScaleStale_ = true;
    else
        rescaleBody();
    Q_EMIT zoomChanged(zoom_);
}

void EditorViewController::rescaleBody() {
    bodyScaleStale_ = false;
    bodyView_->setColumnWidth(columnWidth());
    // The body is shown anew at the new scale; its bands, tables and rail follow it.
    session_->rescale(columnWidth(), zoom_);
    // The format bar stands over the selection where it is now drawn.
    popover_->selectionChanged(bodyView_);
}

rovuvuz::EditMode EditorViewController::editMode() const {
    return session_->editMode();
}

EditorViewController::Active EditorViewController::active() const {
    if (auto* focus = qobject_cast<QTextEdit*>(focusWidget()))
        if (StoryBridge* bridge = bridgeOf(focus); bridge && focus != bodyView_) return {focus, bridge};
    return {bodyView_, bodyBridge()};
}

StoryBridge* EditorViewController::bridgeOf(const QWidget* view) const {
    if (view == bodyView_) return bodyBridge();
    const auto found = bridgeMap_.find(view);
    return found == bridgeMap_.end() ? nullptr : found->second.data();
}

std::unique_ptr<StoryBridge> EditorViewController::makeBridge(const StoryID& story, QTextEdit* view,
                                                              qreal width, int depth) {
    AttributedBuilder scaled(doc(), story, width);
    scaled.zoom = zoom_;
    auto bridge = std::make_unique<StoryBridge>(
        doc(), story, view, TableAttachment::liveTables(std::move(scaled), TableEditorRef(this), view, depth),
        session_);
    view->setAcceptRichText(false);
    view->installEventFilter(session_);
    // Ctrl+wheel over a band or a table cell zooms the window as over the body.
    view->viewport()->installEventFilter(this);
    if (auto* listKeys = findChild<ListKeys*>(QString(), Qt::FindDirectChildrenOnly)) view->installEventFilter(listKeys);
    if (auto* substitutions = findChild<SubstitutionKeys*>(QString(), Qt::FindDirectChildrenOnly))
        view->installEventFilter(substitutions);
    // Checked where the view is visible: a band below the body's visible text waits.
    SpellingCommands::checkSpelling(*this, *view);
    connect(view, &QTextEdit::selectionChanged, this, [this, view] { selectionChanged(view); });
    bridgeMap_[view] = bridge.get();
    connect(view, &QObject::destroyed, this, [this, view] { bridgeMap_.erase(view); });
    return bridge;
}

void EditorViewController::tableEdit(const rovuvuz::TableEdit& edit, rovuvuz::BlockID table,
                                     const StoryID& story, size_t row, size_t column) {
    rovuvuz::DocxDocument* docx = doc();
    if (!docx) return;
    session_->flushAll();
    if (!seam().run([&] { docx->apply(edit, table, story, editMode()); })) return;
    modelChanged();
    reloadAll();
    // The reload made the table's views anew: the next keys go into the cell the edit left
    // the user at, in the view showing the story.
    QTextEdit* host = bodyView_;
    for (const Band* band : {&header_, &footerBand_, &notes_, &endnotes_})
        if (band->bridge && band->bridge->story() == story) host = band->view;
    if (story.kind != StoryID::Kind::body && host == bodyView_) return;
    if (TableView* view = TableHost::of(host)->find(table)) {
        const auto [r, c] = TableMenu::caretAfter(edit, row, column);
        view->focusCell(r, c);
    }
}

void EditorViewController::flushBands() {
    // A flush may reload a view, never add or remove one.
    std::vector<QPointer<StoryBridge>> bridges;
    for (const auto& [view, bridge] : bridgeMap_) bridges.push_back(bridge);
    for (const QPointer<StoryBridge>& bridge : bridges)
        if (bridge) bridge->flush();
}

void EditorViewController::cellEdited(rovuvuz::BlockID table, const StoryID& story) {
    if (story.kind == StoryID::Kind::body && bodyBridge()) bodyBridge()->tableEdited(table);
}

std::vector<BlockSnapshot> EditorViewController::storyBlocks(const StoryID& story) const {
    rovuvuz::DocxDocument* docx = doc();
    if (!docx) return {};
    try {
        return docx->snapshot(story).blocks;
    } catch (const std::exception&) {
        // A band whose story does not read is not shown.
        return {};
    }
}

std::pair<std::vector<BlockSnapshot>, std::map<rovuvuz::ParagraphID, std::string>>
EditorViewController::noteBlocks(const StoryID& notes) const {
    std::vector<BlockSnapshot> blocks;
    std::map<rovuvuz::ParagraphID, std::string> labels;
    rovuvuz::DocxDocument* docx = doc();
    if (!docx || !docx->part(notes)) return {};
    try {
        const rovuvuz::StorySnapshot story = docx->snapshot(notes);
        for (const rovuvuz::EntrySnapshot& entry : inNumberOrder(story.entries)) {
            // The number a reader sees follows the references' order in the body (or the
            // note's custom mark); a note nothing references keeps its id.
            const std::string label = entry.label.empty() ? std::to_string(entry.id) : entry.label;
            bool first = true;
            for (const BlockSnapshot& block : entry.blocks) {
                if (const auto* paragraph = std::get_if<rovuvuz::ParagraphSnapshot>(&block.value);
                    paragraph && first) {
                    labels[paragraph->id] = label;
                    first = false;
                    // Shown with its number from the start, so relabelling finds nothing
                    // to redraw: one redraw per note makes a long document slow to open.
                    blocks.push_back({paragraph->withListLabel(label)});
                    continue;
                }
                blocks.push_back(block);
            }
        }
    } catch (const std::exception&) {
        return {};
    }
    return {std::move(blocks), std::move(labels)};
}

// Notes in the order of their numbers, as a reader finds them at the foot of the page
// (the part keeps them in the order they were made). Marks other than plain numbers, and
// notes nothing references, keep the part's order.
std::vector<rovuvuz::EntrySnapshot> EditorViewController::inNumberOrder(
    std::vector<rovuvuz::EntrySnapshot> entries) {
    const auto number = [](const std::string& label) -> std::optional<long> {
        if (label.empty() || label.size() > 9 ||
            !std::all_of(label.begin(), label.end(), [](unsigned char c) { return std::isdigit(c) != 0; }))
            return std::nullopt;
        return std::stol(label);
    };
    if (std::all_of(entries.begin(), entries.end(),
                    [&](const auto& entry) { return number(entry.label).has_value(); }))
        std::stable_sort(entries.begin(), entries.end(),
                         [&](const auto& a, const auto& b) { return *number(a.label) < *number(b.label); });
    return entries;
}

EditorViewController::Band EditorViewController::makeBand(const StoryID& story,
                                                          std::vector<BlockSnapshot> blocks) {
    Band band;
    band.view = new BandTextView(bodyView_->viewport());
    band.bridge = makeBridge(story, band.view, columnWidth());
    connect(band.bridge.get(), &StoryBridge::edited, this, [this] {
        bandWidth_ = -1;  // its height may have changed
        layoutBands();
    });
    band.bridge->load(std::move(blocks));
    band.view->show();
    return band;
}

void EditorViewController::clearBands() {
    for (Band* band : {&header_, &footerBand_, &notes_, &endnotes_}) {
        band->bridge.reset();
        delete band->view;
        band->view = nullptr;
    }
    headerRule_->hide();
    notesRule_->hide();
}

void EditorViewController::loadBands() {
    clearBands();
    rovuvuz::DocxDocument* docx = doc();
    if (!docx) return;
    if (const std::optional<StoryID> story = docx->defaultHeader()) {
        std::vector<BlockSnapshot> blocks = storyBlocks(*story);
        if (!blocks.empty()) header_ = makeBand(*story, std::move(blocks));
    }
    if (const std::optional<StoryID> story = docx->defaultFooter()) {
        std::vector<BlockSnapshot> blocks = storyBlocks(*story);
        if (!blocks.empty()) footerBand_ = makeBand(*story, std::move(blocks));
    }
    loadNotes(notes_, noteLabels_, StoryID::footnotes());
    loadNotes(endnotes_, endnoteLabels_, StoryID::endnotes());
    headerRule_->setVisible(header_.view != nullptr);
    notesRule_->setVisible(notes_.view != nullptr || endnotes_.view != nullptr);
    bandWidth_ = -1;
    layoutBands();
}

void EditorViewController::loadNotes(Band& band, std::map<rovuvuz::ParagraphID, std::string>& labels,
                                     const StoryID& story) {
    auto [blocks, found] = noteBlocks(story);
    if (blocks.empty()) return;
    labels = std::move(found);
    band = makeBand(story, {});
    band.bridge->customLabels = [&labels] { return labels; };
    band.bridge->load(std::move(blocks));
    band.bridge->relabel();
}

// False when the story has notes its band does not show yet (the first note of a
// document): the bands are then made again.
bool EditorViewController::reloadNotes(Band& band, std::map<rovuvuz::ParagraphID, std::string>& labels,
                                       const StoryID& story) {
    auto [blocks, found] = noteBlocks(story);
    if (!band.bridge) return blocks.empty();
    labels = std::move(found);
    band.bridge->reloadFromModel(std::move(blocks));
    band.bridge->relabel();
    return true;
}

void EditorViewController::modelChanged() {
    session_->modelChanged();
}

void EditorViewController::flushRefresh() {
    if (!refreshTask_.isActive()) return;
    refreshTask_.stop();
    refresh();
}

void EditorViewController::refresh() {
    ++refreshes_;
    updateFooter();
    Q_EMIT refreshed();
    layoutBands();
}

void EditorViewController::updateFooter() {
    // A table is one object character of the body's text; its cells' words count too.
    QStringList paragraphs;
    for (QTextBlock block = bodyView_->document()->begin(); block.isValid(); block = block.next())
        paragraphs << block.text();
    for (const TableView* table : TableHost::of(bodyView_)->views()) paragraphs << table->readerText();
    footer_->update(paragraphs, document_ && document_->trackChanges());
}

void EditorViewController::reloadAll() {
    session_->reloadAll();
}

void EditorViewController::reloadBands() {
    for (Band* band : {&header_, &footerBand_}) {
        if (band->bridge) band->bridge->reloadFromModel(storyBlocks(band->bridge->story()));
    }
    const bool footnotesShown = reloadNotes(notes_, noteLabels_, StoryID::footnotes());
    if (!reloadNotes(endnotes_, endnoteLabels_, StoryID::endnotes()) || !footnotesShown) loadBands();
    updateFooter();
    if (rail_) rail_->commentsChanged();  // a reload may follow a comment edit or an undo
    Q_EMIT refreshed();
    bandWidth_ = -1;
    layoutBands();
}

void EditorViewController::setPageView(bool on, std::optional<int> pages) {
    if (pageView_ == on) return;
    pageView_ = on;
    if (on) popover_->hide();
    if (!on && bodyScaleStale_) rescaleBody();
    footer_->setPages(on ? pages : std::nullopt);
    updateFooter();
    toolbar_->sync();
    Q_EMIT pageViewChanged(on);
}

void EditorViewController::setRailShown(bool shown) {
    railShown_ = shown;
    layoutBands();
}

void EditorViewController::layoutBands() {
    const int railWidth = railShown_ && !pageView_ && railCardCount() > 0 ? CommentRail::shownWidth : 0;
    // The body column places itself (ColumnTextView); the bands stand in the same column.
    bodyView_->setRailWidth(railWidth);
    const int width = int(bodyView_->visibleColumnWidth());
    if (width != bandWidth_) {
        bandWidth_ = width;
        bandHeights_[0] = header_.view ? header_.view->fittedHeight(width) : 0;
        bandHeights_[1] = notes_.view ? notes_.view->fittedHeight(width) : 0;
        bandHeights_[2] = footerBand_.view ? footerBand_.view->fittedHeight(width) : 0;
        bandHeights_[3] = endnotes_.view ? endnotes_.view->fittedHeight(width) : 0;
    }
    const auto [h, n, f, e] = std::tuple(bandHeights_[0], bandHeights_[1], bandHeights_[2], bandHeights_[3]);
    const int top = header_.view ? h + headerClearance : plainTop;
    const int bottom = std::max(
        (notes_.view ? n + bandGap : 0) + (endnotes_.view ? e + bandGap : 0) + (footerBand_.view ? f + bandGap : 0) +
            plainBottom,
        top / 2);
    bodyView_->setInsets(top, bottom);
    const int x = int(bodyView_->columnX());
    const int scrolled = bodyView_->verticalScrollBar()->value();
    if (header_.view) {
        header_.view->setGeometry(x, headerTop - scrolled, width, h);
        headerRule_->setGeometry(x, headerTop + h + ruleGap - scrolled, width, 1);
    }
    const int bodyHeight = int(std::ceil(bodyHeight_));
    int y = bodyHeight - bottom + 32;
    if (notes_.view || endnotes_.view) notesRule_->setGeometry(x, y - scrolled, std::min(width, notesRuleWidth), 1);
    if (notes_.view) {
        notes_.view->setGeometry(x, y + 12 - scrolled, width, n);
        y += n + bandGap;
    }
    if (endnotes_.view) {
        endnotes_.view->setGeometry(x, y + 12 - scrolled, width, e);
        y += e + bandGap;
    }
    if (footerBand_.view) footerBand_.view->setGeometry(x, y - scrolled, width, f);
    // The rail spans the text from its top and scrolls with it.
    const int viewportWidth = bodyView_->viewport()->width();
    const int railHeight = std::max(bodyHeight, bodyView_->viewport()->height());
    if (rail_)
        rail_->place(railWidth ? QRect(viewportWidth - railWidth, -scrolled, railWidth, railHeight) : QRect(),
                     std::exchange(railLaidOutFor_, bodyHeight) != bodyHeight);
}

void EditorViewController::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutBands();
}

void EditorViewController::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (std::exchange(shown_, true)) return;
    // The window's focus goes to the body when the window is activated, so that the first
    // keys typed reach the text.
    bodyView_->setFocus();
}

bool EditorViewController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == bodyView_->viewport() && event->type() == QEvent::Resize) layoutBands();
    // Ctrl+wheel zooms the window (the view's own would enlarge its default font only).
    if (event->type() == QEvent::Wheel) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            // After the event: zooming rebuilds the bands, whose views may be getting it.
            const int direction = wheel->angleDelta().y() > 0 ? 1 : -1;
            if (wheel->angleDelta().y() != 0)
                QMetaObject::invokeMethod(
                    this, [this, direction] { setZoom(ZoomLevels::step(zoom_, direction)); }, Qt::QueuedConnection);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tovin

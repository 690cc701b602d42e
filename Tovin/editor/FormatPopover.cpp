#include "Tovin/editor/FormatPopover.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <cmath>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolButton>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/format/Styles.h"
#include "Tovin/commands/MainMenu.h"
#include "Tovin/editor/ColourChoice.h"
#include "Tovin/editor/EditorViewController.h"
#include "Tovin/editor/FontPanel.h"
#include "Tovin/editor/FormatCommands.h"
#include "Tovin/text/StoryBridge.h"
#include "Tovin/text/Theme.h"

namespace tovin {

namespace {

constexpr int sideInset = 12;
constexpr int lineGap = 8;
constexpr int topClearance = 40;
constexpr int recheckMs = 150;

QFrame* divider(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Plain);
    return line;
}

}  // namespace

FormatPopover::FormatPopover(EditorViewController* editor, QWidget* host)
    : QFrame(host), editor_(editor), style_(new QComboBox(this)) {
    setObjectName(QStringLiteral("FormatPopover"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setStyleSheet(
        QStringLiteral("#FormatPopover { border-radius: 10px; border: 0.5px solid palette(mid); }"));
    auto* shadow = new QGraphicsDropShadowEffect(this);
    shadow->setBlurRadius(12);
    shadow->setOffset(0, 4);
    shadow->setColor(QColor(0, 0, 0, int(0.12 * 255)));
    setGraphicsEffect(shadow);

    auto* layout = new QHBoxLayout(this);
    layout->setSpacing(6);
    layout->setContentsMargins(8, 4, 10, 4);
    style_->setFont(Theme::systemFont(12));
    layout->addWidget(style_);
    layout->addWidget(divider(this));
    addFontControls(*layout);
    layout->addWidget(divider(this));
    const std::array<std::pair<const char*, Command>, 4> marks = {{{"Bold", Command::toggleBold},
                                                                   {"Italic", Command::toggleItalic},
                                                                   {"Underline", Command::toggleUnderline},
                                                                   {"Strikethrough", Command::toggleStrike}}};
    const std::array<const char*, 4> symbols = {"B", "I", "U", "S"};
    for (size_t i = 0; i < marks.size(); ++i) {
        auto* button = new QToolButton(this);
        button->setText(QString::fromLatin1(symbols[i]));
        button->setToolTip(QString::fromLatin1(marks[i].first));
        button->setAccessibleName(QString::fromLatin1(marks[i].first));
        button->setCheckable(true);
        button->setFixedWidth(26);
        QFont font = button->font();
        font.setBold(i == 0);
        font.setItalic(i == 1);
        font.setUnderline(i == 2);
        font.setStrikeOut(i == 3);
        button->setFont(font);
        const Command command = marks[i].second;
        connect(button, &QToolButton::clicked, this, [command] { MainMenu::build().trigger(command); });
        marks_[i] = button;
        layout->addWidget(button);
    }
    layout->addWidget(divider(this));
    for (auto [title, command] :
         {std::pair{"Link", Command::addLink}, std::pair{"Comment", Command::addComment}}) {
        auto* button = new QToolButton(this);
        button->setText(QString::fromLatin1(title));
        connect(button, &QToolButton::clicked, this, [command] { MainMenu::build().trigger(command); });
        layout->addWidget(button);
    }
    connect(style_, &QComboBox::activated, this, [this](int index) {
        if (syncing_ || !editor_) return;
        const QVariant id = style_->itemData(index);
        FormatCommands::setParagraphStyle(
            *editor_, id.isValid() ? std::optional(id.toString().toStdString()) : std::nullopt);
    });
    recheck_.setSingleShot(true);
    recheck_.setInterval(recheckMs);
    connect(&recheck_, &QTimer::timeout, this, [this] {
        if (pendingView_) selectionChanged(pendingView_);
    });
    hide();
}

void FormatPopover::addFontControls(QLayout& layout) {
    using rovuvuz::RunFormatChange;
    auto apply = [this](RunFormatChange change) {
        if (!syncing_ && editor_) FormatCommands::runFormats(*editor_, {std::move(change)});
    };
    family_ = new QComboBox(this);
    family_->setFont(Theme::systemFont(12));
    family_->setAccessibleName(QStringLiteral("Font"));
    family_->setMaximumWidth(170);
    connect(family_, &QComboBox::activated, this, [this, apply](int index) {
        const QVariant family = family_->itemData(index);
        if (family.isValid()) apply(RunFormatChange{RunFormatChange::Font{family.toString().toStdString()}});
    });
    size_ = new QComboBox(this);
    size_->setEditable(true);
    size_->setFont(Theme::systemFont(12));
    size_->setAccessibleName(QStringLiteral("Size"));
    size_->setMaximumWidth(64);
    for (int points : {8, 9, 10, 11, 12, 14, 16, 18, 20, 24, 28, 36, 48, 72}) size_->addItem(QString::number(points));
    // A size picked from the list or typed and confirmed with Return; the two signals a
    // typed size can give make one change, as the second finds the size already set.
    auto applySize = [this, apply](const QString& text) {
        bool ok = false;
        const double points = std::round(text.toDouble(&ok) * 2) / 2;
        if (!ok || !editor_) return;
        const std::optional<rovuvuz::RunFormat> format = FormatCommands::formatAtSelection(*editor_);
        if (format && format->size == points) return;
        apply(RunFormatChange{RunFormatChange::Size{points}});
    };
    size_->setInsertPolicy(QComboBox::NoInsert);
    connect(size_, &QComboBox::textActivated, this, applySize);
    connect(size_->lineEdit(), &QLineEdit::returnPressed, this, [this, applySize] { applySize(size_->currentText()); });
    auto menuButton = [this](const QString& title, const auto& choices, const QString& none, auto make) {
        auto* button = new QToolButton(this);
        button->setText(title);
        button->setAccessibleName(title);
        button->setPopupMode(QToolButton::InstantPopup);
        auto* menu = new QMenu(button);
        menu->addAction(none, this, [this, make] {
            if (!syncing_ && editor_) FormatCommands::runFormats(*editor_, {make(std::nullopt)});
        });
        for (const auto& [name, value] : choices) {
            const std::string chosen = value;
            menu->addAction(QString::fromUtf8(name), this, [this, make, chosen] {
                if (!syncing_ && editor_) FormatCommands::runFormats(*editor_, {make(chosen)});
            });
        }
        button->setMenu(menu);
        return button;
    };
    // "More Colours…" ends a menu: any colour, made a change by `make`.
    auto offerMore = [this](QToolButton* button, const QString& title, auto shown, auto make) {
        button->menu()->addSeparator();
        button->menu()->addAction(ColourChoice::moreTitle(), this, [this, title, shown, make] {
            if (syncing_ || !editor_) return;
            const std::optional<rovuvuz::RunFormat> format = FormatCommands::formatAtSelection(*editor_);
            const std::optional<QColor> colour =
                ColourChoice::ask(editor_, title, format ? shown(*format) : std::nullopt);
            if (colour && editor_) FormatCommands::runFormats(*editor_, {make(*colour)});
        });
    };
    colour_ = menuButton(QStringLiteral("Colour"), FontPanel::colourChoices(), QStringLiteral("Automatic"),
                         [](std::optional<std::string> hex) { return RunFormatChange{RunFormatChange::Color{hex}}; });
    highlight_ = menuButton(QStringLiteral("Highlight"), FontPanel::highlightChoices(), QStringLiteral("No Highlight"),
                            [](std::optional<std::string> name) {
                                return RunFormatChange{RunFormatChange::Highlight{name}};
                            });
    offerMore(
        colour_, QStringLiteral("Text Colour"), [](const rovuvuz::RunFormat& format) { return format.color; },
        [](const QColor& colour) { return RunFormatChange{RunFormatChange::Color{ColourChoice::hex(colour)}}; });
    offerMore(highlight_, QStringLiteral("Highlight"), [](const rovuvuz::RunFormat& format) { return format.highlight; },
              [](const QColor& colour) {
        return RunFormatChange{RunFormatChange::Highlight{ColourChoice::nearestHighlight(colour)}};
    });
    for (QWidget* control : std::initializer_list<QWidget*>{family_, size_, colour_, highlight_})
        layout.addWidget(control);
}

void FormatPopover::syncFont() {
    const std::optional<rovuvuz::RunFormat> format = FormatCommands::formatAtSelection(*editor_);
    // The installed families are listed once; the document's may grow as it is edited.
    const QStringList families = FontPanel::documentFamilies(*editor_);
    if (family_->count() == 0 || family_->property("documentFamilies").toStringList() != families) {
        family_->clear();
        FontPanel::fillFamilies(*family_, families);
        family_->setProperty("documentFamilies", families);
    }
    family_->setCurrentIndex(format && format->font ? family_->findData(QString::fromStdString(*format->font)) : -1);
    size_->setEditText(format && format->size ? QString::number(*format->size) : QString());
}

QPoint FormatPopover::placement(const QRect& line, const QSize& size, int hostWidth) {
    int x = line.left() + line.width() / 2 - size.width() / 2;
    x = std::max(sideInset, std::min(x, hostWidth - size.width() - sideInset));
    int y = line.top() - lineGap - size.height();
    if (y < topClearance) y = line.bottom() + 1 + lineGap;
    return {x, y};
}

void FormatPopover::selectionChanged(QTextEdit* view) {
    if (!view || !view->textCursor().hasSelection() || (editor_ && editor_->isPageView())) {
        shownFor_.reset();
        hide();
        return;
    }
    if (QApplication::mouseButtons() != Qt::NoButton) {
        // A drag is still extending the selection.
        pendingView_ = view;
        recheck_.start();
        return;
    }
    const QTextCursor cursor = view->textCursor();
    shownFor_ = std::pair(cursor.selectionStart(), cursor.selectionEnd());
    sync();
    place(view);
}

void FormatPopover::place(QTextEdit* view) {
    QTextCursor start = view->textCursor();
    start.setPosition(start.selectionStart());
    QRect line = view->cursorRect(start);
    QWidget* host = parentWidget();
    line.moveTopLeft(view->viewport()->mapTo(host, line.topLeft()));
    adjustSize();
    move(placement(line, sizeHint(), host->width()));
    show();
    raise();
}

void FormatPopover::sync() {
    if (!editor_ || !editor_->doc()) return;
    syncing_ = true;
    style_->clear();
    for (const rovuvuz::Style& style : editor_->doc()->styles().menu())
        style_->addItem(QString::fromStdString(style.name), QString::fromStdString(style.id.rawValue));
    const auto active = editor_->active();
    const QTextCursor cursor = active.view->textCursor();
    int selected = 0;
    if (active.bridge) {
        const auto ranges = active.bridge->paragraphRanges(cursor.selectionStart(), 0);
        if (!ranges.empty()) {
            for (const StoryBridge::Entry& entry : active.bridge->entries()) {
                const auto* paragraph = std::get_if<rovuvuz::ParagraphSnapshot>(&entry.block.value);
                if (!paragraph || paragraph->id != ranges.front().first || !paragraph->format.style) continue;
                const int found = style_->findData(QString::fromStdString(paragraph->format.style->rawValue));
                if (found >= 0) selected = found;
            }
        }
    }
    style_->setCurrentIndex(style_->count() > 0 ? selected : -1);
    syncFont();
    QTextCursor first = cursor;
    first.setPosition(cursor.selectionStart() + (cursor.hasSelection() ? 1 : 0));
    const QTextCharFormat format = first.charFormat();
    const std::array<bool, 4> on = {format.fontWeight() >= QFont::Bold, format.fontItalic(),
                                    format.fontUnderline(), format.fontStrikeOut()};
    for (size_t i = 0; i < marks_.size(); ++i) {
        marks_[i]->setChecked(on[i]);
        const QColor colour =
            Theme::labelColor(on[i] ? Theme::Label::primary : Theme::Label::secondary, palette());
        marks_[i]->setStyleSheet(QStringLiteral("color: %1").arg(colour.name()));
    }
    syncing_ = false;
}

}  // namespace tovin

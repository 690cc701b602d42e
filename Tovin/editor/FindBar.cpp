#include "Tovin/editor/FindBar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>
#include <map>

#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/document/EditSeam.h"
#include "Tovin/document/EditorUndo.h"
#include "Tovin/document/TovinDocument.h"
#include "Tovin/editor/EditorSession.h"
#include "Tovin/editor/EditorViewController.h"
#include "Tovin/editor/StoryViews.h"
#include "Tovin/text/StoryBridge.h"

namespace tovin {

FindBar::FindBar(EditorViewController* editor, QWidget* parent)
    : QWidget(parent),
      editor_(editor),
      search_(new QLineEdit(this)),
      replacement_(new QLineEdit(this)),
      replaceRow_(new QWidget(this)),
      status_(new QLabel(this)) {
    setObjectName(QStringLiteral("FindBar"));
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(12, 6, 12, 6);
    rows->setSpacing(4);

    auto* findRow = new QHBoxLayout();
    search_->setPlaceholderText(QStringLiteral("Find"));
    search_->setClearButtonEnabled(true);
    auto* previous = new QPushButton(QStringLiteral("Previous"), this);
    auto* next = new QPushButton(QStringLiteral("Next"), this);
    auto* done = new QPushButton(QStringLiteral("Done"), this);
    findRow->addWidget(search_, 1);
    findRow->addWidget(status_);
    findRow->addWidget(previous);
    findRow->addWidget(next);
    findRow->addWidget(done);
    rows->addLayout(findRow);

    auto* replaceLayout = new QHBoxLayout(replaceRow_);
    replaceLayout->setContentsMargins(0, 0, 0, 0);
    replacement_->setPlaceholderText(QStringLiteral("Replace"));
    auto* replaceOne = new QPushButton(QStringLiteral("Replace"), this);
    auto* replaceEvery = new QPushButton(QStringLiteral("All"), this);
    replaceLayout->addWidget(replacement_, 1);
    replaceLayout->addWidget(replaceOne);
    replaceLayout->addWidget(replaceEvery);
    rows->addWidget(replaceRow_);

    connect(search_, &QLineEdit::returnPressed, this, [this] { findNext(true); });
    connect(replacement_, &QLineEdit::returnPressed, this, &FindBar::replace);
    connect(previous, &QPushButton::clicked, this, [this] { findNext(false); });
    connect(next, &QPushButton::clicked, this, [this] { findNext(true); });
    connect(done, &QPushButton::clicked, this, &FindBar::close);
    connect(replaceOne, &QPushButton::clicked, this, &FindBar::replace);
    connect(replaceEvery, &QPushButton::clicked, this, &FindBar::replaceAll);
    hide();
}

bool FindBar::replacing() const {
    return isVisible() && replaceRow_->isVisible();
}

void FindBar::showFind(bool replace) {
    replaceRow_->setVisible(replace);
    show();
    search_->setFocus();
    search_->selectAll();
}

void FindBar::close() {
    hide();
    status_->clear();
    if (editor_) editor_->active().view->setFocus();
}

void FindBar::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

std::vector<FindBar::Match> FindBar::matches() const {
    std::vector<Match> found;
    const std::u16string needle = search_->text().toStdU16String();
    rovuvuz::DocxDocument* docx = editor_ ? editor_->doc() : nullptr;
    if (needle.empty() || !docx) return found;
    const rovuvuz::FindOptions options{/*matchCase=*/false, /*wholeWord=*/false};
    for (const rovuvuz::StoryID& story : docx->storiesInOrder()) {
        if (story.kind == rovuvuz::StoryID::Kind::comments) continue;  // the rail's, not the page's
        try {
            for (const rovuvuz::FoundText& text : docx->find(needle, story, options)) found.push_back({story, text});
        } catch (const std::exception&) {
            // A story that does not read has nothing to find.
        }
    }
    return found;
}

bool FindBar::currentIsSelected() const {
    if (!current_ || !editor_) return false;
    const auto shown = StoryViews::find(*editor_, current_->story, current_->text.paragraph, current_->text.range);
    if (!shown) return false;
    const QTextCursor cursor = shown->view->textCursor();
    return shown->location == cursor.selectionStart() && shown->length == cursor.selectionEnd() - cursor.selectionStart();
}

bool FindBar::selectionIsMatch(QTextEdit* view) const {
    const QTextCursor cursor = view->textCursor();
    return cursor.hasSelection() && cursor.selectedText().compare(search_->text(), Qt::CaseInsensitive) == 0;
}

// From the match selected last when it is still the selection; otherwise from the caret of
// the active view: the first match after it (before it, going back) shown in that view.
size_t FindBar::nextIndex(const std::vector<Match>& all, bool forward) {
    const size_t n = all.size();
    auto step = [&](size_t i) { return forward ? (i + 1) % n : (i + n - 1) % n; };
    auto same = [](const Match& a, const Match& b) { return a.story == b.story && a.text == b.text; };
    if (current_ && currentIsSelected()) {
        for (size_t i = 0; i < n; ++i)
            if (same(all[i], *current_)) return step(i);
    }
    const EditorViewController::Active active = editor_->active();
    const QTextCursor cursor = active.view->textCursor();
    std::optional<size_t> first, last;
    for (size_t i = 0; i < n; ++i) {
        if (!active.bridge || all[i].story != active.bridge->story()) continue;
        const auto shown = StoryViews::find(*editor_, all[i].story, all[i].text.paragraph, all[i].text.range);
        if (!shown || shown->view != active.view) continue;
        if (forward && !first && shown->location >= cursor.selectionEnd()) first = i;
        if (!forward && shown->location < cursor.selectionStart()) last = i;
    }
    if (forward) return first.value_or(0);
    return last.value_or(n - 1);
}

bool FindBar::findNext(bool forward) {
    if (!editor_) return false;
    editor_->session()->flushAll();
    const std::vector<Match> all = matches();
    status_->setText(search_->text().isEmpty() ? QString() : QStringLiteral("%1 found").arg(all.size()));
    if (all.empty()) {
        if (!search_->text().isEmpty()) editor_->seam().refuse();
        return false;
    }
    // Matches in stories no view shows (another section's header) are counted, not selected.
    size_t i = nextIndex(all, forward);
    for (size_t tried = 0; tried < all.size(); ++tried) {
        const Match& match = all[i];
        if (const auto shown = StoryViews::find(*editor_, match.story, match.text.paragraph, match.text.range)) {
            StoryViews::select(*shown);
            current_ = match;
            return true;
        }
        i = forward ? (i + 1) % all.size() : (i + all.size() - 1) % all.size();
    }
    return false;
}

void FindBar::findOrShow(bool forward) {
    if (search_->text().isEmpty())
        showFind(/*replace=*/false);
    else
        findNext(forward);
}

void FindBar::useSelection() {
    if (!editor_) return;
    const QString selected = editor_->active().view->textCursor().selectedText();
    if (!selected.isEmpty()) search_->setText(selected);
}

void FindBar::replace() {
    if (!editor_) return;
    editor_->session()->flushAll();
    // The match Next selected, wherever it is shown; else the active view's selection.
    std::optional<Match> target = currentIsSelected() ? current_ : std::nullopt;
    const auto active = editor_->active();
    if (!target && active.bridge && selectionIsMatch(active.view)) {
        const QTextCursor cursor = active.view->textCursor();
        const auto ranges = active.bridge->paragraphRanges(cursor.selectionStart(),
                                                           cursor.selectionEnd() - cursor.selectionStart());
        if (ranges.size() == 1)
            target = Match{active.bridge->story(), rovuvuz::FoundText{ranges.front().first, ranges.front().second}};
    }
    if (!target) {
        findNext(true);
        return;
    }
    if (!editor_->seam().run([&] {
            editor_->doc()->replaceText(target->text.paragraph, target->story, target->text.range,
                                        replacement_->text().toStdU16String(), editor_->editMode());
        }))
        return;
    editor_->modelChanged();
    editor_->reloadAll();
    // On from just after the replacement.
    current_ = target;
    current_->text.range.upper = current_->text.range.lower;
    const auto shown = StoryViews::find(*editor_, current_->story, current_->text.paragraph,
                                        {current_->text.range.lower + size_t(replacement_->text().size()),
                                         current_->text.range.lower + size_t(replacement_->text().size())});
    current_.reset();
    if (shown) StoryViews::select(*shown);
    findNext(true);
}

int FindBar::replaceAll() {
    if (!editor_) return 0;
    editor_->session()->flushAll();
    const std::vector<Match> all = matches();
    if (all.empty()) {
        editor_->seam().refuse();
        return 0;
    }
    // From the last match back, so that each replacement leaves the offsets of the matches
    // before it in its paragraph valid. A match the engine refuses is left as it is; the
    // others are one undo step.
    int replaced = 0;
    QString refusal;
    const std::u16string text = replacement_->text().toStdU16String();
    const bool made = editor_->seam().run([&] {
        for (auto it = all.rbegin(); it != all.rend(); ++it) {
            try {
                editor_->doc()->replaceText(it->text.paragraph, it->story, it->text.range, text, editor_->editMode());
                ++replaced;
            } catch (const std::exception& error) {
                refusal = EditSeam::reasonOf(error);
            }
        }
    });
    if (!made) return 0;
    if (!refusal.isEmpty()) editor_->seam().refuse(refusal);
    current_.reset();
    editor_->modelChanged();
    editor_->reloadAll();
    status_->setText(QStringLiteral("%1 replaced").arg(replaced));
    return replaced;
}

}  // namespace tovin

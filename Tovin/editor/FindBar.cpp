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
#include "Tovin/editor/EditorViewController.h"
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

std::vector<FindBar::Match> FindBar::matches(QTextEdit* view) const {
    std::vector<Match> found;
    const QString needle = search_->text();
    if (needle.isEmpty()) return found;
    QTextCursor cursor(view->document());
    while (true) {
        cursor = view->document()->find(needle, cursor);
        if (cursor.isNull()) break;
        found.push_back({cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart()});
    }
    return found;
}

bool FindBar::selectionIsMatch(QTextEdit* view) const {
    const QTextCursor cursor = view->textCursor();
    return cursor.hasSelection() && cursor.selectedText().compare(search_->text(), Qt::CaseInsensitive) == 0;
}

bool FindBar::findNext(bool forward) {
    if (!editor_) return false;
    QTextEdit* view = editor_->active().view;
    const std::vector<Match> all = matches(view);
    status_->setText(search_->text().isEmpty() ? QString() : QStringLiteral("%1 found").arg(all.size()));
    if (all.empty()) {
        if (!search_->text().isEmpty()) editor_->seam().refuse();
        return false;
    }
    const QTextCursor cursor = view->textCursor();
    const Match* chosen = nullptr;
    if (forward) {
        for (const Match& match : all) {
            if (match.location >= cursor.selectionEnd() &&
                !(match.location == cursor.selectionStart() && cursor.hasSelection())) {
                chosen = &match;
                break;
            }
        }
        if (!chosen) chosen = &all.front();
    } else {
        for (auto it = all.rbegin(); it != all.rend(); ++it) {
            if (it->location < cursor.selectionStart()) {
                chosen = &*it;
                break;
            }
        }
        if (!chosen) chosen = &all.back();
    }
    QTextCursor select = view->textCursor();
    select.setPosition(chosen->location);
    select.setPosition(chosen->location + chosen->length, QTextCursor::KeepAnchor);
    view->setTextCursor(select);
    view->ensureCursorVisible();
    return true;
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
    const auto active = editor_->active();
    if (!active.bridge || !selectionIsMatch(active.view)) {
        findNext(true);
        return;
    }
    active.bridge->flush();
    const QTextCursor cursor = active.view->textCursor();
    const auto ranges = active.bridge->paragraphRanges(cursor.selectionStart(),
                                                       cursor.selectionEnd() - cursor.selectionStart());
    if (ranges.size() != 1) return editor_->seam().refuse();
    if (!editor_->seam().run([&] {
            editor_->doc()->replaceText(ranges.front().first, active.bridge->story(), ranges.front().second,
                                        replacement_->text().toStdU16String(), editor_->editMode());
        }))
        return;
    const int after = cursor.selectionStart() + int(replacement_->text().size());
    editor_->modelChanged();
    active.bridge->reloadFromModel(std::nullopt);
    QTextCursor caret = active.view->textCursor();
    caret.setPosition(std::min(after, active.view->document()->characterCount() - 1));
    active.view->setTextCursor(caret);
    findNext(true);
}

int FindBar::replaceAll() {
    if (!editor_) return 0;
    const auto active = editor_->active();
    if (!active.bridge) return 0;
    active.bridge->flush();
    const std::vector<Match> all = matches(active.view);
    if (all.empty()) {
        editor_->seam().refuse();
        return 0;
    }
    // From the last match back, so that each replacement leaves the earlier offsets valid.
    // A match the engine refuses is left as it is; the others are one undo step.
    int replaced = 0;
    QString refusal;
    const std::u16string text = replacement_->text().toStdU16String();
    editor_->seam().run([&] {
        for (auto it = all.rbegin(); it != all.rend(); ++it) {
            const auto ranges = active.bridge->paragraphRanges(it->location, it->length);
            if (ranges.size() != 1) continue;
            try {
                editor_->doc()->replaceText(ranges.front().first, active.bridge->story(),
                                            ranges.front().second, text, editor_->editMode());
                ++replaced;
            } catch (const std::exception& error) {
                refusal = EditSeam::reasonOf(error);
            }
        }
    });
    if (!refusal.isEmpty()) editor_->seam().refuse(refusal);
    editor_->modelChanged();
    active.bridge->reloadFromModel(std::nullopt);
    status_->setText(QStringLiteral("%1 replaced").arg(replaced));
    return replaced;
}

}  // namespace tovin

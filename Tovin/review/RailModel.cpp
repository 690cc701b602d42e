#include "Tovin/review/RailModel.h"

#include <QDateTime>
#include <QLocale>

namespace tovin {

namespace {

using rovuvuz::CommentID;
using rovuvuz::EntrySnapshot;
using rovuvuz::ParagraphSnapshot;

constexpr int snippetUnits = 120;

// Body offset of every comment's start mark.
std::map<int64_t, int> commentAnchors(const std::vector<StoryBridge::Entry>& body,
                                      const std::vector<int>& starts) {
    std::map<int64_t, int> anchors;
    for (size_t i = 0; i < body.size(); ++i) {
        const auto* paragraph = std::get_if<ParagraphSnapshot>(&body[i].block.value);
        if (!paragraph) continue;
        for (const rovuvuz::CommentMark& mark : paragraph->commentMarks) {
            if (mark.isStart) anchors.emplace(mark.id.rawValue, starts[i] + int(mark.offset));
        }
    }
    return anchors;
}

std::vector<CommentCardModel> commentCards(const std::vector<StoryBridge::Entry>& body,
                                           const std::vector<int>& starts,
                                           const std::map<CommentID, rovuvuz::CommentThreadInfo>& threads,
                                           const std::vector<EntrySnapshot>& entries) {
    const std::map<int64_t, int> anchors = commentAnchors(body, starts);
    auto parentOf = [&](int64_t id) -> std::optional<int64_t> {
        const auto found = threads.find(CommentID{id});
        if (found == threads.end() || !found->second.parent) return std::nullopt;
        return found->second.parent->rawValue;
    };
    // Replies by the comment they answer, in file order.
    std::map<int64_t, std::vector<const EntrySnapshot*>> replies;
    for (const EntrySnapshot& entry : entries) {
        if (const auto parent = parentOf(entry.id)) replies[*parent].push_back(&entry);
    }
    std::vector<CommentCardModel> cards;
    for (const EntrySnapshot& entry : entries) {
        if (parentOf(entry.id)) continue;  // a reply belongs to its thread's card
        CommentCardModel card;
        card.comment = entry;
        for (const EntrySnapshot* reply : replies[entry.id]) card.replies.push_back(*reply);
        const auto thread = threads.find(CommentID{entry.id});
        card.done = thread != threads.end() && thread->second.done;
        const auto anchor = anchors.find(entry.id);
        card.anchor = anchor == anchors.end() ? 0 : anchor->second;
        cards.push_back(std::move(card));
    }
    return cards;
}

std::vector<ChangeCardModel> changeCards(const std::vector<StoryBridge::Entry>& body,
                                         const std::vector<int>& starts) {
    std::vector<ChangeCardModel> cards;
    QString lastText;  // the text of the paragraph holding the last card
    int lastStart = 0;
    for (size_t i = 0; i < body.size(); ++i) {
        const auto* paragraph = std::get_if<ParagraphSnapshot>(&body[i].block.value);
        if (!paragraph) continue;
        bool textRead = false;
        QString text;
        for (const rovuvuz::Span& span : paragraph->spans) {
            if (!span.revision || span.range.size() == 0) continue;
            if (!textRead) {
                text = QString::fromStdU16String(paragraph->text);
                textRead = true;
            }
            const int from = starts[i] + int(span.range.lower);
            const int to = starts[i] + int(span.range.upper);
            if (!cards.empty() && cards.back().revision.id == span.revision->id &&
                cards.back().location + cards.back().length == from) {
                ChangeCardModel& last = cards.back();
                last.length = to - last.location;
                last.snippet = RailModel::snippet(lastText, last.location - lastStart, last.length);
                continue;
            }
            lastText = text;
            lastStart = starts[i];
            cards.push_back(
                {*span.revision, from, to - from, RailModel::snippet(text, from - starts[i], to - from)});
        }
    }
    return cards;
}

}  // namespace

RailModel RailModel::build(const std::vector<StoryBridge::Entry>& body,
                           const std::map<CommentID, rovuvuz::CommentThreadInfo>& threads,
                           const std::optional<std::vector<EntrySnapshot>>& comments) {
    std::vector<int> starts;
    starts.reserve(body.size());
    int at = 0;
    for (const StoryBridge::Entry& entry : body) {
        starts.push_back(at);
        const auto* paragraph = std::get_if<ParagraphSnapshot>(&entry.block.value);
        at += (paragraph ? int(paragraph->text.size()) : 1) + 1;  // a table is one object character
    }
    RailModel model;
    if (comments) model.comments = commentCards(body, starts, threads, *comments);
    model.changes = changeCards(body, starts);
    return model;
}

QString RailModel::snippet(const QString& text, int from, int length) {
    from = std::clamp(from, 0, int(text.size()));
    QString shown = text.mid(from, std::min(length, snippetUnits));
    shown.remove(QChar(0xFFFC));  // objects (pictures, note marks) have no text to quote
    shown = shown.trimmed();
    if (length > snippetUnits) shown += QChar(0x2026);
    return QChar(0x201C) + shown + QChar(0x201D);
}

QString entryText(const EntrySnapshot& entry) {
    QStringList paragraphs;
    for (const rovuvuz::BlockSnapshot& block : entry.blocks) {
        if (const auto* paragraph = std::get_if<ParagraphSnapshot>(&block.value)) {
            QString text = QString::fromStdU16String(paragraph->text);
            text.remove(QChar(0xFFFC));
            paragraphs << text;
        }
    }
    return paragraphs.join(QChar('\n'));
}

QString shortDate(const std::optional<std::string>& iso) {
    if (!iso) return {};
    const QDateTime date = QDateTime::fromString(QString::fromStdString(*iso), Qt::ISODate);
    if (!date.isValid()) return {};
    const QLocale locale;
    return (locale.monthName(date.date().month(), QLocale::ShortFormat) + QChar(' ') +
            locale.toString(date.date().day()))
        .toUpper();
}

}  // namespace tovin

#include "Tovin/text/StoryText.h"

#include <QTextDocument>
#include <QTextFrame>
#include <exception>

namespace tovin::StoryText {

namespace {

using rovuvuz::BlockSnapshot;

const QString objectCharacter(QChar(0xFFFC));

struct Entry {
    QTextBlockFormat block;
    QTextCharFormat separator;
    StyledText styled;
};

// What one block shows. A paragraph that cannot be built shows empty rather than taking
// the story down with it.
Entry entryOf(const BlockSnapshot& block, const AttributedBuilder& builder) {
    Entry entry;
    if (const auto* paragraph = std::get_if<rovuvuz::ParagraphSnapshot>(&block.value)) {
        try {
            const SeparatorFormat separator = builder.separatorAttributes(*paragraph);
            entry.styled = builder.paragraph(*paragraph);
            entry.block = separator.block;
            entry.separator = separator.character;
        } catch (const std::exception&) {
            entry = Entry{};
        }
        return entry;
    }
    AttachmentRef object;
    if (const auto* table = std::get_if<rovuvuz::TableSnapshot>(&block.value))
        object = builder.table(*table);
    else if (const auto* opaque = std::get_if<rovuvuz::OpaqueBlock>(&block.value))
        object = builder.opaqueBlock(opaque->name, opaque->preview);
    entry.block = AttributedBuilder::objectBlockFormat();
    if (object) {
        entry.styled.text = objectCharacter;
        entry.styled.runs.push_back({0, 1, attachmentFormat(object, QTextCharFormat())});
    }
    return entry;
}

void appendTo(std::vector<BlockSnapshot>& out, const std::vector<BlockSnapshot>& blocks) {
    out.insert(out.end(), blocks.begin(), blocks.end());
}

}  // namespace

void insertRuns(QTextCursor& cursor, const StyledText& styled) {
    for (const StyledText::Run& run : styled.runs)
        cursor.insertText(styled.text.mid(run.start, run.length), run.format);
}

void insert(QTextCursor& cursor, std::span<const BlockSnapshot> blocks, const AttributedBuilder& builder) {
    insert(cursor, blocks.size(), [&](size_t i) -> const BlockSnapshot& { return blocks[i]; }, builder);
}

void insert(QTextCursor& cursor, size_t count, const BlockAt& blockAt, const AttributedBuilder& builder) {
    for (size_t i = 0; i < count; ++i) {
        const Entry entry = entryOf(blockAt(i), builder);
        if (i == 0) {
            cursor.setBlockFormat(entry.block);
            cursor.setBlockCharFormat(entry.separator);
        } else {
            cursor.insertBlock(entry.block, entry.separator);
        }
        insertRuns(cursor, entry.styled);
    }
}

void fill(QTextDocument& document, const std::vector<BlockSnapshot>& blocks,
          const AttributedBuilder& builder) {
    fill(document, blocks.size(), [&](size_t i) -> const BlockSnapshot& { return blocks[i]; }, builder);
}

void fill(QTextDocument& document, size_t count, const BlockAt& blockAt, const AttributedBuilder& builder) {
    registerAttachmentHandler(&document);
    // Clearing resets the root frame, whose margins place a view's column.
    const QTextFrameFormat frame = document.rootFrame()->frameFormat();
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    // Cleared inside the edit block, as QTextDocument::setPlainText does: the layout then
    // sees one change that makes the whole text new and lays it out step by step as it is
    // shown. Cleared before it, the text is an insertion into an existing block, which the
    // layout lays out whole at once (for a long story, most of the time of showing it).
    document.clear();
    document.rootFrame()->setFrameFormat(frame);
    QTextOption option = document.defaultTextOption();
    option.setTabStopDistance(builder.defaultTabDistance());
    document.setDefaultTextOption(option);
    insert(cursor, count, blockAt, builder);
    cursor.endEditBlock();
}

std::vector<BlockSnapshot> allBlocks(const rovuvuz::StorySnapshot& story) {
    std::vector<BlockSnapshot> blocks = story.blocks;
    for (const rovuvuz::EntrySnapshot& entry : story.entries) appendTo(blocks, entry.blocks);
    return blocks;
}

}  // namespace tovin::StoryText

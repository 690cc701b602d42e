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
    bool first = true;
    for (const BlockSnapshot& block : blocks) {
        const Entry entry = entryOf(block, builder);
        if (first) {
            cursor.setBlockFormat(entry.block);
            cursor.setBlockCharFormat(entry.separator);
            first = false;
        } else {
            cursor.insertBlock(entry.block, entry.separator);
        }
        insertRuns(cursor, entry.styled);
    }
}

void fill(QTextDocument& document, const std::vector<BlockSnapshot>& blocks,
          const AttributedBuilder& builder) {
    registerAttachmentHandler(&document);
    // Clearing resets the root frame, whose margins place a view's column.
    const QTextFrameFormat frame = document.rootFrame()->frameFormat();
    document.clear();
    document.rootFrame()->setFrameFormat(frame);
    QTextOption option = document.defaultTextOption();
    option.setTabStopDistance(builder.defaultTabDistance());
    document.setDefaultTextOption(option);
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    insert(cursor, blocks, builder);
    cursor.endEditBlock();
}

std::vector<BlockSnapshot> allBlocks(const rovuvuz::StorySnapshot& story) {
    std::vector<BlockSnapshot> blocks = story.blocks;
    for (const rovuvuz::EntrySnapshot& entry : story.entries) appendTo(blocks, entry.blocks);
    return blocks;
}

}  // namespace tovin::StoryText

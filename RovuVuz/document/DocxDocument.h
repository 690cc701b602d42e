// The open .docx package: the archive it came from, the main document part, the stories
// parsed so far, and the parts waiting to be written. Opening reads only the central
// directory and two relationship parts; stories are parsed on first use. Saving rewrites
// only what changed: untouched stories, and touched ones whose bytes come out identical,
// are not replaced, and the archive writer copies every other entry byte for byte.
#pragma once

#include <array>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "RovuVuz/document/Clip.h"
#include "RovuVuz/edit/EditContext.h"
#include "RovuVuz/document/NoteValues.h"
#include "RovuVuz/edit/Find.h"
#include "RovuVuz/edit/SpanningEdit.h"
#include "RovuVuz/edit/NewTable.h"
#include "RovuVuz/edit/TrackedChange.h"
#include "RovuVuz/format/ListDefinitions.h"
#include "RovuVuz/model/DocxError.h"
#include "RovuVuz/model/EditValues.h"
#include "RovuVuz/model/Identifiers.h"
#include "RovuVuz/model/Nodes.h"
#include "RovuVuz/model/Story.h"
#include "RovuVuz/package/Relationships.h"
#include "RovuVuz/package/ZipArchive.h"
#include "RovuVuz/snapshot/Snapshot.h"
#include "RovuVuz/xml/Markup.h"

namespace rovuvuz {

class StyleSheet;
struct Numbering;
struct StructuralEdit;
struct TableEdit;
struct PageSetup;
struct DocumentSection;
struct DocumentSettings;
struct CommentThreadInfo;

// Part contents by entry name (no leading slash), shared so that undo snapshots and
// saves do not copy them.
using PartMap = std::map<std::string, SharedBytes, std::less<>>;

class DocxDocument : public EditContext {
  public:
    struct Cache {
        std::map<PartName, Relationships> relationships;  // of parts other than the main part
        PartMap added;  // pending whole parts: relationships, content types, media, comments, …

        // Where a cached reading of a related part came from: the part the main part's
        // relationship names, and the pending bytes read for it (none while the archive's
        // copy stands). A reading whose source no longer matches is read again.
        struct PartSource {
            std::optional<PartName> part;
            SharedBytes pending;
            bool operator==(const PartSource&) const = default;
        };
        std::shared_ptr<const StyleSheet> styles;
        std::array<PartSource, 2> stylesSources;  // the styles and the theme part
        std::shared_ptr<const Numbering> numbering;
        PartSource numberingSource;
    };

    // An undo snapshot of everything editing can change.
    struct PackageState {
        std::map<PartName, SharedBytes> stories;  // serialized bytes of every touched story, by part
        PartMap added;
        Relationships relationships;
    };

    // Opens a package held in memory; throws ZipError or DocxError(noMainDocument).
    explicit DocxDocument(SharedBytes data);
    // Reads the file first; also throws FileError.
    static std::unique_ptr<DocxDocument> open(const std::filesystem::path& path);

    const ZipArchive& archive() const { return archive_; }
    const PartName& mainPart() const { return mainPart_; }
    const Relationships& relationships() const { return relationships_; }

    // The stories present: the body, then headers, footers, notes and comments in the
    // order of the main part's relationships. A story appears once.
    std::vector<StoryID> storyIDs() const;
    std::optional<PartName> part(const StoryID& story) const;
    bool hasPart(std::string_view name) const;
    // A part's stored bytes (pending first, then the archive); throws ZipError.
    SharedBytes contents(std::string_view name) const;

    // The parsed story, parsed on first use. Stories that resolve to the same part share
    // one parsed story, so an edit through either is saved. Throws DocxError (damagedPart,
    // naming the part, when it is not well-formed XML; nothing is kept, so every use is
    // refused alike) and ZipError.
    Story& story(const StoryID& id);
    // The stories parsed so far, by part.
    const std::map<PartName, std::unique_ptr<Story>>& parsedStories() const { return stories_; }
    std::pair<Story*, Paragraph*> paragraph(ParagraphID id, const StoryID& story);

    // A part's current bytes including unsaved edits.
    SharedBytes partData(const PartName& name);
    // The parts a save would replace or add.
    std::set<PartName> dirtyParts();
    // The complete saved package.
    SharedBytes data();
    // data() after checking the new image with the archive reader: untouched entries
    // byte-identical, new ones inflating with their CRC. Both check every replaced or added
    // XML part first and throw DocxError(malformedPart) rather than write one that does not
    // parse.
    SharedBytes checkedData();
    // Saves checkedData() to a file atomically.
    void write(const std::filesystem::path& path);
    // How saving compresses a replaced story part that was read from the archive: by
    // default only the stretch that changed (see DeflateSplice.h). A splice is always
    // checked by inflating it, and the part is compressed whole when the check fails.
    void setSplicePolicy(const DeflateSplice::Policy& policy) { splicePolicy_ = policy; }

    // A fresh w:id for a tracked change, comment or picture: one above the largest w:id
    // of any story part as stored, then counting up.
    int64_t nextRevisionID() override;
    static int64_t maxID(ByteView bytes);

    // Marks every story to be written again from its model.
    void rebuildAll();

    PackageState packageState();
    void restore(const PackageState& state);

    // Package edits, stored as pending parts until the next save.
    Relationships relationships(const PartName& part);
    RelationshipID addRelationship(const PartName& from, std::string_view kind, std::string_view target, bool external,
                                   std::optional<std::string_view> type = std::nullopt);
    PartName freePartName(std::string_view stem, std::string_view extension) const;
    // Keeps a whole part's new bytes until the next save (a new part, or one rewritten whole).
    void storePart(const PartName& name, SharedBytes bytes);
    void ensureContentType(const std::optional<PartName>& part, const std::optional<std::string>& extension,
                           std::string_view contentType);

    // Formatting, read on first use and never throwing: a missing or malformed part gives
    // the defaults (DocumentFormat.cpp).
    const StyleSheet& styles() override;
    const Numbering& numbering();
    // The page of the final section (the w:sectPr closing w:body).
    PageSetup pageSetup();
    // The final section's header and footer shown on every page: its reference of type
    // "default", else its first.
    std::optional<StoryID> defaultHeader();
    std::optional<StoryID> defaultFooter();
    // Every section of the body in order, the final one last (DocumentSections.h); one
    // default section when the body states none.
    std::vector<DocumentSection> sections();
    // The settings part's even-and-odd headers, default tab stop and spacing rule.
    DocumentSettings settings() const;

    // The stories in reading order: the body; headers and footers as the sections
    // reference them, section by section (then any other one); footnotes, endnotes,
    // comments.
    std::vector<StoryID> storiesInOrder();
    // Whether the space between paragraphs is the sum of one's space after and the next's
    // space before (w:compat/w:doNotUseHTMLParagraphAutoSpacing) rather than the larger.
    bool sumsParagraphSpacing() const;
    // Every archive entry that is not a folder, in central-directory order; parts added
    // since opening are not listed.
    std::vector<PartName> partNames() const;
    // The part named by the main part's first relationship of a kind, and its pending
    // bytes; the bytes of such a source, or nothing when it is missing or unreadable.
    Cache::PartSource partSource(std::string_view kind) const;
    SharedBytes partBytes(const Cache::PartSource& source) const;

    // Snapshots: what the editor shows of a story, and of one paragraph (without its list
    // label, which only a whole story's count gives). Throw DocxError for unknown stories
    // and paragraphs.
    StorySnapshot snapshot(const StoryID& story);
    ParagraphSnapshot snapshot(ParagraphID paragraph, const StoryID& story);
    // One table of a story, nested ones included, by its ID (its paragraphs without list
    // labels, like a single paragraph's); throws DocxError(unknownParagraph) when the story
    // has no such table.
    TableSnapshot snapshot(BlockID table, const StoryID& story);
    // The list label of every listed paragraph of a story, as its snapshot labels them,
    // without snapshotting its text. Throws DocxError for unknown stories.
    std::map<ParagraphID, std::string> listLabels(const StoryID& story);
    // The bytes of the part a story's relationship names (a picture); nothing when any
    // step is missing.
    std::optional<SharedBytes> imageData(const RelationshipID& id, const StoryID& story);

    // Every occurrence of a text in a story as a reader sees it (tracked deletions
    // skipped), paragraph by paragraph in document order. Throws DocxError(unknownStory).
    std::vector<FoundText> find(std::u16string_view needle, const StoryID& story, const FindOptions& options = {});
    // The tracked changes of a story in document order, as a reviewer lists them.
    std::vector<TrackedChange> trackedChanges(const StoryID& story);

    // Editing (DocumentEdits.cpp). Arguments are checked before anything
    // changes; DocxError tells what was wrong.
    //
    // Replaces a range of one paragraph's display text; an LF becomes a line break.
    void replaceText(ParagraphID paragraph, const StoryID& story, TextRange range, std::u16string_view text,
                     const EditMode& mode);
    // Replaces the text between two positions in sibling paragraphs; each LF of the text
    // starts a new paragraph. Returns the paragraphs now standing where the range stood.
    std::vector<ParagraphID> replaceText(ParagraphPos from, ParagraphPos to, const StoryID& story,
                                         std::u16string_view text, const EditMode& mode);
    // Replaces a range that holds whole tables (SpanningEdit): its ends are paragraph
    // offsets or table edges in one group; the tables go, tracked as deleted rows.
    // Returns where the new text ends.
    std::optional<SpanningEdit::TextEnd> replaceAcross(const SpanEnd& from, const SpanEnd& to, const StoryID& story,
                                                       std::u16string_view text, const EditMode& mode);
    // Turns a paragraph's display text into `target` with the one replacement that
    // differs (common prefix and suffix kept).
    void reconcile(ParagraphID paragraph, const StoryID& story, std::u16string_view target, const EditMode& mode);
    // A structural or format edit; for a split, the new paragraph's ID.
    std::vector<ParagraphID> apply(const StructuralEdit& edit, const StoryID& story, const EditMode& mode);
    // A table edit on the table with that ID (see Tables::apply for what is checked).
    void apply(const TableEdit& edit, BlockID table, const StoryID& story, const EditMode& mode);
    // A new empty table right after a paragraph (DocumentTables.cpp; see WholeTables::insert
    // for its look and what is checked): its ID and its first cell's paragraph.
    InsertedTable insertTable(ParagraphID after, const StoryID& story, const NewTable& shape, const EditMode& mode);
    // The story part's bytes as a save would write them now, and putting such bytes back
    // in place (undo around an edit); throws XMLError when they do not parse.
    Bytes storyData(const StoryID& story);
    void restoreStory(const StoryID& story, ByteView data);

    // Lists (Lists.cpp). setList makes the paragraphs items of a bulleted or numbered list
    // (ListKind::none takes them out of their list), joining the list of the paragraph just
    // before or after them when it is of that kind, else the document's own list of that
    // kind, else a list added to the numbering part. toggleList takes them out when every
    // one already is of that kind. changeListLevel moves list items by `delta` levels
    // within 0…8 and says whether any moved; paragraphs outside lists stay as they are.
    ListState listState(ParagraphID paragraph, const StoryID& story);
    void setList(const std::vector<ParagraphID>& paragraphs, const StoryID& story, ListKind kind,
                 const EditMode& mode);
    void toggleList(const std::vector<ParagraphID>& paragraphs, const StoryID& story, ListKind kind,
                    const EditMode& mode);
    bool changeListLevel(const std::vector<ParagraphID>& paragraphs, const StoryID& story, int delta,
                         const EditMode& mode);

    // Copy and paste with formatting (ClipExport.cpp, ClipImport.cpp, ClipFromHTML.cpp).
    // copy gives the text between two positions of one story (sibling paragraphs; tables
    // between them are left out) as a fragment, HTML and plain text. paste puts a fragment
    // in place of the text between two positions, outright or tracked: run and paragraph
    // properties keep their bytes, styles the document lacks are created from the
    // fragment's definitions (matched by name), list items join a list of their kind, and
    // pictures become media parts. pasteHTML does the same for HTML from other programs.
    // Both return the paragraphs now standing where the range stood, and throw
    // DocxError(badFragment) for input they cannot read, before anything changed.
    ClipboardContent copy(ParagraphPos from, ParagraphPos to, const StoryID& story);
    std::vector<ParagraphID> paste(std::string_view fragment, ParagraphPos from, ParagraphPos to,
                                   const StoryID& story, const EditMode& mode);
    std::vector<ParagraphID> pasteHTML(std::string_view html, ParagraphPos from, ParagraphPos to,
                                       const StoryID& story, const EditMode& mode);

    // Comments (Comments.cpp): a comment on a range of one paragraph, a reply anchored
    // beside its parent's anchors, the resolved flag, and every thread's parent and state.
    CommentID addComment(ParagraphID paragraph, const StoryID& story, TextRange range, std::u16string_view text,
                         std::string_view author, std::chrono::system_clock::time_point date);
    // A reply and the resolved flag belong to a thread: replying to a reply answers its
    // thread's first comment, and resolving or reopening a reply does so to its thread.
    CommentID reply(CommentID to, std::u16string_view text, std::string_view author,
                    std::chrono::system_clock::time_point date);
    void setResolved(CommentID comment, bool resolved);
    // The first comment of the thread a comment is in: itself unless it is a reply.
    CommentID threadStart(CommentID comment);
    std::map<CommentID, CommentThreadInfo> commentThreads();
    // Comment edits (CommentEdits.cpp). A comment's or reply's text replaced, line by
    // paragraph (paragraph properties, the first run's formatting and the paraId the
    // threading parts key it by are kept); a comment deleted with its replies, or a reply
    // alone, with its anchors in every story and its commentsExtended, commentsIds,
    // commentsExtensible and people entries. Throw DocxError(unknownParagraph) for an
    // unknown comment, unreadablePart or damagedPart, before any change, for a part they
    // would change that cannot be read.
    void editComment(CommentID comment, std::u16string_view text);
    void deleteComment(CommentID comment);

    // Notes (Notes.cpp): a new footnote or endnote referenced at an offset of a body
    // paragraph (tracked: the reference in a w:ins), its notes part, styles, content type
    // and relationship made when missing. Text edits, table edits and revision resolution
    // of the body remove a note with the last reference to it.
    NoteInsertion insertNote(NoteKind kind, ParagraphID paragraph, const StoryID& story, size_t at,
                             const EditMode& mode);

    // Inline objects (Objects.cpp): page breaks, pictures (sizes in points) and links; a url
    // starting with "#" names a bookmark, nothing removes the links in the range.
    void insertPageBreak(ParagraphID paragraph, const StoryID& story, size_t at, const EditMode& mode);
    void insertImage(ByteView data, std::string_view extension, double width, double height, ParagraphID paragraph,
                     const StoryID& story, size_t at, const EditMode& mode);
    void resizeImage(ParagraphID paragraph, const StoryID& story, size_t at, double width, double height);
    void setLink(ParagraphID paragraph, const StoryID& story, TextRange range, const std::optional<std::string>& url);
    // Puts parsed inlines at an offset of a paragraph, inside a new w:ins when tracked.
    void insertInlines(std::vector<Inline> inlines, Paragraph& into, size_t at, const EditMode& mode);

    static constexpr std::string_view contentTypesPart = "[Content_Types].xml";

private:
    // The mint is the edits' business (EditContext), not the document's callers'.
    IdentityMint& mint() override { return mint_; }

    // The parts to replace or add on save.
    PartMap replacements();
    // The archive image with the given parts replaced or added.
    SharedBytes image(const PartMap& parts, bool splice) const;
    // The image, read back and compressed whole when a splice fails the check; with
    // `verifyAll` an image without splices is checked as well.
    SharedBytes checkedImage(const PartMap& parts, bool verifyAll) const;
    // A story part's bytes; when read from the archive, its DEFLATE blocks are recorded.
    SharedBytes storyContents(std::string_view name);
    std::optional<ByteView> storedBytes(std::string_view name, SharedBytes& keepAlive) const;
    void verifyImage(const SharedBytes& image, const PartMap& replaced) const;
    // Throws DocxError(malformedPart) for the first XML part among `parts` that a strict
    // reader would refuse (PartCheck.cpp).
    void checkXMLParts(const PartMap& parts) const;
    // The body's w:body group (nothing when the body cannot be read), and the part the last
    // page's header or footer reference names.
    const Group* bodyGroup();
    std::optional<PartName> sectionReference(std::string_view kind);
    // The header or footer story a section's reference names, when its part exists.
    std::optional<StoryID> referencedStory(const std::optional<RelationshipID>& id, StoryID::Kind kind) const;

    ZipArchive archive_;
    PartName mainPart_;
    Relationships relationships_;
    IdentityMint mint_;
    Cache cache_;
    std::map<PartName, std::unique_ptr<Story>> stories_;
    std::optional<int64_t> revisionCounter_;
    // Story parts as first inflated from the archive, with their DEFLATE blocks.
    struct InflatedPart {
        SharedBytes contents;
        DeflateSplice::BlockMap blocks;
    };
    std::map<std::string, InflatedPart, std::less<>> inflated_;
    DeflateSplice::Policy splicePolicy_;
};

}  // namespace rovuvuz

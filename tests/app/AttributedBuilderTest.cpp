// Styled text from snapshots: character formats, paragraph formats, attachments, and whole
// stories in a QTextDocument, on small snapshots and documents built from XML literals.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QTextBlock>
#include <QTextDocument>

#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/tables/TableAttachment.h"
#include "Tovin/tables/TableView.h"
#include "Tovin/text/Attachments.h"
#include "Tovin/text/AttributedBuilder.h"
#include "Tovin/text/DisplayUnits.h"
#include "Tovin/text/FontResolver.h"
#include "Tovin/text/StoryText.h"
#include "Tovin/text/TextProperties.h"
#include "Tovin/text/Theme.h"
#include "support/TestSupport.h"

namespace tovin::testing {
namespace {

using rovuvuz::ParagraphSnapshot;
using rovuvuz::RevisionInfo;
using rovuvuz::RevisionKind;
using rovuvuz::RunFormat;
using rovuvuz::Span;

constexpr qreal column = 600;

AttributedBuilder plainBuilder() {
    return AttributedBuilder(nullptr, rovuvuz::StoryID::body(), column);
}

// A paragraph of one text span per (text, format) piece.
ParagraphSnapshot paragraphOf(std::vector<std::pair<std::u16string, RunFormat>> pieces) {
    ParagraphSnapshot p;
    for (auto& [text, format] : pieces) {
        Span span;
        span.range = {p.text.size(), p.text.size() + text.size()};
        span.format = format;
        p.text += text;
        p.spans.push_back(span);
    }
    return p;
}

// A paragraph holding one object character shown as `content`.
ParagraphSnapshot objectParagraph(Span::Content content, RunFormat format = {}) {
    ParagraphSnapshot p;
    p.text = u"\uFFFC";
    Span span;
    span.range = {0, 1};
    span.content = std::move(content);
    span.format = std::move(format);
    p.spans.push_back(span);
    return p;
}

AttachmentRef onlyAttachment(const StyledText& styled) {
    return styled.runs.size() == 1 ? attachmentOf(styled.runs[0].format) : nullptr;
}

std::string pngBytes(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

// A package whose body shows a picture of the given extent in points.
std::unique_ptr<rovuvuz::DocxDocument> documentWithPicture(double width, double height,
                                                           std::optional<std::string> media) {
    const auto emu = [](double points) { return std::to_string(static_cast<long long>(points * 12700)); };
    const std::string body =
        "<w:p><w:r><w:drawing xmlns:wp=\"wp\" xmlns:a=\"a\" xmlns:r=\"r\"><wp:inline><wp:extent cx=\"" +
        emu(width) + "\" cy=\"" + emu(height) +
        "\"/><a:blip r:embed=\"rId5\"/></wp:inline></w:drawing></w:r></w:p>";
    auto parts =
        rovuvuz::testing::minimalDocument(body, rovuvuz::testing::rel("rId5", "image", "media/image1.png"));
    if (media) parts.emplace_back("word/media/image1.png", *media);
    return std::make_unique<rovuvuz::DocxDocument>(rovuvuz::testing::makePackage(parts));
}

ParagraphSnapshot firstParagraph(rovuvuz::DocxDocument& document) {
    return *document.snapshot(rovuvuz::StoryID::body()).paragraphs().at(0);
}

// --- character formats ---------------------------------------------------------------

TEST(AttributedBuilderCharacters, RunWithoutSizeOrFontIsTimesNewRomansStandInAtTwelveAndAHalf) {
    const QTextCharFormat format = plainBuilder().attributes(RunFormat{}, std::nullopt);
    EXPECT_EQ(format.font().family(), FontResolver::shared().resolve("Times New Roman"));
    EXPECT_DOUBLE_EQ(displaySize(format.font()), 12.5);
    EXPECT_FALSE(format.font().bold());
    EXPECT_FALSE(format.font().kerning());
    EXPECT_FALSE(format.hasProperty(QTextFormat::ForegroundBrush));
}

TEST(AttributedBuilderCharacters, SuperscriptIsSmallerAndRaisedSubscriptLowered) {
    RunFormat superscript;
    superscript.size = 10;
    superscript.verticalAlign = rovuvuz::VerticalAlign::superscript;
    const QTextCharFormat up = plainBuilder().attributes(superscript, std::nullopt);
    EXPECT_DOUBLE_EQ(displaySize(up.font()), 8.125);
    // Qt states the shift as a percentage of the font's height.
    EXPECT_NEAR(up.baselineOffset() / 100 * QFontMetricsF(up.font()).height(), 4.375, 1e-9);

    RunFormat subscript = superscript;
    subscript.verticalAlign = rovuvuz::VerticalAlign::subscript;
    const QTextCharFormat down = plainBuilder().attributes(subscript, std::nullopt);
    EXPECT_NEAR(down.baselineOffset() / 100 * QFontMetricsF(down.font()).height(), -1.875, 1e-9);
}

TEST(AttributedBuilderCharacters, ColoursAreSixHexDigitsOrNothing) {
    EXPECT_EQ(AttributedBuilder::wordColor("1F4ED8"), QColor(31, 78, 216));
    EXPECT_EQ(AttributedBuilder::wordColor("+00001"), QColor(0, 0, 1));
    for (const char* bad : {"", "FFF", "1F4ED", "1F4ED80", "GGGGGG", "12 456", "auto"})
        EXPECT_FALSE(AttributedBuilder::wordColor(bad)) << bad;

    RunFormat run;
    run.color = "12345G";
    EXPECT_FALSE(plainBuilder().attributes(run, std::nullopt).hasProperty(QTextFormat::ForegroundBrush));
    run.color = "C00000";
    EXPECT_EQ(plainBuilder().attributes(run, std::nullopt).foreground().color(), QColor(0xC0, 0, 0));
}

TEST(AttributedBuilderCharacters, HighlightNamesOfThePaletteOnly) {
    const auto yellow = AttributedBuilder::wordHighlight("yellow");
    ASSERT_TRUE(yellow);
    EXPECT_EQ(yellow->rgb(), QColor(255, 255, 0).rgb());
    EXPECT_NEAR(yellow->alphaF(), 0.45, 0.01);
    EXPECT_FALSE(AttributedBuilder::wordHighlight("none"));
    EXPECT_FALSE(AttributedBuilder::wordHighlight("Yellow"));

    // On screen the highlight is tinted; on paper it is the full colour, as Word prints it.
    RunFormat run;
    run.highlight = "darkGreen";
    AttributedBuilder builder = plainBuilder();
    EXPECT_NEAR(builder.attributes(run, std::nullopt).background().color().alphaF(), 0.45, 0.01);
    builder = plainBuilder();
    builder.onPaper = true;
    EXPECT_EQ(builder.attributes(run, std::nullopt).background().color(), QColor(0, 0x80, 0));
}

TEST(AttributedBuilderCharacters, TrackedChangesShowInReviewColoursOverTheDocumentsOwn) {
    AttributedBuilder builder = plainBuilder();
    builder.palette = QPalette();
    builder.palette->setColor(QPalette::Window, Qt::white);
    RunFormat run;
    run.color = "00FF00";
    run.underline = false;
    RevisionInfo insertion{{4}, RevisionKind::insert, "Mira", std::nullopt};
    const QTextCharFormat inserted = builder.attributes(run, insertion);
    EXPECT_EQ(inserted.foreground().color(), Theme::cobalt.light);
    EXPECT_TRUE(inserted.fontUnderline());
    EXPECT_EQ(inserted.underlineColor(), Theme::cobalt.light);
    EXPECT_EQ(revisionProperty(inserted, TextProperty::revision), insertion);

    RevisionInfo deletion{{5}, RevisionKind::remove, "Mira", std::nullopt};
    const QTextCharFormat deleted = builder.attributes(run, deletion);
    EXPECT_EQ(deleted.foreground().color(), Theme::brick.light);
    EXPECT_TRUE(deleted.fontStrikeOut());
    EXPECT_FALSE(deleted.fontUnderline());

    // The cached format of the run is not touched by a revision's colours.
    EXPECT_EQ(builder.attributes(run, std::nullopt).foreground().color(), QColor(0, 255, 0));
    EXPECT_FALSE(builder.attributes(run, std::nullopt).hasProperty(TextProperty::revision));

    builder.palette->setColor(QPalette::Window, QColor(20, 20, 20));
    EXPECT_EQ(builder.attributes(run, insertion).foreground().color(), Theme::cobalt.dark);
}

TEST(AttributedBuilderCharacters, FontsFallBackToTheirStandInsThenToTheSansSerif) {
    FontResolver resolver({"Carlito", "Caladea", "Liberation Sans", "Liberation Serif", "DejaVu Sans Mono"});
    EXPECT_EQ(resolver.resolve("Calibri"), "Carlito");
    EXPECT_EQ(resolver.resolve("Aptos Display"), "Carlito");
    EXPECT_EQ(resolver.resolve("Cambria"), "Caladea");
    EXPECT_EQ(resolver.resolve("Cambria Math"), "Liberation Serif");
    EXPECT_EQ(resolver.resolve("Consolas"), "DejaVu Sans Mono");
    EXPECT_EQ(resolver.resolve("Segoe UI"), "Liberation Sans");
    EXPECT_EQ(resolver.resolve("Wingdings Fantasy"), "Liberation Sans");
    EXPECT_EQ(resolver.resolve("carlito"), "Carlito");
    EXPECT_EQ(resolver.substituted(), QSet<QString>({"Calibri", "Aptos Display", "Cambria", "Cambria Math",
                                                     "Consolas", "Segoe UI", "Wingdings Fantasy"}));
    FontResolver bare({"DejaVu Sans"});
    EXPECT_EQ(bare.resolve("Calibri"), "DejaVu Sans");
}

// --- paragraph formats ---------------------------------------------------------------

TEST(AttributedBuilderParagraphs, ListLabelKeepsTheHangingSpaceFreeForItself) {
    rovuvuz::ParagraphFormat format;
    format.indentLeft = 36;
    format.firstLine = -18;
    const QTextBlockFormat labelled = plainBuilder().paragraphStyle(format, "1.");
    EXPECT_DOUBLE_EQ(labelled.leftMargin(), 45);
    EXPECT_DOUBLE_EQ(labelled.textIndent(), 0);
    const QTextBlockFormat plain = plainBuilder().paragraphStyle(format, std::nullopt);
    EXPECT_DOUBLE_EQ(plain.textIndent(), -22.5);
}

TEST(AttributedBuilderParagraphs, DirectionComesFromTheFirstStrongCharacter) {
    rovuvuz::ParagraphSnapshot paragraph;
    paragraph.text = u"(12) Hello";
    EXPECT_EQ(plainBuilder().paragraph(paragraph).block.layoutDirection(), Qt::LeftToRight);
    paragraph.text = u"(12) \u05E9\u05DC\u05D5\u05DD world";  // Hebrew first
    EXPECT_EQ(plainBuilder().paragraph(paragraph).block.layoutDirection(), Qt::RightToLeft);
    EXPECT_EQ(plainBuilder().separatorAttributes(paragraph).block.layoutDirection(), Qt::RightToLeft);
    paragraph.text = u"12 \u0627\u0644\u0639\u0631\u0628\u064A\u0629";  // Arabic after digits
    EXPECT_EQ(plainBuilder().paragraph(paragraph).block.layoutDirection(), Qt::RightToLeft);
    paragraph.text = u"";
    EXPECT_EQ(plainBuilder().paragraph(paragraph).block.layoutDirection(), Qt::LeftToRight);
}

// Custom stops reach the draft view too, measured from where the first line starts; a
// hanging first line also stops at the left indent, before any later custom stop.
TEST(AttributedBuilderParagraphs, TabStopsFromTheFirstLineStartWithTheHangingIndentAsAStop) {
    using rovuvuz::TabStop;
    ParagraphSnapshot p = paragraphOf({{u"a\tb\tc", RunFormat{}}});
    p.tabs = {{72, TabStop::Kind::right, TabStop::Leader::dot}, {144, TabStop::Kind::center, TabStop::Leader::none},
              {200, TabStop::Kind::bar, TabStop::Leader::none}};
    QList<QTextOption::Tab> tabs = plainBuilder().paragraph(p).block.tabPositions();
    ASSERT_EQ(tabs.size(), 2);
    EXPECT_DOUBLE_EQ(tabs[0].position, 90);
    EXPECT_EQ(tabs[0].type, QTextOption::RightTab);
    EXPECT_DOUBLE_EQ(tabs[1].position, 180);
    EXPECT_EQ(tabs[1].type, QTextOption::CenterTab);
    EXPECT_EQ(plainBuilder().separatorAttributes(p).block.tabPositions(), tabs);

    // Indented 36 pt, hanging 54 pt: the line starts at -18 pt, so a stop at -36 pt is
    // passed by, the indent stops at 54 pt along, and the stop at 36 pt follows.
    p.format.indentLeft = 36;
    p.format.firstLine = -54;
    p.tabs = {{-36, TabStop::Kind::left, TabStop::Leader::none}, {72, TabStop::Kind::left, TabStop::Leader::none}};
    tabs = plainBuilder().paragraph(p).block.tabPositions();
    ASSERT_EQ(tabs.size(), 2);
    EXPECT_DOUBLE_EQ(tabs[0].position, 67.5);
    EXPECT_DOUBLE_EQ(tabs[1].position, 112.5);

    // No custom stop and no hanging line: Qt's default stops alone.
    p.tabs.clear();
    p.format.firstLine = 0;
    EXPECT_TRUE(plainBuilder().paragraph(p).block.tabPositions().isEmpty());
}

TEST(AttributedBuilderParagraphs, SpacingIndentsAndLineHeightsAtTheDisplayScale) {
    rovuvuz::ParagraphFormat format;
    format.alignment = rovuvuz::Alignment::both;
    format.indentRight = 8;
    format.spaceBefore = 12;
    format.spaceAfter = 6;
    format.lineMultiple = 0.5;
    QTextBlockFormat block = plainBuilder().paragraphStyle(format, std::nullopt);
    EXPECT_EQ(block.alignment(), Qt::AlignJustify);
    EXPECT_DOUBLE_EQ(block.rightMargin(), 10);
    EXPECT_DOUBLE_EQ(block.topMargin(), 15);
    EXPECT_DOUBLE_EQ(block.bottomMargin(), 7.5);
    EXPECT_EQ(block.lineHeightType(), QTextBlockFormat::ProportionalHeight);
    EXPECT_DOUBLE_EQ(block.lineHeight(), 80);

    format.lineMultiple.reset();
    format.lineExact = 14;
    block = plainBuilder().paragraphStyle(format, std::nullopt);
    EXPECT_EQ(block.lineHeightType(), QTextBlockFormat::FixedHeight);
    EXPECT_DOUBLE_EQ(block.lineHeight(), 17.5);
}

TEST(AttributedBuilderParagraphs, TextIsTheSnapshotsAndLabelsAndMarkChangesCoverIt) {
    RunFormat bold;
    bold.bold = true;
    ParagraphSnapshot p = paragraphOf({{u"Milk ", RunFormat{}}, {u"and honey", bold}});
    p.listLabel = "\u2022";
    p.markRevision = RevisionInfo{{7}, RevisionKind::insert, "Ana", std::nullopt};
    p.markFormat.size = 20;
    const StyledText styled = plainBuilder().paragraph(p);
    EXPECT_EQ(styled.text, QString("Milk and honey"));
    ASSERT_EQ(styled.runs.size(), 2u);
    EXPECT_EQ(styled.runs[1].start, 5);
    EXPECT_TRUE(styled.runs[1].format.font().bold());
    for (const auto& run : styled.runs) {
        EXPECT_EQ(listLabelProperty(run.format), QString("\u2022"));
        EXPECT_EQ(revisionProperty(run.format, TextProperty::markRevision), p.markRevision);
    }
    const SeparatorFormat separator = plainBuilder().separatorAttributes(p);
    EXPECT_EQ(listLabelProperty(separator.character), QString("\u2022"));
    EXPECT_DOUBLE_EQ(displaySize(separator.character.font()), 25);
    EXPECT_FALSE(separator.character.hasProperty(TextProperty::markRevision));
}

TEST(AttributedBuilderParagraphs, SpansOutsideTheTextNeverChangeIt) {
    // A snapshot the builder cannot trust: overlapping, reversed and out-of-range spans,
    // and text no span covers.
    ParagraphSnapshot p;
    p.text = u"abcdef";
    Span a;
    a.range = {2, 4};
    Span overlapping;
    overlapping.range = {3, 99};
    Span reversed;
    reversed.range = {5, 1};
    p.spans = {a, overlapping, reversed};
    const StyledText styled = plainBuilder().paragraph(p);
    EXPECT_EQ(styled.text, QString("abcdef"));
    int covered = 0;
    for (const auto& run : styled.runs) {
        EXPECT_EQ(run.start, covered);
        covered += run.length;
    }
    EXPECT_EQ(covered, 6);
}

TEST(AttributedBuilderParagraphs, LinksThatAreUrlsBecomeAnchors) {
    ParagraphSnapshot p = paragraphOf({{u"site", RunFormat{}}, {u"bad", RunFormat{}}});
    p.spans[0].link = "https://example.com/a";
    p.spans[1].link = "http://exa mple.com";
    const StyledText styled = plainBuilder().paragraph(p);
    EXPECT_EQ(styled.runs[0].format.anchorHref(), "https://example.com/a");
    EXPECT_FALSE(styled.runs[1].format.isAnchor());
}

// --- attachments ---------------------------------------------------------------------

TEST(AttributedBuilderAttachments, PicturesShowAtTheirSizeScaledDownToTheColumn) {
    auto document = documentWithPicture(500, 200, pngBytes(50, 20));
    AttributedBuilder builder(document.get(), rovuvuz::StoryID::body(), column);
    const auto* picture = dynamic_cast<const ImageAttachment*>(
        onlyAttachment(builder.paragraph(firstParagraph(*document))).get());
    ASSERT_TRUE(picture);
    EXPECT_DOUBLE_EQ(picture->size().width(), 600);
    EXPECT_DOUBLE_EQ(picture->size().height(), 200 * 1.25 * 600 / 625);

    auto small = documentWithPicture(100, 40, pngBytes(50, 20));
    AttributedBuilder smallBuilder(small.get(), rovuvuz::StoryID::body(), column);
    const AttachmentRef shown = onlyAttachment(smallBuilder.paragraph(firstParagraph(*small)));
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->size(), QSizeF(125, 50));
}

TEST(AttributedBuilderAttachments, MissingOrBrokenPictureShowsThePictureChip) {
    for (const std::optional<std::string>& media :
         {std::optional<std::string>(), std::optional<std::string>("\x89PNG not really")}) {
        auto document = documentWithPicture(100, 40, media);
        AttributedBuilder builder(document.get(), rovuvuz::StoryID::body(), column);
        const auto* chip = dynamic_cast<const ChipAttachment*>(
            onlyAttachment(builder.paragraph(firstParagraph(*document))).get());
        ASSERT_TRUE(chip);
        EXPECT_EQ(chip->label(), "Picture");
        EXPECT_GT(chip->size().width(), 0);
    }
}

TEST(AttributedBuilderAttachments, FieldsShowTheirResultAndOtherObjectsAChip) {
    Span::Content field;
    field.type = Span::Content::Type::opaque;
    field.name = "fldSimple";
    field.preview = "12";
    const auto* preview = dynamic_cast<const PreviewAttachment*>(
        onlyAttachment(plainBuilder().paragraph(objectParagraph(field))).get());
    ASSERT_TRUE(preview);
    EXPECT_EQ(preview->text(), "12");
    EXPECT_LT(preview->baseline(), 0);

    Span::Content equation = field;
    equation.name = "oMath";
    equation.preview = "x+1";
    const auto* chip = dynamic_cast<const ChipAttachment*>(
        onlyAttachment(plainBuilder().paragraph(objectParagraph(equation))).get());
    ASSERT_TRUE(chip);
    EXPECT_EQ(chip->label(), "Equation: x+1");

    Span::Content emptyField = field;
    emptyField.preview.clear();
    const auto* fieldChip = dynamic_cast<const ChipAttachment*>(
        onlyAttachment(plainBuilder().paragraph(objectParagraph(emptyField))).get());
    ASSERT_TRUE(fieldChip);
    EXPECT_EQ(fieldChip->label(), "Field");
    EXPECT_EQ(OpaqueAttachment::label("somethingElse"), "Content");

    Span::Content longText = equation;
    longText.preview = std::string(100, 'y');
    const auto* longChip = dynamic_cast<const ChipAttachment*>(
        onlyAttachment(plainBuilder().paragraph(objectParagraph(longText))).get());
    ASSERT_TRUE(longChip);
    EXPECT_EQ(longChip->label().size(), QString("Equation: ").size() + 48);
}

TEST(AttributedBuilderAttachments, NoteNumbersAreRaisedAndCarryNoUnderline) {
    Span::Content note;
    note.type = Span::Content::Type::noteRef;
    note.noteID = 3;
    RunFormat underlined;
    underlined.underline = true;
    underlined.size = 12;
    // The note reference style raises the run; the number raises itself once, at the
    // run's size.
    underlined.verticalAlign = rovuvuz::VerticalAlign::superscript;
    const StyledText styled = plainBuilder().paragraph(objectParagraph(note, underlined));
    const auto* number = dynamic_cast<const NoteRefAttachment*>(onlyAttachment(styled).get());
    ASSERT_TRUE(number);
    EXPECT_EQ(number->text(), "3");
    EXPECT_DOUBLE_EQ(number->baseline(), 15 * 0.4);
    // The number a reader sees follows the references' order, not the note's id.
    note.noteLabel = "1";
    const StyledText numbered = plainBuilder().paragraph(objectParagraph(note, underlined));
    const auto* first = dynamic_cast<const NoteRefAttachment*>(onlyAttachment(numbered).get());
    ASSERT_TRUE(first);
    EXPECT_EQ(first->text(), "1");
    EXPECT_FALSE(styled.runs[0].format.fontUnderline());
    EXPECT_EQ(styled.runs[0].format.objectType(), attachmentObjectType);
}

TEST(AttributedBuilderAttachments, PageBreakSpansTheColumnBetweenTheIndents) {
    Span::Content pageBreak;
    pageBreak.type = Span::Content::Type::pageBreak;
    ParagraphSnapshot p = objectParagraph(pageBreak);
    p.format.indentLeft = 36;
    const AttachmentRef marker = onlyAttachment(plainBuilder().paragraph(p));
    ASSERT_TRUE(marker);
    EXPECT_EQ(marker->size(), QSizeF(600 - 36 - 4, 22));
    AttributedBuilder narrow(nullptr, rovuvuz::StoryID::body(), 50);
    EXPECT_EQ(onlyAttachment(narrow.paragraph(p))->size().width(), 80);
}

// --- whole stories -------------------------------------------------------------------

TEST(StoryTextAssembly, EachBlockIsOneQtBlockAndTablesOneCharacter) {
    const std::string body =
        "<w:p><w:r><w:t>First</w:t></w:r></w:p>"
        "<w:tbl><w:tblGrid><w:gridCol w:w=\"2000\"/><w:gridCol w:w=\"3000\"/></w:tblGrid>"
        "<w:tr><w:tc><w:p><w:r><w:t>a1</w:t></w:r></w:p></w:tc><w:tc><w:p><w:r><w:t>b1</w:t></w:r></w:p></"
        "w:tc></w:tr>"
        "<w:tr><w:tc><w:tcPr><w:gridSpan "
        "w:val=\"2\"/></w:tcPr><w:p><w:r><w:t>wide</w:t></w:r></w:p></w:tc></w:tr>"
        "</w:tbl><w:p><w:pPr><w:rPr><w:sz "
        "w:val=\"48\"/></w:rPr></w:pPr></w:p><w:p><w:r><w:t>Last</w:t></w:r></w:p>";
    rovuvuz::DocxDocument document(rovuvuz::testing::makePackage(rovuvuz::testing::minimalDocument(body)));
    const rovuvuz::StorySnapshot story = document.snapshot(rovuvuz::StoryID::body());
    // Tables measured and drawn without a view, as pages and scratch documents show them.
    const AttributedBuilder builder = TableAttachment::liveTables(
        AttributedBuilder(&document, rovuvuz::StoryID::body(), column), TableEditorRef(), nullptr, 0);
    QTextDocument text;
    StoryText::fill(text, story.blocks, builder);

    ASSERT_EQ(text.blockCount(), 4);
    EXPECT_EQ(text.toPlainText(), QString("First\n\uFFFC\n\nLast"));
    const QTextBlock table = text.findBlockByNumber(1);
    const QTextCharFormat object = table.begin().fragment().charFormat();
    const auto* grid = dynamic_cast<const TableAttachment*>(attachmentOf(object).get());
    ASSERT_TRUE(grid);
    grid->size();
    ASSERT_EQ(grid->view()->cells().size(), 3u);
    EXPECT_EQ(grid->view()->readerText(), "a1\nb1\nwide");
    EXPECT_EQ(grid->view()->columnX(), (std::vector<qreal>{0, 100 * 1.25, 250 * 1.25}));
    EXPECT_EQ(grid->view()->cells()[2].place.span, 2);
    EXPECT_DOUBLE_EQ(table.blockFormat().topMargin(), 8);
    // The empty paragraph is measured with its own mark's format, which Qt keeps on the
    // separator that begins its block.
    EXPECT_DOUBLE_EQ(displaySize(text.findBlockByNumber(2).charFormat().font()), 30);
    EXPECT_DOUBLE_EQ(displaySize(text.findBlockByNumber(3).charFormat().font()), 12.5);
    EXPECT_DOUBLE_EQ(displaySize(text.begin().charFormat().font()), 12.5);
}

// Every story of every corpus document fills a text document whose blocks are the
// story's blocks, each with its snapshot's text.
class CorpusStoryText : public ::testing::TestWithParam<std::filesystem::path> {};

TEST_P(CorpusStoryText, EveryStoryBuildsWithItsSnapshotsText) {
    rovuvuz::DocxDocument document(rovuvuz::share(rovuvuz::testing::readFile(GetParam())));
    for (const rovuvuz::StoryID& id : document.storyIDs()) {
        SCOPED_TRACE(id.description());
        rovuvuz::StorySnapshot story;
        try {
            story = document.snapshot(id);
        } catch (const std::exception&) {
            continue;  // a story that does not parse is shown empty
        }
        const std::vector<rovuvuz::BlockSnapshot> blocks = StoryText::allBlocks(story);
        AttributedBuilder builder(&document, id, column);
        QTextDocument text;
        StoryText::fill(text, blocks, builder);
        ASSERT_EQ(text.blockCount(), std::max<int>(static_cast<int>(blocks.size()), 1));
        QTextBlock block = text.begin();
        for (const rovuvuz::BlockSnapshot& shown : blocks) {
            if (const auto* p = std::get_if<ParagraphSnapshot>(&shown.value))
                EXPECT_EQ(block.text(), QString::fromStdU16String(p->text));
            else
                EXPECT_EQ(block.text(), QString(QChar(0xFFFC)));
            block = block.next();
        }
        text.documentLayout()->documentSize();  // lays everything out, attachments included
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusStoryText, ::testing::ValuesIn(rovuvuz::testing::corpusFiles()),
                         [](const auto& param) { return rovuvuz::testing::parameterName(param.param); });

}  // namespace
}  // namespace tovin::testing

// Seeded edits at the start, in the middle and at the end of the main part and of a header,
// over every corpus document and, when TOVIN_BENCH_DOCS names their folder, the benchmark
// documents. Each edited part is written once spliced and once compressed whole; both
// images must hold the same bytes in every entry, and Python's zipfile must accept the
// spliced one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>

#include "RovuVuz/document/DocumentInternals.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/InlineOps.h"
#include "RovuVuz/edit/TextEdit.h"
#include "support/TestSupport.h"

using namespace rovuvuz;

namespace {

enum class Where { start, middle, end };

std::vector<std::filesystem::path> documents() {
    std::vector<std::filesystem::path> files = rovuvuz::testing::corpusFiles();
    if (const char* bench = std::getenv("TOVIN_BENCH_DOCS"))
        for (const char* name : {"bench-50.docx", "bench-200.docx", "bench-500.docx"})
            if (std::filesystem::exists(std::filesystem::path(bench) / name))
                files.push_back(std::filesystem::path(bench) / name);
    return files;
}

// One edit in a paragraph of the chosen tenth of the story; false when it has none.
bool edit(DocxDocument& document, const StoryID& story, Where where, std::mt19937& random) {
    const std::vector<Paragraph*> paragraphs = DocumentInternals::story(document, story).paragraphs();
    if (paragraphs.empty()) return false;
    const size_t tenth = std::max<size_t>(1, paragraphs.size() / 10);
    const size_t base = where == Where::start    ? 0
                        : where == Where::middle ? paragraphs.size() / 2 - tenth / 2
                                                 : paragraphs.size() - tenth;
    const Paragraph& p = *paragraphs[std::min(paragraphs.size() - 1, base + random() % tenth)];
    const size_t length = InlineOps::length(p.inlines);
    const size_t a = random() % (length + 1), b = random() % (length + 1);
    static const std::u16string samples[] = {u"x", u"spliced words ", u"", u"\u00e9t\u00e9",
                                             u"a much longer stretch of new text"};
    try {
        document.replaceText(p.id, story, {std::min(a, b), std::max(a, b)},
                             samples[random() % std::size(samples)], EditMode::direct());
    } catch (const DocxError&) {
        return false;
    }
    return true;
}

bool zipfileAccepts(const SharedBytes& image) {
    const auto path =
        std::filesystem::temp_directory_path() / ("tovin-splice-" + std::to_string(::getpid()) + ".docx");
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(image->data()), static_cast<std::streamsize>(image->size()));
    const int status =
        std::system(("/usr/bin/python3 -m zipfile -t '" + path.string() + "' >/dev/null 2>&1").c_str());
    std::filesystem::remove(path);
    return status == 0;
}

class CorpusSplice : public ::testing::TestWithParam<std::filesystem::path> {};

}  // namespace

TEST_P(CorpusSplice, SplicedAndWholeSavesHoldTheSameBytes) {
    const SharedBytes original = share(rovuvuz::testing::readFile(GetParam()));
    std::vector<StoryID> stories{StoryID::body()};
    for (const StoryID& id : DocxDocument(original).storyIDs())
        if (id.kind == StoryID::Kind::header) {
            stories.push_back(id);
            break;
        }
    DeflateSplice::Policy everySize;
    everySize.minimumSize = 0;
    std::mt19937 random(static_cast<uint32_t>(std::hash<std::string>{}(GetParam().filename().string())));
    int spliced = 0;
    SharedBytes lastSpliced;
    for (const StoryID& story : stories) {
        for (Where where : {Where::start, Where::middle, Where::end}) {
            for (int round = 0; round < 2; ++round) {
                DocxDocument document(original);
                if (!edit(document, story, where, random)) continue;
                const std::string part = document.part(story)->rawValue;
                const Bytes after = *document.partData(PartName(part));
                DeflateSplice::BlockMap blocks;
                const ZipArchive& archive = document.archive();
                const Bytes before = archive.contents(part, blocks);
                if (after == before) continue;
                SCOPED_TRACE(part + " edit " + std::to_string(static_cast<int>(where)) + "." +
                             std::to_string(round));

                const ZipArchive::Replacements replacing{{part, ByteView(after)}};
                const SharedBytes whole = archive.write(replacing);
                const SharedBytes splicedImage =
                    archive.write(replacing, {{part, {&blocks, before}}}, everySize);
                const ZipArchive a(whole), b(splicedImage);
                ASSERT_EQ(a.entries().size(), b.entries().size());
                for (size_t i = 0; i < a.entries().size(); ++i) {
                    const std::string& name = a.entries()[i].name;
                    ASSERT_EQ(name, b.entries()[i].name);
                    EXPECT_EQ(a.contents(name), b.contents(name)) << name;
                }
                EXPECT_EQ(b.contents(part), after);
                const ByteView oldData = viewOf(*original, archive.entry(part)->dataRange);
                const ByteView newData = viewOf(*splicedImage, b.entry(part)->dataRange);
                const ByteView wholeData = viewOf(*whole, a.entry(part)->dataRange);
                if (!std::equal(newData.begin(), newData.end(), wholeData.begin(), wholeData.end())) {
                    ++spliced;
                    lastSpliced = splicedImage;
                    // The splice keeps the old stream's bits before the changed stretch.
                    if (where == Where::end && oldData.size() > 4096) {
                        EXPECT_TRUE(std::equal(oldData.begin(), oldData.begin() + 64, newData.begin()));
                    }
                }
            }
        }
    }
    RecordProperty("spliced", spliced);
    if (lastSpliced && std::filesystem::exists("/usr/bin/python3")) {
        EXPECT_TRUE(zipfileAccepts(lastSpliced));
    }
    // The benchmark documents' bodies span many blocks: edits there must splice.
    if (GetParam().filename().string().starts_with("bench-")) {
        EXPECT_GE(spliced, 4);
    }
}

TEST_P(CorpusSplice, SavingSplicesLargeBodiesAndReadsBackTheEdit) {
    const SharedBytes original = share(rovuvuz::testing::readFile(GetParam()));
    DocxDocument document(original);
    std::mt19937 random(3);
    if (!edit(document, StoryID::body(), Where::middle, random)) GTEST_SKIP() << "no paragraph to edit";
    const std::string part = document.mainPart().rawValue;
    const Bytes after = *document.partData(document.mainPart());
    const auto path =
        std::filesystem::temp_directory_path() / ("tovin-save-" + std::to_string(::getpid()) + ".docx");
    document.write(path);
    const SharedBytes saved = share(rovuvuz::testing::readFile(path));
    std::filesystem::remove(path);
    const ZipArchive written(saved);
    EXPECT_EQ(written.contents(part), after);
    // A body above the policy's minimum, over several blocks, is written spliced.
    const ZipArchive::Entry& old = *document.archive().entry(part);
    if (old.uncompressedSize > DeflateSplice::Policy{}.minimumSize * 16 && old.method == 8) {
        const ByteView oldData = viewOf(*original, old.dataRange);
        const ByteView newData = viewOf(*saved, written.entry(part)->dataRange);
        EXPECT_TRUE(std::equal(oldData.begin(), oldData.begin() + 16, newData.begin()));
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusSplice, ::testing::ValuesIn(documents()),
                         [](const auto& param) { return rovuvuz::testing::parameterName(param.param); });

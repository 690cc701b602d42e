// PDF export's progress and cancelling, and the faster compression of the pages it writes:
// streams zlib starts at its default level while pages are drawn are compressed at the
// faster level, and only then.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>
#include <optional>
#include <thread>
#include <vector>
#include <zlib.h>

#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/pages/PageLayout.h"
#include "Tovin/pages/PdfCompression.h"
#include "Tovin/pages/PdfExport.h"
#include "support/TestSupport.h"

using namespace tovin;

namespace {

std::unique_ptr<rovuvuz::DocxDocument> pagesOfText(int paragraphs) {
    std::string body;
    for (int i = 0; i < paragraphs; ++i)
        body += "<w:p><w:r><w:t>Paragraph " + std::to_string(i) + "</w:t></w:r></w:p>";
    return std::make_unique<rovuvuz::DocxDocument>(
        rovuvuz::testing::makePackage(rovuvuz::testing::minimalDocument(body, {})));
}

// `text` deflated by a stream started with deflateInit() at the default level, or with
// deflateInit2() at `level`.
std::vector<unsigned char> deflated(const std::string& text, std::optional<int> level) {
    z_stream stream{};
    const int started = level ? deflateInit2(&stream, *level, Z_DEFLATED, MAX_WBITS, 8, Z_DEFAULT_STRATEGY)
                              : deflateInit(&stream, Z_DEFAULT_COMPRESSION);
    EXPECT_EQ(started, Z_OK);
    std::vector<unsigned char> out(deflateBound(&stream, text.size()));
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

}  // namespace

TEST(PdfExportProgress, ToldOfEveryPageInOrderAndCancellingWritesNothing) {
    auto doc = pagesOfText(200);
    const PageLayout layout(*doc);
    const int pages = static_cast<int>(layout.pages().size());
    ASSERT_GT(pages, 3);
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());

    std::vector<std::pair<int, int>> told;
    const QString whole = folder.filePath("whole.pdf");
    EXPECT_FALSE(PdfExport::write(layout, whole, "t", [&](int done, int total) {
                     told.emplace_back(done, total);
                     return true;
                 }).has_value());
    ASSERT_EQ(static_cast<int>(told.size()), pages);
    for (int i = 0; i < pages; ++i) EXPECT_EQ(told[static_cast<size_t>(i)], std::make_pair(i, pages));
    EXPECT_GT(QFileInfo(whole).size(), 0);

    const QString cancelled = folder.filePath("cancelled.pdf");
    const auto failure = PdfExport::write(layout, cancelled, "t", [](int done, int) { return done < 2; });
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(*failure, "cancelled");
    EXPECT_FALSE(QFileInfo::exists(cancelled));
    // An existing PDF is left as it was by a cancelled export over it.
    const qint64 before = QFileInfo(whole).size();
    EXPECT_TRUE(PdfExport::write(layout, whole, "t", [](int, int) { return false; }).has_value());
    EXPECT_EQ(QFileInfo(whole).size(), before);
}

TEST(PdfCompression, DefaultLevelStreamsAreFasterOnlyInsideAScopeAndItsThread) {
    std::string text;
    for (int i = 0; i < 4000; ++i) text += std::to_string(i * 37 % 1000) + " 0 Td <00" + std::to_string(i % 90) + "> Tj\n";
    const auto zlibDefault = deflated(text, 6);
    const auto faster = deflated(text, PdfCompression::fasterLevel);
    ASSERT_NE(zlibDefault, faster);

    EXPECT_EQ(deflated(text, std::nullopt), zlibDefault);
    {
        const PdfCompression::FasterStreams scope;
        EXPECT_EQ(deflated(text, std::nullopt), faster);
        // A stream that names its level keeps it.
        EXPECT_EQ(deflated(text, 6), zlibDefault);
        {
            const PdfCompression::FasterStreams nested(1);
            EXPECT_EQ(deflated(text, std::nullopt), deflated(text, 1));
        }
        EXPECT_EQ(deflated(text, std::nullopt), faster);
        // Another thread's streams are its own.
        std::vector<unsigned char> elsewhere;
        std::thread other([&] { elsewhere = deflated(text, std::nullopt); });
        other.join();
        EXPECT_EQ(elsewhere, zlibDefault);
    }
    EXPECT_EQ(deflated(text, std::nullopt), zlibDefault);

    // Drawing pages leaves the thread's streams at zlib's default again.
    auto doc = pagesOfText(5);
    const PageLayout layout(*doc);
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    EXPECT_FALSE(PdfExport::write(layout, folder.filePath("out.pdf"), "t").has_value());
    EXPECT_EQ(deflated(text, std::nullopt), zlibDefault);
}

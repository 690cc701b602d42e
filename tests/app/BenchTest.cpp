// The bench harness: where typing goes, the figures it reports, what the environment asks
// for after the first paint, and that the user's file is only ever read. Most cases drive
// the harness in this process (where it never quits); one runs the application itself.
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>

#include "AppTestSupport.h"
#include "Tovin/Bench.h"
#include "Tovin/BenchReport.h"
#include "Tovin/BenchTyping.h"
#include "Tovin/document/DocumentController.h"
#include "Tovin/document/TovinDocument.h"
#include "Tovin/editor/EditorViewController.h"
#include "Tovin/editor/EditorWindowController.h"

namespace tovin::testing {
namespace {

const QString longParagraph = QStringLiteral("A paragraph long enough for typing to go at its end, surely.");

class BenchTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        BenchReport::setSink([this](const QString& line) { lines.append(line); });
    }
    void TearDown() override {
        for (const char* name : {"TOVIN_BENCH_TYPE", "TOVIN_PDF", "TOVIN_PAGE", "TOVIN_SNAPSHOT"})
            qunsetenv(name);
        BenchReport::setSink([](const QString&) {});
        AppTest::TearDown();
    }

    QStringList linesStarting(const QString& prefix) const {
        QStringList found;
        for (const QString& line : lines)
            if (line.startsWith(prefix)) found.append(line);
        return found;
    }
    QStringList firstPaints() const { return linesStarting(QStringLiteral("TOVIN_BENCH first_paint_ms=")); }
    QStringList typing() const { return linesStarting(QStringLiteral("TOVIN_BENCH_TYPE")); }

    // Opens the file through the harness and waits for the first-paint report.
    EditorViewController* benchOpen(const QString& path) {
        Bench::open(path);
        if (!waitFor([this] { return !firstPaints().isEmpty(); })) return nullptr;
        TovinDocument* document = documents().currentDocument();
        EditorWindowController* controller = document ? EditorWindowController::of(document) : nullptr;
        return controller ? controller->editor() : nullptr;
    }

    QStringList lines;
};

// A number in a report line: "p50_ms=1.25" for key "p50_ms".
double field(const QString& line, const QString& key) {
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("\\b%1=([-0-9.]+)").arg(key)).match(line);
    return match.hasMatch() ? match.captured(1).toDouble() : -1;
}

TEST(BenchTypingTest, TypingGoesAtTheEndOfTheFirstLongParagraphFromTheMiddle) {
    QTextDocument text;
    const QString shortOne = QStringLiteral("short");
    const QString withObject = QString(longParagraph).replace(5, 1, QChar(0xFFFC));
    text.setPlainText(
        QStringList{longParagraph, shortOne, shortOne, withObject, shortOne, longParagraph, shortOne}.join(
            QLatin1Char('\n')));
    // Before the middle: the long paragraph at the top is passed over; so is the one
    // holding an object character; the caret goes before the separator of the last long one.
    const QTextBlock chosen = text.findBlockByNumber(5);
    EXPECT_EQ(BenchTyping::insertionPoint(text), chosen.position() + chosen.length() - 1);

    QStringList onlyFirstLong{longParagraph};
    for (int i = 0; i < 20; ++i) onlyFirstLong.append(shortOne);
    text.setPlainText(onlyFirstLong.join(QLatin1Char('\n')));
    EXPECT_EQ(BenchTyping::insertionPoint(text), text.characterCount() - 1)
        << "none after the middle: the end";
    // Exactly 41 characters is long enough, 40 is not.
    text.setPlainText(QString(41, QLatin1Char('x')));
    EXPECT_EQ(BenchTyping::insertionPoint(text), 41);
    text.setPlainText(QStringLiteral("ab\n") + QString(40, QLatin1Char('x')));
    EXPECT_EQ(BenchTyping::insertionPoint(text), text.characterCount() - 1);
}

TEST(BenchReportTest, PercentilesAreRanksOfTheSortedLatencies) {
    std::vector<double> latencies;
    for (int i = 20; i >= 1; --i) latencies.push_back(i);
    const BenchReport::Percentiles figures = BenchReport::percentiles(latencies);
    EXPECT_EQ(figures.count, 20);
    EXPECT_EQ(figures.p50, 10);  // element ceil(20 × 0.5) − 1 = 9
    EXPECT_EQ(figures.p95, 19);  // element ceil(20 × 0.95) − 1 = 18
    EXPECT_EQ(figures.max, 20);
    const BenchReport::Percentiles one = BenchReport::percentiles({3.5});
    EXPECT_EQ(one.p50, 3.5);
    EXPECT_EQ(one.p95, 3.5);
    EXPECT_EQ(BenchReport::percentiles({}).count, 0);
    EXPECT_EQ(BenchReport::phaseLine("off", one).toStdString(),
              "TOVIN_BENCH_TYPE track=off n=1 p50_ms=3.50 p95_ms=3.50 max_ms=3.50");
}

TEST_F(BenchTest, OneKeyPerPhaseTypesUntrackedThenTracked) {
    const QString original = writeScratch("one.docx", documentWithParagraphs({longParagraph}));
    const rovuvuz::Bytes before = readBytes(original);
    qputenv("TOVIN_BENCH_TYPE", "1");
    EditorViewController* editor = benchOpen(original);
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(waitFor([this] { return typing().size() == 3; }));

    const QStringList report = typing();
    for (int phase = 0; phase < 2; ++phase) {
        const QString& line = report[phase];
        EXPECT_TRUE(line.startsWith(phase == 0 ? "TOVIN_BENCH_TYPE track=off n=1 "
                                               : "TOVIN_BENCH_TYPE track=on n=1 "))
            << line.toStdString();
        EXPECT_EQ(field(line, "p50_ms"), field(line, "p95_ms"));
        EXPECT_EQ(field(line, "p95_ms"), field(line, "max_ms"));
        EXPECT_GT(field(line, "max_ms"), 0);
    }
    EXPECT_TRUE(report[2].startsWith(
        QStringLiteral("TOVIN_BENCH_TYPE typed=2 at=%1 footprint_mb=").arg(longParagraph.size())))
        << report[2].toStdString();
    EXPECT_GT(field(report[2], "peak_footprint_mb"), 0);

    // Both keys reached the engine (the phrase's first two characters), the second while
    // tracking changes.
    TovinDocument* document = editor->document();
    EXPECT_TRUE(document->trackChanges());
    const auto snapshot = document->docx()->snapshot(rovuvuz::StoryID::body());
    const auto& paragraph = std::get<rovuvuz::ParagraphSnapshot>(snapshot.blocks.front().value);
    EXPECT_EQ(QString::fromStdU16String(paragraph.text), longParagraph + " t");
    ASSERT_FALSE(paragraph.spans.empty());
    EXPECT_TRUE(paragraph.spans.back().revision.has_value()) << "the second key is a tracked insertion";
    EXPECT_FALSE(paragraph.spans.front().revision.has_value());
    EXPECT_FALSE(document->isDocumentEdited()) << "the copy's changes are cleared";
    EXPECT_NE(QFileInfo(document->filePath()).canonicalFilePath(), QFileInfo(original).canonicalFilePath());
    EXPECT_TRUE(QFileInfo(document->filePath()).absolutePath().contains("tovin-bench-"));
    EXPECT_EQ(readBytes(original), before);
}

TEST_F(BenchTest, WithoutALongParagraphTypingGoesAtTheEnd) {
    const QString original = writeScratch("short.docx", documentWithParagraphs({"Short one.", "Another."}));
    qputenv("TOVIN_BENCH_TYPE", "20");
    EditorViewController* editor = benchOpen(original);
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(waitFor([this] { return typing().size() == 3; }));
    EXPECT_TRUE(typing()[0].startsWith("TOVIN_BENCH_TYPE track=off n=20 ")) << typing()[0].toStdString();
    EXPECT_TRUE(typing()[1].startsWith("TOVIN_BENCH_TYPE track=on n=20 ")) << typing()[1].toStdString();
    const int end = QStringLiteral("Short one.\nAnother.").size();
    EXPECT_TRUE(typing()[2].startsWith(QStringLiteral("TOVIN_BENCH_TYPE typed=40 at=%1 ").arg(end)));
    EXPECT_EQ(editor->body()->toPlainText(), "Short one.\nAnother. the quick brown fox the quick brown fox");
}

TEST_F(BenchTest, ACountThatIsNotPositiveTypesNothingAndTheOtherRequestsHold) {
    const QString original =
        writeScratch("plain.docx", documentWithParagraphs({longParagraph, longParagraph}));
    int run = 0;
    for (const char* count : {"0", "-3", "twenty"}) {
        SCOPED_TRACE(count);
        lines.clear();
        qputenv("TOVIN_BENCH_TYPE", count);
        const QString pdf = scratch(QStringLiteral("out%1.pdf").arg(run));
        const QString png = scratch(QStringLiteral("out%1.png").arg(run));
        ++run;
        qputenv("TOVIN_PDF", pdf.toLocal8Bit());
        qputenv("TOVIN_PAGE", "1");
        // The snapshot waits a second; once is enough.
        if (run == 1) qputenv("TOVIN_SNAPSHOT", png.toLocal8Bit());
        EditorViewController* editor = benchOpen(original);
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(firstPaints().size(), 1);
        ASSERT_TRUE(waitFor([&] { return editor->isPageView(); }));
        EXPECT_TRUE(readBytes(pdf).size() > 4 && QFile(pdf).open(QIODevice::ReadOnly)) << "PDF written";
        if (run == 1) {
            ASSERT_TRUE(waitFor([&] { return QFileInfo::exists(png); }));
            const QImage image(png);
            EXPECT_EQ(image.size(), editor->window()->size());
            qunsetenv("TOVIN_SNAPSHOT");
        }
        settle();
        EXPECT_TRUE(typing().isEmpty());
        EXPECT_EQ(editor->body()->toPlainText(), longParagraph + "\n" + longParagraph);
        editor->window()->close();
        settle();
    }
}

TEST_F(BenchTest, OnlyTheFirstPaintOfTheCopyReports) {
    const QString original = writeScratch("first.docx", documentWithParagraphs({longParagraph}));
    const QString other = writeScratch("second.docx", documentWithParagraphs({"Other."}));
    ASSERT_NE(benchOpen(original), nullptr);
    TovinDocument* second = documents().openDocument(other);
    ASSERT_NE(second, nullptr);
    EditorViewController* editor = EditorWindowController::of(second)->editor();
    ASSERT_TRUE(waitFor([&] { return editor->isVisible(); }));
    editor->body()->viewport()->repaint();
    settle();
    EXPECT_EQ(firstPaints().size(), 1);
    EXPECT_FALSE(Bench::isScratch(second));

    // Typing is only ever aimed at the copy.
    Bench::typeKeys(1, editor);
    settle();
    EXPECT_TRUE(typing().isEmpty());
    EXPECT_EQ(editor->body()->toPlainText(), "Other.");
}

// The application itself: TOVIN_BENCH_OPEN with typing and quit prints the three kinds of
// line, exits 0, leaves the user's file as it was and removes its copy.
TEST(BenchProcessTest, TheApplicationReportsTypesAndQuits) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString original = folder.filePath("mine.docx");
    writeBytes(original, documentWithParagraphs({longParagraph, "Short.", longParagraph}));
    const rovuvuz::Bytes before = readBytes(original);
    const QString temporary = folder.filePath("tmp");
    QDir().mkpath(temporary);

    QProcess tovin;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("TMPDIR", temporary);
    environment.insert("TOVIN_BENCH_OPEN", original);
    environment.insert("TOVIN_BENCH_TYPE", "20");
    environment.insert("TOVIN_BENCH_QUIT", "1");
    environment.remove("TOVIN_TEST_RUNNER");
    tovin.setProcessEnvironment(environment);
    tovin.start(TOVIN_APP_BINARY, {});
    ASSERT_TRUE(tovin.waitForFinished(60000));
    EXPECT_EQ(tovin.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tovin.exitCode(), 0) << tovin.readAllStandardError().toStdString();

    const QStringList out = QString::fromUtf8(tovin.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(out.size(), 4) << out.join('\n').toStdString();
    const QString number = QStringLiteral("[0-9]+\\.[0-9]");
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^TOVIN_BENCH first_paint_ms=[0-9]+ launch_to_paint_ms=[0-9]+ "
                                          "footprint_mb=%1 peak_footprint_mb=%1$")
                               .arg(number))
            .match(out[0])
            .hasMatch())
        << out[0].toStdString();
    EXPECT_TRUE(out[1].startsWith("TOVIN_BENCH_TYPE track=off n=20 p50_ms=")) << out[1].toStdString();
    EXPECT_TRUE(out[2].startsWith("TOVIN_BENCH_TYPE track=on n=20 p50_ms=")) << out[2].toStdString();
    EXPECT_TRUE(out[3].startsWith(QStringLiteral("TOVIN_BENCH_TYPE typed=40 at=%1 ")
                                      .arg(longParagraph.size() + 1 + 6 + 1 + longParagraph.size())))
        << out[3].toStdString();
    EXPECT_LE(field(out[0], "footprint_mb"), field(out[0], "peak_footprint_mb"));
    EXPECT_GT(field(out[0], "footprint_mb"), 1);

    EXPECT_EQ(readBytes(original), before);
    EXPECT_TRUE(
        QDir(temporary).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).filter("tovin-bench-").isEmpty())
        << "the copy's folder is removed on quit";
}

}  // namespace
}  // namespace tovin::testing

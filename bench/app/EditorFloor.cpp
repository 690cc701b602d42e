// The floor beside the bench harness: a bare QTextEdit in a window of the editor's size,
// showing the same styled text as the editor's body, with none of the application around
// it (no engine, no bridge, no bands, no spelling). bench/app.sh runs it next to the
// application on the same documents and reads the same report lines from both.
//
//   tovin-editor-floor --html FILE.docx OUT.html
//       writes the body as the editor styles it, as Qt's HTML (done once, untimed);
//   TOVIN_BENCH_OPEN=OUT.html [TOVIN_BENCH_TYPE=n] tovin-editor-floor
//       reads the HTML into the view and reports its first paint, footprint and peak,
//       then types the harness's keys at the harness's place and reports their latency.
//       It always quits when done.
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QPaintEvent>
#include <QTextEdit>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <optional>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/format/Sections.h"
#include "Tovin/BenchReport.h"
#include "Tovin/BenchTyping.h"
#include "Tovin/document/TovinDocument.h"
#include "Tovin/editor/EditorWindowController.h"
#include "Tovin/platform/ProcessMetrics.h"
#include "Tovin/text/AttributedBuilder.h"
#include "Tovin/text/DisplayUnits.h"
#include "Tovin/text/StoryText.h"

namespace {

using Clock = std::chrono::steady_clock;
using tovin::BenchReport::print;

// The body column's width, as the editor computes it from the page setup.
qreal columnWidth(rovuvuz::DocxDocument& document) {
    const rovuvuz::PageSetup page = document.pageSetup();
    return std::round((page.width - page.left - page.right) * tovin::displayScale);
}

int writeHtml(const char* input, const char* output) {
    try {
        const auto document = rovuvuz::DocxDocument::open(input);
        QTextDocument text;
        const rovuvuz::StoryID body = rovuvuz::StoryID::body();
        tovin::StoryText::fill(text, document->snapshot(body).blocks,
                               tovin::AttributedBuilder(document.get(), body, columnWidth(*document)));
        QFile file(QString::fromLocal8Bit(output));
        if (!file.open(QIODevice::WriteOnly)) throw std::runtime_error(file.errorString().toStdString());
        // The column width goes first, on a line of its own, so the floor wraps as the editor does.
        file.write(QByteArray::number(columnWidth(*document)) + '\n' + text.toHtml().toUtf8());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tovin-editor-floor: %s: %s\n", input, error.what());
        return 1;
    }
    return 0;
}

// A QTextEdit that says when it was first drawn.
class FloorView : public QTextEdit {
  public:
    std::function<void()> afterFirstPaint;

  protected:
    void paintEvent(QPaintEvent* event) override {
        QTextEdit::paintEvent(event);
        if (afterFirstPaint) std::exchange(afterFirstPaint, nullptr)();
    }
};

void quit() {
    QTimer::singleShot(0, qApp, [] { QCoreApplication::quit(); });
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && QByteArray(argv[1]) == "--html") {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        QApplication application(argc, argv);
        return writeHtml(argv[2], argv[3]);
    }
    const QString path = qEnvironmentVariable("TOVIN_BENCH_OPEN");
    if (path.isEmpty()) {
        std::fprintf(stderr,
                     "usage: tovin-editor-floor --html FILE.docx OUT.html\n"
                     "       TOVIN_BENCH_OPEN=OUT.html [TOVIN_BENCH_TYPE=n] tovin-editor-floor\n");
        return 2;
    }
    QApplication application(argc, argv);
    QMainWindow window;
    window.resize(tovin::EditorWindowController::contentWidth, tovin::EditorWindowController::contentHeight);
    auto* view = new FloorView;
    window.setCentralWidget(view);
    view->document()->setUndoRedoEnabled(false);

    const Clock::time_point openStart = Clock::now();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "tovin-editor-floor: %s: %s\n", qPrintable(path),
                     qPrintable(file.errorString()));
        return 1;
    }
    const qreal width = file.readLine().trimmed().toDouble();
    view->setLineWrapMode(QTextEdit::FixedPixelWidth);
    view->setLineWrapColumnOrWidth(int(width));
    view->setHtml(QString::fromUtf8(file.readAll()));
    file.close();

    view->afterFirstPaint = [openStart, view] {
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - openStart);
        const double launch =
            (tovin::ProcessMetrics::uptime() - tovin::ProcessMetrics::processStart()) * 1000;
        print(tovin::BenchReport::firstPaintLine(int(elapsed.count()), int(launch),
                                                 tovin::ProcessMetrics::footprint()));
        QTimer::singleShot(0, view, [view] {
            bool ok = false;
            const int keys = qEnvironmentVariable("TOVIN_BENCH_TYPE").toInt(&ok);
            if (!ok || keys <= 0) return quit();
            tovin::BenchTyping::start(view, keys, {}, [](const tovin::BenchTyping::Result& result) {
                print(tovin::BenchReport::phaseLine(QStringLiteral("off"), result.off));
                print(tovin::BenchReport::phaseLine(QStringLiteral("on"), result.on));
                print(tovin::BenchReport::typedLine(result.typed, result.at,
                                                    tovin::ProcessMetrics::footprint()));
                quit();
            });
        });
    };
    window.show();
    view->setFocus();
    return application.exec();
}

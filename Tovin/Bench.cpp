#include "Tovin/Bench.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QUuid>
#include <chrono>
#include <optional>

#include "Tovin/BenchPaste.h"
#include "Tovin/BenchReport.h"
#include "Tovin/BenchTyping.h"
#include "Tovin/commands/MainMenu.h"
#include "Tovin/document/DocumentController.h"
#include "Tovin/document/TovinDocument.h"
#include "Tovin/editor/EditorViewController.h"
#include "Tovin/editor/EditorWindowController.h"
#include "Tovin/pages/PageLayout.h"
#include "Tovin/pages/PdfExport.h"
#include "Tovin/platform/Alerts.h"
#include "Tovin/platform/ProcessMetrics.h"
#include "Tovin/platform/TabbedWindow.h"
#include "Tovin/text/StoryBridge.h"

Q_LOGGING_CATEGORY(benchLog, "bench")

namespace tovin::Bench {

namespace {

using Clock = std::chrono::steady_clock;

struct State {
    QString scratch;                             // the copy's absolute path
    std::optional<Clock::time_point> openStart;  // cleared at first paint
    QPointer<TovinDocument> document;            // the document being typed into
    bool failed = false;                         // a failure ends the run with status 1
};

State& state() {
    static State shared;
    return shared;
}

QString environment(const char* name) {
    return qEnvironmentVariable(name);
}

// Alerts that opening the copy would show become the text of the "open failed" line.
class CollectingPresenter : public AlertPresenter {
  public:
    int present(const Alert& alert, QWidget*) override {
        reason = QStringList{alert.text, alert.informativeText}.join(QLatin1Char(' ')).trimmed();
        return alert.escapeButton >= 0 ? alert.escapeButton : int(alert.buttons.size()) - 1;
    }
    QString reason;
};

void fail(const char* what, const QString& reason) {
    qCCritical(benchLog, "%s: %s", what, qPrintable(reason));
    state().failed = true;
    quit();
}

// A folder "tovin-bench-UUID" in the temporary directory holding a copy of the file under
// its own name; the copy's path, or the reason it could not be made.
std::optional<QString> makeScratch(const QString& path, QString& reason) {
    const QString folder = QDir::temp().filePath(QStringLiteral("tovin-bench-") +
                                                 QUuid::createUuid().toString(QUuid::WithoutBraces));
    if (!QDir().mkpath(folder)) {
        reason = QStringLiteral("cannot create %1").arg(folder);
        return std::nullopt;
    }
    const QString copy = QDir(folder).filePath(QFileInfo(path).fileName());
    QFile source(path);
    if (!source.copy(copy)) {
        reason = source.errorString();
        QDir(folder).removeRecursively();
        return std::nullopt;
    }
    // The copy is written by typing and autosave even when the original is read-only.
    QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return copy;
}

// TOVIN_BENCH_TYPE as a count of keys per phase; 0 when absent, not a decimal number, or
// not positive.
int requestedKeys() {
    bool ok = false;
    const int keys = environment("TOVIN_BENCH_TYPE").trimmed().toInt(&ok, 10);
    return ok && keys > 0 ? keys : 0;
}

void describe(const QWidget* widget, int depth) {
    const QRect frame = widget->geometry();
    BenchReport::print(QString::asprintf("%*s%s \"%s\" %d,%d %dx%d%s", depth * 2, "",
                                         widget->metaObject()->className(), qPrintable(widget->objectName()),
                                         frame.x(), frame.y(), frame.width(), frame.height(),
                                         widget->isVisible() ? "" : " hidden"));
    for (const QObject* child : widget->children()) {
        if (const auto* view = qobject_cast<const QWidget*>(child); view && !view->isWindow())
            describe(view, depth + 1);
    }
}

TabbedWindow* editorWindow() {
    for (TabbedWindow* window : TabbedWindow::all()) {
        if (window->isVisible() && qobject_cast<EditorViewController*>(window->currentPage())) return window;
    }
    return nullptr;
}

// Dialogs shown as sheets of a window.
QList<QDialog*> sheetsOf(const QWidget* window) {
    QList<QDialog*> sheets;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(top);
        if (dialog && dialog->isVisible() && dialog->parentWidget() &&
            dialog->parentWidget()->window() == window)
            sheets.append(dialog);
    }
    return sheets;
}

void snapshotAndMaybeQuit() {
    snapshot(environment("TOVIN_SNAPSHOT"));
    if (qEnvironmentVariableIsSet("TOVIN_DEBUG")) {
        if (const TabbedWindow* window = editorWindow()) describe(window, 0);
    }
    if (!qEnvironmentVariableIsSet("TOVIN_BENCH_QUIT")) return;
    if (TabbedWindow* window = editorWindow()) {
        for (QDialog* sheet : sheetsOf(window)) sheet->reject();
    }
    quit();
}

// Pastes the HTML TOVIN_BENCH_PASTE asks for into the copy, reports and quits.
void pasteAndQuit(EditorViewController* editor, double megabytes) {
    BenchReport::print(BenchPaste::run(*editor, megabytes));
    // The copy's edits need no saving: nothing asks about them on the way out.
    if (editor->document()) editor->document()->updateChangeCount(TovinDocument::ChangeKind::cleared);
    quit();
}

// What follows the first-paint report when no typing is asked for.
void afterFirstPaint(EditorViewController* editor) {
    TovinDocument* document = editor->document();
    if (const double megabytes = BenchPaste::requestedMegabytes()) return pasteAndQuit(editor, megabytes);
    if (qEnvironmentVariableIsSet("TOVIN_PDF") && document && document->docx()) {
        // A PDF that cannot be written is not the bench's concern.
        const PageLayout layout(*document->docx());
        PdfExport::write(layout, environment("TOVIN_PDF"),
                         QFileInfo(document->filePath()).completeBaseName());
    }
    if (qEnvironmentVariableIsSet("TOVIN_PAGE") && !editor->isPageView()) {
        MainMenu::build().trigger(Command::togglePageView);
    }
    if (qEnvironmentVariableIsSet("TOVIN_SNAPSHOT"))
        QTimer::singleShot(1000, qApp, snapshotAndMaybeQuit);
    else if (qEnvironmentVariableIsSet("TOVIN_BENCH_QUIT"))
        quit();
}

}  // namespace

bool isBenchRun() {
    return qEnvironmentVariableIsSet("TOVIN_BENCH_OPEN");
}

std::unique_ptr<QTemporaryDir> isolateUserState() {
    auto home = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/tovin-bench-home-XXXXXX");
    if (!home->isValid()) return nullptr;
    for (const char* variable : {"XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_DATA_HOME"}) {
        const QString folder = home->filePath(QString::fromLatin1(variable));
        if (!QDir().mkpath(folder)) return nullptr;
        qputenv(variable, QFile::encodeName(folder));
    }
    return home;
}

void open(const QString& path) {
    QString reason;
    const std::optional<QString> copy = makeScratch(path, reason);
    if (!copy) return fail("copy failed", reason);
    state().scratch = QFileInfo(*copy).absoluteFilePath();
    // The copy's folder goes when the application does.
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, qApp,
                     [folder = QFileInfo(*copy).absolutePath()] { QDir(folder).removeRecursively(); });
    state().openStart = Clock::now();

    DocumentController* documents = DocumentController::shared();
    auto* collecting = new CollectingPresenter;
    std::unique_ptr<AlertPresenter> previous =
        Alerts::setPresenter(std::unique_ptr<AlertPresenter>(collecting));
    TovinDocument* opened = documents ? documents->openDocument(*copy) : nullptr;
    const QString failure =
        collecting->reason.isEmpty() ? QStringLiteral("no document controller") : collecting->reason;
    Alerts::setPresenter(std::move(previous));
    if (!opened) {
        state().openStart.reset();
        fail("open failed", failure);
        return;
    }
    // The first paint of the copy's body is the figure the bench reports.
    if (EditorWindowController* controller = EditorWindowController::of(opened))
        QObject::connect(controller->editor(), &EditorViewController::firstPainted, controller->editor(),
                         [editor = controller->editor()] { firstPaint(editor); });
}

bool isScratch(const TovinDocument* document) {
    if (state().scratch.isEmpty() || !document || document->filePath().isEmpty()) return false;
    auto resolved = [](const QString& path) {
        const QFileInfo info(path);
        const QString canonical = info.canonicalFilePath();
        return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
    };
    return resolved(state().scratch) == resolved(document->filePath());
}

void firstPaint(EditorViewController* editor) {
    if (!state().openStart || !editor || !isScratch(editor->document())) return;
    const auto elapsed = Clock::now() - *state().openStart;
    state().openStart.reset();
    if (EditorWindowController* controller = EditorWindowController::of(editor->document()))
        controller->setRestorable(false);
    const auto firstPaintMs = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
    const double launchToPaint = (ProcessMetrics::uptime() - ProcessMetrics::processStart()) * 1000;
    BenchReport::print(
        BenchReport::firstPaintLine(int(firstPaintMs), int(launchToPaint), ProcessMetrics::footprint()));

    // The paint that called this is still going on: what comes next waits for its turn.
    const QPointer<EditorViewController> shown(editor);
    QTimer::singleShot(0, qApp, [shown] {
        if (!shown) return;
        if (const int keys = requestedKeys())
            typeKeys(keys, shown);
        else
            afterFirstPaint(shown);
    });
}

void typeKeys(int n, EditorViewController* editor) {
    if (!editor || !isScratch(editor->document())) {
        qCCritical(benchLog, "typing refused: not the bench copy");
        state().failed = true;
        return quit();
    }
    state().document = editor->document();
    BenchTyping::Hooks hooks;
    hooks.setTracking = [document = state().document](bool on) {
        if (!document) return;
        // Posted even when unchanged, as the Track Changes switch does.
        if (document->trackChanges() == on)
            Q_EMIT document->trackingChanged(document);
        else
            document->setTrackChanges(on);
    };
    hooks.afterKey = [shown = QPointer<EditorViewController>(editor)] {
        // The bridge would send the edit on its next turn; the key's cost includes it.
        if (StoryBridge* bridge = shown ? shown->bodyBridge() : nullptr; bridge && bridge->pending())
            bridge->flush();
    };
    BenchTyping::start(editor->body(), n, hooks, [](const BenchTyping::Result& result) {
        BenchReport::print(BenchReport::phaseLine(QStringLiteral("off"), result.off));
        BenchReport::print(BenchReport::phaseLine(QStringLiteral("on"), result.on));
        BenchReport::print(BenchReport::typedLine(result.typed, result.at, ProcessMetrics::footprint()));
        // The copy's edits need no saving: nothing asks about them on the way out.
        if (state().document) state().document->updateChangeCount(TovinDocument::ChangeKind::cleared);
        quit();
    });
}

bool snapshot(const QString& path) {
    TabbedWindow* window = editorWindow();
    if (!window || path.isEmpty()) return false;
    QPixmap image = window->grab();
    QPainter painter(&image);
    for (QDialog* sheet : sheetsOf(window))
        painter.drawPixmap(sheet->geometry().topLeft() - window->geometry().topLeft(), sheet->grab());
    painter.end();
    return image.save(path, "PNG");
}

void quit() {
    if (!isBenchRun()) return;
    // Deferred, so that a failure at launch still reaches a running event loop.
    QTimer::singleShot(0, qApp, [] {
        DocumentController* documents = DocumentController::shared();
        if (!documents || documents->terminate()) QCoreApplication::exit(state().failed ? 1 : 0);
    });
}

}  // namespace tovin::Bench

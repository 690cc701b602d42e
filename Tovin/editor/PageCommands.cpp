#include "Tovin/editor/PageCommands.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <memory>

#include "Tovin/document/TovinDocument.h"
#include "Tovin/editor/EditorSession.h"
#include "Tovin/editor/EditorViewController.h"
#include "Tovin/editor/EditorWindowController.h"
#include "Tovin/pages/ExportProgress.h"
#include "Tovin/pages/PageLayout.h"
#include "Tovin/pages/PageStackView.h"
#include "Tovin/pages/PageView.h"
#include "Tovin/pages/PdfExport.h"
#include "Tovin/platform/TabbedWindow.h"

namespace tovin::PageCommands {

QString pdfName(const QString& displayName) {
    const QString name = displayName.isEmpty() ? QStringLiteral("Untitled") : displayName;
    return QFileInfo(name).completeBaseName() + QStringLiteral(".pdf");
}

void exportPDF(QWidget* window, rovuvuz::DocxDocument& document, const QString& displayName) {
    auto* dialog = new QFileDialog(window, QStringLiteral("Export as PDF"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setNameFilter(QStringLiteral("PDF (*.pdf)"));
    dialog->setDefaultSuffix(QStringLiteral("pdf"));
    dialog->selectFile(pdfName(displayName));
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    const QPointer<QWidget> parent(window);
    const QString title = QFileInfo(pdfName(displayName)).completeBaseName();
    // The document outlives the sheet: both belong to the window.
    QObject::connect(
        dialog, &QFileDialog::fileSelected, dialog, [&document, parent, title](const QString& path) {
            const PageLayout layout(document);
            ExportProgress progress(parent, QStringLiteral("Exporting PDF…"));
            const auto failure = PdfExport::write(layout, path, title, progress.callback());
            if (failure && *failure != QStringLiteral("cancelled"))
                QMessageBox::warning(parent, QStringLiteral("The PDF could not be written."), *failure);
        });
    dialog->open();
}

void print(QWidget* window, rovuvuz::DocxDocument& document, const QString& displayName) {
    auto layout = std::make_shared<const PageLayout>(document);
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    printer->setDocName(displayName);
    printer->setFullPage(true);
    PdfExport::preparePage(*layout, *printer);
    auto* dialog = new QPrintDialog(printer.get(), window);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setMinMax(1, static_cast<int>(layout->pages().size()));
    QObject::connect(dialog, &QDialog::accepted, dialog, [dialog, layout, printer] {
        int first = 0;
        int last = static_cast<int>(layout->pages().size()) - 1;
        if (dialog->printRange() == QAbstractPrintDialog::PageRange) {
            first = dialog->fromPage() - 1;
            last = dialog->toPage() - 1;
        }
        ExportProgress progress(dialog->parentWidget(), QStringLiteral("Printing…"));
        bool cancelled = false;
        const PdfExport::Progress watch = [&cancelled, inner = progress.callback()](int done, int total) {
            cancelled = !inner(done, total);
            return !cancelled;
        };
        if (!PdfExport::render(*layout, *printer, first, last, watch) && !cancelled)
            QMessageBox::warning(dialog->parentWidget(), QStringLiteral("The pages could not be printed."),
                                 QStringLiteral("The printer did not start."));
    });
    dialog->open();
}

void togglePageView(EditorWindowController& window) {
    PageView* view = window.pageView();
    if (view->isOn()) {
        view->hide();
        window.editor()->setPageView(false);
    } else {
        // What was just typed is part of the pages, not an edit refused in page view.
        window.editor()->session()->flushAll();
        view->show(*window.document()->docx());
        const auto pages = static_cast<int>(view->stack()->pages().pages().size());
        window.editor()->setPageView(true, pages);
    }
}

void showDraft(EditorWindowController& window) {
    window.pageView()->hide();
    window.editor()->setPageView(false);
}

void exportPDF(EditorWindowController& window) {
    exportPDF(window.window(), *window.document()->docx(), window.document()->displayName());
}

void print(EditorWindowController& window) {
    print(window.window(), *window.document()->docx(), window.document()->displayName());
}

bool pageViewState(EditorWindowController& window, QAction& item) {
    item.setCheckable(true);
    item.setChecked(window.pageView()->isOn());
    return true;
}

bool draftState(EditorWindowController& window, QAction& item) {
    item.setCheckable(true);
    item.setChecked(!window.pageView()->isOn());
    return window.pageView()->isOn();
}

}  // namespace tovin::PageCommands

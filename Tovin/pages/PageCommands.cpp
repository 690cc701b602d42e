#include "Tovin/pages/PageCommands.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <memory>

#include "Tovin/EditorWindowController.h"
#include "Tovin/MainMenu.h"
#include "Tovin/TovinDocument.h"
#include "Tovin/editor/EditorViewController.h"
#include "Tovin/pages/PageLayout.h"
#include "Tovin/pages/PageStackView.h"
#include "Tovin/pages/PageView.h"
#include "Tovin/pages/PdfExport.h"
#include "Tovin/platform/DocumentController.h"
#include "Tovin/platform/TabbedWindow.h"

namespace tovin::PageCommands {

namespace {

struct Current {
    TovinDocument* document = nullptr;
    EditorWindowController* controller = nullptr;
};

Current current(DocumentController& documents) {
    Current found;
    found.document = documents.currentDocument();
    if (found.document) found.controller = documents.windowController(found.document);
    if (found.controller && !found.document->docx()) found = {};
    return found;
}

}  // namespace

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
            if (const auto failure = PdfExport::write(layout, path, title))
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
        PdfExport::render(*layout, *printer, first, last);
    });
    dialog->open();
}

void registerCommands(MainMenu& menu, DocumentController& documents) {
    auto any = [&documents](QAction*) { return current(documents).controller != nullptr; };
    menu.setHandler(
        "togglePageView:", &documents,
        [&documents](QAction*) {
            const Current now = current(documents);
            if (!now.controller) return;
            PageView* view = now.controller->pageView();
            if (view->isOn()) {
                view->hide();
                now.controller->editor()->setPageView(false);
            } else {
                view->show(*now.document->docx());
                const auto pages = static_cast<int>(view->stack()->pages().pages().size());
                now.controller->editor()->setPageView(true, pages);
            }
        },
        [&documents](QAction* action) {
            const Current now = current(documents);
            action->setCheckable(true);
            action->setChecked(now.controller && now.controller->pageView()->isOn());
            return now.controller != nullptr;
        });
    menu.setHandler(
        "showDraft:", &documents,
        [&documents](QAction*) {
            if (const Current now = current(documents); now.controller) {
                now.controller->pageView()->hide();
                now.controller->editor()->setPageView(false);
            }
        },
        [&documents](QAction* action) {
            const Current now = current(documents);
            action->setCheckable(true);
            action->setChecked(now.controller && !now.controller->pageView()->isOn());
            return now.controller && now.controller->pageView()->isOn();
        });
    menu.setHandler(
        "exportPDF:", &documents,
        [&documents](QAction*) {
            if (const Current now = current(documents); now.controller)
                exportPDF(now.controller->window(), *now.document->docx(), now.document->displayName());
        },
        any);
    menu.setHandler(
        "printDocument:", &documents,
        [&documents](QAction*) {
            if (const Current now = current(documents); now.controller)
                print(now.controller->window(), *now.document->docx(), now.document->displayName());
        },
        any);
}

}  // namespace tovin::PageCommands

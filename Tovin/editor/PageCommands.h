// The page commands of the menu bar: View > Draft and Page (Approximate), File > Export as
// PDF… and File > Print…, for the document of one window.
#pragma once

#include <QString>

class QAction;
class QWidget;

namespace rovuvuz {
class DocxDocument;
}

namespace tovin {

class EditorWindowController;

namespace PageCommands {

// Page view on or off over the window's body.
void togglePageView(EditorWindowController& window);
void showDraft(EditorWindowController& window);
void exportPDF(EditorWindowController& window);
void print(EditorWindowController& window);
// Rules, setting the items' check marks: Page is always enabled, Draft only in page view.
bool pageViewState(EditorWindowController& window, QAction& item);
bool draftState(EditorWindowController& window, QAction& item);

// The name offered for the PDF: the document's name without its extension, ".pdf" added.
QString pdfName(const QString& displayName);

// A save panel for PDF as a sheet of `window`; on OK the pages are written to the file
// chosen (a failure to write is reported in an alert).
void exportPDF(QWidget* window, rovuvuz::DocxDocument& document, const QString& displayName);

// The print panel, window-modal; on OK the pages are printed at their own size.
void print(QWidget* window, rovuvuz::DocxDocument& document, const QString& displayName);

}  // namespace PageCommands

}  // namespace tovin

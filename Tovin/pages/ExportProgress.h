// Progress of an export or a print in the application: a window-modal progress dialog
// with Cancel, shown only once the pages take over a second to draw.
#pragma once

#include <QString>
#include <memory>

#include "Tovin/pages/PdfExport.h"

class QWidget;
class QProgressDialog;

namespace tovin {

class ExportProgress {
  public:
    // `what` says what is being done ("Exporting PDF…").
    ExportProgress(QWidget* window, const QString& what);
    ~ExportProgress();
    ExportProgress(const ExportProgress&) = delete;
    ExportProgress& operator=(const ExportProgress&) = delete;

    // For PdfExport: moves the bar, keeps the window responsive, false once cancelled.
    PdfExport::Progress callback();

    // The dialog appears only after this long.
    static constexpr int delayMs = 1000;

  private:
    std::unique_ptr<QProgressDialog> dialog_;
};

}  // namespace tovin

#include "Tovin/pages/ExportProgress.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace tovin {

ExportProgress::ExportProgress(QWidget* window, const QString& what)
    : dialog_(std::make_unique<QProgressDialog>(what, QStringLiteral("Cancel"), 0, 1, window)) {
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(delayMs);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setValue(0);
}

ExportProgress::~ExportProgress() = default;

PdfExport::Progress ExportProgress::callback() {
    QProgressDialog* dialog = dialog_.get();
    return [dialog](int done, int total) {
        if (dialog->maximum() != total) dialog->setMaximum(total);
        dialog->setLabelText(QStringLiteral("Page %1 of %2").arg(done + 1).arg(total));
        // setValue processes events for a modal dialog, so Cancel is seen here.
        dialog->setValue(done);
        return !dialog->wasCanceled();
    };
}

}  // namespace tovin

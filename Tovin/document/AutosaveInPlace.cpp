#include "Tovin/document/AutosaveInPlace.h"

#include <QtGlobal>
#include <exception>

#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/document/LockFiles.h"
#include "Tovin/document/OpenedVersions.h"
#include "Tovin/document/TovinDocument.h"
#include "Tovin/document/WriteAccess.h"

namespace tovin {

AutosaveInPlace::AutosaveInPlace(TovinDocument* document, QObject* parent)
    : QObject(parent), document_(document), acceptedLock_(LockFiles::otherEditorLock(document->filePath())) {
    pause_.setSingleShot(true);
    longestWait_.setSingleShot(true);
    retry_.setSingleShot(true);
    setDelays(defaultPauseMs, defaultLongestWaitMs);
    setRetryDelay(defaultRetryMs);
    connect(&pause_, &QTimer::timeout, this, &AutosaveInPlace::fire);
    connect(&longestWait_, &QTimer::timeout, this, &AutosaveInPlace::fire);
    // A retry is quiet: the run of failures it belongs to was reported already.
    connect(&retry_, &QTimer::timeout, this, [this] { saveNow(); });
    // Every change, not only the first, postpones the save until typing pauses.
    connect(document, &TovinDocument::changeCounted, this,
            [this] { changed(document_->isDocumentEdited()); });
    // A new document's first write is the user's Save; there is no opened file to keep.
    keptOpenedVersion_ = document->isUntitled();
}

void AutosaveInPlace::setDelays(int pauseMs, int longestWaitMs) {
    pause_.setInterval(pauseMs);
    longestWait_.setInterval(longestWaitMs);
}

void AutosaveInPlace::changed(bool edited) {
    if (!edited || !document_ || document_->isReadOnly() || document_->isUntitled()) {
        pause_.stop();
        longestWait_.stop();
        if (!edited) retry_.stop();
        return;
    }
    pause_.start();
    if (!longestWait_.isActive()) longestWait_.start();
}

bool AutosaveInPlace::saveNow(bool force) {
    pause_.stop();
    longestWait_.stop();
    retry_.stop();
    if (!document_) return true;
    if (!force && !document_->isDocumentEdited()) return true;
    // Nowhere to write until Save names a file (the controller asks for one).
    if (document_->isUntitled()) {
        lastError_ = QStringLiteral("The document has not been saved yet.");
        return false;
    }
    // Never "saved" without writing: the edits of a read-only document are still only here.
    if (document_->isReadOnly()) {
        lastError_ = document_->readOnlyReason();
        return false;
    }
    if (const std::optional<QString> refusal = WriteAccess::refusal(document_->filePath(), acceptedLock_)) {
        document_->setReadOnly(true, *refusal);
        lastError_ = *refusal;
        return false;
    }
    return write();
}

bool AutosaveInPlace::write() {
    try {
        if (!document_->docx()) return fail(QStringLiteral("The document has no contents to save."));
        keepOpenedVersion();
        document_->docx()->write(document_->filePath().toStdString());
    } catch (const std::exception& error) {
        return fail(QString::fromStdString(error.what()));
    }
    lastError_.clear();
    failureAlerted_ = false;
    document_->updateChangeCount(TovinDocument::ChangeKind::cleared);
    Q_EMIT saved(document_);
    return true;
}

bool AutosaveInPlace::fail(const QString& reason) {
    lastError_ = reason;
    // The cause may pass (space freed, a disk mounted again): the edits are tried again.
    retry_.start();
    return false;
}

bool AutosaveInPlace::claimFailureAlert() {
    if (failureAlerted_) return false;
    failureAlerted_ = true;
    return true;
}

void AutosaveInPlace::fire() {
    if (!saveNow() && claimFailureAlert()) Q_EMIT failed(document_, lastError_);
}

void AutosaveInPlace::keepOpenedVersion() {
    // Once per opening: the first write replaces the only copy of what the user opened.
    if (keptOpenedVersion_ || !document_->readData()) return;
    // Tried once: keeping the copy is a convenience for "Revert To", and the user's own
    // file must be saved whether or not the state folder can take it.
    keptOpenedVersion_ = true;
    try {
        OpenedVersions::keep(document_->filePath(), *document_->readData());
    } catch (const std::exception& error) {
        const QString reason = QString::fromStdString(error.what());
        qWarning("tovin: the opened version of %s was not kept: %s", qPrintable(document_->filePath()),
                 qPrintable(reason));
        Q_EMIT openedVersionNotKept(document_, reason);
    }
}

}  // namespace tovin

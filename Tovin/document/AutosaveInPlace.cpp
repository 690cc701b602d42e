#include "Tovin/document/AutosaveInPlace.h"

#include <exception>

#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/document/OpenedVersions.h"
#include "Tovin/document/TovinDocument.h"

namespace tovin {

AutosaveInPlace::AutosaveInPlace(TovinDocument* document, QObject* parent)
    : QObject(parent), document_(document) {
    pause_.setSingleShot(true);
    longestWait_.setSingleShot(true);
    setDelays(defaultPauseMs, defaultLongestWaitMs);
    connect(&pause_, &QTimer::timeout, this, &AutosaveInPlace::fire);
    connect(&longestWait_, &QTimer::timeout, this, &AutosaveInPlace::fire);
    // Every change, not only the first, postpones the save until typing pauses.
    connect(document, &TovinDocument::changeCounted, this,
            [this] { changed(document_->isDocumentEdited()); });
}

void AutosaveInPlace::setDelays(int pauseMs, int longestWaitMs) {
    pause_.setInterval(pauseMs);
    longestWait_.setInterval(longestWaitMs);
}

void AutosaveInPlace::changed(bool edited) {
    if (!edited || !document_ || document_->isReadOnly()) {
        pause_.stop();
        longestWait_.stop();
        return;
    }
    pause_.start();
    if (!longestWait_.isActive()) longestWait_.start();
}

bool AutosaveInPlace::saveNow(bool force) {
    pause_.stop();
    longestWait_.stop();
    if (!document_ || document_->isReadOnly()) return true;
    if (!force && !document_->isDocumentEdited()) return true;
    try {
        if (!document_->docx()) throw DocumentWriteError();
        keepOpenedVersion();
        document_->docx()->write(document_->filePath().toStdString());
    } catch (const DocumentWriteError&) {
        lastError_ = QStringLiteral("The document has no contents to save.");
        return false;
    } catch (const std::exception& error) {
        lastError_ = QString::fromStdString(error.what());
        return false;
    }
    lastError_.clear();
    document_->updateChangeCount(TovinDocument::ChangeKind::cleared);
    Q_EMIT saved(document_);
    return true;
}

void AutosaveInPlace::fire() {
    if (!saveNow()) Q_EMIT failed(document_, lastError_);
}

void AutosaveInPlace::keepOpenedVersion() {
    // Once per opening: the first write replaces the only copy of what the user opened.
    if (keptOpenedVersion_ || !document_->readData()) return;
    OpenedVersions::keep(document_->filePath(), *document_->readData());
    keptOpenedVersion_ = true;
}

}  // namespace tovin

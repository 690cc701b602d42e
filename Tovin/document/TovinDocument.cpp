#include "Tovin/document/TovinDocument.h"

#include <QFileInfo>

#include "RovuVuz/document/DocxDocument.h"

#include "Tovin/platform/SystemServices.h"
#include "Tovin/platform/UserDefaults.h"

namespace tovin {

DocumentReadError::DocumentReadError(QString reason)
    : std::runtime_error("Tovin can’t open this file."), reason_(std::move(reason)) {}

QString DocumentReadError::localizedDescription() const {
    return QStringLiteral("Tovin can’t open this file.");
}

QString DocumentReadError::recoverySuggestion() const {
    return QStringLiteral("It is not a Word document, or it is damaged.");
}

TovinDocument::TovinDocument(QObject* parent) : QObject(parent) {}

TovinDocument::~TovinDocument() = default;

void TovinDocument::read(rovuvuz::SharedBytes data) {
    std::unique_ptr<rovuvuz::DocxDocument> opened;
    try {
        opened = std::make_unique<rovuvuz::DocxDocument>(data);
    } catch (const std::exception& error) {
        // Not a ZIP, truncated, ZIP64, no main document part, or out of memory: to the user
        // they are all the same damaged file, told apart by the reason.
        throw DocumentReadError(QString::fromStdString(error.what()));
    }
    requireBody(*opened);
    const bool replacing = docx_ != nullptr;
    docx_ = std::move(opened);
    readData_ = std::move(data);
    if (replacing) Q_EMIT reloaded();
}

void TovinDocument::requireBody(rovuvuz::DocxDocument& document) {
    try {
        // Finding nothing reads the story and walks its paragraphs, no more.
        document.find(u"", rovuvuz::StoryID::body());
    } catch (const std::exception& error) {
        throw DocumentReadError(QString::fromStdString(error.what()));
    }
}

rovuvuz::SharedBytes TovinDocument::data() {
    if (!docx_) throw DocumentWriteError();
    return docx_->data();
}

QString TovinDocument::displayName() const {
    return isUntitled() ? untitledName_ : QFileInfo(filePath_).fileName();
}

void TovinDocument::setFilePath(const QString& path) {
    if (filePath_ == path) return;
    filePath_ = path;
    Q_EMIT filePathChanged();
}

void TovinDocument::setReadOnly(bool readOnly, const QString& reason) {
    readOnlyReason_ = readOnly ? reason : QString();
    if (readOnly_ == readOnly) return;
    readOnly_ = readOnly;
    Q_EMIT readOnlyChanged(readOnly);
}

QString TovinDocument::readOnlyReason() const {
    if (!readOnly_) return {};
    return readOnlyReason_.isEmpty() ? QStringLiteral("This document is open read-only.") : readOnlyReason_;
}

void TovinDocument::setTrackChanges(bool on) {
    if (trackChanges_ == on) return;
    trackChanges_ = on;
    Q_EMIT trackingChanged(this);
}

void TovinDocument::updateChangeCount(ChangeKind kind) {
    const bool wasEdited = isDocumentEdited();
    switch (kind) {
        case ChangeKind::done:
            ++changeCount_;
            break;
        case ChangeKind::undone:
            --changeCount_;
            break;
        case ChangeKind::cleared:
            changeCount_ = 0;
            break;
    }
    if (wasEdited != isDocumentEdited()) Q_EMIT editedChanged(isDocumentEdited());
    Q_EMIT changeCounted();
}

QString TovinDocument::authorName() {
    const QString name = UserDefaults::string(QStringLiteral("authorName"));
    return name.isEmpty() ? SystemServices::fullUserName() : name;
}

}  // namespace tovin

// One open .docx file: the engine's document for it, the track-changes switch, and the
// change count that drives the window's edited mark and autosave in place.
#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <stdexcept>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/xml/Bytes.h"

namespace tovin {

// Reading failed. The two texts are what the failed-open alert shows, and the engine's
// reason ("ZIP64 archives are not supported") goes with them as the detail.
class DocumentReadError : public std::runtime_error {
  public:
    explicit DocumentReadError(QString reason = {});

    QString localizedDescription() const;
    QString recoverySuggestion() const;
    const QString& reason() const { return reason_; }

  private:
    QString reason_;
};

// Saving with no package loaded.
class DocumentWriteError : public std::runtime_error {
  public:
    DocumentWriteError() : std::runtime_error("no document is loaded") {}
};

class TovinDocument : public QObject {
    Q_OBJECT
  public:
    enum class ChangeKind { done, undone, cleared };

    explicit TovinDocument(QObject* parent = nullptr);
    ~TovinDocument() override;

    // Builds the engine's document from the bytes; any failure throws DocumentReadError
    // with the engine's reason and leaves the document as it was. A main document part
    // that does not read is a failure too: it would show as an empty document.
    void read(rovuvuz::SharedBytes data);
    // Reads the body story of an opened package (the engine reads stories on first use);
    // throws DocumentReadError with the engine's reason when it does not read.
    static void requireBody(rovuvuz::DocxDocument& document);
    // The bytes to save: untouched parts as they were read. Throws DocumentWriteError
    // with no package, and passes engine errors through.
    rovuvuz::SharedBytes data();

    rovuvuz::DocxDocument* docx() const { return docx_.get(); }
    // The bytes as last read from the file, for keeping the opened version.
    const rovuvuz::SharedBytes& readData() const { return readData_; }

    // The file this document reads from and saves to (absolute).
    const QString& filePath() const { return filePath_; }
    void setFilePath(const QString& path);
    // A new document has no file until Save names one; meanwhile it is shown under its
    // untitled name ("Untitled", "Untitled 2") and never autosaved.
    bool isUntitled() const { return filePath_.isEmpty(); }
    void setUntitledName(const QString& name) { untitledName_ = name; }
    QString displayName() const;

    // A document opened read-only (another program holds its lock), or that became so while
    // open (a lock appeared, its file lost write permission), is never saved in place and
    // its views refuse edits. The reason is what a refusal and a failed save say.
    bool isReadOnly() const { return readOnly_; }
    void setReadOnly(bool readOnly, const QString& reason = {});
    QString readOnlyReason() const;

    bool trackChanges() const { return trackChanges_; }
    void setTrackChanges(bool on);

    void updateChangeCount(ChangeKind kind);
    bool isDocumentEdited() const { return changeCount_ != 0; }

    // The user-defaults "authorName", or the system's full name when that is empty. Read
    // at every tracked edit so that a change in Settings applies at once.
    static QString authorName();

  Q_SIGNALS:
    // "TovinTrackingChanged": the track-changes switch flipped.
    void trackingChanged(tovin::TovinDocument* document);
    void editedChanged(bool edited);
    void readOnlyChanged(bool readOnly);
    // Any change of the change count, whether or not the edited state flipped.
    void changeCounted();
    // The package was replaced (read again, reverted): views reload from docx().
    void reloaded();
    // Save named the file of an untitled document (or the file changed otherwise).
    void filePathChanged();

  private:
    std::unique_ptr<rovuvuz::DocxDocument> docx_;
    rovuvuz::SharedBytes readData_;
    QString filePath_;
    QString untitledName_;
    bool trackChanges_ = false;
    bool readOnly_ = false;
    QString readOnlyReason_;
    int changeCount_ = 0;
};

}  // namespace tovin

// The documents of the process: opening (command line, the Open dialog, Open Recent,
// handed over by a second launch), one window controller each, saving, duplicating,
// reverting, closing and quitting, autosave in place, and the list of windows restored
// at the next launch. The only alerts of the application are presented here.
#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>

#include "Tovin/document/DocumentWindow.h"

namespace tovin {

class AutosaveInPlace;
class TovinDocument;

class DocumentController : public QObject {
    Q_OBJECT
  public:
    // `makeWindow` makes the window of each document opened.
    explicit DocumentController(DocumentWindow::Factory makeWindow, QObject* parent = nullptr);
    ~DocumentController() override;

    // The controller the application made; nothing before that.
    static DocumentController* shared();

    // Opens the file in a window (a tab of the frontmost one), or brings its window
    // forward when it is open already. Failures are shown as alerts and give nothing.
    TovinDocument* openDocument(const QString& path);
    // The Open dialog; opens what the user picks.
    void openDocumentDialog();
    // File > New: the engine's new package for the user's locale and name, in a window,
    // untitled ("Untitled", then "Untitled 2", …) until Save names its file.
    TovinDocument* newDocument();

    QList<TovinDocument*> documents() const { return documents_; }
    TovinDocument* documentForPath(const QString& path) const;
    DocumentWindow* window(TovinDocument* document) const;
    AutosaveInPlace* autosave(TovinDocument* document) const;
    // The document of the frontmost window's current tab.
    TovinDocument* currentDocument() const;
    bool hasVisibleWindows() const;

    // Save writes the document through the engine even when unedited; failures alert. An
    // untitled document first asks for a name and folder (".docx" added); false when the
    // user cancelled.
    bool saveDocument(TovinDocument* document);
    // Writes a copy to `target` (asked for when empty) and opens the copy.
    TovinDocument* duplicateDocument(TovinDocument* document, QString target = {});
    // After confirming: the file goes back to the version kept when it was opened, or,
    // when it was never written, the document reads its file again.
    bool revertDocument(TovinDocument* document);
    // Saves unsaved changes, then closes the window; false when the user kept it open.
    bool closeDocument(TovinDocument* document);
    // Saves everything, remembers the open windows for the next launch, closes them and
    // quits; false when a failed save made the user stay.
    bool terminate();

    // Reopens the windows open at the last quit, when "NSQuitAlwaysKeepsWindows" holds.
    void restoreWindows();

    // For tests and the bench: how long edits pause before autosave.
    void setAutosaveDelays(int pauseMs, int longestWaitMs);
    // For tests: the Open, Duplicate and Save dialogs answer with this instead.
    void setPathChooser(std::function<QStringList(bool forSaving, const QString& suggested)> chooser);

  private:
    TovinDocument* load(const QString& path);
    void attach(TovinDocument* document);
    void remove(TovinDocument* document);
    bool confirmLock(const QString& path, bool& readOnly);
    void reportSaveFailure(TovinDocument* document, const QString& reason);
    void reportVersionNotKept(TovinDocument* document, const QString& reason);
    // A document whose edits cannot be saved in place any more: Duplicate (true when the
    // copy was written), Discard (true) or Cancel (false).
    bool offerDuplicateOrDiscard(TovinDocument* document, const QString& reason);
    void rememberOpenWindows();
    QStringList choosePaths(bool forSaving, const QString& suggested,
                            const QString& title = QStringLiteral("Duplicate"));
    bool nameUntitled(TovinDocument* document);
    // An edited untitled document being closed: Save… (true once it is saved), Don't Save
    // (true) or Cancel (false).
    bool offerToSaveUntitled(TovinDocument* document);
    QString nextUntitledName() const;

    QList<TovinDocument*> documents_;
    DocumentWindow::Factory makeWindow_;
    QHash<TovinDocument*, DocumentWindow*> windows_;
    QHash<TovinDocument*, AutosaveInPlace*> autosaves_;
    int pauseMs_;
    int longestWaitMs_;
    bool terminating_ = false;
    bool toldVersionNotKept_ = false;
    std::function<QStringList(bool, const QString&)> pathChooser_;
};

}  // namespace tovin

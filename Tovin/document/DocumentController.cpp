#include "Tovin/document/DocumentController.h"
#include "Tovin/document/EditSeam.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <chrono>

#include "RovuVuz/document/NewDocument.h"
#include "RovuVuz/package/FileIO.h"
#include "Tovin/commands/MainMenu.h"
#include "Tovin/document/AutosaveInPlace.h"
#include "Tovin/document/LockFiles.h"
#include "Tovin/document/OpenedVersions.h"
#include "Tovin/document/TovinDocument.h"
#include "Tovin/platform/Alerts.h"
#include "Tovin/platform/RecentDocuments.h"
#include "Tovin/platform/TabbedWindow.h"
#include "Tovin/platform/UserDefaults.h"

namespace tovin {

namespace {

DocumentController* sharedController = nullptr;

const QString restorableKey = QStringLiteral("restorableDocuments");
// Whether the windows open at quit come back at the next launch. The key keeps the name the
// setting has had from the start, so existing settings files keep their choice.
const QString keepsWindowsKey = QStringLiteral("NSQuitAlwaysKeepsWindows");
const QString fileFilter = QStringLiteral("Word documents (*.docx)");

QString quoted(const QString& name) {
    return QStringLiteral("“") + name + QStringLiteral("”");
}

// The engine's "cannot open /a/b.docx: permission denied" as a sentence.
QString sentence(const QString& reason) { return EditSeam::sentence(reason); }

// "“report.docx”: ZIP64 archives are not supported." The file and the engine's reason.
QString openFailureDetail(const QString& path, const DocumentReadError& error) {
    const QString name = quoted(QFileInfo(path).fileName());
    return error.reason().isEmpty() ? name : name + QStringLiteral(": ") + sentence(error.reason());
}

QString absolute(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

QWidget* alertParent() {
    return TabbedWindow::frontmost();
}

}  // namespace

DocumentController::DocumentController(DocumentWindow::Factory makeWindow, QObject* parent)
    : QObject(parent),
      makeWindow_(std::move(makeWindow)),
      pauseMs_(AutosaveInPlace::defaultPauseMs),
      longestWaitMs_(AutosaveInPlace::defaultLongestWaitMs) {
    sharedController = this;
    // A session that ends without the Quit command still writes every change.
    if (qApp)
        connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
            for (TovinDocument* document : documents_) {
                // An untitled document has no file to write; Quit asked about it already.
                if (document->isUntitled()) continue;
                AutosaveInPlace* autosave = autosaves_.value(document);
                if (!autosave->saveNow()) reportSaveFailure(document, autosave->lastError());
            }
        });
}

DocumentController::~DocumentController() {
    if (sharedController == this) sharedController = nullptr;
    for (TovinDocument* document : documents_) {
        delete windows_.value(document);
        delete document;
    }
}

DocumentController* DocumentController::shared() {
    return sharedController;
}

TovinDocument* DocumentController::documentForPath(const QString& path) const {
    const QString key = absolute(path);
    for (TovinDocument* document : documents_) {
        if (document->filePath() == key) return document;
    }
    return nullptr;
}

DocumentWindow* DocumentController::window(TovinDocument* document) const {
    return windows_.value(document);
}

AutosaveInPlace* DocumentController::autosave(TovinDocument* document) const {
    return autosaves_.value(document);
}

TovinDocument* DocumentController::currentDocument() const {
    TabbedWindow* window = TabbedWindow::frontmost();
    QWidget* page = window ? window->currentPage() : nullptr;
    for (auto it = windows_.begin(); it != windows_.end(); ++it) {
        if (page && it.value()->page() == page) return it.key();
    }
    return nullptr;
}

bool DocumentController::hasVisibleWindows() const {
    return TabbedWindow::frontmost() != nullptr;
}

TovinDocument* DocumentController::openDocument(const QString& path) {
    if (TovinDocument* open = documentForPath(path)) {
        windows_.value(open)->showWindow();
        return open;
    }
    TovinDocument* document = load(absolute(path));
    if (!document) return nullptr;
    attach(document);
    RecentDocuments::note(document->filePath());
    rememberOpenWindows();
    MainMenu::build().scheduleValidation();
    return document;
}

TovinDocument* DocumentController::load(const QString& path) {
    Alert failure{
        QStringLiteral("Tovin can’t open this file."), QString(), {}, -1, Alert::Style::warning, QString()};
    rovuvuz::SharedBytes bytes;
    try {
        bytes = rovuvuz::FileIO::read(path.toStdString());
    } catch (const std::exception& error) {
        failure.informativeText = sentence(QString::fromStdString(error.what()));
        Alerts::present(failure, alertParent());
        return nullptr;
    }
    bool readOnly = false;
    if (!confirmLock(path, readOnly)) return nullptr;
    auto document = std::make_unique<TovinDocument>(this);
    try {
        document->read(bytes);
    } catch (const DocumentReadError& error) {
        failure.text = error.localizedDescription();
        failure.informativeText = error.recoverySuggestion();
        failure.detailedText = openFailureDetail(path, error);
        Alerts::present(failure, alertParent());
        return nullptr;
    }
    document->setFilePath(path);
    document->setReadOnly(readOnly);
    return document.release();
}

bool DocumentController::confirmLock(const QString& path, bool& readOnly) {
    const std::optional<QString> lock = LockFiles::otherEditorLock(path);
    if (!lock) return true;
    Alert alert;
    alert.text = QStringLiteral("%1 is open in another application.").arg(quoted(QFileInfo(path).fileName()));
    alert.informativeText =
        QStringLiteral(
            "The lock file %1 beside it shows that another program is editing it. Open it "
            "read-only to keep Tovin from writing over that program’s changes.")
            .arg(quoted(QFileInfo(*lock).fileName()));
    alert.buttons = {QStringLiteral("Open Read-Only"), QStringLiteral("Open Anyway"),
                     QStringLiteral("Cancel")};
    switch (Alerts::present(alert, alertParent())) {
        case 0:
            readOnly = true;
            return true;
        case 1:
            return true;
        default:
            return false;
    }
}

void DocumentController::attach(TovinDocument* document) {
    documents_.append(document);
    auto* autosave = new AutosaveInPlace(document, document);
    autosave->setDelays(pauseMs_, longestWaitMs_);
    connect(autosave, &AutosaveInPlace::failed, this, &DocumentController::reportSaveFailure);
    connect(autosave, &AutosaveInPlace::openedVersionNotKept, this, &DocumentController::reportVersionNotKept);
    autosaves_.insert(document, autosave);
    connect(document, &TovinDocument::editedChanged, &MainMenu::build(), &MainMenu::scheduleValidation);
    DocumentWindow* window = makeWindow_(document, *this);
    windows_.insert(document, window);
    window->showWindow();
}

TovinDocument* DocumentController::newDocument() {
    rovuvuz::NewDocument::Options options;
    options.paper = rovuvuz::NewDocument::paperFromEnvironment([](const char* name) -> std::optional<std::string> {
        if (!qEnvironmentVariableIsSet(name)) return std::nullopt;
        return qEnvironmentVariable(name).toStdString();
    });
    options.author = TovinDocument::authorName().toStdString();
    options.created = std::chrono::system_clock::now();
    auto document = std::make_unique<TovinDocument>(this);
    try {
        document->read(rovuvuz::NewDocument::package(options));
    } catch (const DocumentReadError& error) {
        // Our own package not opening is a fault of ours, shown rather than ignored.
        Alert failure{QStringLiteral("Tovin can’t make a new document."), sentence(error.reason()), {}, -1,
                      Alert::Style::critical, QString()};
        Alerts::present(failure, alertParent());
        return nullptr;
    }
    document->setUntitledName(nextUntitledName());
    TovinDocument* made = document.release();
    attach(made);
    MainMenu::build().scheduleValidation();
    return made;
}

QString DocumentController::nextUntitledName() const {
    // The lowest number no open untitled document shows: "Untitled", "Untitled 2", …
    const QString base = QStringLiteral("Untitled");
    for (int number = 1;; ++number) {
        const QString name = number == 1 ? base : QStringLiteral("%1 %2").arg(base).arg(number);
        const bool taken = std::any_of(documents_.begin(), documents_.end(), [&name](TovinDocument* document) {
            return document->isUntitled() && document->displayName() == name;
        });
        if (!taken) return name;
    }
}

bool DocumentController::nameUntitled(TovinDocument* document) {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString folder = !documents.isEmpty() && QDir(documents).exists() ? documents : QDir::homePath();
    const QString suggested = QDir(folder)
                                  .filePath(document->displayName() + QStringLiteral(".docx"));
    const QStringList chosen = choosePaths(true, suggested, QStringLiteral("Save"));
    if (chosen.isEmpty()) return false;
    QString path = chosen.front();
    if (!path.endsWith(QStringLiteral(".docx"), Qt::CaseInsensitive)) path += QStringLiteral(".docx");
    path = absolute(path);
    if (TovinDocument* open = documentForPath(path); open && open != document) {
        Alert refusal;
        refusal.style = Alert::Style::critical;
        refusal.text = QStringLiteral("Tovin couldn’t save %1.").arg(quoted(document->displayName()));
        refusal.informativeText =
            QStringLiteral("%1 is open in Tovin; choose another name.").arg(quoted(QFileInfo(path).fileName()));
        Alerts::present(refusal, alertParent());
        return false;
    }
    document->setFilePath(path);
    return true;
}

bool DocumentController::offerToSaveUntitled(TovinDocument* document) {
    Alert alert;
    alert.text = QStringLiteral("Do you want to save the changes you made to %1?").arg(quoted(document->displayName()));
    alert.informativeText = QStringLiteral("Your changes will be lost if you don’t save them.");
    alert.buttons = {QStringLiteral("Save…"), QStringLiteral("Don’t Save"), QStringLiteral("Cancel")};
    alert.escapeButton = 2;
    switch (Alerts::present(alert, alertParent())) {
        case 0:
            return saveDocument(document);
        case 1:
            return true;
        default:
            return false;
    }
}

void DocumentController::openDocumentDialog() {
    for (const QString& path : choosePaths(false, QString())) openDocument(path);
}

bool DocumentController::saveDocument(TovinDocument* document) {
    if (!document || document->isReadOnly()) return false;
    const bool wasUntitled = document->isUntitled();
    if (wasUntitled && !nameUntitled(document)) return false;
    AutosaveInPlace* autosave = autosaves_.value(document);
    if (autosave->saveNow(/*force=*/true)) {
        if (wasUntitled) {
            RecentDocuments::note(document->filePath());
            rememberOpenWindows();
        }
        return true;
    }
    // A new document whose first write failed stays untitled: the name led nowhere.
    if (wasUntitled) document->setFilePath(QString());
    // One alert per run of failures, whether autosave or Save met it first; the retries
    // go on quietly.
    if (autosave->claimFailureAlert()) reportSaveFailure(document, autosave->lastError());
    return false;
}

void DocumentController::reportVersionNotKept(TovinDocument*, const QString& reason) {
    // Once per session: it concerns the state folder, not one document.
    if (toldVersionNotKept_) return;
    toldVersionNotKept_ = true;
    Alert alert;
    alert.style = Alert::Style::warning;
    alert.text = QStringLiteral("Tovin couldn’t keep a copy of the opened version.");
    alert.informativeText =
        sentence(reason) + QStringLiteral(
                               " Your document is saved as usual, but “Revert To” can only go back "
                               "to the last saved version.");
    Alerts::present(alert, alertParent());
}

bool DocumentController::offerDuplicateOrDiscard(TovinDocument* document, const QString& reason) {
    Alert alert;
    alert.style = Alert::Style::critical;
    alert.text = QStringLiteral("Tovin can’t save %1 in place.").arg(quoted(document->displayName()));
    alert.informativeText =
        sentence(reason) + QStringLiteral(" Duplicate it to keep your changes in a copy, or discard them.");
    alert.buttons = {QStringLiteral("Duplicate…"), QStringLiteral("Discard Changes"), QStringLiteral("Cancel")};
    alert.escapeButton = 2;
    switch (Alerts::present(alert, alertParent())) {
        case 0:
            return duplicateDocument(document) != nullptr;
        case 1:
            return true;
        default:
            return false;
    }
}

void DocumentController::reportSaveFailure(TovinDocument* document, const QString& reason) {
    Alert alert;
    alert.style = Alert::Style::critical;
    alert.text = QStringLiteral("Tovin couldn’t save %1.").arg(quoted(document->displayName()));
    // A document that is no longer Tovin's to write is not tried again; any other save is.
    alert.informativeText =
        sentence(reason) + (document->isReadOnly()
                                ? QStringLiteral(" Your changes are still open in Tovin; use File ▸ Duplicate "
                                                 "to save a copy somewhere else.")
                                : QStringLiteral(" Your changes are still open in Tovin, which keeps trying to "
                                                 "save them; use File ▸ Duplicate to save a copy somewhere else."));
    Alerts::present(alert, alertParent());
}

TovinDocument* DocumentController::duplicateDocument(TovinDocument* document, QString target) {
    if (!document || !document->docx()) return nullptr;
    if (target.isEmpty()) {
        const QFileInfo info(document->filePath());
        const QString base = document->isUntitled() ? document->displayName() : info.completeBaseName();
        const QString suggested = info.dir().filePath(base + " copy.docx");
        const QStringList chosen = choosePaths(true, suggested);
        if (chosen.isEmpty()) return nullptr;
        target = chosen.front();
    }
    target = absolute(target);
    Alert failure;
    failure.style = Alert::Style::critical;
    failure.text = QStringLiteral("Tovin couldn’t duplicate %1.").arg(quoted(document->displayName()));
    if (documentForPath(target)) {
        failure.informativeText = QStringLiteral("%1 is open in Tovin; choose another name.")
                                      .arg(quoted(QFileInfo(target).fileName()));
        Alerts::present(failure, alertParent());
        return nullptr;
    }
    try {
        document->docx()->write(target.toStdString());
    } catch (const std::exception& error) {
        failure.informativeText = sentence(QString::fromStdString(error.what()));
        Alerts::present(failure, alertParent());
        return nullptr;
    }
    return openDocument(target);
}

bool DocumentController::revertDocument(TovinDocument* document) {
    if (!document) return false;
    const std::optional<rovuvuz::SharedBytes> kept =
        document->isReadOnly() ? std::nullopt : OpenedVersions::kept(document->filePath());
    Alert confirm;
    confirm.text =
        QStringLiteral("Revert %1 to the version you opened?").arg(quoted(document->displayName()));
    confirm.informativeText = kept ? QStringLiteral(
                                         "The file goes back to how it was when you opened it; the "
                                         "changes made since are lost.")
                                   : QStringLiteral("The changes made since it was last saved are lost.");
    confirm.buttons = {QStringLiteral("Revert"), QStringLiteral("Cancel")};
    if (Alerts::present(confirm, alertParent()) != 0) return false;

    Alert failure;
    failure.style = Alert::Style::critical;
    failure.text = QStringLiteral("Tovin couldn’t revert %1.").arg(quoted(document->displayName()));
    try {
        rovuvuz::SharedBytes bytes;
        if (kept) {
            rovuvuz::FileIO::writeAtomically(document->filePath().toStdString(), **kept);
            bytes = *kept;
        } else {
            bytes = rovuvuz::FileIO::read(document->filePath().toStdString());
        }
        document->read(bytes);
    } catch (const DocumentReadError& error) {
        failure.informativeText = error.recoverySuggestion();
        failure.detailedText = openFailureDetail(document->filePath(), error);
        Alerts::present(failure, alertParent());
        return false;
    } catch (const std::exception& error) {
        failure.informativeText = sentence(QString::fromStdString(error.what()));
        Alerts::present(failure, alertParent());
        return false;
    }
    document->updateChangeCount(TovinDocument::ChangeKind::cleared);
    return true;
}

bool DocumentController::closeDocument(TovinDocument* document) {
    if (!documents_.contains(document)) return true;
    AutosaveInPlace* autosave = autosaves_.value(document);
    if (!terminating_ && document->isUntitled()) {
        if (document->isDocumentEdited() && !offerToSaveUntitled(document)) return false;
    } else if (!terminating_ && !autosave->saveNow()) {
        // Edits that cannot go into the file any more are never dropped silently.
        if (document->isReadOnly()) {
            if (!offerDuplicateOrDiscard(document, autosave->lastError())) return false;
        } else {
            Alert alert;
            alert.style = Alert::Style::critical;
            alert.text = QStringLiteral("Tovin couldn’t save %1.").arg(quoted(document->displayName()));
            alert.informativeText =
                sentence(autosave->lastError()) +
                QStringLiteral(" If you close it now, the changes since the last save are lost.");
            alert.buttons = {QStringLiteral("Keep Open"), QStringLiteral("Close Without Saving")};
            alert.escapeButton = 0;
            if (Alerts::present(alert, alertParent()) != 1) return false;
        }
    }
    remove(document);
    return true;
}

void DocumentController::remove(TovinDocument* document) {
    documents_.removeAll(document);
    autosaves_.remove(document);
    // The window may be closing itself: it goes once the event loop is back.
    if (DocumentWindow* window = windows_.take(document)) window->deleteLater();
    document->deleteLater();
    rememberOpenWindows();
    MainMenu::build().scheduleValidation();
}

bool DocumentController::terminate() {
    // A copy: Duplicate opens the copy it writes, which adds a document.
    const QList<TovinDocument*> open = documents_;
    for (TovinDocument* document : open) {
        if (document->isUntitled()) {
            if (document->isDocumentEdited() && !offerToSaveUntitled(document)) return false;
            continue;
        }
        AutosaveInPlace* autosave = autosaves_.value(document);
        if (autosave->saveNow()) continue;
        if (document->isReadOnly()) {
            if (!offerDuplicateOrDiscard(document, autosave->lastError())) return false;
            continue;
        }
        Alert alert;
        alert.style = Alert::Style::critical;
        alert.text = QStringLiteral("Tovin couldn’t save %1.").arg(quoted(document->displayName()));
        alert.informativeText = sentence(autosave->lastError()) +
                                QStringLiteral(" If you quit now, the changes since the last save are lost.");
        alert.buttons = {QStringLiteral("Don’t Quit"), QStringLiteral("Quit Anyway")};
        alert.escapeButton = 0;
        if (Alerts::present(alert, alertParent()) != 1) return false;
    }
    rememberOpenWindows();
    terminating_ = true;
    for (TabbedWindow* window : TabbedWindow::all()) window->close();
    QCoreApplication::quit();
    return true;
}

void DocumentController::rememberOpenWindows() {
    if (terminating_) return;
    QStringList paths;
    for (TabbedWindow* window : TabbedWindow::all()) {
        for (QWidget* page : window->pages()) {
            for (auto it = windows_.begin(); it != windows_.end(); ++it) {
                if (it.value()->page() == page && it.value()->isRestorable() && documents_.contains(it.key()) &&
                    !it.key()->isUntitled())
                    paths.append(it.key()->filePath());
            }
        }
    }
    UserDefaults::setValue(restorableKey, paths);
}

void DocumentController::restoreWindows() {
    if (!UserDefaults::boolean(keepsWindowsKey)) return;
    // A file deleted or moved since is simply not restored: nobody asked for it now.
    for (const QString& path : UserDefaults::value(restorableKey).toStringList()) {
        if (QFileInfo(path).isFile()) openDocument(path);
    }
}

void DocumentController::setAutosaveDelays(int pauseMs, int longestWaitMs) {
    pauseMs_ = pauseMs;
    longestWaitMs_ = longestWaitMs;
    for (AutosaveInPlace* autosave : autosaves_) autosave->setDelays(pauseMs, longestWaitMs);
}

void DocumentController::setPathChooser(std::function<QStringList(bool, const QString&)> chooser) {
    pathChooser_ = std::move(chooser);
}

QStringList DocumentController::choosePaths(bool forSaving, const QString& suggested, const QString& title) {
    if (pathChooser_) return pathChooser_(forSaving, suggested);
    if (forSaving) {
        const QString path = QFileDialog::getSaveFileName(alertParent(), title, suggested, fileFilter);
        return path.isEmpty() ? QStringList() : QStringList{path};
    }
    return QFileDialog::getOpenFileNames(alertParent(), QStringLiteral("Open"), QString(), fileFilter);
}

}  // namespace tovin

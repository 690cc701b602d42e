#include "Tovin/MainMenu.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QWindow>

namespace tovin {

namespace {

// One entry of the menu table: an item, a separator, or a submenu with its own entries.
struct Entry {
    enum class Kind { item, separator, submenu };
    Kind kind = Kind::item;
    QString title;
    Command command = Command::showHelp;
    QKeySequence key;
    std::vector<Entry> children;
};

Entry item(const char* title, Command command, const char* key = "") {
    return {Entry::Kind::item, QString::fromUtf8(title), command, QKeySequence(QString::fromLatin1(key)), {}};
}
Entry separator() {
    return {Entry::Kind::separator, {}, {}, {}, {}};
}
Entry submenu(const char* title, std::vector<Entry> children) {
    return {Entry::Kind::submenu, QString::fromUtf8(title), {}, {}, std::move(children)};
}

// Command is Ctrl, Option is Alt, Control is Meta. The other platform's Services, Hide,
// Hide Others and Show All have no counterpart here and are left out, with the
// separators that framed them; full screen is F11 as everywhere on Linux.
const std::vector<Entry>& table() {
    static const std::vector<Entry> menus = {
        submenu("Tovin",
                {
                    item("About Tovin", Command::orderFrontStandardAboutPanel),
                    item("Check for Updates…", Command::checkForUpdates),
                    separator(),
                    item("Settings…", Command::showSettings, "Ctrl+,"),
                    separator(),
                    item("Quit Tovin", Command::terminate, "Ctrl+Q"),
                }),
        submenu("File",
                {
                    item("Open…", Command::openDocument, "Ctrl+O"),
                    submenu("Open Recent", {item("Clear Menu", Command::clearRecentDocuments)}),
                    separator(),
                    item("Close", Command::performClose, "Ctrl+W"),
                    item("Save", Command::saveDocument, "Ctrl+S"),
                    item("Duplicate", Command::duplicateDocument, "Ctrl+Shift+S"),
                    item("Revert To", Command::revertDocumentToSaved),
                    separator(),
                    item("Export as PDF…", Command::exportPDF, "Ctrl+Alt+E"),
                    item("Share…", Command::share),
                    separator(),
                    item("Print…", Command::printDocument, "Ctrl+P"),
                }),
        submenu("Edit",
                {
                    item("Undo", Command::undo, "Ctrl+Z"),
                    item("Redo", Command::redo, "Ctrl+Shift+Z"),
                    separator(),
                    item("Cut", Command::cut, "Ctrl+X"),
                    item("Copy", Command::copy, "Ctrl+C"),
                    item("Paste", Command::paste, "Ctrl+V"),
                    item("Paste and Match Style", Command::pasteAsPlainText, "Ctrl+Alt+Shift+V"),
                    item("Delete", Command::deleteSelection),
                    item("Select All", Command::selectAll, "Ctrl+A"),
                    separator(),
                    submenu("Find",
                            {
                                item("Find…", Command::showFindBar, "Ctrl+F"),
                                item("Find and Replace…", Command::showReplaceBar, "Ctrl+Alt+F"),
                                item("Find Next", Command::findNext, "Ctrl+G"),
                                item("Find Previous", Command::findPrevious, "Ctrl+Shift+G"),
                                item("Use Selection for Find", Command::useSelectionForFind, "Ctrl+E"),
                            }),
                    submenu("Spelling and Grammar",
                            {
                                item("Show Spelling and Grammar", Command::showGuessPanel, "Ctrl+:"),
                                item("Check Document Now", Command::checkSpelling, "Ctrl+;"),
                                item("Check Spelling While Typing", Command::toggleContinuousSpellChecking),
                            }),
                    submenu("Substitutions",
                            {
                                item("Smart Quotes", Command::toggleAutomaticQuoteSubstitution),
                                item("Smart Dashes", Command::toggleAutomaticDashSubstitution),
                                item("Text Replacement", Command::toggleAutomaticTextReplacement),
                            }),
                }),
        submenu("Format",
                {
                    item("Bold", Command::toggleBold, "Ctrl+B"),
                    item("Italic", Command::toggleItalic, "Ctrl+I"),
                    item("Underline", Command::toggleUnderline, "Ctrl+U"),
                    item("Strikethrough", Command::toggleStrike, "Ctrl+Shift+X"),
                    separator(),
                    item("Superscript", Command::toggleSuperscript, "Ctrl+Shift+="),
                    item("Subscript", Command::toggleSubscript, "Ctrl+="),
                    separator(),
                    item("Align Left", Command::alignLeft, "Ctrl+{"),
                    item("Center", Command::alignCenter, "Ctrl+|"),
                    item("Align Right", Command::alignRight, "Ctrl+}"),
                    item("Justify", Command::alignJustify),
                    separator(),
                    item("Add Link…", Command::addLink, "Ctrl+K"),
                    item("Insert Page Break", Command::insertPageBreak, "Ctrl+Shift+Return"),
                    item("Insert Image…", Command::insertImage),
                    item("Make Image Larger", Command::makeImageLarger, "Ctrl+Alt++"),
                    item("Make Image Smaller", Command::makeImageSmaller, "Ctrl+Alt+-"),
                }),
        submenu("View",
                {
                    item("Draft", Command::showDraft, "Ctrl+1"),
                    item("Page (Approximate)", Command::togglePageView, "Ctrl+Alt+P"),
                    separator(),
                    item("Show Toolbar", Command::toggleRevealToolbar, "Ctrl+Alt+T"),
                    item("Show Comments", Command::toggleRail, "Ctrl+Alt+Shift+C"),
                    separator(),
                    item("Enter Full Screen", Command::toggleFullScreen, "F11"),
                }),
        submenu("Review",
                {
                    item("Track My Edits", Command::toggleTracking, "Ctrl+Shift+E"),
                    separator(),
                    item("Next Change", Command::nextChange, "Ctrl+Alt+]"),
                    item("Previous Change", Command::previousChange, "Ctrl+Alt+["),
                    item("Accept Change", Command::acceptChange, "Ctrl+Alt+A"),
                    item("Reject Change", Command::rejectChange, "Ctrl+Alt+R"),
                    item("Accept All Changes", Command::acceptAll),
                    item("Reject All Changes", Command::rejectAll),
                    separator(),
                    item("Add Comment", Command::addComment, "Ctrl+Alt+M"),
                }),
        submenu("Window",
                {
                    item("Minimize", Command::performMiniaturize, "Ctrl+M"),
                    item("Zoom", Command::performZoom),
                    separator(),
                    item("Bring All to Front", Command::arrangeInFront),
                }),
        submenu("Help", {item("Tovin Help", Command::showHelp, "F1")}),
    };
    return menus;
}

const char* const dynamicProperty = "tovinDynamic";
const char* const commandProperty = "tovinCommand";

}  // namespace

const QStringList& MainMenu::menuTitles() {
    static const QStringList titles = [] {
        QStringList list;
        for (const Entry& menu : table()) list.append(menu.title);
        return list;
    }();
    return titles;
}

MainMenu& MainMenu::build() {
    static MainMenu* menu = nullptr;
    if (menu == nullptr) {
        menu = new MainMenu();
        if (qApp)
            QObject::connect(qApp, &QObject::destroyed, [] {
                delete menu;
                menu = nullptr;
            });
    }
    return *menu;
}

MainMenu::MainMenu() {
    createActions();
    if (qApp) {
        connect(qApp, &QApplication::focusChanged, this, &MainMenu::scheduleValidation);
        connect(qApp, &QGuiApplication::focusWindowChanged, this, &MainMenu::scheduleValidation);
    }
    validate();
}

void MainMenu::createActions() {
    std::function<void(const std::vector<Entry>&)> walk = [&](const std::vector<Entry>& entries) {
        for (const Entry& entry : entries) {
            if (entry.kind == Entry::Kind::submenu) walk(entry.children);
            if (entry.kind != Entry::Kind::item) continue;
            auto* action = new QAction(entry.title, this);
            const CommandName name = commandName(entry.command);
            action->setObjectName(QString::fromLatin1(name.selector));
            action->setShortcut(entry.key);
            action->setData(name.tag);
            action->setProperty(commandProperty, static_cast<int>(entry.command));
            // Linux users expect Ctrl+Y to redo as well.
            if (entry.command == Command::redo)
                action->setShortcuts({entry.key, QKeySequence(QStringLiteral("Ctrl+Y"))});
            // Menu items keep their key when a text field has focus, as on every desktop.
            action->setShortcutContext(Qt::WindowShortcut);
            if (entry.command == Command::orderFrontStandardAboutPanel)
                action->setMenuRole(QAction::AboutRole);
            if (entry.command == Command::showSettings) action->setMenuRole(QAction::PreferencesRole);
            if (entry.command == Command::terminate) action->setMenuRole(QAction::QuitRole);
            connect(action, &QAction::triggered, this, [this, action] { perform(action); });
            actions_.append(action);
        }
    };
    walk(table());
}

QAction* MainMenu::action(Command command) const {
    for (QAction* action : actions_) {
        if (commandOf(action) == command) return action;
    }
    return nullptr;
}

QAction* MainMenu::action(const QString& selector, int tag) const {
    const std::optional<Command> command = commandFor(selector, tag);
    return command ? action(*command) : nullptr;
}

std::optional<Command> MainMenu::commandOf(const QAction* action) {
    const QVariant value = action ? action->property(commandProperty) : QVariant();
    if (!value.isValid()) return std::nullopt;
    return static_cast<Command>(value.toInt());
}

QMenuBar* MainMenu::makeMenuBar(QWidget* window) {
    auto* bar = new QMenuBar(window);
    // Actions are consumed in table order, which is the order they were created in.
    int next = 0;
    std::function<void(QMenu*, const std::vector<Entry>&)> fill = [&](QMenu* menu,
                                                                      const std::vector<Entry>& entries) {
        for (const Entry& entry : entries) {
            switch (entry.kind) {
                case Entry::Kind::item:
                    menu->addAction(actions_[next++]);
                    break;
                case Entry::Kind::separator:
                    menu->addSeparator();
                    break;
                case Entry::Kind::submenu: {
                    QMenu* sub = menu->addMenu(entry.title);
                    sub->setObjectName(entry.title);
                    connect(sub, &QMenu::aboutToShow, this, [this, sub] { fillDynamic(sub); });
                    fill(sub, entry.children);
                    break;
                }
            }
        }
    };
    for (const Entry& entry : table()) {
        QMenu* menu = bar->addMenu(entry.title);
        menu->setObjectName(entry.title);
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { fillDynamic(menu); });
        fill(menu, entry.children);
    }
    return bar;
}

void MainMenu::setHandler(Command command, QObject* context, Perform perform, Validate validate) {
    handlers_.insert(command, Handler{context, std::move(perform), std::move(validate)});
    scheduleValidation();
}

void MainMenu::setHandler(const QString& selector, QObject* context, Perform perform, Validate validate) {
    const std::optional<Command> command = commandFor(selector);
    if (!command) {
        qCritical("no menu item has the selector %s", qPrintable(selector));
        return;
    }
    setHandler(*command, context, std::move(perform), std::move(validate));
}

bool MainMenu::hasHandler(Command command) const {
    auto found = handlers_.constFind(command);
    return found != handlers_.constEnd() && found->context;
}

void MainMenu::setDynamicItems(const QString& menuTitle, QObject* context, DynamicItems items) {
    dynamic_.insert(menuTitle, Dynamic{context, std::move(items)});
}

void MainMenu::validate() {
    validationScheduled_ = false;
    for (QAction* action : actions_) {
        auto found = handlers_.constFind(*commandOf(action));
        bool enabled = false;
        if (found != handlers_.constEnd() && found->context) {
            enabled = found->validate ? found->validate(action) : true;
        }
        action->setEnabled(enabled);
    }
}

void MainMenu::scheduleValidation() {
    if (validationScheduled_) return;
    validationScheduled_ = true;
    QTimer::singleShot(0, this, &MainMenu::validate);
}

void MainMenu::perform(QAction* action) {
    // Shortcuts fire without the menu opening, so the item is checked again first.
    validate();
    auto found = handlers_.constFind(*commandOf(action));
    if (found == handlers_.constEnd() || !found->context || !action->isEnabled()) return;
    Perform run = found->perform;  // the handler may replace itself while running
    run(action);
    scheduleValidation();
}

void MainMenu::fillDynamic(QMenu* menu) {
    validate();
    for (QAction* old : menu->actions()) {
        if (old->property(dynamicProperty).toBool()) {
            menu->removeAction(old);
            old->deleteLater();
        }
    }
    auto found = dynamic_.constFind(menu->objectName());
    if (found == dynamic_.constEnd() || !found->context) return;
    QList<QAction*> extra = found->items(menu);
    if (extra.isEmpty()) return;
    // "Open Recent" lists files above its "Clear Menu"; the Window menu lists windows last.
    const bool before =
        !menu->actions().isEmpty() && menu->actions().last()->objectName() == "clearRecentDocuments:";
    QAction* anchor = before ? menu->actions().first() : nullptr;
    auto* divider = new QAction(menu);
    divider->setSeparator(true);
    extra.append(divider);
    if (!before) extra.move(extra.size() - 1, 0);
    for (QAction* added : extra) {
        added->setProperty(dynamicProperty, true);
        if (added->parent() == nullptr) added->setParent(menu);
        menu->insertAction(anchor, added);
    }
}

}  // namespace tovin

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
    QString selector;
    QKeySequence key;
    int tag = 0;
    std::vector<Entry> children;
};

Entry item(const char* title, const char* selector, const char* key = "", int tag = 0) {
    return {Entry::Kind::item,
            QString::fromUtf8(title),
            selector,
            QKeySequence(QString::fromLatin1(key)),
            tag,
            {}};
}
Entry separator() {
    return {Entry::Kind::separator, {}, {}, {}, 0, {}};
}
Entry submenu(const char* title, std::vector<Entry> children) {
    return {Entry::Kind::submenu, QString::fromUtf8(title), {}, {}, 0, std::move(children)};
}

// Command is Ctrl, Option is Alt, Control is Meta. The other platform's Services, Hide,
// Hide Others and Show All have no counterpart here and are left out, with the
// separators that framed them; full screen is F11 as everywhere on Linux.
const std::vector<Entry>& table() {
    static const std::vector<Entry> menus = {
        submenu("Tovin",
                {
                    item("About Tovin", "orderFrontStandardAboutPanel:"),
                    item("Check for Updates…", "checkForUpdates:"),
                    separator(),
                    item("Settings…", "showSettings:", "Ctrl+,"),
                    separator(),
                    item("Quit Tovin", "terminate:", "Ctrl+Q"),
                }),
        submenu("File",
                {
                    item("Open…", "openDocument:", "Ctrl+O"),
                    submenu("Open Recent", {item("Clear Menu", "clearRecentDocuments:")}),
                    separator(),
                    item("Close", "performClose:", "Ctrl+W"),
                    item("Save", "saveDocument:", "Ctrl+S"),
                    item("Duplicate", "duplicateDocument:", "Ctrl+Shift+S"),
                    item("Revert To", "revertDocumentToSaved:"),
                    separator(),
                    item("Export as PDF…", "exportPDF:", "Ctrl+Alt+E"),
                    item("Share…", "share:"),
                    separator(),
                    item("Print…", "printDocument:", "Ctrl+P"),
                }),
        submenu("Edit",
                {
                    item("Undo", "undo:", "Ctrl+Z"),
                    item("Redo", "redo:", "Ctrl+Shift+Z"),
                    separator(),
                    item("Cut", "cut:", "Ctrl+X"),
                    item("Copy", "copy:", "Ctrl+C"),
                    item("Paste", "paste:", "Ctrl+V"),
                    item("Paste and Match Style", "pasteAsPlainText:", "Ctrl+Alt+Shift+V"),
                    item("Delete", "delete:"),
                    item("Select All", "selectAll:", "Ctrl+A"),
                    separator(),
                    submenu("Find",
                            {
                                item("Find…", "performFindPanelAction:", "Ctrl+F", 1),
                                item("Find and Replace…", "performFindPanelAction:", "Ctrl+Alt+F", 12),
                                item("Find Next", "performFindPanelAction:", "Ctrl+G", 2),
                                item("Find Previous", "performFindPanelAction:", "Ctrl+Shift+G", 3),
                                item("Use Selection for Find", "performFindPanelAction:", "Ctrl+E", 7),
                            }),
                    submenu("Spelling and Grammar",
                            {
                                item("Show Spelling and Grammar", "showGuessPanel:", "Ctrl+:"),
                                item("Check Document Now", "checkSpelling:", "Ctrl+;"),
                                item("Check Spelling While Typing", "toggleContinuousSpellChecking:"),
                            }),
                    submenu("Substitutions",
                            {
                                item("Smart Quotes", "toggleAutomaticQuoteSubstitution:"),
                                item("Smart Dashes", "toggleAutomaticDashSubstitution:"),
                                item("Text Replacement", "toggleAutomaticTextReplacement:"),
                            }),
                }),
        submenu("Format",
                {
                    item("Bold", "toggleBold:", "Ctrl+B"),
                    item("Italic", "toggleItalic:", "Ctrl+I"),
                    item("Underline", "toggleUnderline:", "Ctrl+U"),
                    item("Strikethrough", "toggleStrike:", "Ctrl+Shift+X"),
                    separator(),
                    item("Superscript", "toggleSuperscript:", "Ctrl+Shift+="),
                    item("Subscript", "toggleSubscript:", "Ctrl+="),
                    separator(),
                    item("Align Left", "alignLeft:", "Ctrl+{"),
                    item("Center", "alignCenter:", "Ctrl+|"),
                    item("Align Right", "alignRight:", "Ctrl+}"),
                    item("Justify", "alignJustify:"),
                    separator(),
                    item("Add Link…", "addLink:", "Ctrl+K"),
                    item("Insert Page Break", "insertPageBreak:", "Ctrl+Shift+Return"),
                    item("Insert Image…", "insertImage:"),
                    item("Make Image Larger", "makeImageLarger:", "Ctrl+Alt++"),
                    item("Make Image Smaller", "makeImageSmaller:", "Ctrl+Alt+-"),
                }),
        submenu("View",
                {
                    item("Draft", "showDraft:", "Ctrl+1"),
                    item("Page (Approximate)", "togglePageView:", "Ctrl+Alt+P"),
                    separator(),
                    item("Show Toolbar", "toggleRevealToolbar:", "Ctrl+Alt+T"),
                    item("Show Comments", "toggleRail:", "Ctrl+Alt+Shift+C"),
                    separator(),
                    item("Enter Full Screen", "toggleFullScreen:", "F11"),
                }),
        submenu("Review",
                {
                    item("Track My Edits", "toggleTracking:", "Ctrl+Shift+E"),
                    separator(),
                    item("Next Change", "nextChange:", "Ctrl+Alt+]"),
                    item("Previous Change", "previousChange:", "Ctrl+Alt+["),
                    item("Accept Change", "acceptChange:", "Ctrl+Alt+A"),
                    item("Reject Change", "rejectChange:", "Ctrl+Alt+R"),
                    item("Accept All Changes", "acceptAll:"),
                    item("Reject All Changes", "rejectAll:"),
                    separator(),
                    item("Add Comment", "addComment:", "Ctrl+Alt+M"),
                }),
        submenu("Window",
                {
                    item("Minimize", "performMiniaturize:", "Ctrl+M"),
                    item("Zoom", "performZoom:"),
                    separator(),
                    item("Bring All to Front", "arrangeInFront:"),
                }),
        submenu("Help", {}),
    };
    return menus;
}

const char* const dynamicProperty = "tovinDynamic";

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
            action->setObjectName(entry.selector);
            action->setShortcut(entry.key);
            // Linux users expect Ctrl+Y to redo as well.
            if (entry.selector == "redo:")
                action->setShortcuts({entry.key, QKeySequence(QStringLiteral("Ctrl+Y"))});
            action->setData(entry.tag);
            // Menu items keep their key when a text field has focus, as on every desktop.
            action->setShortcutContext(Qt::WindowShortcut);
            if (entry.selector == "orderFrontStandardAboutPanel:") action->setMenuRole(QAction::AboutRole);
            if (entry.selector == "showSettings:") action->setMenuRole(QAction::PreferencesRole);
            if (entry.selector == "terminate:") action->setMenuRole(QAction::QuitRole);
            connect(action, &QAction::triggered, this, [this, action] { perform(action); });
            actions_.append(action);
        }
    };
    walk(table());
}

QAction* MainMenu::action(const QString& selector, int tag) const {
    for (QAction* action : actions_) {
        if (action->objectName() == selector && action->data().toInt() == tag) return action;
    }
    return nullptr;
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

void MainMenu::setHandler(const QString& selector, QObject* context, Perform perform, Validate validate) {
    handlers_.insert(selector, Handler{context, std::move(perform), std::move(validate)});
    scheduleValidation();
}

void MainMenu::setDynamicItems(const QString& menuTitle, QObject* context, DynamicItems items) {
    dynamic_.insert(menuTitle, Dynamic{context, std::move(items)});
}

void MainMenu::validate() {
    validationScheduled_ = false;
    for (QAction* action : actions_) {
        auto found = handlers_.constFind(action->objectName());
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
    auto found = handlers_.constFind(action->objectName());
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

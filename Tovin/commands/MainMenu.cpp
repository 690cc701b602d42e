#include "Tovin/commands/MainMenu.h"

#include <QAction>
#include <QClipboard>
#include <QApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QWindow>
#include <map>

namespace tovin {

namespace {

const char* const dynamicProperty = "tovinDynamic";
const char* const commandProperty = "tovinCommand";

QString topTitle(const QString& menu) {
    return menu.section('/', 0, 0);
}

}  // namespace

const QStringList& MainMenu::menuTitles() {
    static const QStringList titles = {"Tovin", "File", "Edit", "Format", "View", "Review", "Window", "Help"};
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
    if (qApp) {
        connect(qApp, &QApplication::focusChanged, this, &MainMenu::scheduleValidation);
        connect(qApp, &QGuiApplication::focusWindowChanged, this, &MainMenu::scheduleValidation);
        // Paste follows what the clipboard holds.
        if (QClipboard* clipboard = QGuiApplication::clipboard())
            connect(clipboard, &QClipboard::dataChanged, this, &MainMenu::scheduleValidation);
    }
}

void MainMenu::install(std::vector<CommandRow> rows, std::vector<DynamicItems> dynamic) {
    qDeleteAll(actions_);
    actions_.clear();
    rows_ = std::move(rows);
    dynamic_ = std::move(dynamic);
    for (const CommandRow& row : rows_) {
        auto* action = new QAction(row.title, this);
        action->setObjectName(row.selector);
        QList<QKeySequence> keys;
        if (!row.key.isEmpty()) keys << QKeySequence(row.key);
        if (!row.alternateKey.isEmpty()) keys << QKeySequence(row.alternateKey);
        action->setShortcuts(keys);
        action->setData(row.tag);
        action->setProperty(commandProperty, static_cast<int>(row.command));
        // Menu items keep their key when a text field has focus, as on every desktop.
        action->setShortcutContext(Qt::WindowShortcut);
        if (row.command == Command::orderFrontStandardAboutPanel) action->setMenuRole(QAction::AboutRole);
        if (row.command == Command::showSettings) action->setMenuRole(QAction::PreferencesRole);
        if (row.command == Command::terminate) action->setMenuRole(QAction::QuitRole);
        connect(action, &QAction::triggered, this, [this, action] { perform(action); });
        actions_.append(action);
    }
    validate();
}

const CommandRow* MainMenu::row(Command command) const {
    for (const CommandRow& row : rows_) {
        if (row.command == command) return &row;
    }
    return nullptr;
}

QAction* MainMenu::action(Command command) const {
    for (QAction* action : actions_) {
        if (commandOf(action) == command) return action;
    }
    return nullptr;
}

std::optional<Command> MainMenu::commandOf(const QAction* action) {
    const QVariant value = action ? action->property(commandProperty) : QVariant();
    if (!value.isValid()) return std::nullopt;
    return static_cast<Command>(value.toInt());
}

QMenuBar* MainMenu::makeMenuBar(QWidget* window) {
    auto* bar = new QMenuBar(window);
    std::map<QString, QMenu*> menus;
    auto watch = [this](QMenu* menu, const QString& title) {
        menu->setObjectName(title);
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { fillDynamic(menu); });
    };
    for (const QString& title : menuTitles()) {
        QMenu* menu = bar->addMenu(title);
        watch(menu, title);
        menus[title] = menu;
    }
    for (size_t index = 0; index < rows_.size(); ++index) {
        const CommandRow& row = rows_[index];
        auto found = menus.find(row.menu);
        if (found == menus.end()) {
            // A submenu's first row: the submenu stands here in its parent.
            QMenu* parent = menus.at(topTitle(row.menu));
            if (row.startsGroup && !parent->isEmpty()) parent->addSeparator();
            const QString title = row.menu.section('/', 1);
            QMenu* sub = parent->addMenu(title);
            watch(sub, title);
            found = menus.emplace(row.menu, sub).first;
        } else if (row.startsGroup && !found->second->isEmpty()) {
            found->second->addSeparator();
        }
        found->second->addAction(actions_[qsizetype(index)]);
    }
    return bar;
}

void MainMenu::trigger(Command command) {
    if (QAction* item = action(command)) perform(item);
}

void MainMenu::validate() {
    validationScheduled_ = false;
    for (qsizetype index = 0; index < actions_.size(); ++index) {
        const CommandRow& row = rows_[size_t(index)];
        QAction* action = actions_[index];
        action->setEnabled(row.perform && (!row.enabled || row.enabled(*action)));
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
    const std::optional<Command> command = commandOf(action);
    const CommandRow* found = command ? row(*command) : nullptr;
    if (!found || !found->perform || !action->isEnabled()) return;
    CommandRow::Perform run = found->perform;  // the command may install another table
    run();
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
    for (const DynamicItems& dynamic : dynamic_) {
        QAction* anchor = action(dynamic.anchor);
        if (!anchor || !menu->actions().contains(anchor)) continue;
        QList<QAction*> extra = dynamic.items(menu);
        if (extra.isEmpty()) continue;
        // A separator between the listed items and the anchor.
        auto* divider = new QAction(menu);
        divider->setSeparator(true);
        const bool before = dynamic.place == DynamicItems::Place::before;
        if (before)
            extra.append(divider);
        else
            extra.prepend(divider);
        const qsizetype at = menu->actions().indexOf(anchor) + (before ? 0 : 1);
        QAction* insertBefore = menu->actions().value(at, nullptr);
        for (QAction* added : extra) {
            added->setProperty(dynamicProperty, true);
            if (added->parent() == nullptr) added->setParent(menu);
            menu->insertAction(insertBefore, added);
        }
    }
}

}  // namespace tovin

// The menu bar, made from the command table. Items are process-wide QActions, one per row,
// named by their selector ("toggleBold:") and shared by the menu bar each window carries.
// The table is installed once at launch; before that the menu has no items.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "Tovin/commands/Command.h"

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace tovin {

class MainMenu : public QObject {
    Q_OBJECT
  public:
    // Items a menu shows only at the moment it opens (recent files, window names), placed
    // beside one command's item.
    struct DynamicItems {
        enum class Place { before, after };
        Command anchor;
        Place place = Place::after;
        std::function<QList<QAction*>(QObject* owner)> items;
    };

    // The top-level titles, in order. The application menu is titled "Tovin".
    static const QStringList& menuTitles();

    // The process-wide menu, made on first call.
    static MainMenu& build();

    // Makes an item per row (replacing those of an earlier table).
    void install(std::vector<CommandRow> rows, std::vector<DynamicItems> dynamic = {});
    const std::vector<CommandRow>& rows() const { return rows_; }
    const CommandRow* row(Command command) const;

    QAction* action(Command command) const;
    static std::optional<Command> commandOf(const QAction* action);
    QList<QAction*> actions() const { return actions_; }

    // A menu bar for one window, holding the shared actions.
    QMenuBar* makeMenuBar(QWidget* window);

    // Runs a command as its item would: only when its rule allows it now.
    void trigger(Command command);

    // Runs every rule now; scheduleValidation does it once on the next turn.
    void validate();
    void scheduleValidation();

  private:
    MainMenu();
    void perform(QAction* action);
    void fillDynamic(QMenu* menu);

    std::vector<CommandRow> rows_;  // in menu order; actions_ has the same order
    std::vector<DynamicItems> dynamic_;
    QList<QAction*> actions_;
    bool validationScheduled_ = false;
};

}  // namespace tovin

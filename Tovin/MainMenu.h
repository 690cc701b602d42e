// The menu bar: every menu, item, title, command and key of the application, made from one
// table. Items are process-wide QActions, one per command, named by their selector
// ("toggleBold:") and shared by the menu bar each window carries; whoever implements a
// command registers a handler and a validator for it, and an item nobody handles is
// disabled.
#pragma once

#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "Tovin/MenuCommand.h"

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace tovin {

class MainMenu : public QObject {
    Q_OBJECT
  public:
    using Perform = std::function<void(QAction*)>;
    // Answers whether the item is enabled; may also set its title or check mark.
    using Validate = std::function<bool(QAction*)>;
    // Items a menu shows only at the moment it opens (recent files, window names).
    using DynamicItems = std::function<QList<QAction*>(QObject* owner)>;

    // The top-level titles, in order. The application menu is titled "Tovin".
    static const QStringList& menuTitles();

    // The process-wide menu, made on first call.
    static MainMenu& build();

    QAction* action(Command command) const;
    // The action for a selector; find items share one selector and differ by tag.
    QAction* action(const QString& selector, int tag = 0) const;
    static std::optional<Command> commandOf(const QAction* action);
    QList<QAction*> actions() const { return actions_; }

    // A menu bar for one window, holding the shared actions.
    QMenuBar* makeMenuBar(QWidget* window);

    // `context` owns the handler: when it is destroyed the item falls back to disabled.
    void setHandler(Command command, QObject* context, Perform perform, Validate validate = {});
    // The same by selector name; an unknown selector is reported and registers nothing.
    void setHandler(const QString& selector, QObject* context, Perform perform, Validate validate = {});
    bool hasHandler(Command command) const;
    // Extra items for the submenu with this title, placed before its static items when
    // it ends in "Clear Menu", after them otherwise.
    void setDynamicItems(const QString& menuTitle, QObject* context, DynamicItems items);

    // Runs every validator now; scheduleValidation does it once on the next turn.
    void validate();
    void scheduleValidation();

  private:
    struct Handler {
        QPointer<QObject> context;
        Perform perform;
        Validate validate;
    };
    struct Dynamic {
        QPointer<QObject> context;
        DynamicItems items;
    };

    MainMenu();
    void createActions();
    void perform(QAction* action);
    void fillDynamic(QMenu* menu);

    QList<QAction*> actions_;
    QMap<Command, Handler> handlers_;
    QHash<QString, Dynamic> dynamic_;  // by submenu title
    bool validationScheduled_ = false;
};

}  // namespace tovin

// The editor's menu commands: editing, formatting, links, page breaks, images, comments,
// tracked changes, find and spelling and the view switches, each acting on the active view
// of the frontmost editor through the engine, and the validation of their menu items. Engine errors end here
// as a beep: a refused command leaves the document as it was.
#pragma once

#include <QRect>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "RovuVuz/model/Identifiers.h"
#include "Tovin/MenuCommand.h"

class QAction;
class QObject;

namespace tovin {

class EditorSession;
class EditorViewController;
class MainMenu;

// The Edit menu's commands on the body of the current document window's editor; `current`
// finds its session (or null).
void registerEditorActions(MainMenu& menu, QObject* context, std::function<EditorSession*()> current);

namespace EditorActions {

// Registers a handler for every editor command; `current` finds the controller of the
// frontmost document window (or null).
void registerAll(MainMenu& menu, QObject* context, std::function<EditorViewController*()> current);

// Runs a command on a controller (the menu's handlers call this).
void perform(EditorViewController& editor, Command command);
// Whether the command's item is enabled, setting its title and check mark on the way.
bool validate(EditorViewController& editor, Command command, QAction* item);

// The runs of the body carrying a tracked change, adjacent ones joined, in view offsets.
struct Range {
    int location = 0;
    int length = 0;
    bool operator==(const Range&) const = default;
};
std::vector<Range> changeRanges(EditorViewController& editor);

// Accepts or rejects one tracked change of the body as one undo step; a beep when the
// engine refuses.
void resolveRevision(EditorViewController& editor, rovuvuz::RevisionID revision, bool accept);

// The commands that ask for input, with the input given (the popover and file dialog
// call these; tests call them directly).
void setLink(EditorViewController& editor, const QString& typed);
void addComment(EditorViewController& editor, const QString& text);
void insertImageFile(EditorViewController& editor, const QString& path);
void scaleImage(EditorViewController& editor, double factor);
void setParagraphStyle(EditorViewController& editor, const std::optional<std::string>& styleID);

// The sound of a refused command; tests count it.
extern std::function<void()> beep;

}  // namespace EditorActions
}  // namespace tovin

// The Edit menu's commands and Review ▸ Track My Edits, for the editor of the current
// document window.
#pragma once

#include <functional>

class QObject;

namespace tovin {

class EditorSession;
class MainMenu;

// `current` finds the session of the frontmost document window (or null).
void registerEditorActions(MainMenu& menu, QObject* context, std::function<EditorSession*()> current);

}  // namespace tovin

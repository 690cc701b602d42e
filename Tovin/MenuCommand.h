// Every command of the menu bar as a value. Handlers are registered by command, so a
// misspelt command is a compile error rather than an item that silently stays disabled.
// Each command keeps the selector name its menu item is known by ("toggleBold:", the
// item's object name) and, for the find items that share one selector, a tag.
#pragma once

#include <QString>
#include <array>
#include <optional>

namespace tovin {

enum class Command : int {
    // Tovin
    orderFrontStandardAboutPanel,
    checkForUpdates,
    showSettings,
    terminate,
    // File
    openDocument,
    clearRecentDocuments,
    performClose,
    saveDocument,
    duplicateDocument,
    revertDocumentToSaved,
    exportPDF,
    share,
    printDocument,
    // Edit
    undo,
    redo,
    cut,
    copy,
    paste,
    pasteAsPlainText,
    deleteSelection,
    selectAll,
    showFindBar,
    showReplaceBar,
    findNext,
    findPrevious,
    useSelectionForFind,
    showGuessPanel,
    checkSpelling,
    toggleContinuousSpellChecking,
    toggleAutomaticQuoteSubstitution,
    toggleAutomaticDashSubstitution,
    toggleAutomaticTextReplacement,
    // Format
    toggleBold,
    toggleItalic,
    toggleUnderline,
    toggleStrike,
    toggleSuperscript,
    toggleSubscript,
    alignLeft,
    alignCenter,
    alignRight,
    alignJustify,
    addLink,
    insertPageBreak,
    insertImage,
    makeImageLarger,
    makeImageSmaller,
    // View
    showDraft,
    togglePageView,
    toggleRevealToolbar,
    toggleRail,
    toggleFullScreen,
    // Review
    toggleTracking,
    nextChange,
    previousChange,
    acceptChange,
    rejectChange,
    acceptAll,
    rejectAll,
    addComment,
    // Window
    performMiniaturize,
    performZoom,
    arrangeInFront,
    // Help
    showHelp,
};

inline constexpr int commandCount = static_cast<int>(Command::showHelp) + 1;

struct CommandName {
    const char* selector;
    int tag = 0;  // the find panel's action code; 0 for every other item
};

CommandName commandName(Command command);
// The command a menu item's selector and tag name; nothing for an unknown pair.
std::optional<Command> commandFor(const QString& selector, int tag = 0);

}  // namespace tovin

// Every command of the application as a value, and the row that describes it. The command
// table (CommandTable.cpp, at the top of the application) has one row per command: its
// menu, title, key, selector name, handler and enabling rule. The menu bar, the shortcuts,
// validation, the help's list of keys and the tests all read that table, and commands are
// dispatched by this enumeration only, so a misspelt command is a compile error rather
// than an item that silently stays disabled.
#pragma once

#include <QString>
#include <functional>

class QAction;

namespace tovin {

enum class Command : int {
    // Tovin
    orderFrontStandardAboutPanel,
    checkForUpdates,
    showSettings,
    terminate,
    // File
    newDocument,
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
    toggleBulletedList,
    toggleNumberedList,
    showFontPanel,
    increaseFontSize,
    decreaseFontSize,
    clearFormatting,
    insertTable,
    selectTable,
    deleteTable,
    insertFootnote,
    insertEndnote,
    // View
    showDraft,
    togglePageView,
    toggleRevealToolbar,
    toggleRail,
    toggleFullScreen,
    zoomIn,
    zoomOut,
    zoomActualSize,
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

// How many commands there are: the last one's value and one (keep it last).
inline constexpr int commandCount = static_cast<int>(Command::showHelp) + 1;

// One command as the menu bar shows it and the application carries it out.
struct CommandRow {
    // Runs the command. Shortcuts fire without the menu opening, so the row's rule is
    // checked first and a disabled command never runs.
    using Perform = std::function<void()>;
    // Whether the item is enabled now; it may also set the item's title or check mark.
    // Without a rule the item is always enabled.
    using Rule = std::function<bool(QAction& item)>;

    Command command;
    // The menu holding the item: a top-level title ("Edit") or a submenu ("Edit/Find").
    // A submenu stands in its parent where the first of its rows is.
    QString menu;
    QString title;
    // QKeySequence's portable text ("Ctrl+Shift+E"); empty for none. Linux users also
    // expect Ctrl+Y to redo: `alternateKey`.
    QString key;
    // The name the item is known by (its object name) and, for the find items that share
    // one selector, the find panel's action code.
    QString selector;
    int tag = 0;
    Perform perform;
    Rule enabled;
    // A separator stands before this item (before its submenu, for a submenu's first row).
    bool startsGroup = false;
    QString alternateKey = {};
};

}  // namespace tovin

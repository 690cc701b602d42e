#include "Tovin/MenuCommand.h"

namespace tovin {

namespace {

// In the enumeration's order; the find items' tags are the find panel's action codes
// (1 show, 12 show with replace, 2 next, 3 previous, 7 set the find string).
constexpr std::array<CommandName, commandCount> names = {{
    {"orderFrontStandardAboutPanel:"},
    {"checkForUpdates:"},
    {"showSettings:"},
    {"terminate:"},
    {"openDocument:"},
    {"clearRecentDocuments:"},
    {"performClose:"},
    {"saveDocument:"},
    {"duplicateDocument:"},
    {"revertDocumentToSaved:"},
    {"exportPDF:"},
    {"share:"},
    {"printDocument:"},
    {"undo:"},
    {"redo:"},
    {"cut:"},
    {"copy:"},
    {"paste:"},
    {"pasteAsPlainText:"},
    {"delete:"},
    {"selectAll:"},
    {"performFindPanelAction:", 1},
    {"performFindPanelAction:", 12},
    {"performFindPanelAction:", 2},
    {"performFindPanelAction:", 3},
    {"performFindPanelAction:", 7},
    {"showGuessPanel:"},
    {"checkSpelling:"},
    {"toggleContinuousSpellChecking:"},
    {"toggleAutomaticQuoteSubstitution:"},
    {"toggleAutomaticDashSubstitution:"},
    {"toggleAutomaticTextReplacement:"},
    {"toggleBold:"},
    {"toggleItalic:"},
    {"toggleUnderline:"},
    {"toggleStrike:"},
    {"toggleSuperscript:"},
    {"toggleSubscript:"},
    {"alignLeft:"},
    {"alignCenter:"},
    {"alignRight:"},
    {"alignJustify:"},
    {"addLink:"},
    {"insertPageBreak:"},
    {"insertImage:"},
    {"makeImageLarger:"},
    {"makeImageSmaller:"},
    {"showDraft:"},
    {"togglePageView:"},
    {"toggleRevealToolbar:"},
    {"toggleRail:"},
    {"toggleFullScreen:"},
    {"toggleTracking:"},
    {"nextChange:"},
    {"previousChange:"},
    {"acceptChange:"},
    {"rejectChange:"},
    {"acceptAll:"},
    {"rejectAll:"},
    {"addComment:"},
    {"performMiniaturize:"},
    {"performZoom:"},
    {"arrangeInFront:"},
    {"showHelp:"},
}};

}  // namespace

CommandName commandName(Command command) {
    return names[static_cast<size_t>(command)];
}

std::optional<Command> commandFor(const QString& selector, int tag) {
    for (int index = 0; index < commandCount; ++index) {
        if (selector == QLatin1String(names[index].selector) && tag == names[index].tag)
            return static_cast<Command>(index);
    }
    return std::nullopt;
}

}  // namespace tovin

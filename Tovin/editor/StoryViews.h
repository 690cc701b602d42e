// Where the window shows a paragraph of a story: the body, a table cell inside it (its view
// built when it had none), the header, footer or notes band. Finding text, and anything else
// that names text by paragraph, selects it through here.
#pragma once

#include <QTextEdit>
#include <optional>

#include "RovuVuz/model/EditValues.h"
#include "RovuVuz/model/Identifiers.h"

namespace tovin {

class EditorViewController;
class StoryBridge;

namespace StoryViews {

struct Shown {
    QTextEdit* view = nullptr;
    StoryBridge* bridge = nullptr;
    int location = 0;  // the range in the view's text
    int length = 0;
};

// The view and view range showing a range of a paragraph; nothing when no view of the
// window shows that paragraph (a header of another section, endnotes).
std::optional<Shown> find(EditorViewController& editor, const rovuvuz::StoryID& story,
                          rovuvuz::ParagraphID paragraph, rovuvuz::TextRange range);

// Selects it, scrolled into view.
void select(const Shown& shown);

}  // namespace StoryViews
}  // namespace tovin

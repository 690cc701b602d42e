// The body's text for the read-only view that windows show until the editor view
// arrives. This is the one place the application reads text out of the node tree; it is
// replaced by the engine's story snapshots.
#pragma once

#include <QString>

namespace rovuvuz {
class DocxDocument;
}

namespace tovin {

// The body's paragraphs joined by newlines, tables' cell paragraphs included in document
// order. A body that cannot be parsed gives nothing.
QString bodyText(rovuvuz::DocxDocument& document);

}  // namespace tovin

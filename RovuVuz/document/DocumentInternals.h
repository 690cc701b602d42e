// The parsed stories behind a document, for the engine's own code and its tests. Code above
// the engine reads a document through snapshots and changes it through DocxDocument's edits;
// this header is not on its include path.
#pragma once

#include <map>
#include <memory>
#include <utility>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/model/Nodes.h"
#include "RovuVuz/model/Story.h"

namespace rovuvuz {

struct DocumentInternals {
    // The story, parsed on first use; throws DocxError, ZipError, XMLError.
    static Story& story(DocxDocument& document, const StoryID& id) { return document.story(id); }
    static const std::map<PartName, std::unique_ptr<Story>>& parsedStories(const DocxDocument& document) {
        return document.parsedStories();
    }
    static std::pair<Story*, Paragraph*> paragraph(DocxDocument& document, ParagraphID id, const StoryID& story) {
        return document.paragraph(id, story);
    }
    // DocxDocument::paste (ClipImport.cpp), with the strict check of the fragment's markup
    // left out unless `checked`: pasteHTML's fragment is written by the engine itself.
    static std::vector<ParagraphID> paste(DocxDocument& document, std::string_view fragment, ParagraphPos from,
                                          ParagraphPos to, const StoryID& story, const EditMode& mode, bool checked);
};

}  // namespace rovuvuz

// What a story bridge needs of the window it edits in: the edit mode of the moment,
// whether the text may be edited now, an undo step opened before each engine call, the
// document marked edited after it, and where a refusal is announced.
#pragma once

#include <QString>

#include "RovuVuz/edit/TextEdit.h"

namespace tovin {

class StoryBridge;

class EditHost {
  public:
    virtual ~EditHost() = default;
    virtual rovuvuz::EditMode editMode() const = 0;
    // False while edits must not reach the document (a read-only document, page view):
    // the view then shows the model again.
    virtual bool mayEdit() const = 0;
    // Why the text may not be edited now, for the refusal mayEdit() leads to.
    virtual QString whyNotEditable() const { return {}; }
    virtual void willEdit(StoryBridge& bridge) = 0;
    virtual void didEdit(StoryBridge& bridge) = 0;
    // The bridge refused an edit, or the engine did; the reason may be empty.
    virtual void refused(const QString& reason) = 0;

  protected:
    EditHost() = default;
    EditHost(const EditHost&) = default;
    EditHost& operator=(const EditHost&) = default;
};

}  // namespace tovin

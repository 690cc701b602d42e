// What the comment rail reads of the editor it stands beside: the body's text view, the
// body's story bridge (a new one after the package is replaced) and the open document.
// The rail only reads; the edits its cards ask for are the editor's to make.
#pragma once

#include <QObject>

class QTextEdit;

namespace rovuvuz {
class DocxDocument;
}

namespace tovin {

class StoryBridge;

class RailSource {
  public:
    virtual ~RailSource() = default;
    // The object whose lifetime is the source's.
    virtual QObject* sourceObject() = 0;
    virtual QTextEdit* body() const = 0;
    virtual StoryBridge* bodyBridge() const = 0;
    virtual rovuvuz::DocxDocument* doc() const = 0;

  protected:
    RailSource() = default;
    RailSource(const RailSource&) = default;
    RailSource& operator=(const RailSource&) = default;
};

}  // namespace tovin

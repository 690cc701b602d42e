// What the document controller asks of the window that shows one document: its page (the
// tab it stands in), bringing it forward, and whether it comes back at the next launch.
// The editor's window controller is one; the controller makes them through a factory it
// is given, so the lifecycle of documents knows nothing of editors.
#pragma once

#include <QObject>
#include <functional>

class QWidget;

namespace tovin {

class DocumentController;
class TovinDocument;

class DocumentWindow : public QObject {
    Q_OBJECT
  public:
    // Makes the window of a document, a child of the controller.
    using Factory = std::function<DocumentWindow*(TovinDocument* document, DocumentController& controller)>;

    using QObject::QObject;
    virtual QWidget* page() const = 0;
    // Brings the window forward with this document's tab current.
    virtual void showWindow() = 0;
    // Whether the window comes back at the next launch (a bench run's copy does not).
    virtual bool isRestorable() const = 0;
};

}  // namespace tovin

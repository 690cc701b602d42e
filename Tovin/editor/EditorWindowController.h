// The window of one document: its page (the editor's view) placed as a tab of the
// frontmost window, or in a new window of the editor's size whose frame is remembered
// under "TovinEditor" and which is centred the first time.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTextEdit>

#include "Tovin/document/DocumentWindow.h"
#include "Tovin/document/TovinDocument.h"

namespace tovin {

class DocumentController;
class PageView;
class TabbedWindow;
class EditorSession;
class EditorViewController;

class EditorWindowController : public DocumentWindow {
    Q_OBJECT
  public:
    static constexpr int contentWidth = 1040;
    static constexpr int contentHeight = 760;
    static constexpr int minimumWidth = 560;
    static constexpr int minimumHeight = 400;
    static constexpr const char* frameAutosaveName = "TovinEditor";

    // Closing the window asks `documents` to close the document.
    EditorWindowController(TovinDocument* document, DocumentController& documents);
    ~EditorWindowController() override;

    // The window controller of an open document; null when it has none.
    static EditorWindowController* of(TovinDocument* document);

    TovinDocument* document() const { return document_; }
    TabbedWindow* window() const;
    QWidget* page() const override;
    // The editor the page shows, and its body text view.
    EditorViewController* editor() const;
    QTextEdit* textView() const;
    // The editing of the body view: its story bridge and the undo steps.
    EditorSession* session() const;

    // View > Page (Approximate) over the body view.
    PageView* pageView() const { return pageView_; }

    // Brings the window forward with this document's tab current.
    void showWindow() override;

    bool isRestorable() const override { return restorable_; }
    void setRestorable(bool restorable) { restorable_ = restorable; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void updateTitle();
    static TabbedWindow* makeWindow();

    QPointer<TovinDocument> document_;
    QPointer<TabbedWindow> window_;
    QPointer<EditorViewController> editor_;
    PageView* pageView_ = nullptr;   // a child of the body view
    DocumentController* documents_;  // the window's parent
    bool restorable_ = true;
};

}  // namespace tovin

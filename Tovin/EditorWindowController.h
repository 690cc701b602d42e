// The window of one document: its page (the editor's view) placed as a tab of the
// frontmost window, or in a new window of the editor's size whose frame is remembered
// under "TovinEditor" and which is centred the first time.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTextEdit>
#include <functional>

namespace tovin {

class PageView;
class TabbedWindow;
class TovinDocument;
class EditorSession;
class EditorViewController;

class EditorWindowController : public QObject {
    Q_OBJECT
  public:
    static constexpr int contentWidth = 1040;
    static constexpr int contentHeight = 760;
    static constexpr int minimumWidth = 560;
    static constexpr int minimumHeight = 400;
    static constexpr const char* frameAutosaveName = "TovinEditor";

    explicit EditorWindowController(TovinDocument* document, QObject* parent = nullptr);
    ~EditorWindowController() override;

    TovinDocument* document() const { return document_; }
    TabbedWindow* window() const;
    QWidget* page() const;
    // The editor the page shows, and its body text view.
    EditorViewController* editor() const;
    QTextEdit* textView() const;
    // The editing of the body view: its story bridge and the undo steps.
    EditorSession* session() const;

    // View > Page (Approximate) over the body view.
    PageView* pageView() const { return pageView_; }

    // Brings the window forward with this document's tab current.
    void showWindow();

    // Whether the window comes back at the next launch (a bench run's copy does not).
    bool isRestorable() const { return restorable_; }
    void setRestorable(bool restorable) { restorable_ = restorable; }

    // Asked when the user closes the tab or its window; answering false keeps it open.
    void setShouldClose(std::function<bool()> shouldClose) { shouldClose_ = std::move(shouldClose); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void updateTitle();
    static TabbedWindow* makeWindow();

    QPointer<TovinDocument> document_;
    QPointer<TabbedWindow> window_;
    QPointer<EditorViewController> editor_;
    PageView* pageView_ = nullptr;  // a child of the body view
    std::function<bool()> shouldClose_;
    bool restorable_ = true;
};

}  // namespace tovin

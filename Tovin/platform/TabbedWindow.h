// A top-level window whose documents are tabs, standing in for the window tabbing other
// desktops do themselves. Each tab page is a widget whose window title and modified flag
// become the tab's text and, for the current tab, the window's; closing a page is asking
// it (QWidget::close), so the page's owner decides. The window carries the menu bar, and
// remembers its frame under an autosave name.
#pragma once

#include <QMainWindow>
#include <QPointer>

class QAction;
class QTabWidget;

namespace tovin {

class TabbedWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit TabbedWindow(QWidget* parent = nullptr);
    ~TabbedWindow() override;

    // The window the user worked in last: new documents open as its tabs.
    static TabbedWindow* frontmost();
    static QList<TabbedWindow*> all();

    void addPage(QWidget* page);
    QWidget* currentPage() const;
    QList<QWidget*> pages() const;
    void showPage(QWidget* page);
    // Takes a page out without deleting it; the last page out closes the window.
    void removePage(QWidget* page);

    // Restores the frame saved under `name` and saves it on every change from now on;
    // false when nothing had been saved.
    bool setFrameAutosaveName(const QString& name);

    // The Window menu's commands, on the frontmost window: Minimize, Zoom, Enter (Exit) Full
    // Screen with its title, Bring All to Front; and the windows' items the menu lists.
    static void minimizeFrontmost();
    static void zoomFrontmost();
    static void toggleFullScreen();
    static bool fullScreenState(QAction& item);
    static void arrangeInFront();
    static QList<QAction*> windowItems(QObject* owner);
    // File > Close: asks the current tab of the frontmost window to close.
    static void closeCurrentPage();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void updateTitle();
    void saveFrame();

    QTabWidget* tabs_;
    QString frameName_;
};

}  // namespace tovin

// Help > Tovin Help: the user's guide shipped inside the application (a Qt resource, so it
// works offline), with the keyboard shortcuts read from the command table, shown as a page
// of its own. Its links to the web open in the desktop's browser.
#pragma once

#include <QString>

class QWidget;

namespace tovin::HelpWindow {

// The help window, made on first call and kept; brought to the front on every call.
QWidget* show();

// The help page's text (Markdown), as built into the application.
QString pageText();

}  // namespace tovin::HelpWindow

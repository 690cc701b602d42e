#include "Tovin/HelpWindow.h"

#include <QFile>
#include <QPointer>
#include <QShortcut>
#include <QTextBrowser>

namespace tovin::HelpWindow {

QString pageText() {
    QFile file(QStringLiteral(":/help/README.md"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

QWidget* show() {
    static QPointer<QTextBrowser> window;
    if (!window) {
        window = new QTextBrowser();
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setWindowTitle(QStringLiteral("Tovin Help"));
        window->setOpenExternalLinks(true);
        window->setMarkdown(pageText());
        window->document()->setDocumentMargin(24);
        window->resize(720, 640);
        auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), window);
        QObject::connect(close, &QShortcut::activated, window, &QWidget::close);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

}  // namespace tovin::HelpWindow

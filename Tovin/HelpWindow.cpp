#include "Tovin/HelpWindow.h"

#include <QFile>
#include <QKeySequence>
#include <QPointer>
#include <QShortcut>
#include <QTextBrowser>

#include "Tovin/commands/MainMenu.h"

namespace tovin::HelpWindow {

namespace {

// The keyboard shortcuts as the menu bar has them: one table row per command with a key.
QString shortcutsSection() {
    QString out = QStringLiteral("\n## Keyboard shortcuts\n\n| Menu | Command | Keys |\n|---|---|---|\n");
    for (const CommandRow& row : MainMenu::build().rows()) {
        if (row.key.isEmpty()) continue;
        const QString keys = QKeySequence(row.key).toString(QKeySequence::NativeText);
        out += QStringLiteral("| %1 | %2 | %3 |\n")
                   .arg(row.menu.section(QLatin1Char('/'), 0, 0), row.title,
                        keys.toHtmlEscaped().replace(QLatin1Char('|'), QStringLiteral("\\|")));
    }
    return out;
}

}  // namespace

QString pageText() {
    QFile file(QStringLiteral(":/help/guide.md"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll()) + shortcutsSection();
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

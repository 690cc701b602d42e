#include "Tovin/platform/Alerts.h"

#include <QMessageBox>
#include <QPushButton>

namespace tovin {

namespace {

class MessageBoxPresenter : public AlertPresenter {
  public:
    int present(const Alert& alert, QWidget* parent) override {
        QMessageBox box(parent);
        switch (alert.style) {
            case Alert::Style::warning:
                box.setIcon(QMessageBox::Warning);
                break;
            case Alert::Style::critical:
                box.setIcon(QMessageBox::Critical);
                break;
            case Alert::Style::informational:
                box.setIcon(QMessageBox::Information);
                break;
        }
        box.setText(alert.text);
        box.setInformativeText(alert.informativeText);
        if (!alert.detailedText.isEmpty()) box.setDetailedText(alert.detailedText);
        const QStringList titles = alert.buttons.isEmpty() ? QStringList{"OK"} : alert.buttons;
        const int escape = alert.escapeButton >= 0 && alert.escapeButton < titles.size()
                               ? alert.escapeButton
                               : static_cast<int>(titles.size()) - 1;
        QList<QAbstractButton*> buttons;
        for (int i = 0; i < titles.size(); ++i) {
            const auto role =
                i == escape && titles.size() > 1 ? QMessageBox::RejectRole : QMessageBox::AcceptRole;
            buttons.append(box.addButton(titles[i], role));
        }
        box.setDefaultButton(qobject_cast<QPushButton*>(buttons.front()));
        box.setEscapeButton(buttons[escape]);
        box.exec();
        const int chosen = static_cast<int>(buttons.indexOf(box.clickedButton()));
        return chosen >= 0 ? chosen : escape;
    }
};

std::unique_ptr<AlertPresenter>& installed() {
    static std::unique_ptr<AlertPresenter> presenter = std::make_unique<MessageBoxPresenter>();
    return presenter;
}

}  // namespace

namespace Alerts {

int present(const Alert& alert, QWidget* parent) {
    return installed()->present(alert, parent);
}

std::unique_ptr<AlertPresenter> setPresenter(std::unique_ptr<AlertPresenter> presenter) {
    std::unique_ptr<AlertPresenter> previous = std::move(installed());
    installed() = presenter ? std::move(presenter) : std::make_unique<MessageBoxPresenter>();
    return previous;
}

}  // namespace Alerts

}  // namespace tovin

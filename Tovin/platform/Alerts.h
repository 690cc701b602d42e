// Alerts: the few messages the application shows the user, presented through one
// replaceable presenter so that tests can answer them without a modal loop.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QWidget;

namespace tovin {

struct Alert {
    enum class Style { warning, critical, informational };

    QString text;             // the bold first line
    QString informativeText;  // the explanation below it
    QStringList buttons;      // first is the default; an empty list means a single "OK"
    int escapeButton = -1;    // the answer to Escape or closing; -1 is the last button
    Style style = Style::warning;
    QString detailedText;  // what went wrong exactly, behind the alert's details button
};

class AlertPresenter {
  public:
    virtual ~AlertPresenter() = default;
    // Shows the alert over `parent` (or on its own) and returns the index of the button
    // chosen; closing the alert without a choice answers its escape button.
    virtual int present(const Alert& alert, QWidget* parent) = 0;
};

namespace Alerts {

// Presents through the installed presenter, or a QMessageBox when none is installed.
int present(const Alert& alert, QWidget* parent = nullptr);

// Replaces the presenter; returns the previous one. Passing nothing restores message boxes.
std::unique_ptr<AlertPresenter> setPresenter(std::unique_ptr<AlertPresenter> presenter);

}  // namespace Alerts

}  // namespace tovin

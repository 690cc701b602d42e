// A one-field popover for links and comments: a text field and a default button beside it.
// Return or the button submits: the popover closes and hands over the field's text.
#pragma once

#include <QFrame>
#include <QPointer>
#include <QRect>
#include <functional>
#include <optional>

class QLineEdit;
class QPushButton;

namespace tovin {

class InputPopover : public QFrame {
    Q_OBJECT
  public:
    using Done = std::function<void(const QString& text)>;
    static constexpr int fieldWidth = 260;

    InputPopover(const QString& placeholder, const QString& value, const QString& action, Done done,
                 QWidget* parent = nullptr);

    // Shows the popover under `anchor` (in `host`'s coordinates) with the field focused.
    // The popover deletes itself when it closes.
    void showAt(QWidget* host, const QRect& anchor);

    QLineEdit* field() const { return field_; }
    QPushButton* button() const { return button_; }
    // The popover on screen now, if any (tests drive it through this).
    static InputPopover* current();

    void submit();

  private:
    QLineEdit* field_;
    QPushButton* button_;
    Done done_;
    bool submitted_ = false;
};

// What Add Link stores for the text the user typed: spaces and tabs trimmed; nothing
// (remove the link) when empty; "https://" put in front unless the text already names a
// scheme ("://"), a bookmark ("#…") or a mail address ("mailto:").
std::optional<QString> normalizedLink(const QString& typed);

}  // namespace tovin

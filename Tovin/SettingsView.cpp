#include "Tovin/SettingsView.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "Tovin/platform/Updater.h"
#include "Tovin/LearnedWordsEditor.h"
#include "Tovin/ReplacementsEditor.h"
#include "Tovin/platform/UserDefaults.h"

namespace tovin {

namespace {
const QString authorNameKey = QStringLiteral("authorName");
}

SettingsView::SettingsView(Updater* updater, QWidget* parent)
    : QWidget(parent), name_(new QLineEdit(this)), automaticChecks_(new QCheckBox(this)), updater_(updater) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    auto* form = new QFormLayout();
    layout->addLayout(form);

    name_->setObjectName(authorNameKey);
    name_->setText(UserDefaults::string(authorNameKey));
    name_->setMinimumWidth(260);
    // Bound to the setting: every keystroke is stored, so the next tracked edit uses it.
    connect(name_, &QLineEdit::textChanged, this,
            [](const QString& text) { UserDefaults::setValue(authorNameKey, text); });
    form->addRow(QStringLiteral("Your name"), name_);

    auto* caption = new QLabel(QStringLiteral("Shown on your tracked changes and comments."), this);
    QFont small = caption->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    caption->setFont(small);
    caption->setForegroundRole(QPalette::PlaceholderText);
    form->addRow(QString(), caption);

    automaticChecks_->setText(QStringLiteral("Check for updates automatically"));
    automaticChecks_->setChecked(updater && updater->automaticallyChecksForUpdates());
    automaticChecks_->setEnabled(updater != nullptr);
    connect(automaticChecks_, &QCheckBox::toggled, this, [this](bool on) {
        if (updater_) updater_->setAutomaticallyChecksForUpdates(on);
    });
    form->addRow(QString(), automaticChecks_);

    replacements_ = new ReplacementsEditor(this);
    form->addRow(QStringLiteral("Text replacements"), replacements_);

    learnedWords_ = new LearnedWordsEditor(this);
    form->addRow(QStringLiteral("Learned words"), learnedWords_);
}

void SettingsView::keyPressEvent(QKeyEvent* event) {
    // Escape closes the window, as it does a dialog; the fields pass it up to here.
    if (event->key() == Qt::Key_Escape && isWindow()) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

QWidget* SettingsView::makeWindow(Updater* updater) {
    auto* view = new SettingsView(updater);
    // Settings apply as they are made, so the window only needs a way to close it.
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, view);
    connect(buttons->button(QDialogButtonBox::Close), &QPushButton::clicked, view, &QWidget::close);
    view->layout()->addWidget(buttons);
    view->setWindowTitle(QStringLiteral("Settings"));
    view->setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    view->adjustSize();
    return view;
}

}  // namespace tovin

#include "Tovin/text/SpellingMenu.h"

#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

#include "Tovin/platform/PersonalDictionary.h"
#include "Tovin/platform/WordChecker.h"
#include "Tovin/text/SpellingHighlighter.h"

namespace tovin::SpellingMenu {

namespace {

// What a view's spelling items act through; a child of the view, so it goes with it.
class Target : public QObject {
  public:
    Target(QTextEdit& view, WordChecker& words, Replace replacing, Refuse refusing)
        : QObject(&view), checker(&words), replace(std::move(replacing)), refuse(std::move(refusing)) {
        setObjectName(QStringLiteral("SpellingMenuTarget"));
    }
    QPointer<WordChecker> checker;
    Replace replace;
    Refuse refuse;
};

Target* targetOf(const QTextEdit& view) {
    return view.findChild<Target*>(QStringLiteral("SpellingMenuTarget"), Qt::FindDirectChildrenOnly);
}

}  // namespace

void attach(QTextEdit& view, WordChecker& checker, Replace replace, Refuse refuse) {
    delete targetOf(view);
    new Target(view, checker, std::move(replace), std::move(refuse));
}

std::optional<Word> misspeltWordAt(const QTextEdit& view, const WordChecker& checker, const QPoint& at) {
    const QTextCursor cursor = view.cursorForPosition(at);
    const QTextBlock block = cursor.block();
    if (!block.isValid()) return std::nullopt;
    const int offset = cursor.position() - block.position();
    const std::vector<WordChecker::LanguageRun> languages = SpellingHighlighter::languages(block);
    for (const Spelling::Miss& miss : checker.misspellings(block.text(), languages)) {
        if (offset < miss.start || offset > miss.start + miss.length) continue;
        Word word{block.position() + miss.start, block.position() + miss.start + miss.length,
                  block.text().mid(miss.start, miss.length), QString()};
        for (const WordChecker::LanguageRun& run : languages)
            if (run.start <= miss.start) word.language = run.language;
        return word;
    }
    return std::nullopt;
}

int prepend(QMenu& menu, QTextEdit& view, const QPoint& at) {
    Target* target = targetOf(view);
    if (!target || !target->checker || !SpellingHighlighter::continuousChecking()) return 0;
    const std::optional<Word> word = misspeltWordAt(view, *target->checker, at);
    if (!word) return 0;
    QAction* first = menu.actions().value(0);
    QList<QAction*> items;
    const QPointer<QTextEdit> into(&view);
    const QPointer<WordChecker> checker = target->checker;
    const Replace replace = target->replace;
    for (const QString& guess : checker->suggestions(word->text, word->language, mostGuesses)) {
        auto* item = new QAction(guess, &menu);
        QObject::connect(item, &QAction::triggered, &view, [into, replace, word, guess] {
            if (into && replace) replace(*into, word->start, word->end, guess);
        });
        items << item;
    }
    if (items.isEmpty()) {
        items << new QAction(QStringLiteral("No Guesses Found"), &menu);
        items.back()->setEnabled(false);
    }
    // I and L: letters the standard editing items below do not take.
    auto* ignore = new QAction(QStringLiteral("&Ignore Spelling"), &menu);
    QObject::connect(ignore, &QAction::triggered, &view, [checker, word] {
        if (checker) checker->ignore(word->text);
    });
    auto* learn = new QAction(QStringLiteral("&Learn Spelling"), &menu);
    const Refuse refuse = target->refuse;
    QObject::connect(learn, &QAction::triggered, &view, [checker, word, refuse] {
        if (!checker || checker->learn(word->text) || !refuse) return;
        refuse(QStringLiteral("“%1” could not be written to %2; it is known until Tovin quits.")
                   .arg(word->text, PersonalDictionary::path()));
    });
    items << ignore << learn;
    menu.insertActions(first, items);
    QAction* separator = menu.insertSeparator(first);
    return int(items.size()) + (separator ? 1 : 0);
}

}  // namespace tovin::SpellingMenu

#include "Tovin/document/EditSeam.h"

#include "Tovin/document/EditorUndo.h"
#include "Tovin/platform/SystemServices.h"

namespace tovin {

EditSeam::EditSeam(EditorUndo& undo, QObject* parent) : QObject(parent), undo_(undo) {}

bool EditSeam::run(const std::function<void()>& edit) {
    if (guard_) {
        if (const QString refusal = guard_(); !refusal.isEmpty()) {
            refuse(refusal);
            return false;
        }
    }
    undo_.registerUndo(/*typing=*/false);
    try {
        edit();
        return true;
    } catch (const std::exception& error) {
        undo_.abandonStep();
        refuse(reasonOf(error));
        return false;
    }
}

void EditSeam::refuse(const QString& reason) {
    SystemServices::beep();
    Q_EMIT refused(reason);
}

QString EditSeam::reasonOf(const std::exception& error) {
    return sentence(QString::fromUtf8(error.what()));
}

QString EditSeam::sentence(const QString& reason) {
    QString text = reason.trimmed();
    if (text.isEmpty()) return text;
    // A reason may start with the part or file it is about ("word/document.xml: …"),
    // whose name keeps its case.
    if (!text.section(' ', 0, 0).contains('/')) text[0] = text[0].toUpper();
    if (!text.endsWith('.')) text += '.';
    return text;
}

}  // namespace tovin

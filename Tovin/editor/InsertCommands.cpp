#include "Tovin/editor/InsertCommands.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QPointer>
#include <QTextCursor>
#include <QTextEdit>
#include <cmath>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/format/Sections.h"
#include "Tovin/document/EditSeam.h"
#include "Tovin/editor/EditorSelection.h"
#include "Tovin/editor/EditorViewController.h"
#include "Tovin/editor/InputPopover.h"
#include "Tovin/text/StoryBridge.h"

namespace tovin::InsertCommands {

namespace {

// The text column's width in points: images are never inserted wider than the text.
double columnPoints(EditorViewController& editor) {
    const rovuvuz::PageSetup page = editor.doc()->pageSetup();
    return std::max(page.width - page.left - page.right, 1.0);
}

}  // namespace

void showLinkPopover(EditorViewController& editor) {
    const auto active = editor.active();
    const EditorSelection::Ranges ranges = EditorSelection::paragraphRanges(active);
    if (ranges.empty() || ranges.front().second.size() == 0) return editor.seam().refuse();
    const QString existing = EditorSelection::attributes(active).anchorHref();
    QTextCursor start = active.view->textCursor();
    start.setPosition(start.selectionStart());
    QPointer<EditorViewController> target(&editor);
    auto* popover =
        new InputPopover(QStringLiteral("https://"), existing,
                         existing.isEmpty() ? QStringLiteral("Add Link") : QStringLiteral("Change Link"),
                         [target](const QString& text) {
                             if (target) setLink(*target, text);
                         });
    popover->showAt(active.view->viewport(), active.view->cursorRect(start));
}

void setLink(EditorViewController& editor, const QString& typed) {
    const auto active = editor.active();
    const EditorSelection::Ranges ranges = EditorSelection::paragraphRanges(active);
    if (ranges.empty() || ranges.front().second.size() == 0) return editor.seam().refuse();
    const std::optional<QString> link = normalizedLink(typed);
    const auto [paragraph, range] = ranges.front();
    if (!editor.seam().run([&] {
            editor.doc()->setLink(paragraph, active.bridge->story(), range,
                                  link ? std::optional<std::string>(link->toStdString()) : std::nullopt);
        }))
        return;
    editor.modelChanged();
    active.bridge->refresh({paragraph});
}

void insertPageBreak(EditorViewController& editor) {
    const auto active = editor.active();
    const EditorSelection::Ranges ranges = EditorSelection::paragraphRanges(active);
    if (ranges.empty()) return editor.seam().refuse();
    const int start = active.view->textCursor().selectionStart();
    if (!editor.seam().run([&] {
            editor.doc()->insertPageBreak(ranges.front().first, active.bridge->story(),
                                          ranges.front().second.lower, editor.editMode());
        }))
        return;
    editor.modelChanged();
    active.bridge->reloadFromModel(std::nullopt);
    QTextCursor cursor = active.view->textCursor();
    cursor.setPosition(std::min(start + 1, active.view->document()->characterCount() - 1));
    active.view->setTextCursor(cursor);
}

void chooseImage(EditorViewController& editor) {
    auto* dialog = new QFileDialog(editor.window(), QStringLiteral("Insert Image"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilter(QStringLiteral("Images (*.png *.jpg *.jpeg *.gif *.bmp *.tif *.tiff)"));
    QPointer<EditorViewController> target(&editor);
    QObject::connect(dialog, &QFileDialog::fileSelected, &editor, [target](const QString& path) {
        if (target) insertImageFile(*target, path);
    });
    dialog->open();
}

void insertImageFile(EditorViewController& editor, const QString& path) {
    QFile file(path);
    if (EditorSelection::paragraphRanges(editor.active()).empty()) return editor.seam().refuse();
    if (!file.open(QIODevice::ReadOnly))
        return editor.seam().refuse(QStringLiteral("“%1” cannot be read.").arg(QFileInfo(path).fileName()));
    insertImageData(editor, file.readAll(), QFileInfo(path).suffix().toLower(),
                    QStringLiteral("“%1”").arg(QFileInfo(path).fileName()));
}

void insertImageData(EditorViewController& editor, const QByteArray& bytes, QString extension, const QString& name) {
    const auto active = editor.active();
    const EditorSelection::Ranges ranges = EditorSelection::paragraphRanges(active);
    if (ranges.empty()) return editor.seam().refuse();
    const QImage image = QImage::fromData(bytes);
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        return editor.seam().refuse(QStringLiteral("%1 is not a picture.").arg(name));
    const double width = std::min(double(image.width()), columnPoints(editor));
    const double height = width * image.height() / image.width();
    if (extension == "jpg") extension = "jpeg";
    const rovuvuz::ByteView data(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
    if (!editor.seam().run([&] {
            editor.doc()->insertImage(data, extension.toStdString(), width, height, ranges.front().first,
                                      active.bridge->story(), ranges.front().second.lower, editor.editMode());
        }))
        return;
    editor.modelChanged();
    active.bridge->reloadFromModel(std::nullopt);
}

void scaleImage(EditorViewController& editor, double factor) {
    const auto active = editor.active();
    const std::optional<EditorSelection::Image> image = EditorSelection::image(active);
    if (!image) return editor.seam().refuse();
    const EditorSelection::Range before = EditorSelection::range(active);
    if (!editor.seam().run([&] {
            editor.doc()->resizeImage(image->paragraph, active.bridge->story(), image->offset,
                                      std::round(image->width * factor), std::round(image->height * factor));
        }))
        return;
    editor.modelChanged();
    active.bridge->reloadFromModel(std::nullopt);
    QTextCursor cursor = active.view->textCursor();
    cursor.setPosition(before.location);
    cursor.setPosition(before.location + before.length, QTextCursor::KeepAnchor);
    active.view->setTextCursor(cursor);
}

bool canLink(EditorViewController& editor) {
    return EditorSelection::hasText(editor.active());
}

bool hasImage(EditorViewController& editor) {
    return EditorSelection::image(editor.active(), EditorSelection::Flush::no).has_value();
}

}  // namespace tovin::InsertCommands

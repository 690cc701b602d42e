// Format > Font…: the family, size, colour and highlight of the selected text, as one edit.
// The families offered are those the document's text names and those installed; a family
// shown through a stand-in (Calibri through Carlito) says which.
#pragma once

#include <QDialog>
#include <QStringList>
#include <optional>
#include <vector>

#include "RovuVuz/format/EffectiveFormat.h"
#include "RovuVuz/format/FormatEdit.h"

class QComboBox;
class QDoubleSpinBox;

namespace tovin {

class EditorViewController;

class FontPanel : public QDialog {
    Q_OBJECT
  public:
    // Shows the panel for the frontmost selection; on OK its changes are made.
    static void present(EditorViewController& editor);

    FontPanel(const QStringList& documentFamilies, const std::optional<rovuvuz::RunFormat>& current,
              QWidget* parent = nullptr);

    // What differs from the format the panel opened with, as run format changes.
    std::vector<rovuvuz::RunFormatChange> changes() const;

    QComboBox* family() const { return family_; }
    QDoubleSpinBox* size() const { return size_; }
    QComboBox* colour() const { return colour_; }
    QComboBox* highlight() const { return highlight_; }

    // The families the text of the editor's body names, in order of first use.
    static QStringList documentFamilies(EditorViewController& editor);
    // Fills a menu of families: the document's first, then the installed ones; each item's
    // data is the family as written, its text says which stand-in shows it.
    static void fillFamilies(QComboBox& box, const QStringList& documentFamilies);
    // The text colours (title, hexadecimal value) and highlights (title, ST_HighlightColor).
    static const std::vector<std::pair<const char*, const char*>>& colourChoices();
    static const std::vector<std::pair<const char*, const char*>>& highlightChoices();

  private:
    QComboBox* family_;
    QDoubleSpinBox* size_;
    QComboBox* colour_;
    QComboBox* highlight_;
    std::optional<rovuvuz::RunFormat> current_;
    double shownSize_ = 0;
};

}  // namespace tovin

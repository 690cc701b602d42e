// The part ledger: one tick per package part, tall and dark for each part the next save
// rewrites and short and faint for each part written back byte for byte (parts the save
// will create count as rewritten), with "N OF M PARTS" and a tooltip naming the rewritten
// parts. Linux window managers draw the title bar, so the ledger stands at the trailing
// end of the editor's footer bar, where it is always visible.
#pragma once

#include <QString>
#include <QWidget>
#include <set>
#include <string>
#include <vector>

#include "RovuVuz/model/Identifiers.h"

class QLabel;

namespace rovuvuz {
class DocxDocument;
}

namespace tovin {

// The ticks: one per part, in ledger order; true means the part will be rewritten.
class TickView : public QWidget {
    Q_OBJECT
  public:
    explicit TickView(QWidget* parent = nullptr);
    const std::vector<bool>& states() const { return states_; }
    void setStates(std::vector<bool> states);
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::vector<bool> states_;
};

class PartLedger : public QWidget {
    Q_OBJECT
  public:
    static constexpr int height = 28;

    explicit PartLedger(QWidget* parent = nullptr);

    void setDocument(rovuvuz::DocxDocument* doc) { doc_ = doc; }
    // Recomputes ticks, count and tooltip from the document; nothing without one.
    void refresh();

    // What refresh() derived: the parts in ledger order with their states, and the texts.
    struct Reading {
        std::vector<std::string> names;
        std::vector<bool> rewritten;
        QString count;
        QString toolTip;
    };
    // The archive's parts in order, then the parts only the save creates; each rewritten
    // when `dirty` names it.
    static Reading read(const std::vector<rovuvuz::PartName>& archiveParts,
                        const std::set<rovuvuz::PartName>& dirty);

    const Reading& reading() const { return reading_; }
    TickView* ticks() const { return ticks_; }
    QLabel* count() const { return count_; }

  private:
    rovuvuz::DocxDocument* doc_ = nullptr;
    TickView* ticks_;
    QLabel* count_;
    Reading reading_;
};

}  // namespace tovin

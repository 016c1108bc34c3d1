#include "ui/GaugeBar.h"

#include "ui/Accessibility.h"

namespace ui {

TGaugeBar::TGaugeBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent) {
  setSingleStep(1);
  setPageStep(1);
  setFocusPolicy(Qt::NoFocus);
  InstallAccessibleInterfaces();
}

// A style sheet hides arrow buttons only when it styles the whole bar, so
// the arrowless gauge gets a complete one: patterned track, raised handle.
void TGaugeBar::SetShowArrows(bool show) {
  FShowArrows = show;
  setStyleSheet(
      show ? QString()
           : QStringLiteral(
                 "QScrollBar { border: 1px solid palette(mid); background: palette(midlight); }"
                 "QScrollBar::handle { background: palette(button); min-width: 8px;"
                 " min-height: 8px; border: 1px outset palette(light); }"
                 "QScrollBar::handle:disabled { background: palette(window); }"
                 "QScrollBar::add-line, QScrollBar::sub-line { width: 0px; height: 0px; border: "
                 "none; }"
                 "QScrollBar::add-page, QScrollBar::sub-page { background: none; }"));
}

}  // namespace ui

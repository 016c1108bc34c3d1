#include "ui/GaugeBar.h"

namespace ui {

TGaugeBar::TGaugeBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent) {
  setSingleStep(1);
  setPageStep(1);
  setFocusPolicy(Qt::NoFocus);
}

void TGaugeBar::SetShowArrows(bool show) {
  FShowArrows = show;
  setStyleSheet(show ? QString()
                     : QStringLiteral("QScrollBar::add-line, QScrollBar::sub-line "
                                      "{ width: 0px; height: 0px; border: none; }"));
}

}  // namespace ui

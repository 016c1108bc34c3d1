#pragma once
// A gauge bar: a scroll bar moving in steps of 1 whose valueChanged fires on
// every real change of the position, from the user or from code.
// GUI thread only.

#include <QScrollBar>

namespace ui {

class TGaugeBar : public QScrollBar {
  Q_OBJECT

 public:
  TGaugeBar(Qt::Orientation orientation, QWidget* parent = nullptr);

  // A gauge without arrow buttons shows only its track and handle.
  void SetShowArrows(bool show);
  bool ShowArrows() const { return FShowArrows; }

 private:
  bool FShowArrows = true;
};

}  // namespace ui

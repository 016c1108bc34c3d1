#pragma once
// A panel: a raised frame whose double click is reported only when it hits
// the panel's own background, not one of its controls.
// GUI thread only.

#include <QFrame>

namespace ui {

class TPanel : public QFrame {
  Q_OBJECT

 public:
  explicit TPanel(QWidget* parent = nullptr);

 signals:
  void DoubleClicked();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
};

}  // namespace ui

#pragma once
// What assistive technology (a screen reader, over AT-SPI on Linux) sees of
// the window's own widgets, and what its actions do.
//
// - The image control is a picture with a name whose value and description
//   are the words its owner gives for what it shows
//   (TImageView::SetAccessibleValue).
// - A speed button is a push button, or a check box when it has a down
//   state, named by its accessible name or else its caption; its one
//   action (press, or toggle) is what a click does, so the window's
//   handlers run. Qt's own toggle would only change the down state.
// - A gauge is a scroll bar with a value a reader may set: the gauge moves
//   as by the user, so the window hands the move to the command path, which
//   refuses it for a gauge disabled in the current mode and shows the
//   gauge's position again. A disabled gauge says it is read-only.
//
// The interfaces are created by Qt's accessibility through the factory that
// the widgets install, and owned by its cache, which deletes them with
// their widgets; each refers to (does not own) its widget. GUI thread only.

#include <QAccessibleWidget>

namespace ui {

class TGaugeBar;
class TImageView;
class TSpeedButton;

class TImageViewAccessible : public QAccessibleWidget {
 public:
  explicit TImageViewAccessible(TImageView* view);
  QString text(QAccessible::Text t) const override;

 private:
  const TImageView* View() const;
};

class TSpeedButtonAccessible : public QAccessibleWidget {
 public:
  explicit TSpeedButtonAccessible(TSpeedButton* button);
  QAccessible::Role role() const override;
  QAccessible::State state() const override;
  QString text(QAccessible::Text t) const override;
  QStringList actionNames() const override;
  void doAction(const QString& actionName) override;

 private:
  TSpeedButton* Button() const;
  QString ClickAction() const;
};

class TGaugeBarAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  explicit TGaugeBarAccessible(TGaugeBar* gauge);
  void* interface_cast(QAccessible::InterfaceType t) override;
  QAccessible::State state() const override;
  QString text(QAccessible::Text t) const override;
  QVariant currentValue() const override;
  void setCurrentValue(const QVariant& value) override;
  QVariant maximumValue() const override;
  QVariant minimumValue() const override;
  QVariant minimumStepSize() const override;

 private:
  TGaugeBar* Gauge() const;
};

// Installs the factory of these interfaces once; later calls do nothing.
void InstallAccessibleInterfaces();

}  // namespace ui

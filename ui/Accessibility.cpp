#include "ui/Accessibility.h"

#include "ui/GaugeBar.h"
#include "ui/ImageView.h"
#include "ui/SpeedButton.h"

namespace ui {

namespace {

template <class TWidget>
TWidget* Exactly(const QString& className, QObject* object) {
  if (className != QLatin1String(TWidget::staticMetaObject.className())) return nullptr;
  return qobject_cast<TWidget*>(object);
}

QAccessibleInterface* Factory(const QString& className, QObject* object) {
  if (auto* view = Exactly<TImageView>(className, object)) return new TImageViewAccessible(view);
  if (auto* button = Exactly<TSpeedButton>(className, object))
    return new TSpeedButtonAccessible(button);
  if (auto* gauge = Exactly<TGaugeBar>(className, object)) return new TGaugeBarAccessible(gauge);
  return nullptr;
}

}  // namespace

TImageViewAccessible::TImageViewAccessible(TImageView* view)
    : QAccessibleWidget(view, QAccessible::Graphic) {}

const TImageView* TImageViewAccessible::View() const {
  return static_cast<const TImageView*>(widget());
}

QString TImageViewAccessible::text(QAccessible::Text t) const {
  if (t == QAccessible::Value || t == QAccessible::Description) return View()->AccessibleValue();
  return QAccessibleWidget::text(t);
}

TSpeedButtonAccessible::TSpeedButtonAccessible(TSpeedButton* button)
    : QAccessibleWidget(button, QAccessible::Button) {}

TSpeedButton* TSpeedButtonAccessible::Button() const {
  return static_cast<TSpeedButton*>(widget());
}

QAccessible::Role TSpeedButtonAccessible::role() const {
  return Button()->isCheckable() ? QAccessible::CheckBox : QAccessible::Button;
}

QAccessible::State TSpeedButtonAccessible::state() const {
  QAccessible::State s = QAccessibleWidget::state();
  s.checkable = Button()->isCheckable();
  s.checked = Button()->isChecked();
  s.pressed = Button()->isDown();
  return s;
}

QString TSpeedButtonAccessible::text(QAccessible::Text t) const {
  if (t == QAccessible::Name && Button()->accessibleName().isEmpty()) return Button()->Caption();
  return QAccessibleWidget::text(t);
}

QString TSpeedButtonAccessible::ClickAction() const {
  return Button()->isCheckable() ? toggleAction() : pressAction();
}

QStringList TSpeedButtonAccessible::actionNames() const {
  QStringList names;
  if (Button()->isEnabled()) names << ClickAction();
  return names + QAccessibleWidget::actionNames();
}

void TSpeedButtonAccessible::doAction(const QString& actionName) {
  if (actionName != ClickAction()) return QAccessibleWidget::doAction(actionName);
  if (Button()->isEnabled()) Button()->AssistivePress();
}

TGaugeBarAccessible::TGaugeBarAccessible(TGaugeBar* gauge)
    : QAccessibleWidget(gauge, QAccessible::ScrollBar) {}

TGaugeBar* TGaugeBarAccessible::Gauge() const { return static_cast<TGaugeBar*>(widget()); }

void* TGaugeBarAccessible::interface_cast(QAccessible::InterfaceType t) {
  if (t == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
  return QAccessibleWidget::interface_cast(t);
}

QAccessible::State TGaugeBarAccessible::state() const {
  QAccessible::State s = QAccessibleWidget::state();
  s.readOnly = !Gauge()->isEnabled();
  return s;
}

QString TGaugeBarAccessible::text(QAccessible::Text t) const {
  if (t == QAccessible::Value) return QString::number(Gauge()->value());
  return QAccessibleWidget::text(t);
}

QVariant TGaugeBarAccessible::currentValue() const { return Gauge()->value(); }

// As a move by the user; whether the gauge takes it is not decided here.
void TGaugeBarAccessible::setCurrentValue(const QVariant& value) {
  Gauge()->setValue(value.toInt());
}

QVariant TGaugeBarAccessible::maximumValue() const { return Gauge()->maximum(); }

QVariant TGaugeBarAccessible::minimumValue() const { return Gauge()->minimum(); }

QVariant TGaugeBarAccessible::minimumStepSize() const { return Gauge()->singleStep(); }

void InstallAccessibleInterfaces() {
  static const bool installed = [] {
    QAccessible::installFactory(&Factory);
    return true;
  }();
  (void)installed;
}

}  // namespace ui

#include "ui/SpeedButton.h"

#include <QPalette>

#include "ui/Accessibility.h"

namespace ui {

TSpeedButton::TSpeedButton(QWidget* parent) : QToolButton(parent) {
  InstallAccessibleInterfaces();
  setFocusPolicy(Qt::NoFocus);
  setToolButtonStyle(Qt::ToolButtonTextOnly);
  connect(this, &QAbstractButton::toggled, this, &TSpeedButton::ReleaseGroupSiblings);
}

void TSpeedButton::SetGroup(int group, bool allowAllUp) {
  FGroupIndex = group;
  FAllowAllUp = allowAllUp;
  setCheckable(group != 0);
}

// Only the active and inactive groups: a disabled button keeps the style's
// disabled text, so the user sees which controls do nothing.
void TSpeedButton::SetFontColor(const QColor& color) {
  QPalette p = palette();
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    p.setColor(group, QPalette::ButtonText, color);
    p.setColor(group, QPalette::WindowText, color);
  }
  setPalette(p);
}

QColor TSpeedButton::FontColor() const {
  return palette().color(QPalette::Active, QPalette::ButtonText);
}

void TSpeedButton::AssistivePress() {
  emit AssistivePressed();
  click();
}

// Only a click gets here (setChecked from code does not).
void TSpeedButton::nextCheckState() {
  if (isChecked() && !FAllowAllUp) return;
  ++ClickDepth;
  setChecked(!isChecked());
  --ClickDepth;
}

// Going down, from a click or from code, releases the rest of the group.
void TSpeedButton::ReleaseGroupSiblings(bool down) {
  if (!down || FGroupIndex == 0 || !parentWidget()) return;
  const auto siblings =
      parentWidget()->findChildren<TSpeedButton*>(QString(), Qt::FindDirectChildrenOnly);
  for (TSpeedButton* other : siblings) {
    if (other != this && other->FGroupIndex == FGroupIndex && other->isChecked())
      other->setChecked(false);
  }
}

}  // namespace ui

#pragma once
// A speed button: a tool button that never takes the keyboard focus, with a
// tag, a font colour and optional down-state grouping. Assistive
// technology sees it through TSpeedButtonAccessible (Accessibility.h).
//
// Grouping follows the component toolkit the window was designed with:
// GroupIndex 0 is a plain push button; buttons of one parent sharing a
// non-zero GroupIndex release each other when one goes down; AllowAllUp
// says whether a click may release the button that is down. A button alone
// in its group with AllowAllUp is a toggle.
// GUI thread only.

#include <QColor>
#include <QToolButton>

namespace ui {

class TSpeedButton : public QToolButton {
  Q_OBJECT

 public:
  explicit TSpeedButton(QWidget* parent = nullptr);

  int Tag = 0;

  // Makes the button checkable when group is not 0.
  void SetGroup(int group, bool allowAllUp);
  int GroupIndex() const { return FGroupIndex; }
  bool AllowAllUp() const { return FAllowAllUp; }

  void SetCaption(const QString& caption) { setText(caption); }
  QString Caption() const { return text(); }
  void SetFontColor(const QColor& color);
  QColor FontColor() const;

  // True while a click changes down states (the button's own and the
  // release of its group); toggled handlers use it to tell a click's
  // changes, which its clicked signal reports next, from changes by code.
  static bool ClickChanging() { return ClickDepth > 0; }

  // A press by assistive technology: AssistivePressed, then a click. The
  // arrows, which act on the mouse's press and release rather than on
  // clicks, take the signal as their step.
  void AssistivePress();

 signals:
  void AssistivePressed();

 protected:
  // A click on a down button of a group without all-up stays down.
  void nextCheckState() override;

 private:
  void ReleaseGroupSiblings(bool down);

  int FGroupIndex = 0;
  bool FAllowAllUp = false;
  static inline int ClickDepth = 0;
};

}  // namespace ui

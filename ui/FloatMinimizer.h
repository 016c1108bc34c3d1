#pragma once
// The main window's minimizer: at most one per program, owned by the main
// window. On X11 and Wayland the main window already owns its taskbar entry
// and minimises itself, so what is left of the component is its contract:
// the owner checks, OnMinimize and OnRestore once per change of the window's
// minimised state, and Title as the window's caption.
//
// Owned by its owner (Qt parent). GUI thread only.

#include <QObject>
#include <QPointer>
#include <functional>
#include <stdexcept>
#include <string>

class QWidget;

namespace ui {

class EThereCanBeOnlyOne : public std::exception {
 public:
  const char* what() const noexcept override { return "Only one TFloatMinimizer per app!"; }
};

class EOwnerMustBeForm : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class EOwnerMustBeMainForm : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The application's main form: the first form the program block created.
// Unset while that form is being constructed.
QWidget* ApplicationMainForm();
void SetApplicationMainForm(QWidget* form);

class TFloatMinimizer : public QObject {
  Q_OBJECT

 public:
  using TNotifyEvent = std::function<void(TFloatMinimizer& sender)>;

  // Throws EThereCanBeOnlyOne, EOwnerMustBeForm or EOwnerMustBeMainForm.
  explicit TFloatMinimizer(QObject* owner);
  ~TFloatMinimizer() override;

  bool CopyTitle = false;
  bool RestoreStyle = false;
  TNotifyEvent OnMinimize;
  TNotifyEvent OnRestore;

  QString Title() const;
  void SetTitle(const QString& title);
  QWidget* HookedForm() const { return FHookedForm; }

  // The live instance, or null.
  static TFloatMinimizer* Instance();

 protected:
  virtual void DoMinimize();
  virtual void DoRestore();
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Install(QObject* owner);

  QPointer<QWidget> FHookedForm;
  bool FMinimized = false;
};

}  // namespace ui

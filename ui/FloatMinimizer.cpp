#include "ui/FloatMinimizer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace ui {

namespace {
TFloatMinimizer* LiveInstance = nullptr;
QPointer<QWidget> MainFormOfApplication;

std::string OwnerName(const QObject* owner) {
  return owner ? owner->objectName().toStdString() : std::string();
}

std::string Format(const char* pattern, const std::string& name) {
  std::string text = pattern;
  text.replace(text.find("%s"), 2, name);
  return text;
}
}  // namespace

QWidget* ApplicationMainForm() { return MainFormOfApplication; }
void SetApplicationMainForm(QWidget* form) { MainFormOfApplication = form; }

TFloatMinimizer* TFloatMinimizer::Instance() { return LiveInstance; }

TFloatMinimizer::TFloatMinimizer(QObject* owner) : QObject(owner) {
  if (LiveInstance != nullptr && LiveInstance != this) throw EThereCanBeOnlyOne();
  LiveInstance = this;
  try {
    Install(owner);
  } catch (...) {
    // The destructor does not run for a throwing constructor; a registry
    // left pointing here would refuse every later instance.
    LiveInstance = nullptr;
    throw;
  }
}

TFloatMinimizer::~TFloatMinimizer() {
  if (FHookedForm) FHookedForm->removeEventFilter(this);
  if (LiveInstance == this) LiveInstance = nullptr;
}

void TFloatMinimizer::Install(QObject* owner) {
  auto* form = qobject_cast<QWidget*>(owner);
  if (form == nullptr || !form->isWindow())
    throw EOwnerMustBeForm(Format("%s is not a form", OwnerName(owner)));
  QWidget* mainForm = ApplicationMainForm();
  if (mainForm != nullptr && mainForm != form)
    throw EOwnerMustBeMainForm(Format("%s is not the main form", OwnerName(owner)));
  FHookedForm = form;
  if (CopyTitle) form->setWindowTitle(QCoreApplication::applicationName());
  FMinimized = form->isMinimized();
  form->installEventFilter(this);
}

QString TFloatMinimizer::Title() const {
  return FHookedForm ? FHookedForm->windowTitle() : QString();
}

void TFloatMinimizer::SetTitle(const QString& title) {
  if (FHookedForm) FHookedForm->setWindowTitle(title);
}

void TFloatMinimizer::DoMinimize() {
  if (OnMinimize) OnMinimize(*this);
}

void TFloatMinimizer::DoRestore() {
  if (OnRestore) OnRestore(*this);
}

// Only a change of the minimised state counts: maximising or going full
// screen is neither a minimise nor a restore.
bool TFloatMinimizer::eventFilter(QObject* watched, QEvent* event) {
  if (watched == FHookedForm && event->type() == QEvent::WindowStateChange) {
    const bool minimized = FHookedForm->isMinimized();
    if (minimized != FMinimized) {
      FMinimized = minimized;
      if (minimized)
        DoMinimize();
      else
        DoRestore();
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace ui

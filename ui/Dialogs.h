#pragma once
// Modal dialogs and message boxes of the main window, behind one object so
// that tests can answer them. GUI thread only.

#include <QString>
#include <exception>

class QDialog;
class QWidget;

namespace ui {

enum class TMsgIcon { Error, Warning, Information };

// The application title: caption of the default error box.
inline constexpr char ApplicationTitle[] = "Zolvek";

// The default error box's text: the message with a full stop added when missing.
QString ExceptionText(const std::exception& error);

class TDialogs {
 public:
  explicit TDialogs(QWidget* parent = nullptr) : Parent(parent) {}
  virtual ~TDialogs() = default;

  // Modal text input; true on OK, with the edited text in text.
  virtual bool InputQuery(const QString& title, const QString& prompt, QString& text);
  // Modal message box with one OK button.
  virtual void MessageBox(const QString& text, const QString& title, TMsgIcon icon);
  // Shows a dialog modally and returns its result (QDialog::Accepted or Rejected).
  virtual int ShowModal(QDialog& dialog);
  // The application's default error box: the message with a full stop added
  // when missing, captioned with the application title, error icon.
  void ShowException(const std::exception& error);

 protected:
  QWidget* Parent;
};

}  // namespace ui

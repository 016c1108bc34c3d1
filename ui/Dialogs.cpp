#include "ui/Dialogs.h"

#include <QDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace ui {

namespace {
QMessageBox::Icon BoxIcon(TMsgIcon icon) {
  switch (icon) {
    case TMsgIcon::Error:
      return QMessageBox::Critical;
    case TMsgIcon::Warning:
      return QMessageBox::Warning;
    case TMsgIcon::Information:
      return QMessageBox::Information;
  }
  return QMessageBox::NoIcon;
}
}  // namespace

QString ExceptionText(const std::exception& error) {
  QString text = QString::fromLocal8Bit(error.what());
  if (!text.endsWith(QLatin1Char('.'))) text += QLatin1Char('.');
  return text;
}

bool TDialogs::InputQuery(const QString& title, const QString& prompt, QString& text) {
  QInputDialog dialog(Parent);
  dialog.setInputMode(QInputDialog::TextInput);
  dialog.setWindowTitle(title);
  dialog.setLabelText(prompt);
  dialog.setTextValue(text);
  if (dialog.exec() != QDialog::Accepted) return false;
  text = dialog.textValue();
  return true;
}

void TDialogs::MessageBox(const QString& text, const QString& title, TMsgIcon icon) {
  QMessageBox box(BoxIcon(icon), title, text, QMessageBox::Ok, Parent);
  box.exec();
}

int TDialogs::ShowModal(QDialog& dialog) { return dialog.exec(); }

void TDialogs::ShowException(const std::exception& error) {
  MessageBox(ExceptionText(error), QString::fromLatin1(ApplicationTitle), TMsgIcon::Error);
}

}  // namespace ui

#include "window/About.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "ui/ProgramIcon.h"

namespace control {

namespace {
QLabel* BlackLabel(const QString& text, const QString& name, QWidget* parent, int x, int y) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  QFont font = label->font();
  font.setPixelSize(12);
  label->setFont(font);
  QPalette p = label->palette();
  p.setColor(QPalette::WindowText, Qt::black);
  label->setPalette(p);
  label->move(x, y);
  label->adjustSize();
  return label;
}
}  // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QStringLiteral("   About"));
  setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setModal(true);
  QFont font;
  font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                    QStringLiteral("DejaVu Sans")});
  font.setPixelSize(11);
  setFont(font);
  setFixedSize(232, 143);

  Panel1 = new QFrame(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Panel1->setLineWidth(2);
  Panel1->setGeometry(8, 8, 217, 89);

  ProgramIcon = new QLabel(Panel1);
  ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
  ProgramIcon->setGeometry(20, 20, 49, 49);
  ProgramIcon->setScaledContents(true);
  ProgramIcon->setPixmap(QPixmap::fromImage(ui::ProgramIconImage(48)));

  ProductName =
      BlackLabel(QStringLiteral("Varnel Generator"), QStringLiteral("ProductName"), Panel1, 88, 18);
  Version = BlackLabel(QStringLiteral("Version 1.2"), QStringLiteral("Version"), Panel1, 88, 38);
  Copyright = BlackLabel(QStringLiteral("Made by the Zolvek team"), QStringLiteral("Copyright"),
                         Panel1, 86, 58);

  OKButton = new QPushButton(QStringLiteral("OK"), this);
  OKButton->setObjectName(QStringLiteral("OKButton"));
  OKButton->setGeometry(79, 108, 75, 25);
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
  }
}

}  // namespace control

#include "serial/ComSel.h"

#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>

#include "serial/PortList.h"

namespace serial {
namespace {

// The list offers no incremental search.
class TComListWidget : public QListWidget {
 public:
  using QListWidget::QListWidget;
  void keyboardSearch(const QString&) override {}
};

constexpr int ItemHeight = 20;

}  // namespace

TComSelBox::TComSelBox(QWidget* parent, TPortLister lister)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      Lister(lister ? std::move(lister) : TPortLister([] { return ListSerialPorts(); })) {
  setWindowTitle("Select Communication Port");
  setFixedSize(371, 213);
  setFont(QFont("MS Sans Serif", 8));
  CreateControls();
}

void TComSelBox::CreateControls() {
  Panel1 = new QFrame(this);
  Panel1->setObjectName("Panel1");
  Panel1->setGeometry(8, 8, 354, 161);
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Panel1->setLineWidth(2);

  ComListBox = new TComListWidget(Panel1);
  ComListBox->setObjectName("ComListBox");
  ComListBox->setGeometry(2, 2, 350, 157);
  ComListBox->setFrameShape(QFrame::NoFrame);
  // Its metric twin where it is missing: Windows matches no alias for it.
  QFont listFont;
  listFont.setFamilies({"Arial Narrow", "Liberation Sans Narrow"});
  listFont.setPixelSize(15);
  ComListBox->setFont(listFont);
  QPalette palette = ComListBox->palette();
  palette.setColor(QPalette::Text, Qt::black);
  palette.setColor(QPalette::Base, palette.color(QPalette::Window));
  ComListBox->setPalette(palette);
  ComListBox->setSelectionMode(QAbstractItemView::SingleSelection);
  ComListBox->setFocusPolicy(Qt::ClickFocus);  // not a tab stop
  ComListBox->setUniformItemSizes(true);
  // The lines come sorted ignoring case; Qt's own sorting would not ignore it.
  ComListBox->setSortingEnabled(false);
  ComListBox->viewport()->installEventFilter(this);

  OKButton = new QPushButton("OK", this);
  OKButton->setObjectName("OKButton");
  OKButton->setGeometry(103, 180, 75, 25);
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &TComSelBox::OKButtonClick);

  Button1 = new QPushButton("Cancel", this);
  Button1->setObjectName("Button1");
  Button1->setGeometry(191, 180, 75, 25);
  connect(Button1, &QPushButton::clicked, this, &QDialog::reject);
}

void TComSelBox::showEvent(QShowEvent* event) {
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->geometry().center() - rect().center());
  FormShow();
  OKButton->setFocus();
  QDialog::showEvent(event);
}

bool TComSelBox::eventFilter(QObject* watched, QEvent* event) {
  // Queued, so that the list has handled the press that selects first.
  if (watched == ComListBox->viewport() && event->type() == QEvent::MouseButtonDblClick)
    QMetaObject::invokeMethod(this, &TComSelBox::ComListBoxDblClick, Qt::QueuedConnection);
  return QDialog::eventFilter(watched, event);
}

void TComSelBox::FormShow() {
  ComListBox->clear();
  for (const std::string& line : Lister()) {
    auto* item = new QListWidgetItem(QString::fromStdString(line), ComListBox);
    item->setSizeHint(QSize(0, ItemHeight));
  }
  ComListBox->setCurrentRow(-1);
  ComListBox->clearSelection();
}

bool TComSelBox::HasSelection() const { return !ComListBox->selectedItems().isEmpty(); }

QString TComSelBox::SelectedLine() const {
  const auto selected = ComListBox->selectedItems();
  return selected.isEmpty() ? QString() : selected.first()->text();
}

void TComSelBox::ComListBoxDblClick() {
  if (HasSelection()) accept();
}

void TComSelBox::OKButtonClick() {
  if (HasSelection())
    accept();
  else
    reject();
}

}  // namespace serial

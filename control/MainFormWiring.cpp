// Wiring of every control's signal to its handler, and the snapshot of the
// widgets that the update tick reads.

#include <QMouseEvent>
#include <QPushButton>
#include <mutex>

#include "control/ZOLMain.h"
#include "serial/PortRemovalWatcher.h"
#include "ui/GaugeBar.h"
#include "ui/ImageView.h"
#include "ui/Panel.h"
#include "ui/SpeedButton.h"

namespace control {
namespace {

// Reports presses and releases of any mouse button on an enabled watched
// widget; QAbstractButton's own signals know only the left button. The
// second press of a quick double click arrives as a double-click event and
// is a press like the first. A disabled button does nothing, but its
// filter still sees the events, so they are dropped here.
class TMouseButtonWatcher : public QObject {
 public:
  using THandler = std::function<void(QEvent::Type type, Qt::MouseButton button)>;
  TMouseButtonWatcher(QObject* parent, THandler handler)
      : QObject(parent), Handler(std::move(handler)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonDblClick) type = QEvent::MouseButtonPress;
    const bool enabled = static_cast<QWidget*>(watched)->isEnabled();
    if (enabled && (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease))
      Handler(type, static_cast<QMouseEvent*>(event)->button());
    return QObject::eventFilter(watched, event);
  }

 private:
  THandler Handler;
};

}  // namespace

void TMainForm::SyncSnapshot() {
  TControlSnapshot c;
  c.RunDown = RunBtn->isChecked();
  c.PulseDown = PulseBtn->isChecked();
  c.SweepDown = SweepBtn->isChecked();
  c.PauseDown = PauseBtn->isChecked();
  c.SquareDown = SquareBtn->isChecked();
  c.TriDown = TriBtn->isChecked();
  c.InvertDown = InvertBtn->isChecked();
  c.DivGaugePos = DivGaugeBar->value();
  c.SweepDirPos = SweepDirBar->value();
  c.LinLogPos = LinLogGauge->value();
  c.SwGaugePos = SwGaugeBar->value();
  std::lock_guard<std::mutex> guard(Shared.Lock);
  Shared.Controls = c;
}

void TMainForm::ConnectHandlers() {
  // The snapshot first: Qt calls slots in connection order, so a handler
  // that raises a flag finds the snapshot already showing its control.
  for (ui::TSpeedButton* b : {RunBtn, PulseBtn, SweepBtn, PauseBtn, SquareBtn, TriBtn, InvertBtn})
    connect(b, &QAbstractButton::toggled, this, &TMainForm::SyncSnapshot);
  for (ui::TGaugeBar* g : {DivGaugeBar, SweepDirBar, LinLogGauge, SwGaugeBar})
    connect(g, &QAbstractSlider::valueChanged, this, &TMainForm::SyncSnapshot);

  auto onClick = [this](QAbstractButton* button, void (TMainForm::*handler)()) {
    connect(button, &QAbstractButton::clicked, this, [this, handler] { Guarded([=, this] { (this->*handler)(); }); });
  };
  auto onChange = [this](ui::TGaugeBar* gauge, void (TMainForm::*handler)()) {
    connect(gauge, &QAbstractSlider::valueChanged, this,
            [this, handler] { Guarded([=, this] { (this->*handler)(); }); });
  };
  auto onTaggedClick = [this](ui::TSpeedButton* button, void (TMainForm::*handler)(int)) {
    connect(button, &QAbstractButton::clicked, this,
            [this, button, handler] { Guarded([=, this] { (this->*handler)(button->Tag); }); });
  };

  onClick(ConnectBtn, &TMainForm::ConnectBtnClick);
  onClick(RunBtn, &TMainForm::RunBtnClick);
  onClick(SweepBtn, &TMainForm::SweepBtnClick);
  onClick(PulseBtn, &TMainForm::SweepBtnClick);
  onClick(SwRstBtn, &TMainForm::SwRstBtnClick);
  onClick(PauseBtn, &TMainForm::PauseBtnClick);
  onClick(InvertBtn, &TMainForm::InvertBtnClick);
  onClick(FSetBtn, &TMainForm::FSetBtnClick);
  onClick(FDeltaFBtn, &TMainForm::FDeltaFBtnClick);
  onClick(ExitBtn, &TMainForm::ExitBtnClick);
  onTaggedClick(FStartBtn, &TMainForm::FSetRangeBtnClick);
  onTaggedClick(FstopBtn, &TMainForm::FSetRangeBtnClick);
  onTaggedClick(SineBtn, &TMainForm::FormBtnClick);
  onTaggedClick(TriBtn, &TMainForm::FormBtnClick);
  onTaggedClick(SquareBtn, &TMainForm::FormBtnClick);
  onChange(SwGaugeBar, &TMainForm::SwGaugeBarChange);
  onChange(SweepDirBar, &TMainForm::SweepDirBarChange);
  onChange(AmpGaugeBar, &TMainForm::AmpGaugeBarChange);
  onChange(DivGaugeBar, &TMainForm::DivGaugeBarChange);

  for (ui::TSpeedButton* arrow : {FLeftBtn, FRightBtn}) {
    arrow->installEventFilter(new TMouseButtonWatcher(
        arrow, [this, arrow](QEvent::Type type, Qt::MouseButton button) {
          Guarded([=, this] {
            if (type == QEvent::MouseButtonPress)
              ControlMouseDown(arrow->Tag, button);
            else
              ControlMouseUp(button);
          });
        }));
  }

  connect(Image321, &ui::TImageView::MousePressed, this, [this](Qt::MouseButton b, int x, int y) {
    Guarded([=, this] { Image321MouseDown(b, x, y); });
  });
  connect(Image321, &ui::TImageView::MouseMoved, this,
          [this](int x, int y) { Guarded([=, this] { Image321MouseMove(x, y); }); });
  connect(Image321, &ui::TImageView::MouseReleased, this,
          [this](Qt::MouseButton b, int, int) { Guarded([=, this] { Image321MouseUp(b); }); });

  for (ui::TPanel* panel : {BottomPanel, RightPanel})
    connect(panel, &ui::TPanel::DoubleClicked, this, [this] { Guarded([this] { PanelDblClick(); }); });

  connect(PortWatcher, &serial::TPortRemovalWatcher::PortRemoved, this, [this](const QString& name) {
    Guarded([=, this] { WMDeviceChange(name.toStdString()); });
  });
}

}  // namespace control

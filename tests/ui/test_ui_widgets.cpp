// Speed buttons, gauges, the image control, panels and the dialogs' texts.

#include <gtest/gtest.h>

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <stdexcept>

#include "ui/Dialogs.h"
#include "ui/GaugeBar.h"
#include "ui/ImageView.h"
#include "ui/Panel.h"
#include "ui/ProgramIcon.h"
#include "ui/SpeedButton.h"

namespace {

struct TButtonGroupTest : ::testing::Test {
  QWidget Parent;
  ui::TSpeedButton* A = new ui::TSpeedButton(&Parent);
  ui::TSpeedButton* B = new ui::TSpeedButton(&Parent);
  ui::TSpeedButton* Other = new ui::TSpeedButton(&Parent);
};

TEST_F(TButtonGroupTest, PushButtonHasNoDownStateAndNeverTakesFocus) {
  QSignalSpy clicks(A, &QAbstractButton::clicked);
  A->click();
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_FALSE(A->isChecked());
  EXPECT_EQ(A->focusPolicy(), Qt::NoFocus);
}

TEST_F(TButtonGroupTest, GroupWithAllUpReleasesTheOtherAndAllowsAllUp) {
  A->SetGroup(1, true);
  B->SetGroup(1, true);
  Other->SetGroup(2, true);
  Other->setChecked(true);
  A->click();
  EXPECT_TRUE(A->isChecked());
  B->click();
  EXPECT_TRUE(B->isChecked());
  EXPECT_FALSE(A->isChecked());
  EXPECT_TRUE(Other->isChecked()) << "another group is not touched";
  B->click();
  EXPECT_FALSE(B->isChecked()) << "all up allowed";
}

TEST_F(TButtonGroupTest, RadioGroupStaysDownOnClickButStillReportsTheClick) {
  A->SetGroup(6, false);
  B->SetGroup(6, false);
  A->setChecked(true);
  QSignalSpy clicks(A, &QAbstractButton::clicked);
  A->click();
  EXPECT_TRUE(A->isChecked());
  EXPECT_EQ(clicks.count(), 1);
  B->setChecked(true);  // from code, as the handlers do
  EXPECT_FALSE(A->isChecked());
}

TEST_F(TButtonGroupTest, ToggledComesBeforeClicked) {
  A->SetGroup(3, true);
  QStringList order;
  QObject::connect(A, &QAbstractButton::toggled, [&] { order << "toggled"; });
  QObject::connect(A, &QAbstractButton::clicked, [&] { order << "clicked"; });
  A->click();
  EXPECT_EQ(order, QStringList({"toggled", "clicked"}));
}

TEST_F(TButtonGroupTest, CaptionAndFontColour) {
  A->SetCaption("Run");
  A->SetFontColor(QColor(0x80, 0x00, 0x80));
  EXPECT_EQ(A->Caption(), "Run");
  EXPECT_EQ(A->FontColor(), QColor(0x80, 0x00, 0x80));
  A->SetFontColor(Qt::red);
  EXPECT_EQ(A->FontColor(), QColor(Qt::red));
}

TEST(GaugeBar, StepsOfOneAndChangeFromCodeOnlyWhenTheValueChanges) {
  ui::TGaugeBar gauge(Qt::Vertical);
  gauge.setRange(-15, 0);
  gauge.setValue(0);
  EXPECT_EQ(gauge.singleStep(), 1);
  EXPECT_EQ(gauge.pageStep(), 1);
  QSignalSpy changes(&gauge, &QAbstractSlider::valueChanged);
  gauge.setValue(-3);
  gauge.setValue(-3);
  gauge.setValue(-20);  // clamped to the range
  ASSERT_EQ(changes.count(), 2);
  EXPECT_EQ(changes.at(1).at(0).toInt(), -15);
  gauge.triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(gauge.value(), -14);
}

TEST(ImageView, ReportsMouseWithButtonAndPositionAndPaintsTheImageUnscaled) {
  ui::TImageView view;
  view.resize(40, 30);
  EXPECT_TRUE(view.hasMouseTracking());
  QSignalSpy pressed(&view, &ui::TImageView::MousePressed);
  QSignalSpy moved(&view, &ui::TImageView::MouseMoved);
  QSignalSpy released(&view, &ui::TImageView::MouseReleased);
  QTest::mousePress(&view, Qt::RightButton, {}, QPoint(7, 9));
  QTest::mouseMove(&view, QPoint(11, 12));
  QTest::mouseRelease(&view, Qt::RightButton, {}, QPoint(11, 12));
  ASSERT_EQ(pressed.count(), 1);
  EXPECT_EQ(pressed.at(0).at(0).value<Qt::MouseButton>(), Qt::RightButton);
  EXPECT_EQ(pressed.at(0).at(1).toInt(), 7);
  EXPECT_EQ(pressed.at(0).at(2).toInt(), 9);
  ASSERT_GE(moved.count(), 1);
  EXPECT_EQ(moved.last().at(0).toInt(), 11);
  ASSERT_EQ(released.count(), 1);
  EXPECT_EQ(released.at(0).at(0).value<Qt::MouseButton>(), Qt::RightButton);

  QImage picture(10, 5, QImage::Format_RGB32);
  picture.fill(QColor(0x12, 0x34, 0x56));
  view.SetImage(picture);
  const QImage shown = view.grab().toImage();
  EXPECT_EQ(shown.pixelColor(9, 4), QColor(0x12, 0x34, 0x56));
  EXPECT_EQ(shown.pixelColor(10, 4), QColor(0, 0, 0x80)) << "background beyond the image";
  EXPECT_EQ(shown.pixelColor(9, 5), QColor(0, 0, 0x80));
}

TEST(ImageView, ReportsResize) {
  ui::TImageView view;
  view.show();
  QSignalSpy resized(&view, &ui::TImageView::Resized);
  view.resize(123, 45);
  EXPECT_GE(resized.count(), 1);
}

struct TPanelTest : ::testing::Test {
  ui::TPanel Panel;
  QLabel* Label = new QLabel("Lin", &Panel);
  ui::TSpeedButton* Button = new ui::TSpeedButton(&Panel);
  ui::TGaugeBar* Disabled = new ui::TGaugeBar(Qt::Vertical, &Panel);
  TPanelTest() {
    Panel.resize(200, 60);
    Label->setGeometry(100, 5, 30, 15);
    Button->setGeometry(5, 5, 40, 20);
    Disabled->setGeometry(150, 5, 20, 40);
    Disabled->setEnabled(false);
    Panel.show();
  }
};

TEST_F(TPanelTest, DoubleClickOnTheBackgroundOnly) {
  QSignalSpy dbl(&Panel, &ui::TPanel::DoubleClicked);
  QTest::mouseDClick(&Panel, Qt::LeftButton, {}, QPoint(70, 40));
  EXPECT_EQ(dbl.count(), 1);
  QTest::mouseDClick(Button, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseDClick(Label, Qt::LeftButton, {}, QPoint(3, 3));
  QTest::mouseDClick(Disabled, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(dbl.count(), 1) << "a control's double click is not the panel's";
}

TEST(Dialogs, ExceptionTextGetsOneFullStop) {
  EXPECT_EQ(ui::ExceptionText(std::runtime_error("Unable to open com port: No such file")),
            "Unable to open com port: No such file.");
  EXPECT_EQ(ui::ExceptionText(std::runtime_error("Done.")), "Done.");
  EXPECT_EQ(ui::ExceptionText(std::runtime_error("")), ".");
}

TEST(ProgramIcon, IsA48PixelPicture) {
  const QImage icon = ui::ProgramIconImage(48);
  EXPECT_EQ(icon.size(), QSize(48, 48));
  EXPECT_EQ(icon.pixelColor(0, 0).alpha(), 0) << "transparent corner";
  EXPECT_EQ(icon.pixelColor(24, 12), QColor(0, 0, 0x80)) << "navy screen";
  EXPECT_FALSE(ui::ProgramIcon().isNull());
}

}  // namespace

// The main window's life: creation, the snapshot, the redraw with its
// auto-repeat, the demonstration mode, the About box and closing.

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "app/AttachWindow.h"
#include "window/HiddenText.h"
#include "platform/MultimediaTimer.h"
#include "screen/ZOLScreen.h"
#include "serial/TinyComms.h"
#include "tests/support/MainWindowFixture.h"
#include "ui/GaugeBar.h"
#include "ui/ImageView.h"
#include "ui/Panel.h"
#include "ui/SpeedButton.h"

namespace control::test {
namespace {

using TMainFormLife = MainWindowFixture;

// QTest takes the point (0, 0) for "the widget's centre", so the corner
// press is sent by hand.
void SendMouse(QWidget* widget, QEvent::Type type, QPoint at) {
  QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton,
                    type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

TEST_F(TMainFormLife, CreationSetsTheInitialStateAndStartsTheTimer) {
  Locked([](TSharedState& s) {
    const TControlState& st = s.State;
    EXPECT_FALSE(st.DeviceOnline);
    EXPECT_EQ(st.LastSentWord, 0x7FFFFFFF);
    EXPECT_TRUE(st.SweepUp);
    EXPECT_TRUE(st.SweepStarted);
    EXPECT_EQ(st.DragSlot, -1);
    EXPECT_EQ(st.RepeatTag, -1);
    EXPECT_TRUE(st.PortName.empty());
    EXPECT_EQ(st.IdentityText, "Zolvek");
    EXPECT_FALSE(s.Settings.Marked().ResyncAll);
    EXPECT_FALSE(s.Settings.Marked().FreqDirty);
    EXPECT_FALSE(s.Settings.Marked().WaveDirty);
    EXPECT_TRUE(s.Settings.LogSpacing());
    EXPECT_EQ(s.Settings.SweepTime(), 1);
    EXPECT_FALSE(s.Settings.Run());
    return 0;
  });
  EXPECT_EQ(Form->FLeftBtn->Tag, 1);
  EXPECT_EQ(Form->FRightBtn->Tag, 2);
  EXPECT_TRUE(Form->SwTimeLabel->text().startsWith("Sweep time "))
      << "set from the sweep-time gauge";
  EXPECT_FALSE(Run->Port().Connected());
  EXPECT_TRUE(WaitForTicks()) << "the timer runs";
  ASSERT_TRUE(Form->Screen);
  EXPECT_EQ(Form->Screen->Bitmap.size(), Form->Image321->size());
  EXPECT_EQ(Form->Image321->Image().size(), QSize(720, 263));
  const QFont* expected = ArialNarrowInstalled() ? &Form->MainFont : &Form->RightPanelFont;
  EXPECT_EQ(Form->Screen->ValueFont, expected);
  EXPECT_EQ(Form->Screen->ScaleFont, &Form->BottomPanelFont);
}

TEST_F(TMainFormLife, TheWidgetsWorkTheSettingsTheTickReads) {
  Run->StopTicks();
  auto settings = [this] { return Locked([](TSharedState& s) { return s.Settings; }); };
  Form->RunBtn->click();
  EXPECT_TRUE(settings().Run());
  Form->TriBtn->click();
  EXPECT_EQ(settings().Waveform(), TWaveform::Triangle);
  EXPECT_FALSE(Form->SineBtn->isChecked()) << "waveform group";
  Form->SquareBtn->click();
  EXPECT_EQ(settings().Waveform(), TWaveform::Square);
  EXPECT_FALSE(Form->TriBtn->isChecked());
  // The sweep's gauges take input in sweep mode.
  Form->SweepBtn->click();
  Form->SweepDirBar->setValue(2);
  EXPECT_EQ(settings().Direction(), TDirection::Down);
  Form->SwGaugeBar->setValue(37);
  EXPECT_EQ(settings().SweepTime(), 37);
  Form->LinLogGauge->setValue(0);
  EXPECT_FALSE(settings().LogSpacing());
  Form->SweepBtn->click();
  Form->PulseBtn->click();
  EXPECT_EQ(settings().Mode(), TMode::Pulse);
  Form->DivGaugeBar->setValue(-3);
  EXPECT_EQ(settings().PrescalerIndex(), 3);
  Form->InvertBtn->click();
  EXPECT_TRUE(settings().Invert());
  EXPECT_FALSE(Form->SweepBtn->isChecked()) << "Sweep and Pulse share a group";
}

TEST_F(TMainFormLife, RedrawEventRendersAndShowsTheScreen) {
  Run->StopTicks();
  QCoreApplication::processEvents();
  const auto before = RedrawCount;
  Form->TickRedraw();
  QCoreApplication::processEvents();
  EXPECT_EQ(RedrawCount, before + 1);
  std::lock_guard<std::mutex> guard(Run->Shared().Lock);
  EXPECT_EQ(Form->Image321->Image(), Form->Screen->Bitmap);
}

// One step on the press, none for the next ten redraws, then one per redraw.
TEST_F(TMainFormLife, HeldArrowButtonRepeatsAfterTenRedraws) {
  Run->StopTicks();
  auto readWord = [this] {
    std::lock_guard<std::mutex> guard(Run->Shared().Lock);
    return Run->Shared().Model.Slots[0].Word;
  };
  Form->show();
  const std::int32_t start = readWord();
  QTest::mousePress(Form->FRightBtn, Qt::LeftButton);
  const std::int32_t afterPress = readWord();
  EXPECT_GT(afterPress, start);
  for (int i = 0; i < 10; ++i) {
    Form->WMRedraw();
    EXPECT_EQ(readWord(), afterPress) << "redraw " << i + 1;
  }
  std::int32_t last = afterPress;
  for (int i = 0; i < 3; ++i) {
    Form->WMRedraw();
    EXPECT_GT(readWord(), last) << "redraw " << i + 11;
    last = readWord();
  }
  QTest::mouseRelease(Form->FRightBtn, Qt::LeftButton);
  Form->WMRedraw();
  Form->WMRedraw();
  EXPECT_EQ(readWord(), last) << "released";

  QTest::mousePress(Form->FLeftBtn, Qt::RightButton);
  EXPECT_EQ(readWord(), last) << "only the left button steps";
  QTest::mouseRelease(Form->FLeftBtn, Qt::RightButton);
}

TEST_F(TMainFormLife, DemonstrationRedrawsTwentyTimesASecondAndWritesNothing) {
  Form->show();
  Form->RunBtn->click();
  EXPECT_EQ(Form->RunBtn->Caption(), "Demo");
  EXPECT_EQ(Form->RunBtn->FontColor(), QColor(Qt::red));
  QCoreApplication::processEvents();
  const auto before = RedrawCount;
  const auto ticks = [this] {
    return Locked([](TSharedState& s) { return s.State.TicksWritten; });
  };
  const std::uint64_t ticksBefore = ticks();
  // A redraw a tick: twenty take a second at the tick rate, a busy machine
  // may take longer and catch up, but there are never more than ticks.
  EXPECT_TRUE(QTest::qWaitFor([&] { return RedrawCount - before >= 20; }, 10000));
  EXPECT_LE(RedrawCount - before, ticks() - ticksBefore + 1);
  Locked([](TSharedState& s) {
    EXPECT_FALSE(s.Settings.Marked().ResyncAll) << "the tick consumed the resync";
    EXPECT_FALSE(s.Settings.Marked().WaveDirty);
    EXPECT_FALSE(s.Settings.Marked().AmpAnalogDirty);
    EXPECT_FALSE(s.Settings.Marked().FreqDirty);
    EXPECT_FALSE(s.State.DeviceOnline);
    return 0;
  });
  EXPECT_FALSE(Run->Port().Connected());
}

TEST_F(TMainFormLife, ClosingStopsTheTimerAndTheRedraws) {
  Form->show();
  QTest::qWait(120);
  Form->ExitBtn->click();
  EXPECT_FALSE(Form->isVisible());
  const auto after = RedrawCount;
  QTest::qWait(150);
  EXPECT_EQ(RedrawCount, after);
}

TEST(MainFormLifeCycle, WindowsComeAndGoWhileTicksRun) {
  for (int i = 0; i < 5; ++i) {
    app::TGeneratorRun run;
    TMainForm form(run.Control());
    app::AttachWindow(run, form);
    form.show();
    QTest::qWait(20 + 17 * i);
    if (i % 2 == 0) form.close();
  }
}

TEST_F(TMainFormLife, DoubleClickOnAPanelBackgroundOpensTheAboutBox) {
  Form->show();
  QTest::mouseDClick(Form->BottomPanel, Qt::LeftButton, {}, QPoint(150, 52));
  ASSERT_EQ(Dialogs->ModalShown, QStringList({"AboutBox"}));
  QTest::mouseDClick(Form->RightPanel, Qt::LeftButton, {}, QPoint(38, 100));
  EXPECT_EQ(Dialogs->ModalShown.size(), 2);
  QTest::mouseDClick(Form->ConnectBtn, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseDClick(Form->LinLogGauge, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseDClick(Form->Label1, Qt::LeftButton, {}, QPoint(2, 2));
  QTest::mouseDClick(Form->Image321, Qt::LeftButton, {}, QPoint(100, 100));
  EXPECT_EQ(Dialogs->ModalShown.size(), 2) << "controls and the screen do not open it";
}

TEST_F(TMainFormLife, HiddenAboutTextNeedsTheCornerPressBeforeAnInvalidEntry) {
  Run->StopTicks();
  auto ClickScreenAt = [this](QPoint at) {
    SendMouse(Form->Image321, QEvent::MouseButtonPress, at);
    SendMouse(Form->Image321, QEvent::MouseButtonRelease, at);
  };
  const QString maker = About->Copyright->text();
  const QString hidden = QString::fromLatin1(DecodeHiddenText(HiddenAboutBytes));
  ASSERT_NE(maker, hidden);

  ClickScreenAt(QPoint(0, 0));
  ClickScreenAt(QPoint(1, 0));
  Dialogs->Answers.push_back("-5");
  Form->FSetBtn->click();
  EXPECT_EQ(About->Copyright->text(), maker) << "the press at (1, 0) disarmed it";

  ClickScreenAt(QPoint(0, 0));
  Dialogs->Answers.push_back("-5");
  Form->FSetBtn->click();
  EXPECT_EQ(About->Copyright->text(), hidden);
  EXPECT_FALSE(Dialogs->Messages.empty()) << "the invalid entry was reported";
  Form->HiddenAboutText();
  EXPECT_EQ(About->Copyright->text(), hidden) << "the same text again";
}

TEST(AboutBox, LayoutAndOkCloses) {
  TAboutBox box;
  EXPECT_EQ(box.windowTitle(), "   About");
  EXPECT_EQ(box.size(), QSize(232, 143));
  EXPECT_TRUE(box.windowFlags() & Qt::Tool);
  EXPECT_EQ(box.Panel1->geometry(), QRect(8, 8, 217, 89));
  EXPECT_EQ(box.ProgramIcon->geometry(), QRect(20, 20, 49, 49));
  EXPECT_FALSE(box.ProgramIcon->pixmap().isNull());
  EXPECT_EQ(box.ProductName->text(), "Varnel Generator");
  EXPECT_EQ(box.ProductName->pos(), QPoint(88, 18));
  EXPECT_EQ(box.Version->text(), "Version 1.2");
  EXPECT_EQ(box.Version->pos(), QPoint(88, 38));
  EXPECT_EQ(box.Copyright->pos(), QPoint(86, 58));
  EXPECT_FALSE(box.Copyright->text().isEmpty());
  EXPECT_EQ(box.OKButton->geometry(), QRect(79, 108, 75, 25));
  EXPECT_TRUE(box.OKButton->isDefault());
  box.show();
  QSignalSpy finished(&box, &QDialog::finished);
  box.OKButton->click();
  ASSERT_EQ(finished.count(), 1);
  EXPECT_EQ(finished.at(0).at(0).toInt(), QDialog::Accepted);
}

}  // namespace
}  // namespace control::test

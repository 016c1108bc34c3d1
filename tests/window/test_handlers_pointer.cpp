// Mouse on the generator screen of the real main window: grabbing and
// dragging pointers, jumping on the scale, cursors, the corner press.

#include "platform/MultimediaTimer.h"
#include "tests/support/MainWindowFixture.h"
#include "ui/ImageView.h"

namespace control::test {
namespace {

class PointerTest : public MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    Run->StopTicks();
    Form->WMRedraw();  // lays the scale out for the current size
    ClearFlags();
  }

  int SlotX(int slot) {
    const screen::TZOLScreenModel m = Model();
    return m.PositionToX(m.Slots[slot].Position);
  }

  // A row inside the band where pointers are grabbed.
  int BandY() { return Model().BitmapHeight - 28; }

  Qt::CursorShape Cursor() { return Form->Image321->cursor().shape(); }
};

TEST_F(PointerTest, CornerPressArmsAndAnyOtherLeftPressDisarms) {
  Form->Image321MouseDown(Qt::LeftButton, 0, 0);
  EXPECT_TRUE(State().CornerArmed);
  Form->Image321MouseDown(Qt::RightButton, 5, 5);
  EXPECT_TRUE(State().CornerArmed);
  Form->Image321MouseDown(Qt::LeftButton, 0, 1);
  EXPECT_FALSE(State().CornerArmed);
}

TEST_F(PointerTest, DraggingTheFrequencyPointerMovesTheOutput) {
  const int x = SlotX(screen::FrequencySlot);
  const double before = Model().Slots[screen::FrequencySlot].Freq;
  emit Form->Image321->MousePressed(Qt::LeftButton, x + 7, BandY());
  EXPECT_EQ(State().DragSlot, screen::FrequencySlot);
  EXPECT_FALSE(Flags().FreqDirty);
  EXPECT_EQ(Model().Slots[screen::FrequencySlot].Freq, before);

  emit Form->Image321->MouseMoved(x + 60, BandY() - 100);  // off the band: still dragging
  EXPECT_GT(Model().Slots[screen::FrequencySlot].Freq, before);
  EXPECT_TRUE(Flags().FreqDirty);
  EXPECT_EQ(Cursor(), Qt::ArrowCursor);

  ClearFlags();
  emit Form->Image321->MouseReleased(Qt::LeftButton, x + 60, BandY());
  EXPECT_EQ(State().DragSlot, -1);
  EXPECT_TRUE(Flags().FreqDirty);
  const double dropped = Model().Slots[screen::FrequencySlot].Freq;
  emit Form->Image321->MouseMoved(x + 120, BandY());
  EXPECT_EQ(Model().Slots[screen::FrequencySlot].Freq, dropped);
}

TEST_F(PointerTest, EightPixelsBesideAPointerIsTheScale) {
  const int x = SlotX(screen::FrequencySlot);
  const double before = Model().Slots[screen::FrequencySlot].Freq;
  Form->Image321MouseDown(Qt::LeftButton, x - 8, BandY());
  EXPECT_EQ(State().DragSlot, -1);
  // A press on the scale makes the output jump there, without a drag.
  EXPECT_LT(Model().Slots[screen::FrequencySlot].Freq, before);
  EXPECT_TRUE(Flags().FreqDirty);
  const double jumped = Model().Slots[screen::FrequencySlot].Freq;
  Form->Image321MouseMove(x + 50, BandY());
  EXPECT_EQ(Model().Slots[screen::FrequencySlot].Freq, jumped);
}

TEST_F(PointerTest, PressOutsideTheBandDoesNothing) {
  const int x = SlotX(screen::FrequencySlot);
  const double before = Model().Slots[screen::FrequencySlot].Freq;
  Form->Image321MouseDown(Qt::LeftButton, x + 30, Model().BitmapHeight - 37);
  Form->Image321MouseDown(Qt::LeftButton, x + 30, Model().BitmapHeight - 19);
  EXPECT_EQ(State().DragSlot, -1);
  EXPECT_EQ(Model().Slots[screen::FrequencySlot].Freq, before);
  EXPECT_FALSE(Flags().FreqDirty);
}

TEST_F(PointerTest, RightButtonNeitherGrabsNorJumps) {
  const int x = SlotX(screen::FrequencySlot);
  Form->Image321MouseDown(Qt::RightButton, x, BandY());
  Form->Image321MouseDown(Qt::RightButton, x + 40, BandY());
  EXPECT_EQ(State().DragSlot, -1);
  EXPECT_FALSE(Flags().FreqDirty);
}

TEST_F(PointerTest, CursorTellsPointerScaleAndElsewhere) {
  const int x = SlotX(screen::FrequencySlot);
  Form->Image321MouseMove(x + 3, BandY());
  EXPECT_EQ(Cursor(), Qt::SizeHorCursor);
  Form->Image321MouseMove(x + 40, BandY());
  EXPECT_EQ(Cursor(), Qt::PointingHandCursor);
  Form->Image321MouseMove(x + 40, 5);
  EXPECT_EQ(Cursor(), Qt::ArrowCursor);
}

TEST_F(PointerTest, PulseModeFrequencyDragPushesTheMarker) {
  Form->PulseBtn->click();
  Form->WMRedraw();
  ClearFlags();
  const int marker = SlotX(screen::MarkerSlot);
  const int output = SlotX(screen::FrequencySlot);
  ASSERT_GT(output - marker, 16);
  Form->Image321MouseDown(Qt::LeftButton, output, BandY());
  ASSERT_EQ(State().DragSlot, screen::FrequencySlot);
  Form->Image321MouseMove(marker - 20, BandY());
  screen::TZOLScreenModel m = Model();
  EXPECT_EQ(m.Slots[screen::MarkerSlot].Word, m.Slots[screen::FrequencySlot].Word);
  EXPECT_TRUE(Flags().PulseWidthDirty);
  EXPECT_TRUE(Flags().FreqDirty);
  Form->Image321MouseUp(Qt::LeftButton);

  // Dragging the marker right stops at the output pointer.
  ClearFlags();
  Form->Image321MouseDown(Qt::LeftButton, output + 200, BandY());  // jump the output right
  Form->WMRedraw();
  const int newMarker = SlotX(screen::MarkerSlot);
  Form->Image321MouseDown(Qt::LeftButton, newMarker, BandY());
  ASSERT_EQ(State().DragSlot, screen::MarkerSlot);
  ClearFlags();
  Form->Image321MouseMove(newMarker + 400, BandY());
  m = Model();
  EXPECT_LE(m.Slots[screen::MarkerSlot].Position, m.Slots[screen::FrequencySlot].Position);
  EXPECT_TRUE(Flags().PulseWidthDirty);
  EXPECT_FALSE(Flags().FreqDirty);
  Form->Image321MouseUp(Qt::LeftButton);
  EXPECT_TRUE(Flags().PulseWidthDirty);
}

TEST_F(PointerTest, SweepModeScaleIgnoresPressesAwayFromPointers) {
  Form->SweepBtn->click();
  Form->WMRedraw();
  ClearFlags();
  const screen::TZOLScreenModel before = Model();
  const int marker = SlotX(screen::MarkerSlot);
  Form->Image321MouseDown(Qt::LeftButton, marker + 40, BandY());
  EXPECT_EQ(State().DragSlot, -1);
  EXPECT_FALSE(Flags().FreqDirty);
  EXPECT_EQ(Model().Slots[screen::FrequencySlot].Freq, before.Slots[screen::FrequencySlot].Freq);
  Form->Image321MouseMove(marker + 40, BandY());
  EXPECT_EQ(Cursor(), Qt::ArrowCursor);

  // Start and Stop piled at the left end: the press grabs Stop.
  Locked([](TSharedState& s) {
    s.Settings.SetStart(AskedFrequency(0.1));
    s.Settings.SetStop(AskedFrequency(0.1));
  });
  Form->WMRedraw();
  Form->Image321MouseDown(Qt::LeftButton, SlotX(screen::StopSlot), BandY());
  EXPECT_EQ(State().DragSlot, screen::StopSlot);
  Form->Image321MouseMove(SlotX(screen::StopSlot) + 100, BandY());
  EXPECT_GT(Model().Slots[screen::StopSlot].Position, 0.0);
  EXPECT_EQ(Model().Slots[screen::StartSlot].Position, 0.0);
  // The marker, right of the Stop pointer, is pulled back with it; nothing
  // is marked, as the sweep reads its marker at every tick.
  EXPECT_EQ(Model().Slots[screen::MarkerSlot].Word, Model().Slots[screen::StopSlot].Word);
  EXPECT_FALSE(Flags().PulseWidthDirty);
  Form->Image321MouseUp(Qt::LeftButton);
  // Moving Stop raises no frequency flag: the sweep reads it every tick.
  EXPECT_FALSE(Flags().FreqDirty);
}

}  // namespace
}  // namespace control::test

// What assistive technology sees of the speed buttons and the image
// control, and what their accessible actions do.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <ostream>

#include "ui/ImageView.h"
#include "ui/SpeedButton.h"

namespace {

QAccessibleInterface* Accessible(QWidget* widget) {
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
  EXPECT_NE(accessible, nullptr);
  return accessible;
}

struct TActionCase {
  int Group;  // 0: a push button, else a toggle
  QAccessible::Role Role;
  QString Action;
};

void PrintTo(const TActionCase& c, std::ostream* out) { *out << c.Action.toStdString(); }

class SpeedButtonActionTest : public ::testing::TestWithParam<TActionCase> {
 protected:
  QWidget Parent;
  ui::TSpeedButton* Button = new ui::TSpeedButton(&Parent);
};

// Qt's own toggle action would only change the down state; the window's
// handlers listen to clicks, and the arrows to AssistivePressed.
TEST_P(SpeedButtonActionTest, ActionIsAClick) {
  Button->SetGroup(GetParam().Group, true);
  QAccessibleInterface* accessible = Accessible(Button);
  ASSERT_NE(accessible, nullptr);
  EXPECT_EQ(accessible->role(), GetParam().Role);
  QAccessibleActionInterface* actions = accessible->actionInterface();
  ASSERT_NE(actions, nullptr);
  ASSERT_FALSE(actions->actionNames().isEmpty());
  EXPECT_EQ(actions->actionNames().first(), GetParam().Action);
  QSignalSpy clicks(Button, &QAbstractButton::clicked);
  QSignalSpy assisted(Button, &ui::TSpeedButton::AssistivePressed);
  actions->doAction(GetParam().Action);
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_EQ(assisted.count(), 1);
  EXPECT_EQ(Button->isChecked(), GetParam().Group != 0);
  EXPECT_EQ(accessible->state().checked, GetParam().Group != 0);
  // A disabled button offers nothing and does nothing.
  Button->setEnabled(false);
  EXPECT_FALSE(actions->actionNames().contains(GetParam().Action));
  actions->doAction(GetParam().Action);
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_EQ(assisted.count(), 1);
}

INSTANTIATE_TEST_SUITE_P(Kinds, SpeedButtonActionTest,
                         ::testing::Values(TActionCase{0, QAccessible::Button,
                                                       QAccessibleActionInterface::pressAction()},
                                           TActionCase{
                                               1, QAccessible::CheckBox,
                                               QAccessibleActionInterface::toggleAction()}));

TEST(SpeedButtonAccessible, NamedByItsAccessibleNameElseItsCaption) {
  QWidget parent;
  auto* button = new ui::TSpeedButton(&parent);
  button->SetCaption(QStringLiteral("Run"));
  QAccessibleInterface* accessible = Accessible(button);
  ASSERT_NE(accessible, nullptr);
  EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Run"));
  button->SetCaption(QStringLiteral("Demo"));
  EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Demo"));
  button->setAccessibleName(QStringLiteral("Step up"));
  EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Step up"));
}

TEST(ImageViewAccessible, AGraphicWhoseValueAndDescriptionAreItsWords) {
  ui::TImageView view;
  view.setAccessibleName(QStringLiteral("Generator screen"));
  view.SetAccessibleValue(QStringLiteral("Frequency 1.0000 KHz."));
  QAccessibleInterface* accessible = Accessible(&view);
  ASSERT_NE(accessible, nullptr);
  EXPECT_EQ(accessible->role(), QAccessible::Graphic);
  EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Generator screen"));
  EXPECT_EQ(accessible->text(QAccessible::Value), QStringLiteral("Frequency 1.0000 KHz."));
  view.SetAccessibleValue(QStringLiteral("Frequency 2.0000 KHz."));
  EXPECT_EQ(accessible->text(QAccessible::Description), QStringLiteral("Frequency 2.0000 KHz."));
}

// The announcements a screen reader would hear of one image view.
class AnnouncementTest : public ::testing::Test {
 protected:
  static QString Words(int i) { return QStringLiteral("Frequency %1 Hz.").arg(i); }

  ui::TImageView View;
  QSignalSpy Heard{&View, &ui::TImageView::Announced};
};

// A sweep's twenty changes a second come to one announcement now and one
// when the interval is up, which has the words of then.
TEST_F(AnnouncementTest, ChangesWithinTheIntervalComeAsOneWhenItIsUp) {
  QElapsedTimer since;
  since.start();
  for (int i = 0; i < 20; ++i) View.SetAccessibleValue(Words(i));
  EXPECT_EQ(Heard.count(), 1) << "the first change is announced at once";
  EXPECT_EQ(View.AccessibleValue(), Words(19)) << "a reader that asks has the current words";
  ASSERT_TRUE(QTest::qWaitFor([&] { return Heard.count() == 2; }, 5000));
  EXPECT_GE(since.elapsed(), ui::TImageView::AnnounceInterval);
  QTest::qWait(ui::TImageView::AnnounceInterval + 200);
  EXPECT_EQ(Heard.count(), 2) << "nothing more without a change";
}

TEST_F(AnnouncementTest, AChangeAfterAQuietIntervalIsAnnouncedAtOnce) {
  View.SetAccessibleValue(Words(1));
  ASSERT_EQ(Heard.count(), 1);
  QTest::qWait(ui::TImageView::AnnounceInterval + 200);
  View.SetAccessibleValue(Words(2));
  EXPECT_EQ(Heard.count(), 2);
  View.SetAccessibleValue(Words(2));
  QTest::qWait(ui::TImageView::AnnounceInterval + 200);
  EXPECT_EQ(Heard.count(), 2) << "the same words again are no change";
}

}  // namespace

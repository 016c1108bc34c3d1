// The minimizer's contract: one instance, owned by the main form, one
// notification per change of the minimised state, Title as the caption.

#include <gtest/gtest.h>

#include <QWidget>
#include <memory>

#include "ui/FloatMinimizer.h"

namespace {

struct TMinimizerTest : ::testing::Test {
  QWidget Form;
  TMinimizerTest() { Form.setObjectName("MainForm"); }
  ~TMinimizerTest() override { ui::SetApplicationMainForm(nullptr); }
};

TEST_F(TMinimizerTest, OnlyOneInstanceWhileItLives) {
  auto first = std::make_unique<ui::TFloatMinimizer>(&Form);
  EXPECT_EQ(ui::TFloatMinimizer::Instance(), first.get());
  QWidget other;
  try {
    ui::TFloatMinimizer second(&other);
    FAIL() << "a second instance was built";
  } catch (const ui::EThereCanBeOnlyOne& e) {
    EXPECT_STREQ(e.what(), "Only one TFloatMinimizer per app!");
  }
  EXPECT_EQ(ui::TFloatMinimizer::Instance(), first.get());
  first.reset();
  EXPECT_EQ(ui::TFloatMinimizer::Instance(), nullptr);
  EXPECT_NO_THROW(ui::TFloatMinimizer again(&Form));
}

TEST_F(TMinimizerTest, OwnerMustBeAForm) {
  QObject thing;
  thing.setObjectName("Thing");
  try {
    ui::TFloatMinimizer m(&thing);
    FAIL();
  } catch (const ui::EOwnerMustBeForm& e) {
    EXPECT_STREQ(e.what(), "Thing is not a form");
  }
  QWidget* child = new QWidget(&Form);
  child->setObjectName("Panel");
  EXPECT_THROW(ui::TFloatMinimizer m(child), ui::EOwnerMustBeForm);
  // A failed construction leaves no instance behind to refuse the next.
  EXPECT_EQ(ui::TFloatMinimizer::Instance(), nullptr);
  EXPECT_NO_THROW(ui::TFloatMinimizer ok(&Form));
}

TEST_F(TMinimizerTest, OwnerMustBeTheMainFormOnceThereIsOne) {
  ui::SetApplicationMainForm(&Form);
  QWidget about;
  about.setObjectName("AboutBox");
  try {
    ui::TFloatMinimizer m(&about);
    FAIL();
  } catch (const ui::EOwnerMustBeMainForm& e) {
    EXPECT_STREQ(e.what(), "AboutBox is not the main form");
  }
  EXPECT_NO_THROW(ui::TFloatMinimizer ok(&Form));
}

TEST_F(TMinimizerTest, NotifiesOncePerChangeOfTheMinimisedState) {
  ui::TFloatMinimizer m(&Form);
  int minimized = 0, restored = 0;
  m.OnMinimize = [&](ui::TFloatMinimizer& sender) {
    EXPECT_EQ(&sender, &m);
    ++minimized;
  };
  m.OnRestore = [&](ui::TFloatMinimizer&) { ++restored; };
  Form.show();
  Form.setWindowState(Qt::WindowMinimized);
  Form.setWindowState(Qt::WindowMinimized);
  EXPECT_EQ(minimized, 1);
  EXPECT_EQ(restored, 0);
  Form.setWindowState(Qt::WindowNoState);
  EXPECT_EQ(restored, 1);
  Form.setWindowState(Qt::WindowMaximized);
  EXPECT_EQ(minimized, 1) << "maximising is no minimise";
  EXPECT_EQ(restored, 1);
  Form.setWindowState(Qt::WindowMinimized | Qt::WindowMaximized);
  EXPECT_EQ(minimized, 2);
  Form.setWindowState(Qt::WindowMaximized);
  EXPECT_EQ(restored, 2);
}

TEST_F(TMinimizerTest, TitleIsTheCaptionAndCopyTitleStartsOff) {
  Form.setWindowTitle("Varnel Generator");
  ui::TFloatMinimizer m(&Form);
  EXPECT_FALSE(m.CopyTitle);
  EXPECT_FALSE(m.RestoreStyle);
  EXPECT_EQ(m.Title(), "Varnel Generator") << "the caption is kept";
  m.SetTitle("Other");
  EXPECT_EQ(Form.windowTitle(), "Other");
  EXPECT_EQ(m.HookedForm(), &Form);
}

TEST_F(TMinimizerTest, DestroyedWithItsOwner) {
  auto form = std::make_unique<QWidget>();
  new ui::TFloatMinimizer(form.get());
  ASSERT_NE(ui::TFloatMinimizer::Instance(), nullptr);
  form.reset();
  EXPECT_EQ(ui::TFloatMinimizer::Instance(), nullptr);
}

}  // namespace

#include "platform/ui/recording_driver.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

namespace {

TEST(RecordingDriver, AnswersFromTheQueueThenWithTheFirstButton) {
  ui::RecordingDriver driver;
  driver.QueueAnswer(ui::Answer::No);
  driver.QueueAnswer(ui::Answer::Cancel);
  EXPECT_EQ(driver.MessageBox("是否保存？", "提示", ui::Buttons::YesNo), ui::Answer::No);
  EXPECT_EQ(driver.MessageBox("继续？", "提示", ui::Buttons::OkCancel), ui::Answer::Cancel);
  struct Case {
    ui::Buttons buttons;
    ui::Answer first;
  };
  const Case cases[] = {
      {ui::Buttons::Ok, ui::Answer::Ok},
      {ui::Buttons::OkCancel, ui::Answer::Ok},
      {ui::Buttons::AbortRetryIgnore, ui::Answer::Abort},
      {ui::Buttons::YesNoCancel, ui::Answer::Yes},
      {ui::Buttons::YesNo, ui::Answer::Yes},
      {ui::Buttons::RetryCancel, ui::Answer::Retry},
  };
  for (const Case& c : cases) EXPECT_EQ(driver.MessageBox("t", "c", c.buttons), c.first);

  ASSERT_EQ(driver.MessageBoxes().size(), 8u);
  const ui::MessageBoxRecord& first = driver.MessageBoxes()[0];
  EXPECT_EQ(first.text, "是否保存？");
  EXPECT_EQ(first.caption, "提示");
  EXPECT_EQ(first.buttons, ui::Buttons::YesNo);
  EXPECT_EQ(first.answer, ui::Answer::No);
  EXPECT_EQ(driver.CountMessageBoxes("是否保存？", "提示"), 1u);
  EXPECT_EQ(driver.CountMessageBoxes("是否保存？", "other caption"), 0u);
  EXPECT_EQ(driver.CountMessageBoxes("t", "c"), 6u);

  driver.Clear();
  EXPECT_TRUE(driver.MessageBoxes().empty());
}

TEST(RecordingDriver, AQueuedAnswerThatIsNoButtonOfTheBoxIsATestFault) {
  ui::RecordingDriver driver;
  driver.QueueAnswer(ui::Answer::Yes);
  EXPECT_THROW(driver.MessageBox("t", "c", ui::Buttons::Ok), std::logic_error);
}

TEST(UiDriver, ScopedDriversNestAndPutTheDefaultBack) {
  ui::UiDriver* fallback = &ui::CurrentDriver();
  auto outer = std::make_shared<ui::RecordingDriver>();
  {
    ui::ScopedDriver scoped_outer(outer);
    EXPECT_EQ(&ui::CurrentDriver(), outer.get());
    auto inner = std::make_shared<ui::RecordingDriver>();
    {
      ui::ScopedDriver scoped_inner(inner);
      ui::CurrentDriver().MessageBox("inner", "c", ui::Buttons::Ok);
    }
    ui::CurrentDriver().MessageBox("outer", "c", ui::Buttons::Ok);
    EXPECT_EQ(inner->CountMessageBoxes("inner", "c"), 1u);
    EXPECT_EQ(outer->CountMessageBoxes("outer", "c"), 1u);
    EXPECT_EQ(outer->MessageBoxes().size(), 1u);
  }
  EXPECT_EQ(&ui::CurrentDriver(), fallback);
  // The default driver answers the first button.
  EXPECT_EQ(ui::CurrentDriver().MessageBox("default", "c", ui::Buttons::YesNo), ui::Answer::Yes);
}

}  // namespace

#include "platform/win/message_box.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/ui/recording_driver.h"

namespace {

TEST(MessageBox, ReachesTheDriverInUtf8AndReturnsTheButtonPressed) {
  auto driver = std::make_shared<ui::RecordingDriver>();
  ui::ScopedDriver scoped(driver);
  driver->QueueAnswer(ui::Answer::No);

  // 没有找到velmora.dll文件！ / 加载DLL
  const std::string text = "\xC3\xBB\xD3\xD0\xD5\xD2\xB5\xBDvelmora.dll\xCE\xC4\xBC\xFE\xA3\xA1";
  const std::string caption =
      "\xBC\xD3\xD4\xD8"
      "DLL";
  EXPECT_EQ(win::MessageBox(text, caption, win::MB_YESNO | win::MB_ICONQUESTION), win::IDNO);
  EXPECT_EQ(win::MessageBox(text, caption), win::IDOK);  // queue empty: the first button

  ASSERT_EQ(driver->MessageBoxes().size(), 2u);
  EXPECT_EQ(driver->MessageBoxes()[0].buttons, ui::Buttons::YesNo);
  EXPECT_EQ(driver->MessageBoxes()[1].buttons, ui::Buttons::Ok);
  EXPECT_EQ(driver->CountMessageBoxes("没有找到velmora.dll文件！", "加载DLL"), 2u);
}

TEST(MessageBox, ButtonCodesMatchTheDriversAnswers) {
  auto driver = std::make_shared<ui::RecordingDriver>();
  ui::ScopedDriver scoped(driver);
  struct Case {
    unsigned type;
    ui::Answer answer;
    int id;
  };
  const Case cases[] = {
      {win::MB_OKCANCEL, ui::Answer::Cancel, win::IDCANCEL},
      {win::MB_ABORTRETRYIGNORE, ui::Answer::Ignore, win::IDIGNORE},
      {win::MB_YESNOCANCEL, ui::Answer::Yes, win::IDYES},
      {win::MB_RETRYCANCEL, ui::Answer::Retry, win::IDRETRY},
      {win::MB_OK | win::MB_ICONERROR, ui::Answer::Ok, win::IDOK},
  };
  for (const Case& c : cases) {
    driver->QueueAnswer(c.answer);
    EXPECT_EQ(win::MessageBox("t", "c", c.type), c.id) << c.type;
  }
  EXPECT_EQ(driver->PendingAnswers(), 0u);
}

}  // namespace

// TCommandbarbutton against buttons of the Office command bars.
#include <gtest/gtest.h>

#include "addin/command_bar_button.h"
#include "excel/fault.h"
#include "office/command_bars.h"
#include "platform/forms/scripted_driver.h"
#include "platform/win/code_page.h"

namespace {

using com::ComPtr;
using com::Variant;
using velmora::TCommandbarbutton;

class CommandbarButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ComPtr<Office::CommandBar> bar;
    ASSERT_EQ(bars.Bars()->Add(Variant(u"T"), Variant(1), Variant(false), Variant(true), bar.Put()), com::S_OK);
    bar->put_Visible(com::VARIANT_TRUE);
    ASSERT_EQ(bar->get_Controls(controls.Put()), com::S_OK);
    first = AddButton(u"first");
    second = AddButton(u"second");
  }
  void TearDown() override { excel::fault::Clear(); }

  ComPtr<Office::_CommandBarButton> AddButton(const char16_t* caption) {
    ComPtr<Office::CommandBarControl> control;
    EXPECT_EQ(controls->Add(Variant(1), Variant::Missing(), Variant::Missing(), Variant::Missing(), Variant(true),
                            control.Put()),
              com::S_OK);
    control->put_Caption(com::Bstr(caption).Get());
    ComPtr<Office::_CommandBarButton> button;
    control.As(&button);
    return button;
  }
  // Counts the clicks a sink's handler gets, and which button it was told of.
  static void Count(TCommandbarbutton& sink, int& clicks, Office::_CommandBarButton** seen = nullptr) {
    sink.OnClick = [&clicks, seen](Office::_CommandBarButton* ctrl, com::VARIANT_BOOL&) {
      ++clicks;
      if (seen) *seen = ctrl;
    };
  }

  office::CommandBarsHost bars;
  ComPtr<Office::CommandBarControls> controls;
  ComPtr<Office::_CommandBarButton> first, second;
  std::shared_ptr<forms::ScriptedDriver> driver = std::make_shared<forms::ScriptedDriver>();
  forms::ScriptedDriver::Install installed{driver};
};

TEST_F(CommandbarButtonTest, AClickCallsTheHandlerWithTheSinksOwnButton) {
  TCommandbarbutton sink(nullptr);
  int clicks = 0;
  Office::_CommandBarButton* seen = nullptr;
  Count(sink, clicks, &seen);
  sink.ConnectTo(first.Get());
  EXPECT_TRUE(sink.Subscribed());
  EXPECT_EQ(bars.Click("first").sinks_called, 1u);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(seen, first.Get());
  EXPECT_EQ(sink.DefaultInterface.Get(), first.Get());
}

TEST_F(CommandbarButtonTest, ASinkWithoutHandlerTakesClicksAndDoesNothing) {
  TCommandbarbutton sink;
  sink.ConnectTo(first.Get());
  auto result = bars.Click("first");
  EXPECT_EQ(result.sinks_called, 1u);
  EXPECT_FALSE(result.cancel);
  EXPECT_TRUE(driver->MessageBoxes().empty());
}

TEST_F(CommandbarButtonTest, WhatTheHandlerSetsAsCancelDoesNotGoBackToOffice) {
  TCommandbarbutton sink;
  sink.OnClick = [](Office::_CommandBarButton*, com::VARIANT_BOOL& cancel) { cancel = com::VARIANT_TRUE; };
  sink.ConnectTo(first.Get());
  EXPECT_FALSE(bars.Click("first").cancel);
}

TEST_F(CommandbarButtonTest, ConnectingToAnotherButtonMovesTheSubscription) {
  TCommandbarbutton sink;
  int clicks = 0;
  Count(sink, clicks);
  sink.ConnectTo(first.Get());
  sink.ConnectTo(second.Get());
  EXPECT_EQ(bars.Click("first").sinks_called, 0u);
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(bars.Click("second").sinks_called, 1u);
  EXPECT_EQ(clicks, 1);
  sink.Disconnect();
  EXPECT_FALSE(sink.DefaultInterface);
  EXPECT_FALSE(sink.Subscribed());
  sink.Disconnect();  // not connected: nothing
  EXPECT_EQ(bars.Click("second").sinks_called, 0u);
}

TEST_F(CommandbarButtonTest, DestroyingAConnectedSinkEndsItsSubscription) {
  int clicks = 0;
  {
    TCommandbarbutton sink;
    Count(sink, clicks);
    sink.ConnectTo(first.Get());
    EXPECT_EQ(bars.View().back().controls[0].sinks, 1u);
  }
  EXPECT_EQ(bars.View().back().controls[0].sinks, 0u);
  EXPECT_EQ(bars.Click("first").sinks_called, 0u);
  EXPECT_EQ(clicks, 0);
  EXPECT_TRUE(TCommandbarbutton::LiveSinks().empty());
}

TEST_F(CommandbarButtonTest, AButtonWithoutTheEventConnectionPointGivesASinkThatNeverFires) {
  excel::fault::Inject("CommandBarButton.FindConnectionPoint", 1, com::CONNECT_E_NOCONNECTION, "");
  TCommandbarbutton sink;
  int clicks = 0;
  Count(sink, clicks);
  sink.ConnectTo(first.Get());
  EXPECT_FALSE(sink.Subscribed());
  EXPECT_EQ(sink.DefaultInterface.Get(), first.Get());
  EXPECT_EQ(bars.Click("first").sinks_called, 0u);
  EXPECT_EQ(clicks, 0);
  EXPECT_TRUE(driver->MessageBoxes().empty());
}

TEST_F(CommandbarButtonTest, AnErrorEscapingTheHandlerIsShownAndStopsThere) {
  TCommandbarbutton sink;
  sink.OnClick = [](Office::_CommandBarButton*, com::VARIANT_BOOL&) {
    throw std::runtime_error(win::Utf8ToAnsi("工作簿已被保护"));
  };
  sink.ConnectTo(first.Get());
  auto result = bars.Click("first");  // returns normally: nothing reaches Office
  EXPECT_EQ(result.sinks_called, 1u);
  ASSERT_EQ(driver->MessageBoxes().size(), 1u);
  EXPECT_EQ(driver->MessageBoxes()[0].text, "工作簿已被保护");
}

TEST_F(CommandbarButtonTest, AHandlerMayDestroyItsOwnSink) {
  auto* sink = new TCommandbarbutton;
  int clicks = 0;
  sink->OnClick = [&](Office::_CommandBarButton*, com::VARIANT_BOOL&) {
    ++clicks;
    delete sink;
  };
  sink->ConnectTo(first.Get());
  EXPECT_EQ(bars.Click("first").sinks_called, 1u);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(bars.Click("first").sinks_called, 0u);
}

}  // namespace

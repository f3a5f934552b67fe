// The test harness's message-box watcher, against Wine's real message boxes: every other
// test that expects a box relies on it reading the box right and answering it.
#include <gtest/gtest.h>

#include "message_box.h"

TEST(MessageBoxWatcher, ReadsTitleTextAndButtonsAndPressesOk) {
  MessageBoxWatcher watcher;
  const int answer = MessageBoxA(nullptr, "Shading language not supported\n", "Error", MB_OK);
  const auto boxes = watcher.stop();
  EXPECT_EQ(answer, IDOK);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Error");
  EXPECT_EQ(boxes[0].text, "Shading language not supported\n");
  EXPECT_EQ(boxes[0].buttons, 1);
  EXPECT_EQ(boxes[0].owner, nullptr);
}

TEST(MessageBoxWatcher, AnswersSeveralBoxesInTurnAndSeesTheirOwner) {
  HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                               nullptr, nullptr, nullptr, nullptr);
  MessageBoxWatcher watcher;
  MessageBoxA(nullptr, "first", "Warning", MB_OK);
  MessageBoxA(owner, "second", "ERROR", MB_OK);
  const auto boxes = watcher.stop();
  DestroyWindow(owner);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "first");
  EXPECT_EQ(boxes[1].title, "ERROR");
  EXPECT_EQ(boxes[1].owner, owner);
}

TEST(MessageBoxWatcher, SeesNoBoxWhenNoneIsShown) {
  MessageBoxWatcher watcher;
  Sleep(100);
  EXPECT_TRUE(watcher.stop().empty());
}

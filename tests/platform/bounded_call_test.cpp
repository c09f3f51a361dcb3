#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/bounded_call.h"

using namespace std::chrono_literals;

TEST(BoundedCall, GivesUpOnACallThatDoesNotReturnInTime) {
  // The abandoned call keeps running on its own thread and must not touch this frame.
  const std::optional<int> late = platform::callWithTimeLimit<int>(
      [] {
        std::this_thread::sleep_for(3s);
        return 1;
      },
      20ms);
  EXPECT_FALSE(late.has_value());
  EXPECT_EQ(platform::callWithTimeLimit<int>([] { return 7; }, 10s), 7);
}

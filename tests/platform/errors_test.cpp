#include <gtest/gtest.h>

#include <cerrno>

#include "platform/errors.h"

TEST(ErrorText, IsTheSystemTextWithoutControlCharacters) {
  EXPECT_EQ(platform::errorText(ENOENT), "No such file or directory");
  for (int e : {EACCES, EIO, ENOSPC, 9999}) {
    const std::string text = platform::errorText(e);
    EXPECT_FALSE(text.empty());
    for (unsigned char c : text) EXPECT_GE(c, 0x20);
  }
}

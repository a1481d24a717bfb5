#include <gtest/gtest.h>

#include <algorithm>

#include "platform/base/ByteBuffer.h"

using platform::ByteBuffer;

TEST(ByteBuffer, LargeBufferStartsZeroAndKeepsWhatIsWritten) {
  const size_t size = 9u << 20;
  ByteBuffer buffer(size);
  ASSERT_EQ(buffer.Size(), size);
  EXPECT_TRUE(std::all_of(buffer.Data(), buffer.Data() + size, [](uint8_t b) { return b == 0; }));
  for (size_t i = 0; i < size; i += 4093) buffer.Data()[i] = static_cast<uint8_t>(i);
  for (size_t i = 0; i < size; i += 4093) ASSERT_EQ(buffer.Data()[i], static_cast<uint8_t>(i));
}

TEST(ByteBuffer, ShrinkKeepsThePrefixAndNeverGrows) {
  ByteBuffer buffer(10);
  buffer.Data()[2] = 7;
  buffer.Shrink(3);
  EXPECT_EQ(buffer.Size(), 3u);
  EXPECT_EQ(buffer.Span()[2], 7);
  buffer.Shrink(8);
  EXPECT_EQ(buffer.Size(), 3u);
}

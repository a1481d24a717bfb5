#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

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

TEST(ByteBuffer, MoveHandsOverTheMemory) {
  ByteBuffer a(16);
  uint8_t* memory = a.Data();
  ByteBuffer b(std::move(a));
  EXPECT_EQ(b.Data(), memory);
  EXPECT_EQ(b.Size(), 16u);
  ByteBuffer c(4);
  c = std::move(b);
  EXPECT_EQ(c.Data(), memory);
  EXPECT_EQ(c.Size(), 16u);
}

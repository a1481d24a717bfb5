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

TEST(ByteBuffer, BytesForAFileOffsetSitWhereTheyLandInACacheLine) {
  for (size_t offset : {0u, 1u, 18u, 63u, 64u, 100u}) {
    auto plain = ByteBuffer::ForFileOffset(1000, offset);
    auto reusable = ByteBuffer::Reusable(1000, offset);
    for (ByteBuffer* buffer : {&plain, &reusable}) {
      EXPECT_EQ(reinterpret_cast<uintptr_t>(buffer->Data()) % 64, offset % 64) << offset;
      ASSERT_EQ(buffer->Size(), 1000u);
      EXPECT_TRUE(std::all_of(buffer->Data(), buffer->Data() + 1000, [](uint8_t b) { return b == 0; }));
      std::fill(buffer->Span().begin(), buffer->Span().end(), uint8_t{0xEE});
    }
  }
}

TEST(ByteBuffer, ReusedBlockComesBackClearedForASmallerBuffer) {
  const size_t size = 3u << 20;
  const uint8_t* first = nullptr;
  {
    auto buffer = ByteBuffer::Reusable(size, 18);
    first = buffer.Data();
    std::fill(buffer.Span().begin(), buffer.Span().end(), uint8_t{0xAB});
  }
  auto again = ByteBuffer::Reusable(size - 5000, 18);
  EXPECT_EQ(again.Data(), first);
  EXPECT_TRUE(std::all_of(again.Data(), again.Data() + again.Size(), [](uint8_t b) { return b == 0; }));
  // The block is in use: another buffer meanwhile gets one of its own.
  auto other = ByteBuffer::Reusable(size, 18);
  EXPECT_NE(other.Data(), again.Data());
}

TEST(ByteBuffer, MovedReusableBufferIsGivenBackOnce) {
  auto buffer = ByteBuffer::Reusable(4096, 0);
  const uint8_t* data = buffer.Data();
  ByteBuffer moved = std::move(buffer);
  ByteBuffer target(16);
  target = std::move(moved);
  EXPECT_EQ(target.Data(), data);
}

#include "imaging/SectionFixtures.h"

#include <gtest/gtest.h>

std::unique_ptr<cDIBSection> MakeSection(int32_t width, int32_t height) {
  auto section = std::make_unique<cDIBSection>();
  EXPECT_TRUE(section->Create(width, height)) << width << " x " << height;
  return section;
}

void FillRandom(cDIBSection& section, std::mt19937& generator) {
  const size_t bytes = static_cast<size_t>(section.BytesPerScanLine()) * section.Height();
  for (size_t i = 0; i < bytes; ++i) section.DIBSectionBitsPtr()[i] = static_cast<uint8_t>(generator());
}

uint8_t& ByteAt(const cDIBSection& section, int32_t x, int32_t y) {
  return section.DIBSectionBitsPtr()[static_cast<size_t>(y) * section.BytesPerScanLine() + x];
}

std::vector<uint8_t> PixelBytes(const cDIBSection& section) {
  std::vector<uint8_t> out;
  for (int32_t y = 0; y < section.Height(); ++y) {
    for (int32_t x = 0; x < 3 * section.Width(); ++x) out.push_back(ByteAt(section, x, y));
  }
  return out;
}

std::vector<uint8_t> PaddingBytes(const cDIBSection& section) {
  std::vector<uint8_t> out;
  for (int32_t y = 0; y < section.Height(); ++y) {
    for (int32_t x = 3 * section.Width(); x < section.BytesPerScanLine(); ++x)
      out.push_back(ByteAt(section, x, y));
  }
  return out;
}

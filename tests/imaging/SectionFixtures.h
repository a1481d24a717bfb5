#pragma once

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "imaging/cDIBSection.h"

// A created section of the given size; the test fails when it can't be made.
std::unique_ptr<cDIBSection> MakeSection(int32_t width, int32_t height);

// Every byte, padding included, from the generator.
void FillRandom(cDIBSection& section, std::mt19937& generator);

// Byte x of memory row y (row 0 is the picture's bottom row).
uint8_t& ByteAt(const cDIBSection& section, int32_t x, int32_t y);

// The pixel bytes of every row, padding left out.
std::vector<uint8_t> PixelBytes(const cDIBSection& section);

// All row padding bytes, in order.
std::vector<uint8_t> PaddingBytes(const cDIBSection& section);

#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class cDIBSection;

namespace mIntelJPEGLibrary {

constexpr int32_t kJpegErrorNumber = 26001;

// Writes the bitmap to a JPEG file at the given quality (clamped to 1..100 by
// the encoder) and returns true; every failure is raised, never returned.
// An existing file is replaced only once the new one is complete, and keeps
// its permission bits and access and modification times. A read-only one is
// never replaced: permission denied (70) and the file stays.
bool SaveJPEGinFile(cDIBSection& bitmap, std::string path, int32_t quality);

// The JPEG file the bitmap makes at the given quality, kept in memory.
std::vector<uint8_t> EncodeJPEG(cDIBSection& bitmap, int32_t quality);

// Writes an encoded file as SaveJPEGinFile does: whole or not at all, an
// existing file keeping its permission bits, and its times unless
// `keepTimes` is false (the command line's files get the time they were
// written, as every command-line tool's do, so backup and sync tools see them).
void WriteJPEGFile(const std::string& path, std::span<const uint8_t> bytes, bool keepTimes = true);

}  // namespace mIntelJPEGLibrary

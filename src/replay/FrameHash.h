// The fingerprints a recording holds: of every checked frame, so that a replay
// proves it showed the same pictures, and of the data set it was recorded with.
#pragma once
#include <cstdint>
#include <string>

namespace vandrel {

struct ShownFrame;

// FNV-1a 64 over the frame's size and every pixel as red, green, blue bytes, so
// the same picture hashes the same in any pixel format. 0 for no frame.
uint64_t frameHash(const ShownFrame& frame);
// FNV-1a 64 of the archive appended to the game at exePath; 0 without one.
uint64_t archiveHash(const std::string& exePath);

} // namespace vandrel

// Picture blocks made in the test: a JPEG of one flat colour and a 1-bit
// PNG mask, as the JP and PG blocks of a figure frame.
#pragma once
#include "support/TestArchive.h"

#include <cstdint>
#include <functional>

namespace vandrel::test {

// transparent(x, y) true marks a pixel that the mask makes transparent.
Bytes pictureBlocks(int32_t width, int32_t height, const std::function<bool(int32_t, int32_t)>& transparent);

// "FC", "TI" and the pictures of a frame set of count w x h frames, every
// info word the same.
Bytes frameSetBlocks(int32_t count, int32_t width, int32_t height, uint32_t info);

} // namespace vandrel::test

// Walks the blocks of an entry for pictures (JP colour + PG mask pairs), the
// backdrop's layer list and a frame set's FC and TI blocks.
#include "gfx/ImageLoader.h"

#include "data/BlockReader.h"
#include "data/DataLayout.h"
#include "gfx/Surface.h"
#include "base/LoadError.h"

#include <new>

namespace vandrel {
namespace {

void require(bool ok, const char* text = "") {
    if (!ok) throw LoadError(text);
}

// Runs one loader body, turning every loading failure into false.
template <typename Body>
bool guarded(Body body) {
    try {
        return body();
    } catch (const LoadError&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// Skips the blocks before the first one tagged tag, runs read inside it and
// leaves the reader past it.
template <typename Read>
bool readTaggedBlock(BlockReader* reader, uint16_t tag, Read read) {
    return guarded([&] {
        for (;;) {
            uint16_t seen = 0;
            require(reader->readHeader(seen));
            const bool found = seen == tag;
            if (found) read();
            require(reader->nextBlock());
            if (found) return true;
        }
    });
}

// Where a picture read leaves the reader once both halves are in.
enum class PictureEnd {
    NextBlock, // moved on past the last block read
    LastBlock, // still inside it, for the caller
};

// Reads blocks until both a colour (JP) and a mask (PG) block have been seen;
// an empty PG block stands for an all-opaque picture. fresh asks for a
// surface that has no picture yet.
bool readPicture(BlockReader* reader, Surface* surface, VideoDevice* device, bool fresh, PictureEnd end) {
    if (!reader || !surface || !device) return false;
    return guarded([&] {
        bool sawColour = false, sawMask = false;
        for (;;) {
            uint16_t tag = 0;
            require(reader->readHeader(tag));
            if (tag == blockTag::pngMask) {
                if (reader->blockLength() > 0) require(decodeMask(reader, surface));
                sawMask = true;
            } else if (tag == blockTag::jpegColour) {
                if (fresh) require(surface->width() == 0 && surface->height() == 0);
                require(decodeColour(reader, surface, device));
                sawColour = true;
            }
            const bool done = sawColour && sawMask;
            if (done && end == PictureEnd::LastBlock) return true;
            require(reader->nextBlock());
            if (done) return true;
        }
    });
}

} // namespace

bool loadImage(BlockReader* reader, Surface* surface, VideoDevice* device) {
    return readPicture(reader, surface, device, true, PictureEnd::NextBlock);
}

bool loadImagePair(BlockReader* reader, Surface* surface, VideoDevice* device) {
    return readPicture(reader, surface, device, false, PictureEnd::LastBlock);
}

bool loadImageList(BlockReader* reader, LayerList* layers, VideoDevice* device) {
    if (!reader || !layers || !device) return false;
    return guarded([&] {
        int32_t pictures = 0;
        for (;;) {
            uint16_t tag = 0;
            if (!reader->readHeader(tag)) {
                // The entry's end after at least one picture is its normal end.
                require(pictures > 0, "could not start block");
                return true;
            }
            const int32_t length = reader->blockLength();
            if (tag == blockTag::pngMask) {
                if (length != 0) require(layers->loadLayerAlpha(reader, length, pictures - 1));
            } else if (tag == blockTag::jpegColour) {
                require(layers->addLayer());
                ++pictures;
                require(layers->loadLayerColour(reader, length, pictures - 1, device));
            }
            require(reader->nextBlock());
        }
    });
}

bool readFrameCount(BlockReader* reader, int32_t& count) {
    if (!reader) return false;
    return readTaggedBlock(reader, blockTag::frameCount, [&] {
        // A short block would have us read the next block's header.
        require(reader->blockLength() >= 4);
        uint32_t value = 0;
        require(reader->readU32(&value));
        count = static_cast<int32_t>(value);
    });
}

bool readFrameWords(BlockReader* reader, int32_t& total, uint32_t* words, int32_t n) {
    if (!reader || (n > 0 && !words)) return false;
    return readTaggedBlock(reader, blockTag::frameTimes, [&] {
        require(static_cast<int64_t>(reader->blockLength()) >= 4 * static_cast<int64_t>(n));
        total = 0;
        for (int32_t i = 0; i < n; ++i) {
            require(reader->readU32(&words[i]));
            total += static_cast<int32_t>(words[i] & 0xFFF);
        }
    });
}

} // namespace vandrel

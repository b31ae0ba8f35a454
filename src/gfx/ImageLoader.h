// Pictures from tagged blocks: a JP block holds a JPEG with the colours, the
// PG block after it a 1-bit PNG whose white pixels become transparent. These
// loaders turn such pairs into surfaces and read a frame set's FC and TI blocks.
// All return false on any failure and throw nothing.
#pragma once
#include <cstdint>

namespace vandrel {

class BlockReader;
class Surface;
class VideoDevice;

// What the backdrop's list loader fills: one layer per colour picture. The
// landscape implements it; the loader sees only this.
class LayerList {
public:
    virtual ~LayerList() = default;
    // Appends a new, empty layer.
    virtual bool addLayer() = 0;
    // Decodes the JP block at the reader into layer index.
    virtual bool loadLayerColour(BlockReader* reader, int32_t blockLength, int32_t index, VideoDevice* device) = 0;
    // Applies the PG block at the reader to layer index.
    virtual bool loadLayerAlpha(BlockReader* reader, int32_t blockLength, int32_t index) = 0;
};

// The largest picture the decoder accepts, so a damaged header cannot ask for
// gigabytes: each side at most maxImageSide, in all at most maxImagePixels.
constexpr int32_t maxImageSide = 16384;
constexpr int64_t maxImagePixels = 16 * 1024 * 1024;

// The reader stands in a JP block whose header has been read: the surface is
// re-created at the picture's size and every row written.
bool decodeColour(BlockReader* reader, Surface* surface, VideoDevice* device);
// The reader stands in a non-empty PG block: its white pixels become the key
// colour. A mask of another size is applied where both exist.
bool decodeMask(BlockReader* reader, Surface* surface);

// One picture into an empty surface; the reader ends at the header of the
// block after the picture's PG block.
[[nodiscard]] bool loadImage(BlockReader* reader, Surface* surface, VideoDevice* device);
// One picture into a surface that may hold one; the reader ends inside the
// picture's last block (the caller steps on with nextBlock).
bool loadImagePair(BlockReader* reader, Surface* surface, VideoDevice* device);
// Reads the whole open entry, one layer per colour picture.
[[nodiscard]] bool loadImageList(BlockReader* reader, LayerList* layers, VideoDevice* device);

// The next FC block's frame count.
bool readFrameCount(BlockReader* reader, int32_t& count);
// The next TI block's first n words and the sum of their low 12 bits.
bool readFrameWords(BlockReader* reader, int32_t& total, uint32_t* words, int32_t n);

} // namespace vandrel

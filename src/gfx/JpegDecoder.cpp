// The colour half of a picture: a JPEG decoded by libjpeg straight from the
// open block, row by row into a surface of the picture's size.
#include "data/BlockReader.h"
#include "gfx/ImageLoader.h"
#include "gfx/Surface.h"
#include "base/LoadError.h"

#include <cstdio>
#include <jerror.h>
#include <jpeglib.h>
#include <new>
#include <vector>

namespace vandrel {
namespace {

constexpr size_t sourceBufferSize = 4096;

// The data source: reads the JP block through the reader, never past its end.
struct BlockSource {
    jpeg_source_mgr pub;
    BlockReader* reader;
    JOCTET* buffer;
    bool startOfFile;
};

BlockSource* sourceOf(j_decompress_ptr cinfo) { return reinterpret_cast<BlockSource*>(cinfo->src); }

void initSource(j_decompress_ptr cinfo) { sourceOf(cinfo)->startOfFile = true; }

boolean fillInputBuffer(j_decompress_ptr cinfo) {
    BlockSource* src = sourceOf(cinfo);
    int32_t n = src->reader->readSome(src->buffer, sourceBufferSize);
    if (n <= 0) {
        if (src->startOfFile) ERREXIT(cinfo, JERR_INPUT_EMPTY);
        // A block that ends early still ends the picture cleanly: hand the
        // decoder an end-of-image marker; the rows not in the data stay as
        // the decoder fills them.
        src->buffer[0] = 0xFF;
        src->buffer[1] = JPEG_EOI;
        n = 2;
    }
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = static_cast<size_t>(n);
    src->startOfFile = false;
    return TRUE;
}

void skipInputData(j_decompress_ptr cinfo, long count) {
    if (count <= 0) return;
    BlockSource* src = sourceOf(cinfo);
    size_t n = static_cast<size_t>(count);
    while (n > src->pub.bytes_in_buffer) {
        n -= src->pub.bytes_in_buffer;
        fillInputBuffer(cinfo);
    }
    src->pub.next_input_byte += n;
    src->pub.bytes_in_buffer -= n;
}

void termSource(j_decompress_ptr) {}

// libjpeg's fatal errors end the decode: the message goes to stderr as the
// library would print it, and the failure travels up as a loading failure.
[[noreturn]] void fatalError(j_common_ptr cinfo) {
    (*cinfo->err->output_message)(cinfo);
    jpeg_destroy(cinfo);
    throw LoadError("JPEG internal error");
}

// Destroys the decompression object however the decode ends (destroying
// twice is harmless: the fatal-error handler may have done it already).
struct Decompressor {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr errors{};
    Decompressor() {
        cinfo.err = jpeg_std_error(&errors);
        errors.error_exit = fatalError;
        jpeg_create_decompress(&cinfo);
    }
    ~Decompressor() { jpeg_destroy_decompress(&cinfo); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
};

// The rows the decoder asks libjpeg for.
enum class RowLayout {
    Quads, // blue, green, red, spare
    Rgb,   // red, green, blue (then swapped)
};

// How far a decode got, for clearing what it did not write when it fails.
struct Progress {
    bool created = false;
    int32_t rowsWritten = 0;
};

void decode(BlockReader* reader, Surface* surface, VideoDevice* device, Progress& progress) {
    Decompressor d;
    j_decompress_ptr cinfo = &d.cinfo;

    BlockSource source{};
    source.reader = reader;
    source.buffer = static_cast<JOCTET*>(
        (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sourceBufferSize));
    source.pub.init_source = initSource;
    source.pub.fill_input_buffer = fillInputBuffer;
    source.pub.skip_input_data = skipInputData;
    source.pub.resync_to_restart = jpeg_resync_to_restart;
    source.pub.term_source = termSource;
    cinfo->src = &source.pub;

    jpeg_read_header(cinfo, TRUE);
    const int64_t width = cinfo->image_width, height = cinfo->image_height;
    // A damaged header must not make us allocate gigabytes.
    if (width > maxImageSide || height > maxImageSide || width * height > maxImagePixels) throw LoadError();
        // Greyscale pictures come out as colour rows like all others. libjpeg-turbo
        // hands out rows in the surface's own byte order (blue, green, red and a
        // spare byte), copied into their tiles in one pass in every format; a
        // plain libjpeg gives red first.
#ifdef JCS_EXTENSIONS
    constexpr RowLayout layout = RowLayout::Quads;
    constexpr int components = 4;
    cinfo->out_color_space = JCS_EXT_BGRX;
#else
    constexpr RowLayout layout = RowLayout::Rgb;
    constexpr int components = 3;
    cinfo->out_color_space = JCS_RGB;
#endif
    jpeg_start_decompress(cinfo);
    if (cinfo->output_components != components) throw LoadError();

    // Every line is written below (or cleared if the decode fails), so the
    // new tiles need not be cleared first.
    if (!surface->createUncleared(static_cast<int32_t>(cinfo->output_width), static_cast<int32_t>(cinfo->output_height),
                                  device))
        throw LoadError();
    progress.created = true;
    std::vector<uint8_t> row(static_cast<size_t>(cinfo->output_width) * components);
    if (!surface->lock()) throw LoadError();
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_read_scanlines(cinfo, rows, 1);
        const int32_t y = static_cast<int32_t>(cinfo->output_scanline) - 1;
        if constexpr (layout == RowLayout::Quads) {
            surface->putQuadRow(row.data(), y, true);
        } else {
            for (size_t i = 0; i < row.size(); i += 3) std::swap(row[i], row[i + 2]);
            surface->putRow(row.data(), y, true);
        }
        progress.rowsWritten = y + 1;
    }
    if (!surface->unlock()) throw LoadError();
    jpeg_finish_decompress(cinfo);
}

} // namespace

bool decodeColour(BlockReader* reader, Surface* surface, VideoDevice* device) {
    if (!reader || !surface || !device) return false;
    Progress progress;
    const auto failed = [&] {
        // A surface left locked by a failed decode is unlocked again so that
        // it can at least be destroyed and re-created; the lines the decode
        // did not reach are cleared, as a new surface would have them.
        surface->unlock();
        if (progress.created) surface->clearLinesFrom(progress.rowsWritten);
        return false;
    };
    try {
        decode(reader, surface, device, progress);
        return true;
    } catch (const LoadError&) {
        return failed();
    } catch (const std::bad_alloc&) {
        return failed();
    }
}

} // namespace vandrel

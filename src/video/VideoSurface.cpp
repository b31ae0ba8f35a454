// Software video surfaces. Blits are the frame's main cost: same-size copies go
// row by row, keyed copies use the opaque runs of each source line (found once
// per key and kept until the pixels may change), and every per-pixel loop is
// specialised on the pixel size so no format decisions happen inside it.
#include "video/VideoSurface.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace vandrel {
namespace {

template <int Bytes>
inline uint32_t loadPixel(const uint8_t* p) {
    if constexpr (Bytes == 4) {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    } else if constexpr (Bytes == 2) {
        uint16_t v;
        std::memcpy(&v, p, 2);
        return v;
    } else {
        return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16);
    }
}

template <int Bytes>
inline void storePixel(uint8_t* p, uint32_t v) {
    if constexpr (Bytes == 4) {
        std::memcpy(p, &v, 4);
    } else if constexpr (Bytes == 2) {
        const uint16_t s = static_cast<uint16_t>(v);
        std::memcpy(p, &s, 2);
    } else {
        p[0] = static_cast<uint8_t>(v);
        p[1] = static_cast<uint8_t>(v >> 8);
        p[2] = static_cast<uint8_t>(v >> 16);
    }
}

// Copies one opaque run. Most runs are short, where a call into the library's
// memcpy costs more than the copy itself: they go in overlapping 16-, 8-, 4-
// or 2-byte pieces instead (a run is at least one 2-byte pixel).
inline void copyRun(uint8_t* d, const uint8_t* s, size_t n) {
    if (n >= 128) {
        std::memcpy(d, s, n);
        return;
    }
    if (n >= 16) {
        size_t i = 0;
        for (; i + 16 <= n; i += 16) std::memcpy(d + i, s + i, 16);
        if (i < n) std::memcpy(d + n - 16, s + n - 16, 16);
    } else if (n >= 8) {
        std::memcpy(d, s, 8);
        std::memcpy(d + n - 8, s + n - 8, 8);
    } else if (n >= 4) {
        std::memcpy(d, s, 4);
        std::memcpy(d + n - 4, s + n - 4, 4);
    } else {
        std::memcpy(d, s, 2);
        if (n > 2) d[2] = s[2];
    }
}

// Appends the opaque runs of one line to runs.
template <int Bytes, typename Run>
void findRuns(const uint8_t* line, int32_t width, uint32_t key, uint32_t colourBits, std::vector<Run>& runs) {
    int32_t x = 0;
    while (x < width) {
        while (x < width && (loadPixel<Bytes>(line + x * Bytes) & colourBits) == key) ++x;
        if (x >= width) break;
        const int32_t start = x;
        while (x < width && (loadPixel<Bytes>(line + x * Bytes) & colourBits) != key) ++x;
        runs.push_back(Run{static_cast<uint32_t>(start), static_cast<uint32_t>(x - start)});
    }
}

template <int Bytes>
void stretchLines(uint8_t* dstPixels, int32_t dstPitch, const Rect& dst, const uint8_t* srcPixels, int32_t srcPitch,
                  const Rect& src, bool keyed, uint32_t key, uint32_t colourBits) {
    const int32_t dw = dst.width(), dh = dst.height();
    const int64_t sw = src.width(), sh = src.height();
    std::vector<int32_t> columns(static_cast<size_t>(dw));
    for (int32_t i = 0; i < dw; ++i) columns[i] = (src.left + static_cast<int32_t>(i * sw / dw)) * Bytes;
    for (int32_t j = 0; j < dh; ++j) {
        const uint8_t* s = srcPixels + static_cast<size_t>(src.top + j * sh / dh) * srcPitch;
        uint8_t* d = dstPixels + static_cast<size_t>(dst.top + j) * dstPitch + static_cast<size_t>(dst.left) * Bytes;
        if (keyed) {
            for (int32_t i = 0; i < dw; ++i) {
                const uint32_t v = loadPixel<Bytes>(s + columns[i]);
                if ((v & colourBits) != key) storePixel<Bytes>(d + i * Bytes, v);
            }
        } else {
            for (int32_t i = 0; i < dw; ++i) storePixel<Bytes>(d + i * Bytes, loadPixel<Bytes>(s + columns[i]));
        }
    }
}

template <int Bytes>
void fillLines(uint8_t* pixels, int32_t pitch, const Rect& r, uint32_t value) {
    for (int32_t y = r.top; y < r.bottom; ++y) {
        uint8_t* d = pixels + static_cast<size_t>(y) * pitch + static_cast<size_t>(r.left) * Bytes;
        for (int32_t x = r.left; x < r.right; ++x, d += Bytes) storePixel<Bytes>(d, value);
    }
}

uint32_t colourBitsOf(const PixelFormat& f) { return f.redMask | f.greenMask | f.blueMask; }

int unclearedFill = -1;

// Pictures are released and loaded again on every switch between window and
// full screen. glibc hands blocks of their size straight back to the system
// and maps fresh, zeroed pages for the next load; keeping them in the heap
// lets the reload reuse them. Elsewhere the allocator's own habits stay.
void keepPixelMemoryForReloads() {
#if defined(__GLIBC__)
    static std::once_flag once;
    std::call_once(once, [] {
        mallopt(M_MMAP_THRESHOLD, 64 * 1024 * 1024);
        mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
    });
#endif
}

} // namespace

VideoSurface::VideoSurface(int32_t width, int32_t height, const PixelFormat& format, bool cleared)
    : width_(width), height_(height), format_(format) {
    keepPixelMemoryForReloads();
    const int32_t rowBytes = width_ * static_cast<int32_t>(format_.bytesPerPixel());
    pitch_ = (rowBytes + 3) & ~3;
    const size_t size = static_cast<size_t>(pitch_) * static_cast<size_t>(height_);
    if (cleared) {
        pixels_.assign(size, 0);
        return;
    }
    pixels_.resize(size);
    if (unclearedFill >= 0) std::memset(pixels_.data(), unclearedFill, size);
    if (pitch_ > rowBytes)
        for (int32_t y = 0; y < height_; ++y)
            std::memset(pixels_.data() + static_cast<size_t>(y) * pitch_ + rowBytes, 0,
                        static_cast<size_t>(pitch_ - rowBytes));
}

bool VideoSurface::swapPixels(VideoSurface& other) {
    if (locked_ || other.locked_ || width_ != other.width_ || height_ != other.height_ || format_ != other.format_)
        return false;
    pixels_.swap(other.pixels_);
    dropRuns();
    other.dropRuns();
    return true;
}

void VideoSurface::fillUnclearedWith(int value) { unclearedFill = value; }

bool VideoSurface::clearLines(int32_t first, int32_t last) {
    if (locked_) return false;
    first = std::clamp(first, 0, height_);
    last = std::clamp(last, first, height_);
    std::memset(pixels_.data() + static_cast<size_t>(first) * pitch_, 0, static_cast<size_t>(last - first) * pitch_);
    dropRuns();
    return true;
}

bool VideoSurface::lock(Lock& out, bool readOnly) {
    if (locked_) return false;
    locked_ = true;
    if (!readOnly) dropRuns();
    out.pixels = pixels_.data();
    out.pitch = pitch_;
    out.format = format_;
    return true;
}

bool VideoSurface::unlock() {
    if (!locked_) return false;
    locked_ = false;
    return true;
}

bool VideoSurface::setColorKey(uint32_t key) {
    key_ = key;
    hasKey_ = true;
    return true;
}

bool VideoSurface::validRect(const Rect& r) const {
    return r.left >= 0 && r.top >= 0 && r.right <= width_ && r.bottom <= height_ && r.left < r.right &&
           r.top < r.bottom;
}

void VideoSurface::prepareRuns() {
    const uint32_t colourBits = colourBitsOf(format_);
    const uint32_t key = key_ & colourBits;
    if (runsValid_ && runsKey_ == key) return;
    runs_.clear();
    lineRuns_.assign(static_cast<size_t>(height_) + 1, 0);
    for (int32_t y = 0; y < height_; ++y) {
        lineRuns_[y] = static_cast<uint32_t>(runs_.size());
        const uint8_t* line = pixels_.data() + static_cast<size_t>(y) * pitch_;
        switch (format_.bytesPerPixel()) {
        case 4: findRuns<4>(line, width_, key, colourBits, runs_); break;
        case 3: findRuns<3>(line, width_, key, colourBits, runs_); break;
        default: findRuns<2>(line, width_, key, colourBits, runs_); break;
        }
    }
    lineRuns_[height_] = static_cast<uint32_t>(runs_.size());
    runsKey_ = key;
    runsValid_ = true;
}

void VideoSurface::copyRect(const Rect& dst, const VideoSurface& src, const Rect& srcRect) {
    const size_t bpp = format_.bytesPerPixel();
    const size_t bytes = static_cast<size_t>(dst.width()) * bpp;
    const uint8_t* s = src.pixels_.data() + static_cast<size_t>(srcRect.top) * src.pitch_ + srcRect.left * bpp;
    uint8_t* d = pixels_.data() + static_cast<size_t>(dst.top) * pitch_ + dst.left * bpp;
    const int32_t lines = dst.height();
    if (&src == this) {
        // Overlapping lines of one surface: walk away from the overlap.
        if (dst.top > srcRect.top) {
            for (int32_t j = lines - 1; j >= 0; --j)
                std::memmove(d + static_cast<size_t>(j) * pitch_, s + static_cast<size_t>(j) * pitch_, bytes);
        } else {
            for (int32_t j = 0; j < lines; ++j)
                std::memmove(d + static_cast<size_t>(j) * pitch_, s + static_cast<size_t>(j) * pitch_, bytes);
        }
        return;
    }
    for (int32_t j = 0; j < lines; ++j, s += src.pitch_, d += pitch_) std::memcpy(d, s, bytes);
}

void VideoSurface::copyKeyedRuns(const Rect& dst, VideoSurface& src, const Rect& srcRect) {
    src.prepareRuns();
    const size_t bpp = format_.bytesPerPixel();
    const uint32_t left = static_cast<uint32_t>(srcRect.left);
    const uint32_t right = static_cast<uint32_t>(srcRect.right);
    const Run* runs = src.runs_.data();
    const int32_t lines = dst.height();
    for (int32_t j = 0; j < lines; ++j) {
        const int32_t sy = srcRect.top + j;
        const Run* run = runs + src.lineRuns_[sy];
        const Run* end = runs + src.lineRuns_[sy + 1];
        // Skip the runs that end left of the copied part.
        if (end - run > 8)
            run = std::partition_point(run, end, [left](const Run& r) { return r.start + r.length <= left; });
        else
            while (run != end && run->start + run->length <= left) ++run;
        const uint8_t* s = src.pixels_.data() + static_cast<size_t>(sy) * src.pitch_;
        uint8_t* d = pixels_.data() + static_cast<size_t>(dst.top + j) * pitch_ + static_cast<size_t>(dst.left) * bpp;
        for (; run != end && run->start < right; ++run) {
            const uint32_t a = std::max(run->start, left);
            const uint32_t b = std::min(run->start + run->length, right);
            copyRun(d + (a - left) * bpp, s + a * bpp, (b - a) * bpp);
        }
    }
}

void VideoSurface::stretch(const Rect& dst, const VideoSurface& src, const Rect& srcRect, bool keyed) {
    const uint32_t colourBits = colourBitsOf(format_);
    const uint32_t key = src.key_ & colourBits;
    switch (format_.bytesPerPixel()) {
    case 4:
        stretchLines<4>(pixels_.data(), pitch_, dst, src.pixels_.data(), src.pitch_, srcRect, keyed, key, colourBits);
        break;
    case 3:
        stretchLines<3>(pixels_.data(), pitch_, dst, src.pixels_.data(), src.pitch_, srcRect, keyed, key, colourBits);
        break;
    default:
        stretchLines<2>(pixels_.data(), pitch_, dst, src.pixels_.data(), src.pitch_, srcRect, keyed, key, colourBits);
        break;
    }
}

bool VideoSurface::blt(const Rect* dstRect, VideoSurface* source, const Rect* srcRect, bool useKey) {
    if (!source || locked_ || source->locked_) return false;
    if (source->format_ != format_) return false;
    if (useKey && !source->hasKey_) return false;
    const Rect dst = dstRect ? *dstRect : Rect{0, 0, width_, height_};
    const Rect src = srcRect ? *srcRect : Rect{0, 0, source->width_, source->height_};
    if (!validRect(dst) || !source->validRect(src)) return false;

    const bool sameSize = dst.width() == src.width() && dst.height() == src.height();
    if (sameSize && !useKey)
        copyRect(dst, *source, src);
    else if (sameSize && source != this)
        copyKeyedRuns(dst, *source, src);
    else if (source == this) {
        // Stretching or keying within one surface reads what it writes: go
        // through a copy of the source.
        VideoSurface copy(width_, height_, format_);
        copy.pixels_ = pixels_;
        copy.key_ = key_;
        copy.hasKey_ = hasKey_;
        stretch(dst, copy, src, useKey);
    } else
        stretch(dst, *source, src, useKey);
    dropRuns();
    return true;
}

bool VideoSurface::fill(const Rect* rect, uint32_t value) {
    if (locked_) return false;
    const Rect r = rect ? *rect : Rect{0, 0, width_, height_};
    if (!validRect(r)) return false;
    switch (format_.bytesPerPixel()) {
    case 4: fillLines<4>(pixels_.data(), pitch_, r, value); break;
    case 3: fillLines<3>(pixels_.data(), pitch_, r, value); break;
    default: fillLines<2>(pixels_.data(), pitch_, r, value); break;
    }
    dropRuns();
    return true;
}

} // namespace vandrel

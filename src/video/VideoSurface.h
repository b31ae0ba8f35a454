// A block of pixels in one pixel format with the few operations the game needs
// from video memory: exclusive locking, a source colour key and rectangle blits
// (copied 1:1 or stretched nearest-neighbour, keyed or not).
#pragma once
#include "base/Rect.h"
#include "video/PixelFormat.h"
#include "video/PixelView.h"

#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace vandrel {

class VideoSurface {
public:
    // What a lock hands out: the first pixel, the bytes per line and the format.
    struct Lock {
        uint8_t* pixels = nullptr;
        int32_t pitch = 0;
        PixelFormat format;
    };

    // Pixels start out zero, or undefined when cleared is false (for a picture
    // whose every line is written before it is shown; the padding at the end
    // of each line is zero either way). Width and height must be positive and
    // the format valid (see VideoDevice::createSurface, which checks both).
    VideoSurface(int32_t width, int32_t height, const PixelFormat& format, bool cleared = true);
    VideoSurface(const VideoSurface&) = delete;
    VideoSurface& operator=(const VideoSurface&) = delete;

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    int32_t pitch() const { return pitch_; }
    const PixelFormat& format() const { return format_; }

    // Direct access to the pixels; fails while the surface is already locked.
    // A read-only lock promises not to write, so prepared blit data is kept.
    bool lock(Lock& out, bool readOnly = false);
    // Fails when the surface is not locked.
    bool unlock();
    bool isLocked() const { return locked_; }

    // The source colour key: pixels of this value (compared on the colour bits
    // only) are skipped by keyed blits from this surface.
    bool setColorKey(uint32_t key);
    void clearColorKey() { hasKey_ = false; }
    bool hasColorKey() const { return hasKey_; }
    uint32_t colorKey() const { return key_; }

    // Copies srcRect of source onto dstRect of this surface; null rectangles
    // mean the whole surface. Rectangles of different sizes stretch. Fails when
    // either surface is locked, when a rectangle is empty or reaches outside its
    // surface, when source is null, or when the formats differ. With useKey the
    // source's colour key is honoured; a keyed blit from a source without a key fails.
    bool blt(const Rect* dstRect, VideoSurface* source, const Rect* srcRect, bool useKey);

    // Fills a rectangle (null: everything) with a raw pixel value; the same
    // failures as blt for this surface.
    bool fill(const Rect* rect, uint32_t value);

    // Exchanges the pixels with another surface of the same size and format
    // (a flip); fails when either is locked or they differ.
    bool swapPixels(VideoSurface& other);

    // Tests: uncleared surfaces made from now on are filled with this byte, so
    // that what a writer left out shows; a negative value stops it.
    static void fillUnclearedWith(int value);

    // Sets lines [first, last) to zero; the same failures as fill.
    bool clearLines(int32_t first, int32_t last);

    // Raw reading, no lock needed: for presenting a finished frame, for hit
    // tests and for tests and tools that look at a picture.
    const uint8_t* pixels() const { return pixels_.data(); }
    PixelView view() const { return PixelView{pixels_.data(), width_, height_, pitch_, format_}; }
    uint32_t pixelAt(int32_t x, int32_t y) const { return view().pixelAt(x, y); }

private:
    struct Run {
        uint32_t start;
        uint32_t length;
    };

    bool validRect(const Rect& r) const;
    void prepareRuns();
    void dropRuns() { runsValid_ = false; }
    void copyRect(const Rect& dst, const VideoSurface& src, const Rect& srcRect);
    void copyKeyedRuns(const Rect& dst, VideoSurface& src, const Rect& srcRect);
    void stretch(const Rect& dst, const VideoSurface& src, const Rect& srcRect, bool keyed);

    int32_t width_;
    int32_t height_;
    int32_t pitch_;
    PixelFormat format_;
    // Grows without zeroing: new pixels are cleared only when asked for.
    template <typename T>
    struct Uncleared : std::allocator<T> {
        template <typename U>
        struct rebind {
            using other = Uncleared<U>;
        };
        Uncleared() = default;
        template <typename U>
        Uncleared(const Uncleared<U>&) noexcept {}
        template <typename U>
        void construct(U* p) noexcept {
            ::new (static_cast<void*>(p)) U;
        }
        template <typename U, typename... Args>
        void construct(U* p, Args&&... args) {
            ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
        }
    };
    std::vector<uint8_t, Uncleared<uint8_t>> pixels_;
    bool locked_ = false;
    bool hasKey_ = false;
    uint32_t key_ = 0;

    // Opaque runs of every line for the key they were found with: the start of
    // each line's runs in runs_ (height + 1 entries), dropped by a writing lock
    // or by drawing into this surface.
    bool runsValid_ = false;
    uint32_t runsKey_ = 0;
    std::vector<uint32_t> lineRuns_;
    std::vector<Run> runs_;
};

} // namespace vandrel

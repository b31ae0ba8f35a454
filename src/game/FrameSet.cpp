// Frame sets: loading from the figure entry, timing, mirroring, drawing and
// the per-pixel hit test.
#include "game/FrameSet.h"

#include "data/BlockReader.h"
#include "gfx/ImageLoader.h"

#include <algorithm>

namespace vandrel {

uint32_t FrameSet::withDefaultHotspot(uint32_t info, int32_t width, int32_t height) {
    // A word that names no hotspot at all gets the picture's centre; so a
    // hotspot of (0, 0) cannot be stored.
    if ((info & 0xFFFFF000u) != 0) return info;
    const uint32_t hx = static_cast<uint32_t>(width / 2);
    const uint32_t hy = static_cast<uint32_t>(height / 2) & 0x3FFu;
    return (info & 0xFFFu) | (hy << 12) | (hx << 22);
}

void FrameSet::destroy() {
    frames.clear();
    mirroredFrames.clear();
    mirroredBuilt = false;
    totalDuration = 0;
    frameCount = 0;
}

bool FrameSet::load(BlockReader* reader, VideoDevice* device) {
    if (!reader || !device) return false;
    frames.clear();
    mirroredFrames.clear();
    mirroredBuilt = false;

    int32_t n = 0;
    if (!readFrameCount(reader, n)) return false;
    if (n < 1) return false;
    // Every frame needs at least its info word in what is left of the entry,
    // so a damaged count cannot make us allocate more than the entry holds.
    const int32_t left = reader->size() - reader->tell();
    if (left < 0 || n > left / 4) return false;

    std::vector<uint32_t> words(static_cast<size_t>(n), 0);
    int32_t total = 0;
    if (!readFrameWords(reader, total, words.data(), n)) return false;

    for (int32_t i = 0; i < n; ++i) {
        auto frame = std::make_unique<Frame>();
        frame->info = words[static_cast<size_t>(i)];
        if (!loadImage(reader, &frame->surface, device)) break; // the set ends here
        frame->info = withDefaultHotspot(frame->info, frame->surface.width(), frame->surface.height());
        frames.push_back(std::move(frame));
    }
    recount();
    return true;
}

void FrameSet::addFrame(std::unique_ptr<Frame> frame) {
    frame->info = withDefaultHotspot(frame->info, frame->surface.width(), frame->surface.height());
    frames.push_back(std::move(frame));
    recount();
}

void FrameSet::recount() {
    int32_t sum = 0;
    for (const auto& f : frames) sum += static_cast<int32_t>(f->duration());
    totalDuration = sum;
    frameCount = static_cast<int32_t>(frames.size());
}

int32_t FrameSet::frameAt(int32_t elapsed) const {
    if (totalDuration == 0) return 0;
    const int32_t r = elapsed % totalDuration;
    uint32_t s = 0;
    for (size_t i = 0; i < frames.size(); ++i) {
        s += frames[i]->duration();
        // Unsigned on purpose: a negative remainder (a figure made after the
        // frame's time was read) matches no frame and so shows none.
        if (static_cast<uint32_t>(r) <= s) return static_cast<int32_t>(i);
    }
    return frameCount;
}

void FrameSet::buildMirrored(VideoDevice* device) {
    mirroredFrames.clear();
    for (const auto& source : frames) {
        const int32_t w = source->surface.width();
        const int32_t h = source->surface.height();
        auto mirror = std::make_unique<Frame>();
        if (!mirror->surface.create(w, h, device)) return;
        std::vector<uint8_t> row(static_cast<size_t>(w) * 3);
        if (!mirror->surface.lock()) return;
        if (!source->surface.lock()) {
            mirror->surface.unlock();
            return;
        }
        for (int32_t y = 0; y < h; ++y) {
            source->surface.getRow(row.data(), y, true);
            // No key adjustment: transparent pixels must stay transparent.
            mirror->surface.putRow(row.data(), y, false);
        }
        const bool mirrorUnlocked = mirror->surface.unlock();
        const bool sourceUnlocked = source->surface.unlock();
        if (!mirrorUnlocked || !sourceUnlocked) return;
        const uint32_t hx = static_cast<uint32_t>(w) - source->hotspotX();
        mirror->info = (source->info & 0x3FFFFFu) | (hx << 22);
        mirroredFrames.push_back(std::move(mirror));
        mirroredBuilt = true;
    }
}

Frame* FrameSet::pick(int32_t index, bool useMirrored) const {
    const auto& list = useMirrored ? mirroredFrames : frames;
    if (index < 0 || static_cast<size_t>(index) >= list.size()) return nullptr;
    return list[static_cast<size_t>(index)].get();
}

bool FrameSet::draw(VideoSurface* target, const Rect* clip, int32_t x, int32_t y, int32_t index, bool useMirrored) {
    if (!target || !clip) return false;
    Frame* a = pick(index, false);
    if (!a) return true;
    Frame* b = pick(index, true);
    if (useMirrored && !b) return false;
    const int32_t w = a->surface.width();
    const int32_t h = a->surface.height();
    Frame* shown = useMirrored ? b : a;
    shown->surface.blit(target, *clip, x - w / 2, y - h / 2, true, 100.0f);
    return true;
}

bool FrameSet::hitTest(int32_t x, int32_t y, int32_t index, int32_t px, int32_t py, bool useMirrored) const {
    const Frame* f = pick(index, useMirrored);
    if (!f) return false;
    const int32_t w = f->surface.width();
    const int32_t h = f->surface.height();
    return f->surface.isOpaqueAt(px - x + w / 2, py - y + h / 2);
}

bool FrameSet::hotspotAt(int32_t x, int32_t y, int32_t index, bool useMirrored, int32_t& hx, int32_t& hy) const {
    const Frame* f = pick(index, useMirrored);
    if (!f) return false;
    const int32_t w = f->surface.width();
    const int32_t h = f->surface.height();
    hx = x - w / 2 + static_cast<int32_t>(f->hotspotX());
    hy = y - h / 2 + static_cast<int32_t>(f->hotspotY());
    return true;
}

} // namespace vandrel

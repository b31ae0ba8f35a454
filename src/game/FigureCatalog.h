// The figure definitions read from the "figur.xx" entry: the kinds of figure
// and the animations they are drawn with.
#pragma once
#include "game/FigureType.h"
#include "game/FrameSet.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace vandrel {

class BlockReader;
class VideoDevice;

struct Animation {
    int32_t id = 0;
    FrameSet frames;
};

class FigureCatalog {
public:
    // The depth layers a type may live on, back to front.
    static constexpr int32_t layerCount = 6;

    FigureCatalog() = default;
    FigureCatalog(const FigureCatalog&) = delete;
    FigureCatalog& operator=(const FigureCatalog&) = delete;

    // Reads the whole figure entry. False fails the full load; what was read
    // before the failure stays until the next clear.
    [[nodiscard]] bool load(BlockReader* reader, VideoDevice* device);
    // Destroys every animation and type with their figures, frame sets and sounds.
    void clear();

    Animation* findAnimation(int32_t id);
    const Animation* findAnimation(int32_t id) const;
    int32_t typeCount() const { return static_cast<int32_t>(types.size()); }
    FigureType* typeAt(int32_t index);
    const FigureType* typeAt(int32_t index) const;

    std::vector<std::unique_ptr<Animation>> animations;
    std::vector<std::unique_ptr<FigureType>> types;

private:
    bool readEntry(BlockReader* reader, VideoDevice* device);
    bool readTypeGroup(BlockReader* reader, VideoDevice* device, FigureType& type);
    bool typeIsPlayable(const FigureType& type) const;
};

} // namespace vandrel

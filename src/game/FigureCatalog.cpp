// Loading the figure entry: the types with their sounds and hit effects, the
// animations, and the mirrored frames that leftward figures are drawn with.
#include "game/FigureCatalog.h"

#include "base/LoadError.h"
#include "data/BlockReader.h"
#include "data/DataLayout.h"

namespace vandrel {

namespace {

// The smallest possible type group is a bare "F3" block, the smallest
// animation group at least an "F6" block; counts that could not fit in what
// is left of the entry are damaged and must not size an allocation.
constexpr int32_t minTypeGroupBytes = 6 + 45;
// More live figures of one type than any screen could show.
constexpr int32_t maxFiguresPerType = 1000;
constexpr int32_t minAnimationGroupBytes = 6 + 4;

bool readI32(BlockReader* reader, int32_t& out) {
    uint32_t v = 0;
    if (!reader->readU32(&v)) return false;
    out = static_cast<int32_t>(v);
    return true;
}

bool expectHeader(BlockReader* reader, uint16_t wanted) {
    uint16_t tag = 0;
    return reader->readHeader(tag) && tag == wanted;
}

bool countFits(BlockReader* reader, int32_t count, int32_t bytesEach) {
    const int32_t left = reader->size() - reader->tell();
    return count <= 0 || (left >= 0 && count <= left / bytesEach);
}

} // namespace

void FigureCatalog::clear() {
    animations.clear();
    types.clear();
}

Animation* FigureCatalog::findAnimation(int32_t id) {
    for (auto& a : animations)
        if (a->id == id) return a.get();
    return nullptr;
}

const Animation* FigureCatalog::findAnimation(int32_t id) const {
    for (const auto& a : animations)
        if (a->id == id) return a.get();
    return nullptr;
}

FigureType* FigureCatalog::typeAt(int32_t index) {
    if (index < 0 || index >= typeCount()) return nullptr;
    return types[static_cast<size_t>(index)].get();
}

const FigureType* FigureCatalog::typeAt(int32_t index) const {
    if (index < 0 || index >= typeCount()) return nullptr;
    return types[static_cast<size_t>(index)].get();
}

bool FigureCatalog::load(BlockReader* reader, VideoDevice* device) {
    if (!reader || !device) return false;
    clear();
    try {
        return readEntry(reader, device);
    } catch (const LoadError&) {
        return false;
    }
}

bool FigureCatalog::readTypeGroup(BlockReader* reader, VideoDevice* device, FigureType& type) {
    uint16_t tag = 0;
    if (!reader->readHeader(tag)) return false;
    if (tag == blockTag::hitSound) {
        if (reader->blockLength() > 0 && !type.hitSound.load(reader, false)) return false;
        if (!reader->nextBlock() || !reader->readHeader(tag)) return false;
    }
    if (tag == blockTag::hitEffect) {
        uint8_t own = 0;
        if (!readI32(reader, type.effectSource) || !reader->readU8(&own)) return false;
        type.hasOwnFrames = own;
        if (!reader->nextBlock()) return false;
        if (type.hasOwnFrames && !type.ownFrames.load(reader, device)) return false;
        if (!reader->readHeader(tag)) return false;
    }
    if (tag != blockTag::figureType) return false;
    int32_t* const fields[] = {&type.animationId, &type.baseY,       &type.ySpread,    &type.layer,
                               &type.baseSpeed,   &type.speedSpread, &type.scoreValue, &type.maxCount,
                               &type.hitPoints,   &type.spawnChance, &type.motion};
    for (int32_t* field : fields)
        if (!readI32(reader, *field)) return false;
    if (!reader->readU8(&type.mirrored)) return false;
    if (!reader->nextBlock()) return false;
    // The rest of the game indexes tables by these; a type outside them
    // could never be drawn correctly.
    if (type.motion < MotionRight || type.motion > MotionWaveLeft) return false;
    if (type.layer < 0 || type.layer >= layerCount) return false;
    // A round starts with a tenth of the most figures and may hold them all at
    // once: a damaged count must not size millions of live figures.
    if (type.maxCount > maxFiguresPerType) return false;
    return true;
}

bool FigureCatalog::typeIsPlayable(const FigureType& type) const {
    // Figures are timed modulo their animation's length, so it must exist
    // and take time.
    if (type.animationId < 0) return false;
    const Animation* a = findAnimation(type.animationId);
    return a && a->frames.totalDuration > 0;
}

bool FigureCatalog::readEntry(BlockReader* reader, VideoDevice* device) {
    int32_t typeTotal = 0;
    if (!expectHeader(reader, blockTag::typeCount) || !readI32(reader, typeTotal) || !reader->nextBlock()) return false;
    if (!countFits(reader, typeTotal, minTypeGroupBytes)) return false;
    for (int32_t i = 0; i < typeTotal; ++i) types.push_back(std::make_unique<FigureType>());

    for (auto& type : types)
        if (!readTypeGroup(reader, device, *type)) return false;

    // Resolved only now, so a type may name a later one.
    for (auto& type : types) {
        if (type->effectSource == -1) continue;
        if (type->effectSource < 0 || type->effectSource >= typeCount()) return false;
        type->effectFrames = &types[static_cast<size_t>(type->effectSource)]->ownFrames;
    }

    int32_t animationTotal = 0;
    if (!expectHeader(reader, blockTag::animationCount) || !readI32(reader, animationTotal) || !reader->nextBlock())
        return false;
    if (!countFits(reader, animationTotal, minAnimationGroupBytes)) return false;
    for (int32_t i = 0; i < animationTotal; ++i) animations.push_back(std::make_unique<Animation>());
    for (auto& animation : animations) {
        if (!animation->frames.load(reader, device)) return false;
        if (!expectHeader(reader, blockTag::animationId) || !readI32(reader, animation->id) || !reader->nextBlock())
            return false;
    }

    for (const auto& type : types)
        if (!typeIsPlayable(*type)) return false;

    // An animation shared by several mirrored types is mirrored once.
    for (const auto& type : types) {
        if (!type->mirrored) continue;
        Animation* a = findAnimation(type->animationId);
        if (!a->frames.mirroredBuilt) a->frames.buildMirrored(device);
    }
    return true;
}

} // namespace vandrel

// The game pads SDL knows as game controllers: each opened when SDL reports
// it (at the start and when plugged in later), closed when pulled out, and
// what they hold together read as one PadState, so any number of pads drive
// the one cross-hair. Mappings: SDL's own database and SDL_GAMECONTROLLERCONFIG,
// plus a file added before the first events are taken.
#pragma once
#include "input/PadInput.h"

#include <cstdint>
#include <filesystem>
#include <vector>

struct _SDL_GameController;
union SDL_Event;

namespace vandrel {

class SdlPads {
public:
    SdlPads() = default;
    ~SdlPads();
    SdlPads(const SdlPads&) = delete;
    SdlPads& operator=(const SdlPads&) = delete;

    // Starts SDL's game controller system; false (and no pads) when it cannot.
    bool start();
    // Adds the mappings of an SDL game controller database file (one
    // "GUID,name,mapping" a line), when it exists; the number added, -1 when
    // the file is there but cannot be read or is too large to be one. Before
    // the first events are taken, so the pads present then use them.
    static int addMappings(const std::filesystem::path& file);

    // Takes a pad's event (added, removed, buttons, axes); false for any other.
    bool handle(const SDL_Event& e);
    // What all open pads hold now, as SDL last read them: every button any of
    // them holds, each stick and trigger from the pad that pushes it farthest.
    // Read from the pads themselves, not gathered from their events: a stick
    // held still sends none, and SDL sends none for the first value an axis
    // reports, which it takes for the axis's rest (a browser's pad does that).
    PadState state() const;
    std::size_t count() const { return pads_.size(); }
    // A short rumble of every open pad, strength 0 to 65535 for ms
    // milliseconds; a pad without a motor (or SDL without the support) stays still.
    void rumble(uint16_t strength, uint32_t ms) const;

private:
    struct Pad {
        int32_t id = -1; // SDL's instance id
        _SDL_GameController* controller = nullptr;
    };
    void open(int32_t deviceIndex);
    void close(int32_t id);

    bool started_ = false;
    std::vector<Pad> pads_;
};

} // namespace vandrel

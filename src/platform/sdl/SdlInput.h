// How SDL's events become the game's window messages: keys with Windows key
// codes, the pointer in frame pixels, typed characters and the window's
// activation. Nothing here calls SDL: what the translation needs to know of
// the window comes in with each event, so tests feed it events without a
// video driver.
#pragma once
#include "platform/MessageQueue.h"
#include "platform/Presentation.h"

#include <cstdint>

union SDL_Event;

namespace vandrel {

// The window as the translation of one event sees it.
struct InputView {
    // SDL's number for the game's window; events of other windows are not ours.
    uint32_t windowId = 0;
    // The window and the frame the game sees (its client area) on it.
    PresentationShape shape;
    // SDL's keyboard modifiers at the time (SDL_GetModState()).
    uint16_t modState = 0;
};

class SdlInput {
public:
    // Posts what the event means to the game into out; events the game never
    // hears of post nothing.
    void translate(const SDL_Event& e, const InputView& view, MessageQueue& out);

    // Whether the window is minimised or hidden, as its events told.
    bool stopped() const { return minimised_ || hidden_; }

private:
    void translateWindowEvent(uint8_t event, MessageQueue& out);
    void translateKey(const SDL_Event& e, MessageQueue& out);
    // Activate with the minimised flag while the window is minimised or hidden,
    // whatever the focus does meanwhile.
    void postActivation(uint64_t state, MessageQueue& out) const;

    bool minimised_ = false;
    bool hidden_ = false;
};

} // namespace vandrel

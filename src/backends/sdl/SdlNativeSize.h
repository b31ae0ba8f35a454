// The size a window really has on the window system, asked of the window
// system itself rather than of SDL, which takes the desktop's size for a
// window as soon as full screen is asked for, granted or not.
#pragma once
#include <cstdint>

struct SDL_Window;

namespace vandrel {

// The window's drawable size in pixels as the window system has it now.
// False where only SDL can tell (every system but X11) or the query fails.
bool nativeWindowSize(SDL_Window* window, int32_t& width, int32_t& height);

} // namespace vandrel

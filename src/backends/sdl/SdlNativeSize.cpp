// The window's real size from X11. Apart from the window code because Xlib's
// header defines names (Window, None, Bool, Status) the game uses for its own.
// Xlib is found in the process, where SDL has loaded it, so the game links
// nothing more than SDL.
#include "backends/sdl/SdlNativeSize.h"

#include <SDL.h>
#if defined(SDL_VIDEO_DRIVER_X11)
// Only for X11: elsewhere this header brings in a system's own (windows.h).
#include <SDL_syswm.h>
#endif

namespace vandrel {

bool nativeWindowSize(SDL_Window* window, int32_t& width, int32_t& height) {
#if defined(SDL_VIDEO_DRIVER_X11)
    if (!window) return false;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) return false;
    using GetGeometry = decltype(&XGetGeometry);
    static const GetGeometry getGeometry = []() -> GetGeometry {
        void* xlib = SDL_LoadObject("libX11.so.6");
        return xlib ? reinterpret_cast<GetGeometry>(SDL_LoadFunction(xlib, "XGetGeometry")) : nullptr;
    }();
    if (!getGeometry) return false;
    ::Window root = 0;
    int x = 0, y = 0;
    unsigned int w = 0, h = 0, border = 0, depth = 0;
    if (getGeometry(info.info.x11.display, info.info.x11.window, &root, &x, &y, &w, &h, &border, &depth) == 0)
        return false;
    if (w == 0 || h == 0 || w > 0x7FFFu || h > 0x7FFFu) return false;
    width = static_cast<int32_t>(w);
    height = static_cast<int32_t>(h);
    return true;
#else
    (void)window;
    (void)width;
    (void)height;
    return false;
#endif
}

} // namespace vandrel

// Window messages as the game's window procedure knows them: the message
// numbers, virtual-key codes and system commands keep their Windows values,
// so the procedure reads the same on every backend.
#pragma once
#include <cstdint>

namespace vandrel {

struct Message {
    uint32_t message = 0;
    uint64_t wParam = 0;
    int64_t lParam = 0;
};

// The message, key and command names keep their Windows spelling as well, so
// the naming check leaves them to it.
// NOLINTBEGIN(readability-identifier-naming)
namespace msg {
inline constexpr uint32_t Destroy = 0x0002;
inline constexpr uint32_t Activate = 0x0006;
inline constexpr uint32_t Close = 0x0010;
inline constexpr uint32_t Quit = 0x0012;
inline constexpr uint32_t GetMinMaxInfo = 0x0024;
inline constexpr uint32_t NcMouseMove = 0x00A0;
inline constexpr uint32_t KeyDown = 0x0100;
inline constexpr uint32_t KeyUp = 0x0101;
inline constexpr uint32_t Char = 0x0102;
inline constexpr uint32_t SysKeyDown = 0x0104;
inline constexpr uint32_t SysKeyUp = 0x0105;
inline constexpr uint32_t SysChar = 0x0106;
inline constexpr uint32_t SysCommand = 0x0112;
inline constexpr uint32_t MouseMove = 0x0200;
inline constexpr uint32_t LButtonDown = 0x0201;
inline constexpr uint32_t LButtonUp = 0x0202;
inline constexpr uint32_t LButtonDblClk = 0x0203;
inline constexpr uint32_t RButtonDown = 0x0204;
inline constexpr uint32_t RButtonUp = 0x0205;
inline constexpr uint32_t MouseWheel = 0x020A;
} // namespace msg
// NOLINTEND(readability-identifier-naming)

// Activate's wParam: the window is active (its low word), and the backends
// set the minimised bit while the window is minimised.
inline constexpr uint64_t activateActive = 0x1;
inline constexpr uint64_t activateMinimised = 0x10000;

// Mouse messages' wParam: the buttons held.
inline constexpr uint64_t mouseLeftHeld = 0x1;
inline constexpr uint64_t mouseRightHeld = 0x2;

// MouseWheel's wParam: the turn in its high word, signed, wheelNotch a
// notch, more than 0 away from the player.
inline constexpr int32_t wheelNotch = 120;
constexpr uint64_t makeWheelParam(int32_t turn) { return static_cast<uint64_t>(static_cast<uint16_t>(turn)) << 16; }
constexpr int32_t wheelParamTurn(uint64_t wParam) { return static_cast<int16_t>(static_cast<uint16_t>(wParam >> 16)); }

// KeyDown's lParam: set when the key was down already (the keyboard repeats it).
inline constexpr int64_t keyRepeated = int64_t{1} << 30;

// NOLINTBEGIN(readability-identifier-naming)
namespace vk {
inline constexpr uint32_t Back = 0x08;
inline constexpr uint32_t Tab = 0x09;
inline constexpr uint32_t Return = 0x0D;
inline constexpr uint32_t Shift = 0x10;
inline constexpr uint32_t Control = 0x11;
inline constexpr uint32_t Menu = 0x12;
inline constexpr uint32_t Escape = 0x1B;
inline constexpr uint32_t Space = 0x20;
inline constexpr uint32_t Left = 0x25;
inline constexpr uint32_t Up = 0x26;
inline constexpr uint32_t Right = 0x27;
inline constexpr uint32_t Down = 0x28;
inline constexpr uint32_t Delete = 0x2E;
} // namespace vk
// NOLINTEND(readability-identifier-naming)

// The character a key types on its own, as the keyboard translation sends it
// with the key for the keys that bring no text input of their own; 0 for others.
constexpr uint32_t controlChar(uint32_t vkCode) {
    switch (vkCode) {
    case vk::Return: return 13;
    case vk::Back: return 8;
    case vk::Escape: return 27;
    case vk::Tab: return 9;
    default: return 0;
    }
}

// NOLINTBEGIN(readability-identifier-naming)
namespace sc {
inline constexpr uint64_t Maximize = 0xF030;
inline constexpr uint64_t Restore = 0xF120;
} // namespace sc
// NOLINTEND(readability-identifier-naming)

// Mouse messages carry the client position in lParam: x in the low 16 bits,
// y in the next 16, each read back sign-extended.
constexpr int64_t makePointParam(int32_t x, int32_t y) {
    return static_cast<int64_t>((static_cast<uint32_t>(x) & 0xFFFFu) | ((static_cast<uint32_t>(y) & 0xFFFFu) << 16));
}
constexpr int32_t pointParamX(int64_t lParam) { return static_cast<int16_t>(static_cast<uint16_t>(lParam & 0xFFFF)); }
constexpr int32_t pointParamY(int64_t lParam) {
    return static_cast<int16_t>(static_cast<uint16_t>((lParam >> 16) & 0xFFFF));
}

} // namespace vandrel

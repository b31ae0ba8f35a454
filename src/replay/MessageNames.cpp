// The names of window messages in recordings, lower case as the game's messages
// are called, and the messages whose lParam is a point.
#include "replay/MessageNames.h"

#include "input/Messages.h"

#include <array>
#include <charconv>
#include <cstdio>

namespace vandrel {
namespace {

struct NamedMessage {
    const char* name;
    uint32_t message;
    bool point; // lParam holds a client position
};

constexpr std::array<NamedMessage, 17> namedMessages{{
    {"activate", msg::Activate, false},
    {"close", msg::Close, false},
    {"ncmousemove", msg::NcMouseMove, false},
    {"keydown", msg::KeyDown, false},
    {"keyup", msg::KeyUp, false},
    {"char", msg::Char, false},
    {"syskeydown", msg::SysKeyDown, false},
    {"syskeyup", msg::SysKeyUp, false},
    {"syschar", msg::SysChar, false},
    {"syscommand", msg::SysCommand, false},
    {"mousemove", msg::MouseMove, true},
    {"lbuttondown", msg::LButtonDown, true},
    {"lbuttonup", msg::LButtonUp, true},
    {"lbuttondblclk", msg::LButtonDblClk, true},
    {"rbuttondown", msg::RButtonDown, true},
    {"rbuttonup", msg::RButtonUp, true},
    {"destroy", msg::Destroy, false},
}};

bool hexNumber(std::string_view text, uint32_t& out) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out, 16);
    return ec == std::errc() && end == text.data() + text.size();
}

} // namespace

bool isPointMessage(uint32_t message) {
    for (const NamedMessage& n : namedMessages)
        if (n.message == message) return n.point;
    return false;
}

std::string messageName(uint32_t message) {
    for (const NamedMessage& n : namedMessages)
        if (n.message == message) return n.name;
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%04x", message);
    return buf;
}

std::optional<uint32_t> messageFromName(std::string_view name) {
    for (const NamedMessage& n : namedMessages)
        if (name == n.name) return n.message;
    uint32_t id = 0;
    if (name.size() > 2 && name[0] == '0' && name[1] == 'x' && hexNumber(name.substr(2), id)) return id;
    return std::nullopt;
}

} // namespace vandrel

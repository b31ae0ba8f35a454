// The names window messages have in recordings ("mousemove", "keydown", ...),
// both ways, and which messages carry a client position in their lParam.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vandrel {

// The message's name in recordings, or its number as 0x hex.
std::string messageName(uint32_t message);
// The message of a name or a 0x hex number; none for anything else.
std::optional<uint32_t> messageFromName(std::string_view name);
// Whether the message's lParam holds a client position (written as X,Y).
bool isPointMessage(uint32_t message);

} // namespace vandrel

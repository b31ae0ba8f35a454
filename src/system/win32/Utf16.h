// Windows speaks UTF-16; the game's text and paths are bytes. UTF-8 converts
// both ways unchanged; bytes that are not UTF-8 are taken as Latin-1, so that
// nothing is lost on the way in.
#pragma once
#include <string>
#include <string_view>

namespace vandrel {

std::wstring widen(std::string_view bytes);
std::string narrow(std::wstring_view text);

} // namespace vandrel

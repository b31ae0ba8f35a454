// A round as a link: the page's address with the round's recording in its
// fragment, `BASE#round=PAYLOAD`, the payload being the recording compressed
// with deflate (the zlib stream, whose check sum catches an edited link) and
// written in base64url without padding. The fragment never reaches a server.
//
// Links come from anywhere: decoding refuses a cut or edited payload, one that
// would inflate beyond maxRecordingBytes, one that is not a recorded game or
// is one of another format version, each with a message a player can read.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace vandrel::roundLink {

// What starts the payload in a link's fragment.
inline constexpr std::string_view fragmentKey = "#round=";
// The largest recording a link may carry, inflated. A two-minute round is
// about 20 KiB; a whole evening's session stays well below this.
inline constexpr std::size_t maxRecordingBytes = std::size_t{1} << 20;
// The longest payload read at all: base64 of the worst deflate of the largest
// recording, with room to spare. Longer is refused before any work.
inline constexpr std::size_t maxPayloadChars = maxRecordingBytes / 3 * 4 + 4096;
// The first line of a recording this game can replay.
inline constexpr std::string_view formatLine = "vandrel-replay 1";

// The payload of a recording (deflated, base64url).
std::string encode(std::string_view recording);
// base + fragmentKey + payload; an empty base gives the fragment alone.
std::string link(std::string_view base, std::string_view recording);

// Reads a link, a fragment ("#round=..." or "round=...") or a bare payload
// into recording. False with a message for the player in error; recording is
// then empty.
bool decode(std::string_view text, std::string& recording, std::string& error);

// base64url without padding, and back (false on a character outside the
// alphabet, a length no encoding has, or stray bits at the end).
std::string toBase64Url(std::string_view bytes);
bool fromBase64Url(std::string_view text, std::string& bytes);

} // namespace vandrel::roundLink

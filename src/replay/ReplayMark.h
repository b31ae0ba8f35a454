// The "Wiedergabe / Replay" mark over a watched replay's frames: drawn over
// the copy that goes to the screen, never into the frame a checkpoint hashes.
#pragma once

namespace vandrel {

class VideoSurface;

// Draws the mark into the top left corner of frame: white capitals of a small
// built-in font on a black box (the game's fonts belong to the game's frame).
void drawReplayMark(VideoSurface& frame);

} // namespace vandrel

// The system asking the game to end (a logout, `kill`, Ctrl+C in the terminal):
// turned into the same close request as the window's close button, so the game
// leaves through its normal path and keeps the high-score table.
#pragma once

namespace vandrel {

// Catches SIGTERM, SIGINT and SIGHUP. The first one is only noted, for the
// message loop to pick up; a second one while the game is still closing ends the
// process at once, for a shutdown that has got stuck.
void installCloseSignals();

// True once after a signal arrived: the caller posts the close request.
bool takeCloseSignal();

} // namespace vandrel

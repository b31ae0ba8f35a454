// Which language the player's system speaks, for the few words the game
// shows of its own (the first start's hint): German or English.
#pragma once

namespace vandrel {

// True when the system's language for messages is German: LC_ALL,
// LC_MESSAGES, LANG and LANGUAGE on Linux (and in the browser, whose runtime
// sets LANG from the browser's language), the user's interface language on
// Windows.
bool systemSpeaksGerman();

} // namespace vandrel

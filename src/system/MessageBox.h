// Message boxes the game shows to the player. The backend (SDL, or a headless
// recorder in tests) installs the presenter; without one, the text goes to stderr.
#pragma once
#include <functional>
#include <string>

namespace vandrel {

using MessageBoxPresenter = std::function<void(const std::string& caption, const std::string& text)>;

void showMessageBox(const std::string& caption, const std::string& text);

// Installs a presenter and returns the previous one.
MessageBoxPresenter setMessageBoxPresenter(MessageBoxPresenter presenter);

// What the game needs on this system to open its window and draw, in German,
// for the message shown when graphics cannot start ("... wird <this> benötigt").
const char* graphicsRequirement();

// Tells the player, on stderr and in a message box, that graphics could not
// start on this computer, what they need and the cause.
void reportGraphicsFailure(const std::string& cause);

} // namespace vandrel

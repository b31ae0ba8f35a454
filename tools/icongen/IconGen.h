// icongen: writes the game's icon as the PNG files of a desktop icon theme and
// as a Windows .ico, all drawn from the game's own icon drawing.
#pragma once
#include <ostream>
#include <string>
#include <vector>

namespace vandrel::icongen {

// The sizes desktop themes ask for, and the ones the .ico carries.
inline const std::vector<int> pngIconSizes = {16, 24, 32, 48, 64, 128, 256};
inline const std::vector<int> icoSizes = {16, 32, 48, 256};
// The sizes a web app's manifest names (a phone's home screen and splash).
inline const std::vector<int> webAppSizes = {192, 512};

// icongen OUTDIR [--name NAME] [--sheet FILE]
// Writes OUTDIR/NAME-<size>.png for every PNG and web app size and
// OUTDIR/NAME.ico; with
// --sheet also one picture of every size side by side on light and dark ground.
// Returns the exit status.
int runIcongen(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace vandrel::icongen

// The closing screen's credits line. The stored high-score table's check value is
// computed over this exact text as well, so changing it empties every stored table.
#pragma once
#include <cstddef>

namespace vandrel {

inline constexpr char creditsLine[] =
    "Vandrel - ein Spiel vom Vandrel-Team: Idee, Programm, Figuren, Landschaft, "
    "Schriften, Musik und Klaenge haben die Macher von Vandrel eigens fuer dieses Spiel "
    "geschaffen, alles aus eigenem Code erzeugt. Unser Dank gilt den Autoren von Ogg "
    "Vorbis fuer Musik und Geraeusche, von libjpeg und libpng fuer die Bilder, von zlib "
    "und minizip fuer das Archiv, von SDL fuer Fenster, Maus, Tasten und Ton, von "
    "FreeType und den DejaVu-Schriften, aus denen unsere Buchstaben gezeichnet sind. "
    "Danke an alle, die getestet und gespielt haben. Viel Spass beim naechsten Durchgang, "
    "Vandrel";

inline constexpr std::size_t creditsLineLength = sizeof(creditsLine) - 1;
static_assert(creditsLineLength == 570, "the credits line is part of the stored tables' check");

} // namespace vandrel

// The user's interface language on Windows.
#include "system/SystemLanguage.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace vandrel {

bool systemSpeaksGerman() { return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_GERMAN; }

} // namespace vandrel

// The system's language from the locale variables, as POSIX systems name it;
// Windows asks the system instead (system/win32).
#ifndef _WIN32
#include "system/SystemLanguage.h"

#include <cstdlib>
#include <string_view>

namespace vandrel {

bool systemSpeaksGerman() {
    // The first of these that is set decides, as for the system's own messages.
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (!value || !*value) continue;
        const std::string_view locale = value;
        // "C" and "POSIX" say nothing of a language: LANGUAGE may.
        if (locale == "C" || locale == "POSIX" || locale.starts_with("C.")) break;
        return locale.starts_with("de");
    }
    const char* list = std::getenv("LANGUAGE");
    return list && std::string_view(list).starts_with("de");
}

} // namespace vandrel
#endif

// Any text as a round's link, which may come from anyone: the decoder refuses
// it with a message or hands on a recording of this format within the size
// limit, which written into a link again reads back the same; the recording
// reader then takes it or refuses it by its line.
// fuzz-libs: vandrel_link
// fuzz-sources: src/replay/ReplayLog.cpp src/replay/MessageNames.cpp
#include "link/RoundLink.h"
#include "replay/ReplayLog.h"

#include <cstdlib>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string recording, error;
    if (!vandrel::roundLink::decode(text, recording, error)) {
        if (error.empty() || !recording.empty()) std::abort(); // a refusal says why and hands on nothing
        return 0;
    }
    if (recording.size() > vandrel::roundLink::maxRecordingBytes) std::abort();
    if (recording.rfind(vandrel::roundLink::formatLine, 0) != 0) std::abort();
    std::string again;
    if (!vandrel::roundLink::decode(vandrel::roundLink::link("https://example.org/", recording), again, error) ||
        again != recording)
        std::abort();
    std::istringstream in(recording);
    vandrel::ReplayLog log;
    if (!log.read(in, error) && error.rfind("line ", 0) != 0) std::abort();
    return 0;
}

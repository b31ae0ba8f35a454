// The recorded game in the page: set up as the plain one in WebMain.cpp, then
// the recorder's turns on the browser's frames.
#include "WebRecording.h"

#include "PageBridge.h"
#include "backends/Backend.h"
#include "base/Clock.h"
#include "base/Presentation.h"
#include "system/Store.h"
#include "replay/Recorder.h"

#include <emscripten.h>

#include <cstdio>
#include <string>
#include <utility>

namespace vandrel {
namespace {

// In the page's memory only; the page reads it out when the game has ended.
constexpr const char* recordingPath = "/tmp/vandrel.vrec";

WebRecording* recording = nullptr;

void tellPage(const char* event, int value, const char* text) {
    EM_ASM(
        {
            if (Module.onGameEvent) Module.onGameEvent(UTF8ToString($0), $1, UTF8ToString($2));
        },
        event, value, text);
}

} // namespace

bool WebRecording::requested() {
    return EM_ASM_INT({ return Module.recordGame ? 1 : 0; }) != 0;
}

WebRecording::~WebRecording() = default;

int WebRecording::run(const char* dataSet) {
    ScreenOptions screen;
    screen.windowScale = 1;
    std::string error;
    std::unique_ptr<WebRecording> r(new WebRecording());
    r->backend_ = Backend::create(BackendKind::Sdl, error, screen);
    if (!r->backend_) {
        std::fprintf(stderr, "vandrel: the canvas could not be started: %s\n", error.c_str());
        tellPage("failed", 1, error.c_str());
        return 1;
    }
    r->store_ = standardStore();
    r->out_.open(recordingPath, std::ios::trunc | std::ios::binary);
    r->startTick_ = tickCount();
    r->startMs_ = emscripten_get_now();
    // A page may enter full screen only on the player's own click: the
    // recording starts in a window whatever the set-up record says.
    r->recorder_ =
        std::make_unique<Recorder>(r->backend_->window(), r->out_, dataSet, r->startTick_, *r->store_, false);
    if (!r->out_ || !r->recorder_->startUp()) {
        r->recorder_->finish();
        tellPage("failed", 1, "the display could not be opened");
        return 1;
    }
    r->bridge_ = std::make_unique<PageBridge>();
    PageBridge::attach(&r->backend_->window());
    recording = r.release();
    emscripten_set_main_loop(frame, 0, 0);
    return 0;
}

void WebRecording::frame() {
    WebRecording* r = recording;
    if (!r) return;
    const auto tick = r->startTick_ + static_cast<uint32_t>(emscripten_get_now() - r->startMs_);
    const bool going = r->recorder_->step(tick);
    if (!std::exchange(r->told_, true)) tellPage("started", 0, "");
    r->bridge_->afterFrame(r->recorder_->game());
    if (!going) r->end();
}

void WebRecording::end() {
    emscripten_cancel_main_loop();
    PageBridge::attach(nullptr);
    const int exitCode = recorder_->finish();
    out_.close();
    const bool whole = static_cast<bool>(out_);
    recording = nullptr;
    std::unique_ptr<WebRecording> gone(this);
    gone->recorder_.reset();
    gone->backend_.reset();
    gone->store_.reset();
    if (whole) tellPage("recorded", exitCode, recordingPath);
    tellPage("ended", exitCode, "");
}

} // namespace vandrel

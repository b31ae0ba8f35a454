// A game in the page that is recorded as it is played (the page's ?record):
// the desktop's recorder run one turn per browser frame on the wall clock,
// the recording written into the page's memory and, when the game ends,
// handed to the page to offer as a download. It replays with
// `vandrel --replay` on any build with the same data set.
#pragma once
#include <cstdint>
#include <fstream>
#include <memory>

namespace vandrel {

class Backend;
class Recorder;
class Store;
class PageBridge;

class WebRecording {
public:
    // Whether the page asked for a recorded game.
    static bool requested();
    // Starts the recorded game and hands the loop to the browser; the exit
    // status of main (1 when the canvas or the display cannot be opened).
    static int run(const char* dataSet);

    ~WebRecording();

private:
    WebRecording() = default;
    static void frame();
    void end();

    std::unique_ptr<Store> store_;
    std::unique_ptr<Backend> backend_;
    std::ofstream out_;
    std::unique_ptr<Recorder> recorder_;
    std::unique_ptr<PageBridge> bridge_;
    uint32_t startTick_ = 0;
    double startMs_ = 0;
    bool told_ = false;
};

} // namespace vandrel

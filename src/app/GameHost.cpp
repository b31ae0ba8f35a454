// Puts the game, its sound system and the program together, and takes them
// apart in the one order that is safe.
#include "app/GameHost.h"

namespace vandrel {

GameHost::GameHost(const HostSetup& setup) {
    if (setup.audio_) output_.emplace(*setup.audio_);
    game_ = std::make_unique<Game>(setup.store_, setup.dataPath_, setup.loadOnSecondThread_, setup.controls_);
    sound_ = std::make_unique<SoundSystem>();
    program_ = std::make_unique<Program>(*game_, *sound_, setup.window_);
    program_->startFullScreen = setup.startFullScreen_;
    program_->loadInFrames = setup.loadInFrames_;
    program_->controls = setup.controls_;
}

GameHost::~GameHost() {
    program_.reset();
    sound_.reset();
    game_.reset();
}

bool GameHost::end() {
    if (!game_) return false;
    if (!program_->ended()) {
        game_->releaseAll();
        sound_->shutdown();
    }
    const bool saved = game_->saveScores();
    program_.reset();
    sound_.reset();
    game_.reset();
    return saved;
}

} // namespace vandrel

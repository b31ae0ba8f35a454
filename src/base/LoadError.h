// The one exception type of the game: a loading or device step failed.
// Loaders throw it; the operation or loading pass named by its owner catches it
// and turns it into a false result. It never crosses into the message loop.
#pragma once
#include <string>

namespace vandrel {

class LoadError {
public:
    LoadError() = default;
    explicit LoadError(std::string text) : text_(std::move(text)) {}
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

} // namespace vandrel

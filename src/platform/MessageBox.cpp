// Routes message boxes to whichever presenter the backend installed.
#include "platform/MessageBox.h"

#include <cstdio>
#include <utility>

namespace vandrel {
namespace {
MessageBoxPresenter& presenter() {
    static MessageBoxPresenter p;
    return p;
}
} // namespace

void showMessageBox(const std::string& caption, const std::string& text) {
    if (presenter()) {
        presenter()(caption, text);
        return;
    }
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

MessageBoxPresenter setMessageBoxPresenter(MessageBoxPresenter p) { return std::exchange(presenter(), std::move(p)); }

} // namespace vandrel

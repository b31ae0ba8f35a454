// Routes message boxes to whichever presenter the backend installed.
#include "system/MessageBox.h"

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

const char* graphicsRequirement() {
#if defined(_WIN32)
    // A window of the desktop (user32 and GDI), drawn into with Direct3D or,
    // where no driver offers it, with GDI alone.
    return "ein Windows-Desktop mit einem funktionierenden Grafiktreiber (Direct3D oder GDI)";
#elif defined(__EMSCRIPTEN__)
    return "ein Browser, der in eine Zeichenfl\u00e4che (canvas) zeichnen kann";
#else
    return "eine laufende Grafikoberfl\u00e4che (X11 oder Wayland)";
#endif
}

void reportGraphicsFailure(const std::string& cause) {
    const std::string text =
        "Die Grafikausgabe konnte auf diesem Computer nicht gestartet werden. F\u00fcr den Betrieb des Vandrels\n"
        "wird " +
        std::string(graphicsRequirement()) + " ben\u00f6tigt. Die Ursache lautet:\n" + cause;
    std::fprintf(stderr, "Fehler: %s\n", text.c_str());
    showMessageBox("Fehler", text);
}

} // namespace vandrel

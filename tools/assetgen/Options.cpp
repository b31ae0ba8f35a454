// Argument parsing kept apart from main so that it can be tested.
#include "Options.h"

#include <cstdlib>

namespace vandrel::assetgen {

const char* const usage = "usage: assetgen [OUTDIR] [--preview DIR] [--round-minutes N] [--round-seconds N]\n"
                          "                [--magazine N] [--windowed | --full-screen] [--table-name NAME]\n";

namespace {
bool parseCount(const std::string& text, int32_t& out) {
    if (text.empty() || text.size() > 6) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    out = int32_t(std::strtol(text.c_str(), nullptr, 10));
    return true;
}
} // namespace

bool parseArguments(const std::vector<std::string>& args, Options& out, std::string& error) {
    out = Options{};
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto needsValue = [&]() -> const std::string* {
            if (i + 1 >= args.size()) {
                error = arg + " needs a value";
                return nullptr;
            }
            return &args[++i];
        };
        if (arg == "--preview") {
            const std::string* v = needsValue();
            if (!v) return false;
            out.previewDir = *v;
        } else if (arg == "--round-minutes" || arg == "--round-seconds" || arg == "--magazine") {
            const std::string* v = needsValue();
            if (!v) return false;
            int32_t n = 0;
            if (!parseCount(*v, n)) {
                error = arg + " needs a whole number, not \"" + *v + "\"";
                return false;
            }
            if (arg == "--round-seconds" && n > 59) {
                error = "--round-seconds counts 0 to 59; use --round-minutes for more";
                return false;
            }
            if (arg == "--magazine" && n < 1) {
                error = "--magazine needs at least one cartridge";
                return false;
            }
            (arg == "--round-minutes"   ? out.setup.roundMinutes
             : arg == "--round-seconds" ? out.setup.roundSeconds
                                        : out.setup.magazineSize) = n;
        } else if (arg == "--windowed") {
            out.setup.startFullScreen = false;
        } else if (arg == "--full-screen") {
            out.setup.startFullScreen = true;
        } else if (arg == "--table-name") {
            const std::string* v = needsValue();
            if (!v) return false;
            // The name becomes a key in the score store: keep it plain.
            if (v->empty() || v->size() > 30) {
                error = "the table name needs 1 to 30 characters";
                return false;
            }
            for (char c : *v) {
                if (static_cast<unsigned char>(c) < 32 || c == '/' || c == '\\' || c == 127) {
                    error = "the table name may not hold path separators or control characters";
                    return false;
                }
            }
            if (*v == "." || *v == "..") {
                error = "the table name may not be . or ..";
                return false;
            }
            out.setup.tableName = *v;
        } else if (!arg.empty() && arg[0] != '-' && out.outDir.empty()) {
            out.outDir = arg;
        } else {
            error = "unknown argument " + arg;
            return false;
        }
    }
    if (out.outDir.empty() && out.previewDir.empty()) {
        error = "nothing to do: give an output folder, --preview DIR, or both";
        return false;
    }
    return true;
}

} // namespace vandrel::assetgen

// Reading and writing the settings file's lines. Reading never blocks and
// never takes more than maxBytes; writing goes through a temporary file and a
// rename, as the high-score files do.
#include "config/SettingsFile.h"

#include <cstdio>
#include <fstream>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace vandrel {

namespace fs = std::filesystem;

namespace {

std::string_view trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

bool isKeyName(std::string_view key) {
    if (key.empty()) return false;
    for (char c : key)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '.' ||
              c == '-'))
            return false;
    return true;
}

} // namespace

fs::path pathFromUtf8(std::string_view utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string pathToUtf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

void SettingsFile::parse(std::string_view text) {
    lines_.clear();
    problems_.clear();
    finalNewline_ = text.empty() || text.back() == '\n';
    std::size_t number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view raw = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++number;
        Line line{std::string(raw), {}};
        const std::string_view body = trim(raw);
        if (!body.empty() && body.front() != '#' && body.front() != ';') {
            const std::size_t eq = body.find('=');
            const std::string_view key = eq == std::string_view::npos ? body : trim(body.substr(0, eq));
            if (eq == std::string_view::npos)
                problems_.push_back({number, "no '=' on the line"});
            else if (!isKeyName(key))
                problems_.push_back({number, "'" + std::string(key) + "' is not a setting's name"});
            else
                line.key = std::string(key);
        }
        lines_.push_back(std::move(line));
    }
}

std::string SettingsFile::text() const {
    std::string out;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        out += lines_[i].text;
        if (i + 1 < lines_.size() || finalNewline_) out += '\n';
    }
    return out;
}

std::size_t SettingsFile::lineOf(std::string_view key) const {
    for (std::size_t i = lines_.size(); i > 0; --i)
        if (lines_[i - 1].key == key) return i;
    return 0;
}

std::optional<std::string> SettingsFile::get(std::string_view key) const {
    const std::size_t line = lineOf(key);
    if (line == 0) return std::nullopt;
    const std::string_view raw = lines_[line - 1].text;
    return std::string(trim(raw.substr(raw.find('=') + 1)));
}

void SettingsFile::set(std::string_view key, std::string_view value) {
    std::string text = std::string(key) + " = " + std::string(value);
    if (const std::size_t line = lineOf(key)) {
        lines_[line - 1].text = std::move(text);
        return;
    }
    if (!finalNewline_) finalNewline_ = true;
    lines_.push_back({std::move(text), std::string(key)});
}

SettingsFile::ReadResult SettingsFile::read(const fs::path& file, std::string& why) {
    parse({});
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (status.type() == fs::file_type::not_found) return ReadResult::Missing;
    if (ec) {
        why = "cannot be looked at (" + ec.message() + ")";
        return ReadResult::Unusable;
    }
    // Checked before opening: opening a pipe would wait for a writer.
    if (fs::is_directory(status)) {
        why = "is a folder";
        return ReadResult::Unusable;
    }
    if (!fs::is_regular_file(status)) {
        why = "is not a plain file";
        return ReadResult::Unusable;
    }
    const std::uintmax_t size = fs::file_size(file, ec);
    if (ec || size > maxBytes) {
        why = ec ? "cannot be read (" + ec.message() + ")" : "is larger than a settings file can be";
        return ReadResult::Unusable;
    }
    std::ifstream in(file, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(size) + 1, '\0');
    if (in) in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!in && !in.eof()) {
        why = "cannot be read";
        return ReadResult::Unusable;
    }
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > maxBytes) {
        why = "is larger than a settings file can be";
        return ReadResult::Unusable;
    }
    if (bytes.find('\0') != std::string::npos) {
        why = "is not text";
        return ReadResult::Unusable;
    }
    parse(bytes);
    return ReadResult::Read;
}

bool SettingsFile::write(const fs::path& file, std::string& why) const {
    std::error_code ec;
    const fs::path folder = file.parent_path();
    if (!folder.empty()) fs::create_directories(folder, ec);
    if (ec) {
        why = "its folder cannot be made (" + ec.message() + ")";
        return false;
    }
    fs::path temp = file;
    temp += ".tmp";
#ifdef _WIN32
    std::FILE* out = _wfopen(temp.c_str(), L"wb");
#else
    std::FILE* out = std::fopen(temp.c_str(), "wb");
#endif
    if (!out) {
        why = "cannot be written";
        return false;
    }
    const std::string bytes = text();
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size() && std::fflush(out) == 0;
#ifdef _WIN32
    ok = ok && _commit(_fileno(out)) == 0;
#else
    ok = ok && ::fsync(fileno(out)) == 0;
#endif
    ok = std::fclose(out) == 0 && ok;
    if (ok) fs::rename(temp, file, ec);
    if (!ok || ec) {
        fs::remove(temp, ec);
        why = "cannot be written";
        return false;
    }
    return true;
}

} // namespace vandrel

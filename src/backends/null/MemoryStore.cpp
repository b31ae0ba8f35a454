// Keys and values in a map; names are checked the way the disk store checks them.
#include "backends/null/MemoryStore.h"

namespace vandrel {

class MemoryStore::Key : public StoreKey {
public:
    Key(const MemoryStore& store, std::string path) : store_(store), path_(std::move(path)) {}

    bool read(std::string_view name, StoreValue& out, std::size_t maxBytes) const override {
        const Values& values = store_.keys_[path_];
        auto it = values.find(name);
        if (!isSafeName(name) || it == values.end() || it->second.bytes.size() > maxBytes) return false;
        out = it->second;
        return true;
    }
    bool write(std::span<const StoreValue> values) const override {
        for (const StoreValue& v : values)
            if (!isSafeName(v.name)) return false;
        Values& stored = store_.keys_[path_];
        for (const StoreValue& v : values) stored[v.name] = v;
        ++store_.writes_;
        return true;
    }
    std::string describe() const override { return store_.locate(path_); }

private:
    const MemoryStore& store_;
    std::string path_;
};

bool MemoryStore::isSafePath(std::string_view keyPath) {
    std::size_t start = 0;
    while (true) {
        std::size_t end = keyPath.find('\\', start);
        if (!isSafeName(keyPath.substr(start, end == std::string_view::npos ? end : end - start))) return false;
        if (end == std::string_view::npos) return true;
        start = end + 1;
    }
}

std::unique_ptr<StoreKey> MemoryStore::open(std::string_view keyPath) const {
    if (!isSafePath(keyPath) || keys_.find(keyPath) == keys_.end()) return nullptr;
    return std::make_unique<Key>(*this, std::string(keyPath));
}

std::unique_ptr<StoreKey> MemoryStore::create(std::string_view keyPath) const {
    if (!isSafePath(keyPath)) return nullptr;
    keys_.try_emplace(std::string(keyPath));
    return std::make_unique<Key>(*this, std::string(keyPath));
}

std::string MemoryStore::locate(std::string_view keyPath) const { return "memory:" + std::string(keyPath); }

std::optional<StoreValue> MemoryStore::value(std::string_view keyPath, std::string_view name) const {
    auto key = keys_.find(keyPath);
    if (key == keys_.end()) return std::nullopt;
    auto it = key->second.find(name);
    if (it == key->second.end()) return std::nullopt;
    return it->second;
}

} // namespace vandrel

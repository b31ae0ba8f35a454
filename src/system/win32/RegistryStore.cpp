// The registry store: the table's values live under Software\Orvandel\<name>
// as REG_SZ and REG_BINARY values, read and written through the wide API so
// that names and text do not depend on the system's code page.
#include "system/win32/RegistryStore.h"

#include "system/win32/Utf16.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <sddl.h>

#include <vector>

namespace vandrel {
namespace {

const wchar_t* rootName(RegistryRoot root) {
    return root == RegistryRoot::LocalMachine ? L"HKEY_LOCAL_MACHINE" : L"HKEY_CURRENT_USER";
}

HKEY rootKey(RegistryRoot root) { return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

// On 64-bit Windows the machine-wide tree has two views. A table's home is
// the 32-bit view, where a 32-bit build keeps it too, so that every build of
// the game on the machine shares one table; the 64-bit view is where earlier
// builds of this game wrote, read when the 32-bit view has no such key or
// none with a whole table in it. The player's own tree is one for both.
// (32-bit Windows ignores the flag.)
REGSAM viewOf(RegistryRoot root) { return root == RegistryRoot::LocalMachine ? KEY_WOW64_32KEY : 0; }
constexpr REGSAM earlierView = KEY_WOW64_64KEY;

// Key paths from the data set are checked part by part before the registry
// sees them: no empty parts, no "..", no control characters, no '/'.
bool safeKeyPath(std::string_view keyPath) {
    std::size_t start = 0;
    while (true) {
        const std::size_t end = keyPath.find('\\', start);
        const std::string_view part = keyPath.substr(start, end == std::string_view::npos ? end : end - start);
        if (!Store::isSafeName(part)) return false;
        if (end == std::string_view::npos) return true;
        start = end + 1;
    }
}

class RegistryKey : public StoreKey {
public:
    RegistryKey(HKEY key, std::wstring where) : key_(key), where_(std::move(where)) {}
    ~RegistryKey() override { RegCloseKey(key_); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    bool read(std::string_view name, StoreValue& out, std::size_t maxBytes) const override {
        if (!Store::isSafeName(name)) return false;
        const std::wstring wideName = widen(name);
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExW(key_, wideName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
        if (type != REG_SZ && type != REG_BINARY) return false;
        // Text is stored as UTF-16: each byte of ours takes at most two there.
        const std::size_t limit = type == REG_SZ ? 2 * maxBytes : maxBytes;
        if (size > limit) return false;
        std::vector<uint8_t> data(size);
        DWORD got = size;
        if (RegQueryValueExW(key_, wideName.c_str(), nullptr, &type, data.data(), &got) != ERROR_SUCCESS || got > size)
            return false;
        data.resize(got);
        out.name = std::string(name);
        if (type == REG_BINARY) {
            out.type = StoreType::Binary;
            out.bytes = std::move(data);
            return true;
        }
        std::wstring text(got / 2, L'\0');
        for (std::size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<wchar_t>(data[2 * i] | (data[2 * i + 1] << 8));
        const std::string bytes = narrow(text);
        if (bytes.size() > maxBytes) return false;
        out.type = StoreType::String;
        out.bytes.assign(bytes.begin(), bytes.end());
        return true;
    }

    bool write(std::span<const StoreValue> values) const override {
        for (const StoreValue& v : values)
            if (!Store::isSafeName(v.name)) return false;
        for (const StoreValue& v : values) {
            const std::wstring wideName = widen(v.name);
            LSTATUS status;
            if (v.type == StoreType::String) {
                // The text keeps its own terminating zero; the registry counts it in the size.
                const std::wstring text =
                    widen(std::string_view(reinterpret_cast<const char*>(v.bytes.data()), v.bytes.size()));
                status = RegSetValueExW(key_, wideName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                                        static_cast<DWORD>(text.size() * sizeof(wchar_t)));
            } else {
                status = RegSetValueExW(key_, wideName.c_str(), 0, REG_BINARY, v.bytes.data(),
                                        static_cast<DWORD>(v.bytes.size()));
            }
            if (status != ERROR_SUCCESS) return false;
        }
        return true;
    }

    std::string describe() const override { return narrow(where_); }

private:
    HKEY key_;
    std::wstring where_;
};

std::wstring describeKey(RegistryRoot root, const std::wstring& path) {
    return std::wstring(rootName(root)) + L"\\" + path;
}

// Every user of the machine may read and change the shared table, but only
// administrators and the system may change who may.
void shareWithAllUsers(HKEY key) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;KA;;;SY)(A;;KA;;;BA)(A;;KRKW;;;BU)",
                                                              SDDL_REVISION_1, &descriptor, nullptr))
        return;
    RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
    LocalFree(descriptor);
}

constexpr REGSAM keyAccess = KEY_QUERY_VALUE | KEY_SET_VALUE;

// A machine-wide key an earlier build wrote in the 64-bit view, opened for
// reading and writing; null when there is none or this player may not use it.
HKEY openEarlierMachineKey(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, keyAccess | earlierView, &key) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

// The values of an earlier build's key go along into a key newly made in the
// 32-bit view, so what the caller does not write again is not lost.
void takeOverEarlierValues(HKEY created, const std::wstring& path) {
    HKEY earlier = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | earlierView, &earlier) != ERROR_SUCCESS) return;
    RegCopyTreeW(earlier, nullptr, created);
    RegCloseKey(earlier);
}

} // namespace

std::unique_ptr<StoreKey> RegistryStore::open(std::string_view keyPath) const {
    auto keys = openEach(keyPath);
    if (keys.empty()) return nullptr;
    return std::move(keys.front());
}

std::vector<std::unique_ptr<StoreKey>> RegistryStore::openEach(std::string_view keyPath) const {
    std::vector<std::unique_ptr<StoreKey>> keys;
    if (!safeKeyPath(keyPath)) return keys;
    const std::wstring path = widen(keyPath);
    for (RegistryRoot root : {first_, RegistryRoot::CurrentUser}) {
        HKEY key = nullptr;
        const LSTATUS status = RegOpenKeyExW(rootKey(root), path.c_str(), 0, keyAccess | viewOf(root), &key);
        if (status == ERROR_SUCCESS) keys.push_back(std::make_unique<RegistryKey>(key, describeKey(root, path)));
        // Behind a 32-bit key that a save cut short left without its values,
        // the earlier build's table must still be found.
        if (root == RegistryRoot::LocalMachine && (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND))
            if (HKEY earlier = openEarlierMachineKey(path))
                keys.push_back(std::make_unique<RegistryKey>(earlier, describeKey(root, path)));
        if (!keys.empty() || root == RegistryRoot::CurrentUser) break;
    }
    return keys;
}

std::unique_ptr<StoreKey> RegistryStore::create(std::string_view keyPath) const {
    if (!safeKeyPath(keyPath)) return nullptr;
    const std::wstring path = widen(keyPath);
    for (RegistryRoot root : {first_, RegistryRoot::CurrentUser}) {
        HKEY key = nullptr;
        DWORD disposition = 0;
        const REGSAM view = viewOf(root);
        if (RegCreateKeyExW(rootKey(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            keyAccess | WRITE_DAC | KEY_CREATE_SUB_KEY | view, nullptr, &key,
                            &disposition) == ERROR_SUCCESS) {
            if (root == RegistryRoot::LocalMachine && disposition == REG_CREATED_NEW_KEY) {
                shareWithAllUsers(key);
                takeOverEarlierValues(key, path);
            }
            return std::make_unique<RegistryKey>(key, describeKey(root, path));
        }
        // A machine-wide key we may use but not re-share is still a key we may use.
        if (RegCreateKeyExW(rootKey(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, keyAccess | view, nullptr,
                            &key, nullptr) == ERROR_SUCCESS)
            return std::make_unique<RegistryKey>(key, describeKey(root, path));
        // A player who may not make the key in the 32-bit view keeps saving
        // where open() found the table, rather than into a tree it is not read from.
        if (root == RegistryRoot::LocalMachine)
            if (HKEY earlier = openEarlierMachineKey(path))
                return std::make_unique<RegistryKey>(earlier, describeKey(root, path));
        if (root == RegistryRoot::CurrentUser) break;
    }
    return nullptr;
}

std::string RegistryStore::locate(std::string_view keyPath) const {
    if (auto key = open(keyPath)) return key->describe();
    const std::wstring path = safeKeyPath(keyPath) ? widen(keyPath) : std::wstring();
    // Where create() would put it: the first tree if a key may be made there.
    RegistryRoot root = RegistryRoot::CurrentUser;
    HKEY software = nullptr;
    if (first_ == RegistryRoot::LocalMachine &&
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_CREATE_SUB_KEY | viewOf(RegistryRoot::LocalMachine),
                      &software) == ERROR_SUCCESS) {
        RegCloseKey(software);
        root = RegistryRoot::LocalMachine;
    }
    return narrow(describeKey(root, path));
}

bool RegistryStore::remove(RegistryRoot root, std::string_view keyPath) const {
    if (!safeKeyPath(keyPath)) return false;
    const std::wstring path = widen(keyPath);
    const auto gone = [&](REGSAM view) {
        const LSTATUS status = RegDeleteKeyExW(rootKey(root), path.c_str(), view, 0);
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    };
    if (root == RegistryRoot::CurrentUser) return gone(0);
    const bool shared = gone(viewOf(root));
    return gone(earlierView) && shared;
}

} // namespace vandrel

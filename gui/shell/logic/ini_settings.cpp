#include "ini_settings.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <strings.h>

#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include "text_file.h"

namespace {

// The name of a key as the file writes it (its letter case), or the key itself when missing.
std::string storedKeyName(const CSimpleIniA& ini, const std::string& section,
                          const std::string& key) {
    CSimpleIniA::TNamesDepend keys;
    if (ini.GetAllKeys(section.c_str(), keys))
        for (const auto& entry : keys)
            if (strcasecmp(entry.pItem, key.c_str()) == 0) return entry.pItem;
    return key;
}

}  // namespace

struct IniSettings::Impl {
    // CSimpleIniA compares section and key names without regard to case (the "Case" variant
    // of SimpleIni is the case-sensitive one). Keys may repeat in a file: the first counts, as
    // in the private profile format, and a write replaces them all.
    CSimpleIniA ini{false, true, false};
    // Set when the file exists but could not be read: writing would replace it with a file
    // that holds only the keys written.
    bool unreadable = false;
};

IniSettings::IniSettings(std::string path)
    : m_path(std::move(path)), m_impl(std::make_unique<Impl>()) {
    m_impl->ini.SetSpaces(false);
    reload();
}

IniSettings::~IniSettings() = default;

bool IniSettings::reload() {
    m_impl->ini.Reset();
    m_impl->unreadable = false;
    m_lastError.clear();
    std::error_code ec;
    if (!std::filesystem::exists(m_path, ec)) return true;
    // Read as bytes first: SimpleIni's own reading takes a directory's reported size as the
    // file's length and tries to allocate it.
    std::string bytes;
    bool readOk = std::filesystem::is_regular_file(m_path, ec);
    if (readOk) {
        std::ifstream in(m_path, std::ios::binary);
        std::ostringstream buffer;
        buffer << in.rdbuf();
        readOk = in.good() || in.eof();
        bytes = std::move(buffer).str();
    }
    if (!readOk || m_impl->ini.LoadData(bytes) < 0) {
        m_impl->unreadable = true;
        m_lastError = "Can't read " + m_path;
        return false;
    }
    return true;
}

std::string IniSettings::readString(const std::string& section, const std::string& key,
                                    const std::string& fallback) {
    const char* value = m_impl->ini.GetValue(section.c_str(), key.c_str(), nullptr);
    return value ? std::string(value) : fallback;
}

void IniSettings::writeString(const std::string& section, const std::string& key,
                              const std::string& value) {
    set(section, key, value);
    save();
}

void IniSettings::set(const std::string& section, const std::string& key,
                      const std::string& value) {
    // The key keeps the letter case the file gave it.
    const std::string stored = storedKeyName(m_impl->ini, section, key);
    m_impl->ini.SetValue(section.c_str(), stored.c_str(), value.c_str(), nullptr, true);
}

void IniSettings::writeMany(const std::vector<SettingWrite>& writes) {
    for (const auto& write : writes)
        set(write.section, write.key, write.value);
    save();
}

void IniSettings::save() {
    if (m_impl->unreadable)
        throw std::runtime_error("Can't write " + m_path + ": the file could not be read");
    std::string bytes;
    if (m_impl->ini.Save(bytes) < 0) throw std::runtime_error("Can't write " + m_path);
    const auto written = writeBytesSafely(m_path, bytes);
    if (!written.ok) throw std::runtime_error("Can't write " + m_path + ": " + written.error);
}

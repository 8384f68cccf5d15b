#include "ini_settings.h"

#include <filesystem>
#include <stdexcept>

#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include "text_file.h"

struct IniSettings::Impl {
    // CSimpleIniA compares section and key names without regard to case (the "Case" variant
    // of SimpleIni is the case-sensitive one).
    CSimpleIniA ini{false, false, false};
};

IniSettings::IniSettings(std::string path)
    : m_path(std::move(path)), m_impl(std::make_unique<Impl>()) {
    m_impl->ini.SetSpaces(false);
    reload();
}

IniSettings::~IniSettings() = default;

bool IniSettings::reload() {
    m_impl->ini.Reset();
    m_lastError.clear();
    std::error_code ec;
    if (!std::filesystem::exists(m_path, ec)) return true;
    if (m_impl->ini.LoadFile(m_path.c_str()) < 0) {
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
    m_impl->ini.SetValue(section.c_str(), key.c_str(), value.c_str());
    save();
}

void IniSettings::writeMany(const std::vector<SettingWrite>& writes) {
    for (const auto& write : writes)
        m_impl->ini.SetValue(write.section.c_str(), write.key.c_str(), write.value.c_str());
    save();
}

void IniSettings::save() {
    std::string bytes;
    if (m_impl->ini.Save(bytes) < 0) throw std::runtime_error("Can't write " + m_path);
    const auto written = writeBytesSafely(m_path, bytes);
    if (!written.ok) throw std::runtime_error("Can't write " + m_path + ": " + written.error);
}

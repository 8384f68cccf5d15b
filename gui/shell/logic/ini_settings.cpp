#include "ini_settings.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include "text_file.h"

struct IniSettings::Reader {
    // CSimpleIniA compares section and key names without regard to case (the "Case" variant of
    // SimpleIni is the case-sensitive one); keys may repeat, the first counts.
    CSimpleIniA ini{false, true, false};
};

IniSettings::IniSettings(std::string path)
    : m_path(std::move(path)), m_reader(std::make_unique<Reader>()) {
    reload();
}

IniSettings::~IniSettings() = default;

void IniSettings::take(IniText text) {
    m_text = std::move(text);
    // SimpleIni stops at a NUL: it gets every line with its text cut there instead.
    std::string clean;
    clean.reserve(m_text.bytes().size());
    bool cut = false;
    for (const char c : m_text.bytes()) {
        if (c == '\n' || c == '\r') cut = false;
        if (c == '\0') cut = true;
        if (!cut) clean += c;
    }
    m_reader->ini.Reset();
    m_reader->ini.LoadData(clean);
}

bool IniSettings::read(IniText& text, std::string& error) const {
    std::error_code ec;
    const auto status = std::filesystem::status(m_path, ec);
    if (!std::filesystem::exists(status)) {
        text = IniText();
        return true;
    }
    if (!std::filesystem::is_regular_file(status)) {
        error = "not a file";
        return false;
    }
    std::ifstream in(m_path, std::ios::binary);
    if (!in) {
        error = std::strerror(errno);
        return false;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = "read error";
        return false;
    }
    text = IniText(std::move(bytes));
    return true;
}

bool IniSettings::reload() {
    std::string error;
    IniText text;
    m_unreadable = !read(text, error);
    take(std::move(text));
    m_lastError = m_unreadable ? "Can't read " + m_path + ": " + error +
                                     "\nThe settings of this run are not written to it."
                               : std::string();
    return !m_unreadable;
}

std::string IniSettings::readString(const std::string& section, const std::string& key,
                                    const std::string& fallback) {
    const char* value = m_reader->ini.GetValue(section.c_str(), key.c_str(), nullptr);
    return value ? std::string(value) : fallback;
}

void IniSettings::writeString(const std::string& section, const std::string& key,
                              const std::string& value) {
    writeMany({{section, key, value}});
}

void IniSettings::writeMany(const std::vector<SettingWrite>& writes) {
    // A file not read whole at start is never written over; the user was told once.
    if (m_unreadable) return;
    IniText text;
    std::string error;
    if (!read(text, error)) throw std::runtime_error("Can't write " + m_path + ": " + error);
    for (const auto& write : writes)
        text.set(write.section, write.key, write.value);
    const auto written = writeBytesSafely(m_path, text.bytes());
    if (!written.ok) throw std::runtime_error("Can't write " + m_path + ": " + written.error);
    take(std::move(text));
}

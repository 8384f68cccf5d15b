#pragma once

#include <memory>
#include <string>

#include "services.h"

// The settings file: sections of key=value lines with keys compared without regard to case.
// Writing keeps the file's other lines, comments and order, and replaces the file safely.
class IniSettings : public SettingsStore {
public:
    explicit IniSettings(std::string path);
    ~IniSettings() override;

    const std::string& path() const { return m_path; }
    // Reads the file again; a missing file is an empty one. False with lastError() otherwise.
    bool reload();
    const std::string& lastError() const { return m_lastError; }

    std::string readString(const std::string& section, const std::string& key,
                           const std::string& fallback) override;
    // Stores the value and writes the file at once. A file that cannot be written throws
    // std::runtime_error naming the file.
    void writeString(const std::string& section, const std::string& key,
                     const std::string& value) override;
    void writeMany(const std::vector<SettingWrite>& writes) override;

private:
    void save();
    void set(const std::string& section, const std::string& key, const std::string& value);
    struct Impl;
    std::string m_path;
    std::string m_lastError;
    std::unique_ptr<Impl> m_impl;
};

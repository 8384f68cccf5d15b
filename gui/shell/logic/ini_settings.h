#pragma once

#include <memory>
#include <string>

#include "ini_text.h"
#include "services.h"

// The settings file, read with SimpleIni (keys without regard to case, the first of repeated
// keys counting), the whole file: a NUL byte ends only its own line. Every write reads the file
// again and changes only the keys it writes, so that what the user or another program put into it
// meanwhile stays: other keys, sections, comments, line ends. The file is written as every save is
// (a link followed, its permissions kept, never half-written; a read-only file is refused).
class IniSettings : public SettingsStore {
public:
    explicit IniSettings(std::string path);
    ~IniSettings() override;

    const std::string& path() const { return m_path; }
    // Reads the file again; a missing file is an empty one. False with lastError() otherwise.
    bool reload();
    // Why the file could not be read at start, naming it; empty when it was read. Such a file
    // is never written over: the writes of this run leave it as it is.
    const std::string& lastError() const { return m_lastError; }

    std::string readString(const std::string& section, const std::string& key,
                           const std::string& fallback) override;
    // Writes the file at once. A file that cannot be written throws std::runtime_error naming
    // the file.
    void writeString(const std::string& section, const std::string& key,
                     const std::string& value) override;
    void writeMany(const std::vector<SettingWrite>& writes) override;
    std::string refusal() const override {
        return m_unreadable ? "Can't write " + m_path + ": the file could not be read" : "";
    }

private:
    // The file as it is now; false with `error` when it exists but cannot be read whole.
    bool read(IniText& text, std::string& error) const;
    // What readString answers from: the text as last read or written.
    void take(IniText text);

    struct Reader;
    std::string m_path;
    std::string m_lastError;
    IniText m_text;
    std::unique_ptr<Reader> m_reader;
    bool m_unreadable = false;
};

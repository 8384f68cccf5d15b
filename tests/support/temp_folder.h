#pragma once

#include <sys/resource.h>

#include <csignal>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include <unistd.h>

// A fresh folder for one test, removed with everything in it afterwards.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "brisvane-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        m_root = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& root() const { return m_root; }
    std::string path(const std::string& name) const { return m_root + "/" + name; }
    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream out(path(name), std::ios::binary);
        out << bytes;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(path(name)); }
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_root))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string m_root;
};

// Makes a folder the current one for the life of the object (for programs that write files into
// the current folder).
class CurrentFolder {
public:
    explicit CurrentFolder(const std::string& folder) {
        char here[4096];
        if (getcwd(here, sizeof here)) m_old = here;
        if (chdir(folder.c_str()) != 0) throw std::runtime_error("chdir failed: " + folder);
    }
    ~CurrentFolder() {
        if (!m_old.empty() && chdir(m_old.c_str()) != 0) std::abort();
    }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    std::string m_old;
};

// Limits the size of files this process writes for the life of the object, so that a write
// fails part way as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit small = m_old;
        small.rlim_cur = bytes;
        m_active = setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool active() const { return m_active; }

private:
    rlimit m_old{};
    bool m_active = false;
};

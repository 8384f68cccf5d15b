#include "qbx_listing.h"

#include <cstring>
#include <filesystem>
#include <fstream>

#include <strings.h>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kHeaderBytes = 226;

struct FieldPlace {
    std::size_t offset;
    std::size_t room;
};
constexpr FieldPlace kFields[7] = {{7, 40},   {48, 40},  {89, 40}, {130, 2},
                                   {133, 40}, {174, 40}, {215, 10}};
constexpr const char* kDefaults[7] = {"", "?", "????.??.??", "?", "?", "?", "*"};
constexpr std::size_t kLongestField = 40;

bool isQbxName(const std::string& name) {
    return name.size() >= 4 && strcasecmp(name.c_str() + name.size() - 4, ".QBX") == 0;
}

}  // namespace

QbxHeader readQbxHeader(const std::string& path) {
    QbxHeader header;
    unsigned char bytes[kHeaderBytes] = {};
    const std::string notQbx = "File " + path + "\nis not an QBXTOOL V3.x or higher file";
    std::ifstream in(path, std::ios::binary);
    if (in) in.read(reinterpret_cast<char*>(bytes), kHeaderBytes);
    if (!in && !in.eof()) {
        header.message = "Can't read file " + path;
        return header;
    }
    // Every unusable file says why: the listing ends at it.
    if (bytes[0] != 6 || std::memcmp(bytes + 1, "QBX300", 6) != 0) {
        header.message = notQbx;
        return header;
    }
    for (int i = 0; i < 7; ++i) {
        const std::size_t length = bytes[kFields[i].offset];
        if (length > kLongestField) {
            header.message = notQbx;
            return header;
        }
        // A length beyond the field's room reads no further than the room.
        header.fields[i].assign(reinterpret_cast<const char*>(bytes + kFields[i].offset + 1),
                                std::min(length, kFields[i].room));
    }
    header.usable = true;
    return header;
}

QbxListing listQbxFolder(const std::string& folder) {
    QbxListing listing;
    if (folder.empty()) return listing;
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        listing.folderExists = false;
        return listing;
    }
    fs::directory_iterator it(folder, ec);
    if (ec) {
        listing.error = "Can't read the folder " + folder + ": " + ec.message();
        return listing;
    }
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!isQbxName(name)) continue;
        const QbxHeader header = readQbxHeader(it->path().string());
        if (!header.message.empty()) listing.messages.push_back(header.message);
        if (!header.usable) break;
        std::string entry;
        for (int i = 0; i < 7; ++i)
            entry +=
                (header.fields[i].empty() ? std::string(kDefaults[i]) : header.fields[i]) + "|";
        listing.entries.push_back(entry + name);
        listing.files.push_back(name);
    }
    if (ec) listing.error = "Can't read the folder " + folder + ": " + ec.message();
    return listing;
}

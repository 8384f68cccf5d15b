#pragma once

#include <array>
#include <string>
#include <vector>

// The part of a QBX game file's header the game selection reads: the first 226 bytes, seven
// length-prefixed strings after the magic "QBX300".
struct QbxHeader {
    bool usable = false;
    std::string message;  // the box to show for a file of another kind, "" when none
    // Event, Site, Date, Round, White, Black, Result.
    std::array<std::string, 7> fields;
};
QbxHeader readQbxHeader(const std::string& path);

struct QbxListing {
    bool folderExists = true;  // false: the dialog closes at once
    std::string error;         // the folder could not be read
    // Eight fields joined with "|": the seven of the header (with defaults for empty ones) and
    // the file name. The listing ends at the first unusable file.
    std::vector<std::string> entries;
    // The file name of each entry, also when a header field holds a "|".
    std::vector<std::string> files;
    std::vector<std::string> messages;  // the boxes shown while listing
};
// The QBX files of a folder (names ending in ".QBX" in any letter case) in the order the file
// system returns them.
QbxListing listQbxFolder(const std::string& folder);

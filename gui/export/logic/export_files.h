#pragma once

#include <stdexcept>
#include <string>

#include "prompts.h"

// Asks "File … already exists, overwrite ?" when the file exists; true when it does not or the
// user answered Yes.
bool overwriteConfirmed(Prompts& prompts, const std::string& path, bool german);

// The folder of a path up to and including its last separator; "" for a bare name.
std::string folderWithSeparator(const std::string& path);

// A square holding a code the diagram has no picture for (square as 10 * rank + file).
struct BadSquareError : std::runtime_error {
    BadSquareError(const std::string& what, int square, int code)
        : std::runtime_error(what), square(square), code(code) {}
    int square;
    int code;
};

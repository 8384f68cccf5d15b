#pragma once

#include <string>
#include <vector>

// Splits a command line into words the way a shell would, without running one: blanks and tabs
// separate words; single quotes keep everything up to the next single quote; double quotes keep
// blanks and let a backslash escape ", \ and $; outside quotes a backslash keeps the next
// character.
std::vector<std::string> splitCommandLine(const std::string& line);

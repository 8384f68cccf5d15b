// Quenbry: turns a QBX game file into an EPD file, or prints its header.
#include <iostream>
#include <string>
#include <vector>

#include "quenbry.h"

int main(int argc, char* argv[]) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return runQuenbry(arguments, std::cout);
}

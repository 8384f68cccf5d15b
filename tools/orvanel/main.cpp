// Orvanel: converts one game of a PGN file into an EPD file.
#include <iostream>
#include <string>
#include <vector>

#include "orvanel.h"

int main(int argc, char* argv[]) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return runOrvanel(arguments, std::cout, std::cerr, std::cin);
}

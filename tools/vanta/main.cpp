// Vanta: the engine program of the engine access library, analysing with a UCI engine.
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "vanta.h"

int main(int argc, char* argv[]) {
    // A UCI engine that has gone must not take this program with it.
    std::signal(SIGPIPE, SIG_IGN);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return runVanta(arguments, std::cerr);
}

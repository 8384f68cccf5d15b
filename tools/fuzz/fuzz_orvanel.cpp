// libFuzzer target: any bytes as a PGN file, converted by Orvanel for game 1, 2 or 3.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>

#include "orvanel.h"

namespace {

std::string scratch(const char* name) {
    static const std::string folder = [] {
        char pattern[] = "/tmp/orvanel-fuzz-XXXXXX";
        return std::string(mkdtemp(pattern));
    }();
    return folder + "/" + name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string pgn = scratch("in.pgn");
    const std::string epd = scratch("out.epd");
    std::FILE* file = std::fopen(pgn.c_str(), "wb");
    if (!file) return 0;
    std::fwrite(data + 1, 1, size - 1, file);
    std::fclose(file);
    std::ostringstream out, err;
    std::istringstream in;
    const std::string game = std::to_string(1 + data[0] % 3);
    runOrvanel({"-g", game, pgn, epd}, out, err, in);
    return 0;
}

// libFuzzer target: any bytes as a PGN file, converted by Orvanel for game 1, 2 or 3, once by
// each road of finding moves; the two must agree.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
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
    // Both roads of finding moves must give the same file, messages and status.
    const std::string game = std::to_string(1 + data[0] % 3);
    std::string results[2];
    int index = 0;
    for (MoveRoad road : {MoveRoad::Candidates, MoveRoad::FullList}) {
        std::remove(epd.c_str());
        std::ostringstream out, err;
        std::istringstream in;
        const int status = runOrvanel({"-g", game, pgn, epd}, out, err, in, ConversionMode{road});
        std::string& result = results[index++];
        result = std::to_string(status) + "\n" + out.str() + err.str() + "\n";
        if (std::FILE* written = std::fopen(epd.c_str(), "rb")) {
            char buffer[4096];
            for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, written)) > 0;)
                result.append(buffer, n);
            std::fclose(written);
        }
    }
    if (results[0] != results[1]) {
        std::fprintf(stderr, "the two roads differ:\n%s\n----\n%s\n", results[0].c_str(),
                     results[1].c_str());
        std::abort();
    }
    return 0;
}

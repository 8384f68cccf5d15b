// libFuzzer target: any bytes as a QBX file, converted by Quenbry and dumped with -e.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>

#include "quenbry.h"

namespace {

std::string scratch(const char* name) {
    static const std::string folder = [] {
        char pattern[] = "/tmp/quenbry-fuzz-XXXXXX";
        return std::string(mkdtemp(pattern));
    }();
    return folder + "/" + name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string qbx = scratch("in.qbx");
    const std::string epd = scratch("out.epd");
    std::FILE* file = std::fopen(qbx.c_str(), "wb");
    if (!file) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    std::ostringstream out;
    runQuenbry({qbx, epd}, out);
    runQuenbry({"-e", qbx}, out);
    return 0;
}

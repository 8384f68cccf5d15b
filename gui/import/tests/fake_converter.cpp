// Stands in for a converter: records its arguments, working folder and list file in the file
// named by FAKE_CONVERTER_RECORD, then does what FAKE_CONVERTER_MODE says: "write" writes one
// EPD line to the output file (the last argument), "slow" does so after a second, "sleep" never
// ends on its own, "crash" writes half a line and aborts.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char* argv[]) {
    const char* record = std::getenv("FAKE_CONVERTER_RECORD");
    const char* mode = std::getenv("FAKE_CONVERTER_MODE");
    if (record) {
        std::ofstream out(record, std::ios::binary);
        char here[4096];
        out << "cwd=" << (::getcwd(here, sizeof here) ? here : "?") << "\n";
        for (int i = 1; i < argc; ++i)
            out << argv[i] << "\n";
        for (int i = 1; i + 1 < argc; ++i)
            if (std::strcmp(argv[i], "-F") == 0) {
                std::ifstream list(argv[i + 1], std::ios::binary);
                out << "list=" << std::string(std::istreambuf_iterator<char>(list), {});
            }
    }
    const std::string what = mode ? mode : "write";
    const char* output = argc > 1 ? argv[argc - 1] : "out.EPD";
    if (what == "sleep") {
        for (;;)
            ::pause();
    }
    if (what == "slow") ::sleep(1);
    std::ofstream epd(output, std::ios::binary);
    if (what == "crash") {
        epd << "rnbqkbnr/pppp" << std::flush;
        std::abort();
    }
    epd << "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3\r\n";
    return 0;
}

// A stand-in for the engine program, for testing the library. What it does depends on the
// name it is started under: VANTA behaves, hang never ends, crash dies at once, garbage writes
// binary analysis files, long writes 300-byte lines, silent writes nothing. Every one records
// its arguments and folder in ARGS.txt and ends on the library's stop request.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

namespace {

std::string base(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

void writeFile(const std::string& name, const std::string& bytes) {
    std::ofstream out(name + ".tmp", std::ios::binary);
    out << bytes;
    out.close();
    std::rename((name + ".tmp").c_str(), name.c_str());
}

long fileSize(const std::string& name) {
    struct stat info {};
    return ::stat(name.c_str(), &info) == 0 ? static_cast<long>(info.st_size) : -1;
}

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

int main(int argc, char* argv[]) {
    const std::string name = base(argv[0]);
    {
        std::ofstream args("ARGS.txt", std::ios::binary);
        for (int i = 0; i < argc; ++i) args << argv[i] << "\n";
        char here[4096];
        args << "cwd=" << (::getcwd(here, sizeof here) ? here : "?") << "\n";
    }
    if (name == "crash") std::abort();
    if (argc < 2) return 2;
    const std::string input = argv[1];
    const std::string stem = input.substr(0, input.size() - 4);  // VANENGnn
    const bool epd = endsWith(input, ".EPD");
    const bool game = !epd && argc > 2 && std::string(argv[2]) == "4";
    const std::string lineFile = stem + (epd ? ".ANE" : ".ANA");
    auto stopRequested = [&] {
        return epd ? fileSize(stem + ".STP") >= 0 : fileSize(stem + ".PGN") == 0;
    };

    if (name == "hang") {
        for (;;) sleepMs(1000);
    }
    if (name == "garbage") {
        std::string bytes;
        for (int i = 0; i < 500; ++i) bytes += static_cast<char>((i * 37 + 11) & 0xFF);
        writeFile(lineFile, bytes);
    } else if (name == "long") {
        writeFile(lineFile, std::string(300, 'x') + "\r\n");
    } else if (name == "VANTA") {
        if (game) {
            writeFile(stem + ".ANA", "[Event \"analysed\"]\r\n\r\n1. e4 {+0.30} *\r\n");
            return 0;
        }
        writeFile(lineFile, epd ? "   1  3       +0.25 e4\r\n" : "  5: e4 e5\r\n");
        if (epd) {
            for (int round = 0; round < 10; ++round) {
                if (stopRequested()) return 0;
                sleepMs(30);
            }
            std::ifstream in(input, std::ios::binary);
            std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            writeFile(input, text + "analysed\r\n");
            return 0;
        }
    }
    // Wait for the stop request.
    for (;;) {
        if (stopRequested()) return 0;
        sleepMs(20);
    }
}

// A stand-in for the outside engines (Crafty, the generic engine): it records its arguments and
// working folder in the file named by RECORD_FILE and ends.
#include <unistd.h>

#include <cstdlib>
#include <fstream>

int main(int argc, char* argv[]) {
    const char* record = std::getenv("RECORD_FILE");
    if (!record) return 2;
    std::ofstream out(record, std::ios::binary);
    char here[4096];
    out << "cwd=" << (::getcwd(here, sizeof here) ? here : "?") << "\n";
    for (int i = 0; i < argc; ++i)
        out << argv[i] << "\n";
    return 0;
}

#include "program_info.h"

#include <sys/utsname.h>

namespace ProgramInfo {

const char* licence() {
    return "Brisvane V1.5 - licence\n"
           "\n"
           "Brisvane, its converters Orvanel and Quenbry, the engine access library VANENG32 and "
           "the engine program Vanta are freeware.\n"
           "\n"
           "You may use the programs free of charge, for any purpose, on as many computers as you "
           "like, and pass them on to others as long as you pass on the complete, unchanged "
           "package and take no money for it beyond the cost of the medium.\n"
           "\n"
           "The programs come without any warranty. The authors are not liable for any damage "
           "that comes from using them or from being unable to use them. Keep copies of your "
           "EPD files.\n"
           "\n"
           "Stockfish, which Vanta uses for its analysis, is free software under the GNU "
           "General Public License, version 3; it is installed separately and keeps its own "
           "licence.\n";
}

std::string operatingSystem() {
    utsname name{};
    if (uname(&name) != 0)
        return "Linux (?"
               "?)";
    return std::string(name.sysname) + " V" + name.release;
}

}  // namespace ProgramInfo

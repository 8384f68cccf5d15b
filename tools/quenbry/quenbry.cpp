#include "quenbry.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <ostream>

#include "option_parser.h"

namespace {

constexpr std::size_t kLastMove = 543;
constexpr std::size_t kCurrentMove = 545;
constexpr std::size_t kNotationFormat = 557;
constexpr std::size_t kIfMoveOffset = 575;
constexpr std::size_t kIfMoveRoom = 100;

struct Flag {
    const char* name;
    std::size_t offset;
};
constexpr std::array<Flag, 7> kFlags = {{{"SendDate", 558},
                                         {"Modified", 559},
                                         {"SendBoard", 560},
                                         {"Language", 561},
                                         {"WhiteAtBottom", 562},
                                         {"SendSignature", 563},
                                         {"SendQBXFile", 564}}};

void printUsage(std::ostream& out) {
    out << formatText("\n    %s\n\n", kQuenbryVersion)
        << formatText("    Format: %s [-h] [-v] <QBX file> <EPD file>\n", kQuenbryName)
        << "    or\n"
        << formatText("    Format: %s [-e] <QBX file>\n", kQuenbryName) << "\n"
        << "    Options:\n"
        << "        -e : print QBX file header information and exit\n"
        << "        -h : print help information and exit\n"
        << "        -v : print program version and exit\n"
        << "\n\n"
        << "    This program read an QBXTOOL V3.x QBX file and produces an EPD file,\n"
        << "    which contain a position related to each move in the QBX file.\n"
        << "    \n"
        << "\n";
}

unsigned word(const std::uint8_t* bytes, std::size_t offset) {
    return static_cast<unsigned>(bytes[offset] | (bytes[offset + 1] << 8));
}

// A length-prefixed string field; a length byte larger than the field's room shows the room.
void dumpString(std::ostream& out, const std::uint8_t* header, const char* name,
                std::size_t offset, std::size_t room) {
    const std::size_t length = std::min<std::size_t>(header[offset], room);
    if (length == 0) {
        out << formatText("    %-14s : <EMPTY>\n", name);
        return;
    }
    out << formatText("    %-14s : %.*s\n", name, static_cast<int>(length),
                  reinterpret_cast<const char*>(header + offset + 1));
}

void dumpHeader(std::ostream& out, const std::uint8_t* header) {
    out << "\n" << "    QBX file header\n" << "    ===============\n\n";
    for (const QbxString& field : qbxHeaderStrings())
        dumpString(out, header, field.name, field.offset, field.room);
    out << "    Position       : not printable (compacted board representation)\n";
    out << formatText("    LastMove       : %1d\n", word(header, kLastMove));
    out << formatText("    CurrentMovce   : %1d\n", word(header, kCurrentMove));
    out << formatText("    NotationFormat : %1d\n", header[kNotationFormat]);
    for (const Flag& flag : kFlags) {
        const int value = header[flag.offset];
        if (value == 1) out << formatText("    %-14s : TRUE\n", flag.name);
        else if (value == 0) out << formatText("    %-14s : FALSE\n", flag.name);
        else out << formatText("    %-14s : unexpected value (%1d)\n", flag.name, value);
    }
    dumpString(out, header, "IfMove", kIfMoveOffset, kIfMoveRoom);
    out << "\n";
}

bool onBoard(int square) { return square >= 0 && square <= 77 && square % 10 <= 7; }

// The simple board the plies are replayed on.
class QbxBoard {
public:
    QbxBoard() {
        static constexpr std::array<int, 8> back = {4, 2, 3, 5, 6, 3, 2, 4};
        for (int file = 0; file < 8; ++file) {
            m_squares[file] = back[file];
            m_squares[10 + file] = 1;
            m_squares[60 + file] = 7;
            m_squares[70 + file] = back[file] + 6;
        }
    }

    int at(int square) const { return m_squares[square]; }

    void apply(int from, int to, int promotion, bool enPassant) {
        const int piece = m_squares[from];
        if (piece == 6) {
            m_rights[0] = m_rights[1] = false;
            if (from == 4 && to == 6) shift(7, 5);
            if (from == 4 && to == 2) shift(0, 3);
        } else if (piece == 12) {
            m_rights[2] = m_rights[3] = false;
            if (from == 74 && to == 76) shift(77, 75);
            if (from == 74 && to == 72) shift(70, 73);
        }
        if (piece == 4 && from == 7) m_rights[0] = false;
        if (piece == 4 && from == 0) m_rights[1] = false;
        if (piece == 10 && from == 77) m_rights[2] = false;
        if (piece == 10 && from == 70) m_rights[3] = false;
        if (m_squares[to] == 4 && to == 7) m_rights[0] = false;
        if (m_squares[to] == 4 && to == 0) m_rights[1] = false;
        if (m_squares[to] == 10 && to == 77) m_rights[2] = false;
        if (m_squares[to] == 10 && to == 70) m_rights[3] = false;
        m_squares[from] = 0;
        m_squares[to] = promotion != 0 ? promotion : piece;
        if (enPassant) {
            if (piece == 1 && to == from + 9) m_squares[from - 1] = 0;
            if (piece == 1 && to == from + 11) m_squares[from + 1] = 0;
            if (piece == 7 && to == from - 11) m_squares[from - 1] = 0;
            if (piece == 7 && to == from - 9) m_squares[from + 1] = 0;
        }
    }

    // The line after a ply (or the first line when ply < 0); false on an invalid piece code.
    bool line(int ply, int piece, int from, int to, std::string& text, std::ostream& out) const {
        static constexpr char letters[] = " PNBRQKpnbrqk";
        text.clear();
        for (int rank = 7; rank >= 0; --rank) {
            int run = 0;
            for (int file = 0; file < 8; ++file) {
                const int square = rank * 10 + file;
                const int code = m_squares[square];
                if (code == 0) {
                    ++run;
                    continue;
                }
                if (code < 1 || code > 12) {
                    out << formatText("%s: invalid piece (%1d) on field %1d\n", kQuenbryName, code,
                                  square);
                    return false;
                }
                if (run > 0) text += static_cast<char>('0' + run);
                run = 0;
                text += letters[code];
            }
            if (run > 0) text += static_cast<char>('0' + run);
            if (rank > 0) text += '/';
        }
        if (ply < 0) {
            text += " w KQkq -";
            return true;
        }
        text += ply % 2 == 0 ? " b " : " w ";
        const std::size_t rights = text.size();
        static constexpr char rightLetters[] = "KQkq";
        for (int i = 0; i < 4; ++i)
            if (m_rights[i]) text += rightLetters[i];
        if (text.size() == rights) text += '-';
        text += ' ';
        int target = -1;
        if (piece == 1 && to == from + 20) target = to - 10;
        if (piece == 7 && to == from - 20) target = to + 10;
        if (target >= 0) {
            text += static_cast<char>('a' + target % 10);
            text += static_cast<char>('1' + target / 10);
        } else {
            text += '-';
        }
        return true;
    }

private:
    void shift(int from, int to) {
        m_squares[to] = m_squares[from];
        m_squares[from] = 0;
    }

    std::array<int, 80> m_squares{};
    std::array<bool, 4> m_rights = {true, true, true, true};
};

int convert(std::FILE* qbx, const std::uint8_t* header, const std::string& epdFile,
            int verbosity, std::ostream& out) {
    const unsigned plies = word(header, kLastMove);
    if (verbosity > 2)
        out << formatText("%s: number of moves in QBX file: %1d\n", kQuenbryName, plies);
    std::FILE* epd = std::fopen(epdFile.c_str(), "wb");
    if (!epd) {
        out << formatText("%s: can't create EPD file %s\n", kQuenbryName, epdFile.c_str());
        return 1;
    }
    auto fail = [&] {
        std::fclose(epd);
        std::remove(epdFile.c_str());
        return 1;
    };
    auto write = [&](const std::string& text) {
        if (std::fputs(text.c_str(), epd) < 0 || std::fputs("\r\n", epd) < 0) {
            out << formatText("%s: error in writing EPD file\n", kQuenbryName);
            return false;
        }
        return true;
    };
    QbxBoard board;
    std::string text;
    if (!board.line(-1, 0, 0, 0, text, out)) {
        out << formatText("%s: error in building EPD string for ply %1d in QBX file\n", kQuenbryName, 0);
        return fail();
    }
    if (verbosity > 1) out << formatText("%s: %s\n", kQuenbryName, text.c_str());
    if (!write(text)) return fail();
    for (unsigned i = 0; i < plies; ++i) {
        std::uint8_t ply[kQbxPlySize];
        const std::size_t got = std::fread(ply, 1, kQbxPlySize, qbx);
        if (got != kQbxPlySize) {
            out << formatText("%s: error in reading ply %1d from QBX file\n", kQuenbryName, i + 1)
                << formatText("%s: %1d bytes read instead of %1d\n", kQuenbryName,
                          static_cast<int>(got), static_cast<int>(kQbxPlySize));
            return fail();
        }
        const int from = ply[0];
        const int to = ply[1];
        const int promotion = ply[2];
        if (verbosity > 2)
            out << formatText("%s [%03d]: from %2d to %2d (promotion piece: %2d)\n", kQuenbryName, i,
                          from, to, promotion);
        // The plies are otherwise trusted, but a square off the board would land outside it.
        if (!onBoard(from) || !onBoard(to) || promotion > 12) {
            out << formatText("%s: invalid ply %1d in QBX file (from %1d to %1d, promotion %1d)\n",
                          kQuenbryName, i + 1, from, to, promotion);
            return fail();
        }
        const int piece = board.at(from);
        board.apply(from, to, promotion, ply[7] == 1);
        if (!board.line(static_cast<int>(i), piece, from, to, text, out)) {
            out << formatText("%s: error in building EPD string for ply %1d in QBX file\n",
                          kQuenbryName, i + 1);
            return fail();
        }
        if (verbosity > 1)
            out << formatText("%s [%03d]: %s\n", kQuenbryName, i, text.c_str());
        if (!write(text)) return fail();
    }
    if (std::fclose(epd) != 0) {
        std::remove(epdFile.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

const std::vector<QbxString>& qbxHeaderStrings() {
    static const std::vector<QbxString> fields = {
        {"Event", 7, 40},        {"Site", 48, 40},         {"Date", 89, 40},
        {"Round", 130, 2},       {"White", 133, 40},       {"Black", 174, 40},
        {"Result", 215, 10},     {"WhiteAddress", 226, 80}, {"BlackAddress", 307, 80},
        {"WhiteELO", 388, 4},    {"BlackELO", 393, 4},     {"ECOcode", 398, 10},
        {"WhiteCountry", 409, 3}, {"BlackCountry", 413, 3},
    };
    return fields;
}

int runQuenbry(const std::vector<std::string>& arguments, std::ostream& stdOut) {
    OptionParser options(arguments, "dDeEF:f:hHLlvV");
    int verbosity = 0;
    bool dump = false;
    bool log = false;
    std::string longName;
    for (auto result = options.next(); result != OptionParser::Result::End; result = options.next()) {
        if (result == OptionParser::Result::Invalid) {
            stdOut << formatText("\t%s: %c -- invalid option\n", kQuenbryName, options.letter());
            return 1;
        }
        switch (options.letter()) {
            case 'd': case 'D': ++verbosity; break;
            case 'e': case 'E': dump = true; break;
            case 'f': case 'F':
                longName = readListFile(options.value());
                if (longName.empty()) {
                    stdOut << formatText("\t%s: can't read long QBX filename from file %s\n",
                                     kQuenbryName, options.value().c_str());
                    return 1;
                }
                break;
            case 'h': case 'H': printUsage(stdOut); return 0;
            case 'l': case 'L': log = true; break;
            case 'v': case 'V': stdOut << formatText("\n\t%s\n\n", kQuenbryVersion); return 0;
            default: break;
        }
    }
    if (dump && verbosity == 0) verbosity = 1;

    std::ofstream logStream;
    std::ostream* outPointer = &stdOut;
    if (log) {
        logStream.open("Quenbry.ERR", std::ios::out | std::ios::trunc | std::ios::binary);
        if (!logStream) return 1;
        outPointer = &logStream;
        logStream << formatText("\t%s\n\n", kQuenbryVersion);
    }
    std::ostream& out = *outPointer;

    const std::vector<std::string> files = options.remaining();
    std::string qbxFile;
    std::string epdFile;
    if (dump) {
        if (longName.empty() && files.empty()) {
            out << formatText("%s: QBX file name missing\n", kQuenbryName);
            printUsage(out);
            return 1;
        }
        qbxFile = longName.empty() ? files[0] : longName;
    } else {
        if (files.size() != (longName.empty() ? 2u : 1u)) {
            out << formatText("%s: invalid parameters\n", kQuenbryName);
            printUsage(out);
            return 1;
        }
        qbxFile = longName.empty() ? files[0] : longName;
        epdFile = files.back();
    }
    if (verbosity > 0) out << formatText("\n    %s\n\n", kQuenbryVersion);

    std::unique_ptr<std::FILE, int (*)(std::FILE*)> qbx(std::fopen(qbxFile.c_str(), "rb"),
                                                         &std::fclose);
    if (!qbx) {
        out << formatText("%s: can't read QBX file %s\n", kQuenbryName, qbxFile.c_str());
        return 1;
    }
    std::uint8_t header[kQbxHeaderSize];
    const std::size_t got = std::fread(header, 1, kQbxHeaderSize, qbx.get());
    if (got != kQbxHeaderSize || header[0] != 6) {
        out << formatText("%s: file %s is not a valid QBX file\n", kQuenbryName, qbxFile.c_str());
        return 1;
    }
    if (std::memcmp(header + 1, "QBX300", 6) != 0) {
        out << formatText("%s: file %s is not an QBXTOOL V3.x QBX file\n", kQuenbryName,
                      qbxFile.c_str());
        return 1;
    }
    if (dump) {
        // A length byte that claims more than its field's room is not a QBX header.
        for (const QbxString& field : qbxHeaderStrings()) {
            if (header[field.offset] > field.room) {
                out << formatText("%s: file %s: length %1d of %s exceeds its room of %1d\n",
                              kQuenbryName, qbxFile.c_str(), header[field.offset], field.name,
                              static_cast<int>(field.room));
                return 1;
            }
        }
        if (header[kIfMoveOffset] > kIfMoveRoom) {
            out << formatText("%s: file %s: length %1d of %s exceeds its room of %1d\n", kQuenbryName,
                          qbxFile.c_str(), header[kIfMoveOffset], "IfMove",
                          static_cast<int>(kIfMoveRoom));
            return 1;
        }
        dumpHeader(out, header);
        return 0;
    }
    return convert(qbx.get(), header, epdFile, verbosity, out);
}

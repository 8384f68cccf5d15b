#include "orvanel.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>

#include "option_parser.h"
#include "zbmovgen.h"
#include "zorb_pgn.h"
#include "zorbutil.h"

namespace {

using zorb::Board;

constexpr int kStackDepth = 100;
// Move texts are kept this short for messages; the lexer accepts longer ones.
constexpr std::size_t kMoveTextLimit = 31;
constexpr const char* kInitialLine = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

void printUsage(std::ostream& out) {
    out << formatText("\n    %s\n\n", kOrvanelVersion)
        << formatText("    Format: %s [-g <game no>] [-h] [-v] <PGN file> <EPD file>\n",
                      kOrvanelName)
        << "\n"
        << "    Options:\n"
        << "        -g : number of game to convert (1, 2, ...)\n"
        << "             default: 1\n"
        << "        -h : print help information and exit\n"
        << "        -v : print program version and exit\n"
        << "\n\n"
        << "    This program reads a game from the given PGN file and convert each\n"
        << "    move into a position (EPD line). All the positions will be written\n"
        << "    to the given EPD file.\n"
        << "\n\n";
}

struct TagSlot {
    const char* name;
    std::size_t width;
    std::string value;
};

struct StackEntry {
    bool free = true;
    std::unique_ptr<Board> current;
    std::unique_ptr<Board> previous;
};

// What the converter does with the tokens the game grammar accepts.
class Converter : public zorb::GameActions {
public:
    Converter(zorb::PgnReader& reader, long wanted, std::FILE* epd, const ConversionMode& mode)
        : m_reader(reader), m_wanted(wanted), m_epd(epd), m_mode(mode) {}

    long gameCounter() const { return m_gameCounter; }

    bool resetGame(std::string& error) {
        for (auto& slot : m_tags)
            slot.value.clear();
        m_resultCounted = false;
        m_currentChecked = false;
        m_lastMove.reset();
        m_previousBehind.reset();
        m_reader.resetGame();
        if (!m_current) {
            m_current = zorb::allocateBoard();
            m_previous = zorb::allocateBoard();
            if (!m_current || !m_previous) {
                error = "can't allocate internal default board";
                return false;
            }
            for (auto& entry : m_stack)
                entry.free = true;
            m_depth = 0;
        }
        if (!zorb::setUpInitial(*m_current) || !zorb::setUpInitial(*m_previous)) {
            error = "error in initializing internal default board";
            return false;
        }
        return true;
    }

    bool tag(const std::string& name, const std::string& value, std::string& error) override {
        TagSlot* slot = nullptr;
        for (auto& candidate : m_tags)
            if (name == candidate.name) slot = &candidate;
        if (!slot) return true;
        if (!slot->value.empty()) {
            error = formatText("line %1ld - PGN tag <%s> found twice in game", line(), slot->name);
            return false;
        }
        const bool fen = name == "FEN";
        if (fen && value.size() > 200) {
            error = formatText("FEN string too long (> %1d)", 200);
            return false;
        }
        slot->value = value.substr(0, slot->width);
        if (name == "Result" && !m_resultCounted) {
            m_resultCounted = true;
            ++m_gameCounter;
        }
        m_currentChecked = false;
        m_lastMove.reset();
        if (fen && !zorb::setUpFromFen(*m_current, value)) {
            error = "error in initializing internal default board from FEN string";
            return false;
        }
        return true;
    }

    bool endOfHeader(std::string& error) override {
        if (!wantedGame()) return true;
        const std::string& fen = fenTag();
        if (fen.empty()) return writeLine(kInitialLine, error);
        // The first line copies the FEN fields as written, split at single blanks.
        std::array<std::string, 4> fields;
        std::size_t count = 0;
        std::size_t start = 0;
        while (count < fields.size() && start <= fen.size()) {
            const std::size_t blank = fen.find(' ', start);
            fields[count++] =
                fen.substr(start, blank == std::string::npos ? std::string::npos : blank - start);
            if (blank == std::string::npos) break;
            start = blank + 1;
        }
        if (count < 2 || fields[0].empty() || fields[1].empty()) {
            error = formatText("line %1ld - invalid FEN tag", line());
            return false;
        }
        std::string text = fields[0] + " " + fields[1];
        if (count < 3) {
            text += " - -";
        } else {
            text += " " + fields[2];
            text += count < 4 ? std::string(" -") : " " + fields[3];
        }
        return writeLine(text, error);
    }

    bool move(const std::string& fullText, std::string& error) override {
        const std::string text = fullText.substr(0, kMoveTextLimit);
        if (!(m_mode.road == MoveRoad::FullList ? playFromList(fullText)
                                                : playFromCandidates(fullText))) {
            error = failedMove(text);
            return false;
        }
        if (wantedGame() && m_reader.variationDepth() == 0) {
            const auto epd = zorb::epdString(*m_current);
            if (!epd) {
                error = formatText(
                    "line %1ld - move %s : error in creating EPD string from internal "
                    "board\n",
                    line(), text.c_str());
                return false;
            }
            return writeLine(*epd, error);
        }
        return true;
    }

    bool variationStart(std::string& error) override {
        if (m_depth >= kStackDepth) {
            error = formatText("variation stack overflow (depth > %1d)", kStackDepth);
            return false;
        }
        catchUpPrevious();
        m_lastMove.reset();
        StackEntry& entry = m_stack[static_cast<std::size_t>(m_depth)];
        if (!entry.free) {
            error = "inconsistent push to variation stack";
            return false;
        }
        if (!entry.current) {
            entry.current = zorb::allocateBoard();
            entry.previous = zorb::allocateBoard();
            if (!entry.current || !entry.previous) {
                error = "can't allocate memory for variation stack";
                return false;
            }
        }
        if (!zorb::setUpCopy(*entry.current, *m_current) ||
            !zorb::setUpCopy(*entry.previous, *m_previous)) {
            error = "error in copying board position to variation stack";
            return false;
        }
        entry.free = false;
        ++m_depth;
        m_currentChecked = false;
        // The variation replaces the last move played.
        if (!zorb::setUpCopy(*m_current, *m_previous)) {
            error = formatText("line %1ld - error in copying internal default board", line());
            return false;
        }
        return true;
    }

    bool variationEnd(std::string& error) override {
        if (m_depth < 1) {
            m_depth = 0;
            error = "variation stack is empty";
            return false;
        }
        --m_depth;
        StackEntry& entry = m_stack[static_cast<std::size_t>(m_depth)];
        if (entry.free) {
            error = "inconsistent pop from variation stack";
            return false;
        }
        entry.free = true;
        m_currentChecked = false;
        m_lastMove.reset();
        m_previousBehind.reset();
        if (!zorb::setUpCopy(*m_current, *entry.current) ||
            !zorb::setUpCopy(*m_previous, *entry.previous)) {
            error = "error in poping internal default board";
            return false;
        }
        if (m_depth == 0) {
            for (const auto& other : m_stack) {
                if (!other.free) {
                    error = "variation stack not empty after last pop";
                    return false;
                }
            }
        }
        return true;
    }

private:
    enum class Failure { Copy, Match, Play };

    long line() const { return m_reader.lineNumber(); }
    bool wantedGame() const { return m_mode.everyGame || m_gameCounter == m_wanted; }

    // The full road: check and copy the board, match the text against the generated move list,
    // play the move and generate the other side's moves.
    bool playFromList(const std::string& san) {
        m_failure = Failure::Copy;
        if (!zorb::setUpCopy(*m_previous, *m_current)) return false;
        m_failure = Failure::Match;
        const int index = zorb::matchSanOnValidBoard(*m_current, san);
        if (index < 0) return false;
        m_failure = Failure::Play;
        return zorb::makeMove(*m_current, index) != 0;
    }

    // The candidate road: the same checks and answers, but the move is found among the pieces
    // that can reach its square and no move list is generated. The board is checked in full
    // only when a move may have spoilt it: a valid board stays valid under a move unless the
    // move takes a king or promotes (both change piece numbers that have limits), takes en
    // passant (a set-up may place any piece, a king too, beside the en-passant square) or makes
    // an en-passant square while a side holds castling rights without a rook (the check of
    // rights against rooks comes with an en-passant square).
    bool playFromCandidates(const std::string& san) {
        m_failure = Failure::Copy;
        if (!m_currentChecked && !zorb::validateBoard(*m_current)) return false;
        // The board before this move is the board before the last one with the last one played:
        // one move made on the previous board costs less than copying the current one.
        if (m_lastMove) {
            catchUpPrevious();
            m_previousBehind = m_lastMove;
        } else {
            zorb::copyPosition(*m_previous, *m_current);
        }
        m_failure = Failure::Match;
        zorb::Move found;
        if (!zorb::findSanMove(*m_current, san, found)) return false;
        const zorb::SquareInfo& target = m_current->squares[found.to];
        const bool takesKing = target.colour != zorb::Empty && target.kind == zorb::King;
        m_failure = Failure::Play;
        if (!zorb::applyMove(*m_current, found)) return false;
        m_current->moveCount = 0;  // the list would be out of date
        const bool rightsChecked = m_current->enPassant != 0 && (rightsWithoutRook(zorb::White) ||
                                                                 rightsWithoutRook(zorb::Black));
        m_currentChecked =
            !takesKing && !(found.flags & (zorb::kPromotion | zorb::kEnPassant)) && !rightsChecked;
        m_lastMove = found;
        return true;
    }

    // Whether a side holds castling rights but no rook, which fails the board's check when an
    // en-passant square stands.
    bool rightsWithoutRook(int colour) const {
        if ((colour == zorb::White ? m_current->whiteCastling : m_current->blackCastling) == 0)
            return false;
        const zorb::PieceEntry* pieces = m_current->pieces(colour);
        for (int i = 0; i < 16; ++i)
            if (pieces[i].square >= 0 && pieces[i].kind == zorb::Rook) return false;
        return true;
    }

    // Plays the move the previous board still lacks, if any.
    void catchUpPrevious() {
        if (m_previousBehind) zorb::applyMove(*m_previous, *m_previousBehind);
        m_previousBehind.reset();
    }

    std::string failedMove(const std::string& text) const {
        switch (m_failure) {
            case Failure::Copy:
                return formatText("line %1ld - move %s : error in copying internal default board",
                                  line(), text.c_str());
            case Failure::Match:
                return zorb::lastError() == zorb::NotUnique
                           ? formatText(
                                 "error in line %1ld of PGN file: move \"%s\" is not unique\n",
                                 line(), text.c_str())
                           : formatText("error in line %1ld (%s) of PGN file\n", line(),
                                        text.c_str());
            case Failure::Play:
                break;
        }
        return formatText("line %1ld - error in doing move %s on internal board\n", line(),
                          text.c_str());
    }
    const std::string& fenTag() const { return m_tags[7].value; }

    bool writeLine(const std::string& text, std::string& error) {
        if (std::fputs(text.c_str(), m_epd) < 0 || std::fputs("\r\n", m_epd) < 0) {
            error = "error in writing EPD file";
            return false;
        }
        return true;
    }

    zorb::PgnReader& m_reader;
    long m_wanted;
    std::FILE* m_epd;
    ConversionMode m_mode;
    Failure m_failure = Failure::Copy;
    // Whether the current board is known to pass validateBoard.
    bool m_currentChecked = false;
    // The move last played on the current board, when the last thing that happened to it was a
    // move (on the candidate road).
    std::optional<zorb::Move> m_lastMove;
    // A move the previous board has yet to be played: it is then the board before the move.
    std::optional<zorb::Move> m_previousBehind;
    long m_gameCounter = 0;
    bool m_resultCounted = false;
    std::array<TagSlot, 9> m_tags = {{{"Event", 80, {}},
                                      {"Site", 80, {}},
                                      {"Date", 10, {}},
                                      {"Round", 5, {}},
                                      {"White", 40, {}},
                                      {"Black", 40, {}},
                                      {"Result", 10, {}},
                                      {"FEN", 200, {}},
                                      {"Annotator", 40, {}}}};
    std::unique_ptr<Board> m_current;
    std::unique_ptr<Board> m_previous;
    std::array<StackEntry, kStackDepth> m_stack;
    int m_depth = 0;
};

bool convert(const std::string& pgnFile, long wanted, std::FILE* epd, std::ostream& out,
             long& gameCounter, const ConversionMode& mode) {
    zorb::PgnReader reader;
    if (!reader.open(pgnFile.c_str())) {
        out << formatText("%s: can't read PGN file %s\n", kOrvanelName, pgnFile.c_str())
            << formatText("%s: %s\n", kOrvanelName, reader.tokenText().c_str());
        return false;
    }
    Converter converter(reader, wanted, epd, mode);
    bool ok = true;
    do {
        std::string error;
        if (!converter.resetGame(error)) {
            out << formatText("%s: %s\n", kOrvanelName, error.c_str());
            ok = false;
            break;
        }
        const int result = reader.readGame(converter);
        if (result == 1) break;
        if (result == 2) {
            out << formatText("%s: %s\n", kOrvanelName, reader.errorText().c_str());
            ok = false;
            break;
        }
    } while (mode.everyGame || converter.gameCounter() < wanted);
    reader.close();
    gameCounter = converter.gameCounter();
    return ok;
}

}  // namespace

int runOrvanel(const std::vector<std::string>& arguments, std::ostream& stdOut, std::ostream& err,
               std::istream& in, const ConversionMode& mode) {
    OptionParser options(arguments, "dDeEf:F:g:G:hHvV");
    int verbosity = 0;
    bool errorFile = false;
    long wanted = 1;
    std::string longName;
    for (auto result = options.next(); result != OptionParser::Result::End;
         result = options.next()) {
        if (result == OptionParser::Result::Invalid) {
            stdOut << formatText("\t%s: %c -- invalid option\n", kOrvanelName, options.letter());
            return 1;
        }
        switch (options.letter()) {
            case 'd':
            case 'D':
                ++verbosity;
                break;
            case 'e':
            case 'E':
                errorFile = true;
                break;
            case 'f':
            case 'F':
                longName = readListFile(options.value());
                if (longName.empty()) {
                    stdOut << formatText("\t%s: can't read long QBX filename from file %s\n",
                                         kOrvanelName, options.value().c_str());
                    return 1;
                }
                break;
            case 'g':
            case 'G':
                wanted = std::atol(options.value().c_str());
                if (wanted < 1) wanted = 1;
                break;
            case 'h':
            case 'H':
                printUsage(stdOut);
                return 0;
            case 'v':
            case 'V':
                stdOut << formatText("\n\t%s\n\n", kOrvanelVersion);
                return 0;
            default:
                break;
        }
    }

    std::ofstream errorStream;
    std::ostream* outPointer = &stdOut;
    if (errorFile) {
        errorStream.open("Orvanel.ERR", std::ios::out | std::ios::trunc | std::ios::binary);
        if (!errorStream) {
            err << formatText("\n\t%s: can't redirect stdout\n\n", kOrvanelName)
                << "Please press <RETURN> to continue...\n";
            in.get();
            return 1;
        }
        outPointer = &errorStream;
        errorStream << formatText("\t%s\n\n", kOrvanelVersion)
                    << formatText("\t%s: looking for game number %1ld\n", kOrvanelName, wanted);
    }
    std::ostream& out = *outPointer;

    const std::vector<std::string> files = options.remaining();
    if (files.size() != (longName.empty() ? 2u : 1u)) {
        out << formatText("%s: too many arguments\n", kOrvanelName);
        printUsage(out);
        return 1;
    }
    const std::string pgnFile = longName.empty() ? files[0] : longName;
    const std::string& epdFile = files.back();
    std::FILE* epd = std::fopen(epdFile.c_str(), "wb");
    if (!epd) {
        out << formatText("%s: can't create EPD file %s\n", kOrvanelName, epdFile.c_str());
        return 1;
    }
    if (verbosity > 0)
        out << formatText("%s: process PGN file %s...\n", kOrvanelName, pgnFile.c_str());

    long gameCounter = 0;
    bool ok = convert(pgnFile, wanted, epd, out, gameCounter, mode);
    if (std::fclose(epd) != 0) ok = false;
    if (!ok) {
        std::remove(epdFile.c_str());
        return 1;
    }
    if (errorFile) {
        out << formatText("\t%s: actual game counter: %1ld\n", kOrvanelName, gameCounter);
        return 1;
    }
    return 0;
}

// The converter finds moves among the pieces that can reach the named square; the full road
// (the whole move list after every move) is kept as the reference. Both must give the same EPD
// bytes, messages and exit status on every game of the test data and on generated games full
// of the texts that go wrong: missing and wrong disambiguation, illegal moves written so that no
// legality test runs, castling spelt as a king move, promotions without a piece, variations and
// odd FEN starts.
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include <gtest/gtest.h>

#include "orvanel.h"
#include "temp_folder.h"
#include "zbmovgen.h"
#include "zorbutil.h"

namespace {

struct Outcome {
    int status;
    std::string messages;
    std::string epd;
    bool operator==(const Outcome&) const = default;
};

Outcome convert(const TempFolder& folder, const std::string& pgn, MoveRoad road, long game,
                bool everyGame = false) {
    const std::string epd = folder.path("out.epd");
    std::filesystem::remove(epd);
    std::ostringstream out, err;
    std::istringstream in;
    const int status = runOrvanel({"-g", std::to_string(game), pgn, epd}, out, err, in,
                                  ConversionMode{road, everyGame});
    std::ifstream file(epd, std::ios::binary);
    std::string bytes = file ? std::string(std::istreambuf_iterator<char>(file), {}) : "<none>";
    return {status, out.str() + err.str(), bytes};
}

// Random games written with the texts a converter meets, good and bad.
class GameWriter {
public:
    explicit GameWriter(unsigned seed) : m_random(seed) {}

    std::string game() {
        zorb::Board board;
        zorb::setUpInitial(board);
        std::string tags = "[Event \"generated\"]\n[Result \"*\"]\n";
        if (chance(30)) {
            for (int i = 0, n = pick(30); i < n && playRandom(board); ++i) {
            }
            const std::string fen = oddFen(board);
            tags += "[FEN \"" + fen + "\"]\n";
            if (!zorb::setUpFromFen(board, fen)) return tags + "\n*\n\n";
        }
        std::string moves;
        zorb::Board before = board;
        for (int ply = 0, plies = 20 + pick(100); ply < plies; ++ply) {
            const auto text = nextMove(board, before);
            if (!text) break;
            moves += (ply % 2 == 0 ? std::to_string(ply / 2 + 1) + ". " : "") + *text + " ";
            if (chance(6)) moves += variation(before) + " ";
            if (ply % 8 == 7) moves += "\n";
        }
        return tags + "\n" + moves + "*\n\n";
    }

private:
    bool chance(int percent) { return pick(100) < percent; }
    int pick(int n) { return static_cast<int>(m_random() % static_cast<unsigned>(n)); }

    std::vector<int> legalMoves(const zorb::Board& board) {
        std::vector<int> legal;
        for (int i = 0; i < board.moveCount; ++i)
            if (zorb::isLegalMove(board, i)) legal.push_back(i);
        return legal;
    }

    bool playRandom(zorb::Board& board) {
        const auto legal = legalMoves(board);
        return !legal.empty() &&
               zorb::makeMove(
                   board, legal[static_cast<std::size_t>(pick(static_cast<int>(legal.size())))]);
    }

    // The position's FEN with castling rights and an en-passant square drawn at random, so that
    // rights stand without their rook and en-passant squares bring in the check of rights.
    std::string oddFen(const zorb::Board& board) {
        const auto epd = zorb::epdString(board);
        if (!epd) return "8/8/8/8/8/8/8/8 w - -";
        std::istringstream fields(*epd);
        std::string placement, side, rights, ep;
        fields >> placement >> side >> rights >> ep;
        if (chance(50)) {
            rights.clear();
            for (char c : std::string("KQkq"))
                if (chance(50)) rights += c;
            if (rights.empty()) rights = "-";
        }
        if (chance(30))
            ep = std::string(1, static_cast<char>('a' + pick(8))) + (side == "w" ? "6" : "3");
        return placement + " " + side + " " + rights + " " + ep + " 0 1";
    }

    // The text of a random move of `board`, often spelt wrongly, and the move played as the
    // generator means it; nothing once the game cannot go on.
    std::optional<std::string> nextMove(zorb::Board& board, zorb::Board& before) {
        if (board.moveCount == 0 || zorb::validateBoard(board) == 0) return std::nullopt;
        auto legal = legalMoves(board);
        int index = -1;
        std::string text;
        // Taking a king leaves a board that fails its check; take one when offered.
        for (int i = 0; i < board.moveCount; ++i)
            if (board.squares[board.moves[i].to].kind == zorb::King && chance(50)) index = i;
        if (index >= 0 || legal.empty() || pick(200) == 0) {
            // Any listed move, legal or not, as a whole from-square: no legality test applies.
            if (index < 0) index = pick(board.moveCount);
            const zorb::Move& move = board.moves[index];
            text = std::string(1, " KQBNRP"[move.kind]) + zorb::squareName(move.from) +
                   zorb::squareName(move.to);
            if (move.kind == zorb::Pawn) text.erase(0, 1);
        } else {
            index = legal[static_cast<std::size_t>(pick(static_cast<int>(legal.size())))];
            text = respelt(board, index, zorb::sanOfMove(board, index).value_or("??"));
        }
        before = board;
        if (!zorb::makeMove(board, index)) return std::nullopt;
        return text;
    }

    std::string respelt(const zorb::Board& board, int index, std::string san) {
        const zorb::Move& move = board.moves[index];
        const std::string to = zorb::squareName(move.to);
        const std::string from = zorb::squareName(move.from);
        // Texts that need their file or rank, and promotions, lose them now and then.
        const bool capture = san.find('x') != std::string::npos;
        std::string bare = san;
        std::erase_if(bare, [](char c) { return c == 'x' || c == '+' || c == '#'; });
        if (move.kind != zorb::Pawn && bare.size() > 3 && bare[0] != 'O' && chance(40))
            return san.substr(0, 1) + (capture ? "x" : "") + to;
        if ((move.flags & zorb::kPromotion) && chance(20)) return san.substr(0, san.find('='));
        switch (pick(500)) {
            case 0:
                return san.substr(0, 1) + to;  // drop disambiguation and capture mark
            case 1:
                return san.substr(0, 1) + from.substr(0, 1) + san.substr(1);
            case 2:
                return san.substr(0, 1) + from.substr(1) + san.substr(1);
            case 3:
                return san.substr(0, 1) + std::string(1, static_cast<char>('a' + pick(8))) + to;
            case 4:
                return san.substr(0, 1) + std::string(1, static_cast<char>('1' + pick(8))) + to;
            case 5:
                return (move.kind == zorb::Pawn ? "" : san.substr(0, 1)) + from + "x" + to;
            case 6:
                if (move.flags & (zorb::kCastleKingside | zorb::kCastleQueenside)) return "K" + to;
                return san;
            case 7:
                return san.find('=') != std::string::npos ? san.substr(0, san.find('=')) : san;
            case 8:
                return "x" + to;
            case 9:
                return std::vector<std::string>{
                    "Qz9", "N", "=Q", "Kx", "e8=K", "O-O-O-O"}[static_cast<std::size_t>(pick(6))];
            default:
                return san;
        }
    }

    // A side line from the position before the last move: one to three moves.
    std::string variation(const zorb::Board& before) {
        zorb::Board board = before;
        zorb::Board ignored = before;
        std::string text = "(";
        for (int i = 0, n = 1 + pick(3); i < n; ++i) {
            const auto move = nextMove(board, ignored);
            if (!move) break;
            text += " " + *move;
        }
        return text + " )";
    }

    std::mt19937 m_random;
};

TEST(MoveRoads, AgreeOnEveryGameOfTheTestData) {
    TempFolder folder;
    int files = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(BRISVANE_TESTDATA_DIR) + "/pgn")) {
        const std::string pgn = entry.path().string();
        ++files;
        // Every game in one pass, then each game by number (and one past the last).
        EXPECT_EQ(convert(folder, pgn, MoveRoad::Candidates, 1, true),
                  convert(folder, pgn, MoveRoad::FullList, 1, true))
            << pgn;
        std::ifstream in(pgn);
        long games = 0;
        for (std::string line; std::getline(in, line);)
            games += line.rfind("[Result ", 0) == 0;
        for (long game = 1; games < 100 && game <= games + 1; ++game)
            EXPECT_EQ(convert(folder, pgn, MoveRoad::Candidates, game),
                      convert(folder, pgn, MoveRoad::FullList, game))
                << pgn << " game " << game;
    }
    EXPECT_GE(files, 12);
}

// Set-ups where a move spoils the board without the converter seeing it at once: en passant
// takes the king that stands beside the en-passant square (in a side line, in the main line of
// a game before the wanted one, for either side), and a double step while a side holds castling
// rights without a rook (with a rook the board stays good).
TEST(MoveRoads, AgreeWhenAMoveSpoilsTheBoard) {
    TempFolder folder;
    const std::string pgn = folder.path("in.pgn");
    struct Case {
        std::string fen, moves;
        bool fails;
    };
    for (const auto& [fen, moves, fails] : std::vector<Case>{
             {"8/7p/8/3kP3/8/8/8/4K3 w - d6 0 1", "1. Kd2 (1. exd6 h6) *", true},
             {"8/7p/8/3KP3/8/8/8/4k3 w - d6 0 1", "1. Kd2 (1. exd6 h6) *", true},
             {"4k3/8/8/8/3Kp3/8/7P/8 b - d3 0 1", "1... Kd7 (1... exd3 2. h3) *", true},
             {"8/7p/8/3kP3/8/8/8/4K3 w - d6 0 1", "1. exd6 h6 2. Kd2 *", true},
             {"4k3/p7/8/8/8/8/P7/4K3 w KQkq - 0 1", "1. a4 Kd7 *", true},
             {"4k3/p7/8/8/8/8/P7/4K2R w K - 0 1", "1. a4 Kd7 2. Rh2 a5 3. Kd2 *", false}}) {
        const std::string game = "[Result \"*\"]\n[FEN \"" + fen + "\"]\n\n" + moves + "\n\n";
        folder.write("in.pgn", game + "[Result \"*\"]\n\n1. e4 *\n\n");
        for (long wanted : {1, 2}) {
            const Outcome candidates = convert(folder, pgn, MoveRoad::Candidates, wanted);
            EXPECT_EQ(candidates, convert(folder, pgn, MoveRoad::FullList, wanted))
                << fen << " " << moves << " game " << wanted;
            EXPECT_EQ(candidates.status != 0, fails) << fen << " " << moves;
        }
    }
}

TEST(MoveRoads, AgreeOnGeneratedGames) {
    TempFolder folder;
    const std::string pgn = folder.path("in.pgn");
    int converted = 0, notUnique = 0, refused = 0, boardSpoilt = 0;
    for (unsigned seed = 1; seed <= 600; ++seed) {
        GameWriter writer(seed);
        folder.write("in.pgn", writer.game() + writer.game());
        for (long game : {1, 2}) {
            const Outcome candidates = convert(folder, pgn, MoveRoad::Candidates, game);
            ASSERT_EQ(candidates, convert(folder, pgn, MoveRoad::FullList, game))
                << "seed " << seed << " game " << game << "\n"
                << folder.read("in.pgn");
            converted += candidates.status == 0;
            notUnique += candidates.messages.find("not unique") != std::string::npos;
            refused += candidates.messages.find(") of PGN file") != std::string::npos;
            boardSpoilt +=
                candidates.messages.find("internal default board") != std::string::npos ||
                candidates.messages.find("EPD string") != std::string::npos;
        }
    }
    // The generated texts reach every outcome.
    EXPECT_GT(converted, 200);
    EXPECT_GT(notUnique, 100);
    EXPECT_GT(refused, 200);
    EXPECT_GT(boardSpoilt, 5);
}

}  // namespace

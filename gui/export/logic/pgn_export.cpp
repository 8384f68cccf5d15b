#include "pgn_export.h"

#include <ctime>
#include <stdexcept>

#include "board_setup_codec.h"
#include "chess_position.h"
#include "export_files.h"
#include "text_file.h"
#include "zbmovgen.h"
#include "zorbutil.h"

namespace {

std::string tag(std::string_view name, std::string_view value) {
    std::string line = "[";
    line += name;
    line += " \"";
    line += pgnTagValue(value);
    line += "\"]\r\n";
    return line;
}

// The first move of a bm operand (up to a blank or a control character) when it is a legal move
// of the game's start written in SAN ("Qxg6+", "O-O", "e8=Q"); "" for anything else, which as
// move text would make a game other programs refuse, or turn the rest of the game into a
// comment, a variation or more moves.
std::string legalSanMove(std::string_view bm, const std::string& fen) {
    std::size_t end = 0;
    while (end < bm.size() && static_cast<unsigned char>(bm[end]) > ' ')
        ++end;
    const std::string_view move = bm.substr(0, end);
    if (move.empty()) return {};
    for (const char c : move)
        if (std::string_view("abcdefghKQRBNOx+#=-12345678!?").find(c) == std::string_view::npos)
            return {};
    const auto board = zorb::allocateBoard();
    if (!board || !zorb::setUpFromFen(*board, fen)) return {};
    // The matcher leaves the king's safety to its caller where the text tells the piece apart.
    const int index = zorb::matchSan(*board, move);
    if (index < 0 || !zorb::isLegalMove(*board, index)) return {};
    return std::string(move);
}

}  // namespace

PgnStart pgnStartOfLine(std::string_view line) {
    BoardSetupState state;
    if (readBoardSetupLine(line, state).ok) {
        state.operations.clear();
        // The line's own counters, one blank between them ("0  31" is written "0 31").
        std::string counters = state.moveCounters.empty() ? "0 1" : state.moveCounters;
        counters.erase(counters.find(' ') + 1, counters.find_last_of(' ') - counters.find(' '));
        state.moveCounters.clear();
        return {generateBoardSetupLine(state) + " " + counters, !state.whiteToMove};
    }
    // A board the reader refuses: its first four fields as they stand, so that the game still
    // names what the line holds.
    PgnStart start;
    std::string_view rest = line;
    for (int field = 0; field < 4; ++field) {
        while (!rest.empty() && rest.front() == ' ')
            rest.remove_prefix(1);
        std::string_view token = rest.substr(0, rest.find(' '));
        rest.remove_prefix(token.size());
        if (field == 1) start.blackToMove = token == "b";
        if (token.empty()) token = field == 1 ? "w" : "-";
        start.fen.append(token).append(" ");
    }
    start.fen += "0 1";
    return start;
}

std::string pgnOperandValue(std::string_view line, std::string_view opcode) {
    const std::string key = std::string(opcode) + " ";
    const auto at = line.find(key);
    if (at == std::string_view::npos) return {};
    std::string_view value = line.substr(at + key.size());
    value = value.substr(0, value.find(';'));
    const auto quote = value.find('"');
    if (quote != std::string_view::npos) {
        value = value.substr(quote + 1);
        value = value.substr(0, value.find('"'));
    }
    return std::string(value);
}

std::string pgnTagValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (const char c : value) {
        if (c == '\\' || c == '"') out += '\\';
        out += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
    }
    return out;
}

std::string pgnGameOfLine(std::string_view line, std::size_t number, const std::string& baseName,
                          const PgnExportOptions& options, const std::string& title,
                          const std::string& date) {
    const PgnStart start = pgnStartOfLine(line);
    const std::string bm = pgnOperandValue(line, "bm");
    std::string white = "?";
    std::string black = "?";
    if (options.mapEpdOpToPgn || options.bmToPgn) {
        const std::string id = pgnOperandValue(line, "id");
        if (options.mapEpdOpToPgn && !id.empty()) white = id;
        if (options.mapEpdOpToPgn && !bm.empty()) black = bm;
    } else {
        white = baseName;
        std::string digits = std::to_string(number);
        if (number < 100000) digits.insert(0, 5 - digits.size(), '0');
        black = "EPD" + digits;
    }
    std::string game = tag("Event", "Computer Chess Test Suite") + tag("Site", title) +
                       tag("Date", date) + tag("Round", "?") + tag("White", white) +
                       tag("Black", black) + tag("Result", "*") + tag("SetUp", "1") +
                       tag("FEN", start.fen) + "\r\n";
    if (options.nimzoLikePgn) {
        game += "*";
    } else {
        game += start.blackToMove ? "1..." : "1.";
        const std::string move = options.bmToPgn ? legalSanMove(bm, start.fen) : std::string();
        game += move.empty() ? "*" : move + " *";
    }
    return game + "\r\n\r\n";
}

std::string pgnClipboardGame(std::string_view line, const std::string& title,
                             const std::string& date) {
    const PgnStart start = pgnStartOfLine(line);
    return tag("Event", "Test Position") + tag("Site", title) + tag("Date", date) +
           tag("Round", "1") + tag("White", "White") + tag("Black", "Black") + tag("Result", "*") +
           tag("SetUp", "1") + tag("FEN", start.fen) + "\r\n" +
           (start.blackToMove ? "1... *" : "1. *") + "\r\n\r\n";
}

std::string pgnToday() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y.%m.%d", &local);
    return text;
}

void exportPgnFile(Prompts& prompts, const PgnExportDocument& document,
                   const PgnExportOptions& options, const std::string& title,
                   const std::string& date, bool german) {
    if (!document.open) {
        prompts.message(kCaption, german ? "Keine EPD Datei geöffnet" : "No EPD file opened",
                        Icon::Information);
        return;
    }
    if (document.lineCount == 0) {
        prompts.message(kCaption, german ? "Die EPD Datei ist leer" : "The EPD file is empty",
                        Icon::Information);
        return;
    }
    FileDialogRequest request;
    request.defaultExtension = "PGN";
    request.filter = german ? "PGN Dateien (*.PGN)|*.PGN" : "PGN files (*.PGN)|*.PGN";
    request.title = german ? "Sichere EPD Datei als PGN" : "Save EPD file as PGN";
    request.initialDir = document.directory;
    std::string baseName = "EPD";
    if (document.name != "NONAME") {
        baseName = fileNameOf(document.name);
        baseName = baseName.substr(0, baseName.find('.'));
        request.fileName = baseName;
    }
    const auto chosen = prompts.chooseSaveFile(request);
    if (!chosen) return;
    if (!overwriteConfirmed(prompts, *chosen, german)) return;
    const WriteResult written = writeFileSafely(*chosen, [&](std::FILE* file) {
        for (std::size_t i = 0; i < document.lineCount; ++i) {
            const std::string game =
                pgnGameOfLine(document.line(i), i + 1, baseName, options, title, date);
            if (std::fwrite(game.data(), 1, game.size(), file) != game.size()) return false;
        }
        return true;
    });
    if (!written.ok) throw std::runtime_error("Can't write " + *chosen + ": " + written.error);
}

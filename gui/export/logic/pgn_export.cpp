#include "pgn_export.h"

#include <ctime>
#include <stdexcept>

#include "chess_position.h"
#include "export_files.h"
#include "text_file.h"

namespace {

std::string tag(std::string_view name, std::string_view value) {
    std::string line = "[";
    line += name;
    line += " \"";
    line += pgnTagValue(value);
    line += "\"]\r\n";
    return line;
}

// The first move of a bm operand when it reads as a SAN move ("Qxg6+", "O-O", "e8=Q"); "" for
// anything else, which written as move text would turn the rest of the game into a comment,
// a variation or more moves.
std::string sanMove(std::string_view bm) {
    const auto end = bm.find(' ');
    const std::string_view move = bm.substr(0, end);
    if (move.empty()) return {};
    for (const char c : move)
        if (std::string_view("abcdefghKQRBNOx+#=-12345678!?").find(c) == std::string_view::npos)
            return {};
    return std::string(move);
}

bool blackToMove(std::string_view position) {
    return position.find(" b ") != std::string_view::npos;
}

}  // namespace

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
    const std::string position = positionPartOfLine(line);
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
                       tag("FEN", position + " 0 1") + "\r\n";
    if (options.nimzoLikePgn) {
        game += "*";
    } else {
        game += blackToMove(position) ? "1..." : "1.";
        const std::string move = options.bmToPgn ? sanMove(bm) : std::string();
        game += move.empty() ? "*" : move + " *";
    }
    return game + "\r\n\r\n";
}

std::string pgnClipboardGame(std::string_view line, const std::string& title,
                             const std::string& date) {
    const std::string position = positionPartOfLine(line);
    return tag("Event", "Test Position") + tag("Site", title) + tag("Date", date) +
           tag("Round", "1") + tag("White", "White") + tag("Black", "Black") + tag("Result", "*") +
           tag("SetUp", "1") + tag("FEN", position + " 0 1") + "\r\n" +
           (blackToMove(position) ? "1... *" : "1. *") + "\r\n\r\n";
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

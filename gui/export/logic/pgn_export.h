#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "prompts.h"

// The three settings of the PGN export.
struct PgnExportOptions {
    bool nimzoLikePgn = false;  // the move text is a lone "*"
    bool mapEpdOpToPgn = true;  // id and bm become the White and Black tags
    bool bmToPgn = false;       // bm (its first move, when it is a legal SAN move) becomes the move
};

// The start of a line's game: the FEN of its placement, side, castling and en-passant fields as
// read, then the line's own half-move clock and move number, or "0 1" when it has none.
struct PgnStart {
    std::string fen;
    bool blackToMove = false;
};
PgnStart pgnStartOfLine(std::string_view line);

// The text after the first "<opcode> " of a line up to the next ";", or the text between the
// first two double quotes there when it holds one.
std::string pgnOperandValue(std::string_view line, std::string_view opcode);

// A tag value as PGN can hold it: backslashes and double quotes escaped, control characters
// made blanks.
std::string pgnTagValue(std::string_view value);

// One game of the export for line `number` (1-based): eleven lines with CR LF.
std::string pgnGameOfLine(std::string_view line, std::size_t number, const std::string& baseName,
                          const PgnExportOptions& options, const std::string& title,
                          const std::string& date);
// The game "Copy as PGN" puts on the clipboard for a line, with its closing empty line.
std::string pgnClipboardGame(std::string_view line, const std::string& title,
                             const std::string& date);

// Today as yyyy.mm.dd.
std::string pgnToday();

// "Export PGN": the document's side.
struct PgnExportDocument {
    bool open = false;
    std::string name;       // "NONAME" for a new document
    std::string directory;  // the open file's folder
    std::size_t lineCount = 0;
    std::function<std::string_view(std::size_t)> line;
};
// Asks for the file (with the overwrite question) and writes one game per line through a
// temporary file, so that a failed write leaves an existing file as it was; a failure throws
// with the system's reason.
void exportPgnFile(Prompts& prompts, const PgnExportDocument& document,
                   const PgnExportOptions& options, const std::string& title,
                   const std::string& date, bool german);

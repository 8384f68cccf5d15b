#pragma once

#include <array>
#include <functional>
#include <string>

#include "chess_position.h"
#include "export_files.h"
#include "prompts.h"

// The look of the HTML diagram: the settings of section HTML.
struct HtmlOptions {
    int borderSize = 5;  // 0..7
    bool showCoordinates = true;
    int pixels = 38;  // 25..45
    std::string gifPathPraefix;
};

// The image name of a piece code (0 for an empty square) on a square: "wrb" for a white rook on
// a dark square. Squares are dark when rank and file index have the same parity.
std::string pieceImageName(int piece, Square square);
// The 26 pictures the fragment names: both empty squares, then each piece on a light and a
// dark square; names without ".gif".
struct PieceImage {
    std::string name;
    int piece = 0;
    bool dark = false;
};
const std::array<PieceImage, 26>& allPieceImages();

// The fragment "Copy as HTML" puts on the clipboard, every line ending with CR LF. Throws
// BadSquareError with "Error in building HTML table (square,code)".
std::string htmlDiagram(const TChessPosition& position, const HtmlOptions& options);

// "img\\gif" as "img/gif/": every backslash a slash, with a final slash; "" stays "".
std::string normalizedGifPathPrefix(std::string prefix);

// What the options dialog shows and takes back: the border size as the list's index, the
// square size as the index 0..20 of "25 x 25" .. "45 x 45".
struct HtmlOptionsForm {
    int borderIndex = 5;
    bool showCoordinates = true;
    int pixelsIndex = 13;
    std::string prefix;

    static HtmlOptionsForm of(const HtmlOptions& options);
    // OK: a border outside 0..7 becomes 1, the prefix is normalised (and shown so); every
    // value that differs is stored. True when one did.
    bool storeInto(HtmlOptions& options);
};

// "Save piece images...": writes the 26 GIF pictures the fragment names into a folder the user
// picks, asking once before replacing any that exist. `write` writes one picture and throws on
// failure. Returns the number of pictures written.
int savePieceImages(
    Prompts& prompts, const std::string& initialFolder, bool german,
    const std::function<void(const PieceImage& image, const std::string& path)>& write);

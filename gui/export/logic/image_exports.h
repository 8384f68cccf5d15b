#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "chess_position.h"
#include "prompts.h"
#include "services.h"

// The board as text: eight ranks of cells (" K |" for white, " K*|" for black, "   |" for an
// empty square) between separator lines, the file letters, and the EPD line, with CR LF.
std::string asciiBoard(const TChessPosition& position, std::string_view epdLine);

// The picture formats the board is saved in, with their dialog texts and History keys.
enum class ImageKind { Bmp, Gif, Png, Jpg };

// The save dialog (filter, title, default extension, the last folder of the kind) and the
// overwrite question; the chosen path, or nothing when the user cancelled or answered No.
std::optional<std::string> chooseImageFile(Prompts& prompts, SettingsStore* settings,
                                           ImageKind kind, bool german);
// Stores the folder of a saved file (up to and including its last separator) under the kind's
// key.
void rememberImageFolder(SettingsStore* settings, ImageKind kind, const std::string& path);

// "EPD00001.GIF" .. "EPD99999.GIF", then "EPD100000.GIF" and on.
std::string exportGifFileName(std::size_t number);

// What "Export GIF" of every line needs from the window.
struct GifExportSteps {
    std::function<bool()> documentOpen;
    std::function<std::size_t()> lineCount;
    std::function<int()> currentRow;         // -1 when no line is selected
    std::function<void(int row)> selectRow;  // selects and shows a line (-1: none)
    // Takes the diagram's snapshot and writes it as a GIF file; throws on failure.
    std::function<void(const std::string& path)> writeGif;
    ProgressSink* progress = nullptr;
};
// Writes every line's diagram as EPDnnnnn.GIF into a folder the user chooses. A failure ends
// the export with its exception (the files written before it stay complete); the selected line
// is shown again on every way out.
void exportGifOfAllLines(Prompts& prompts, const GifExportSteps& steps, bool german);

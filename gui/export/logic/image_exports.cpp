#include "image_exports.h"

#include "export_files.h"

#include <unistd.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr const char* kHistory = "History";
constexpr const char* kSeparator = "    +---+---+---+---+---+---+---+---+";

struct KindTexts {
    const char* filterDe;
    const char* filterEn;
    const char* titleDe;
    const char* titleEn;
    const char* extension;
    const char* key;
};

const KindTexts& textsOf(ImageKind kind) {
    static const KindTexts kBmp{"BMP Format (*.BMP)|*.BMP",
                                "BMP image (*.BMP)|*.BMP",
                                "Speichere Stellung als BMP",
                                "Save position as BMP",
                                "BMP",
                                "LastBMPdirectory"};
    static const KindTexts kGif{"GIF Format (*.GIF)|*.GIF",
                                "GIF image (*.GIF)|*.GIF",
                                "Speichere Stellung als GIF",
                                "Save position as GIF",
                                "GIF",
                                "LastGIFdirectory"};
    static const KindTexts kPng{"PNG Format (*.PNG)|*.PNG",
                                "PNG image (*.PNG)|*.PNG",
                                "Speichere Stellung als PNG",
                                "Save position as PNG",
                                "PNG",
                                "LastPNGdirectory"};
    static const KindTexts kJpg{"JEPG Format (*.JPG)|*.JPG",
                                "JEPG image (*.JPG)|*.JPG",
                                "Speichere Stellung als JPEG",
                                "Save position as JPEG",
                                "JPG",
                                "LastJPGdirectory"};
    switch (kind) {
        case ImageKind::Bmp:
            return kBmp;
        case ImageKind::Gif:
            return kGif;
        case ImageKind::Png:
            return kPng;
        case ImageKind::Jpg:
            break;
    }
    return kJpg;
}

}  // namespace

std::string asciiBoard(const TChessPosition& position, std::string_view epdLine) {
    std::string text = std::string(kSeparator) + "\r\n";
    for (int rank = 7; rank >= 0; --rank) {
        text += "  " + std::to_string(rank + 1) + " |";
        for (int file = 0; file < 8; ++file) {
            const int code = position.PieceOnSquare(makeSquare(rank, file)) & 127;
            if (isWhitePiece(code) || isBlackPiece(code)) {
                text += ' ';
                text += kPieceLetters[static_cast<std::size_t>((code - 1) % 6)];
                text += isBlackPiece(code) ? "*|" : " |";
            } else {
                text += "   |";
            }
        }
        text += "\r\n" + std::string(kSeparator) + "\r\n";
    }
    text += "      a   b   c   d   e   f   g   h\r\n\r\nEPD: ";
    text += epdLine;
    text += "\r\n";
    return text;
}

std::optional<std::string> chooseImageFile(Prompts& prompts, SettingsStore* settings,
                                           ImageKind kind, bool german) {
    const KindTexts& t = textsOf(kind);
    FileDialogRequest request;
    request.filter = german ? t.filterDe : t.filterEn;
    request.title = german ? t.titleDe : t.titleEn;
    request.defaultExtension = t.extension;
    request.initialDir = settings ? settings->readString(kHistory, t.key, "") : std::string();
    const auto chosen = prompts.chooseSaveFile(request);
    if (!chosen) return std::nullopt;
    if (!overwriteConfirmed(prompts, *chosen, german)) return std::nullopt;
    return chosen;
}

void rememberImageFolder(SettingsStore* settings, ImageKind kind, const std::string& path) {
    if (settings) settings->writeString(kHistory, textsOf(kind).key, folderWithSeparator(path));
}

std::string exportGifFileName(std::size_t number) {
    std::string digits = std::to_string(number);
    if (number < 100000) digits.insert(0, 5 - digits.size(), '0');
    return "EPD" + digits + ".GIF";
}

void exportGifOfAllLines(Prompts& prompts, const GifExportSteps& steps, bool german) {
    if (!steps.documentOpen()) {
        prompts.message(kCaption, "No EPD file opened", Icon::Information);
        return;
    }
    const std::size_t count = steps.lineCount();
    if (count == 0) {
        prompts.message(kCaption, german ? "Die EPD Datei ist leer" : "The EPD file is empty",
                        Icon::Information);
        return;
    }
    char here[4096];
    const auto folder = prompts.chooseFolder(german ? "Verzeichnis wählen" : "Select directory",
                                             ::getcwd(here, sizeof here) ? here : ".");
    if (!folder) return;
    std::error_code ec;
    if (!fs::is_directory(*folder, ec) || ::access(folder->c_str(), W_OK | X_OK) != 0) {
        prompts.message(kCaption, "Can't change to " + *folder, Icon::Error);
        return;
    }
    // The selected line and the progress window come back on every way out, also when a
    // write fails.
    struct Restore {
        const GifExportSteps& steps;
        int row;
        ~Restore() {
            if (steps.progress) steps.progress->end();
            steps.selectRow(row);
        }
    } restore{steps, steps.currentRow()};
    if (steps.progress) steps.progress->begin(german ? "Exportiere GIF" : "Export GIF", count);
    const std::string prefix = folder->back() == '/' ? *folder : *folder + "/";
    for (std::size_t i = 0; i < count; ++i) {
        steps.selectRow(static_cast<int>(i));
        steps.writeGif(prefix + exportGifFileName(i + 1));
        if (steps.progress) steps.progress->advance(i + 1);
    }
}

#include "html_export.h"

#include <unistd.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr const char* kEnd = "\r\n";

bool darkSquare(Square square) {
    return (square / 10 + square % 10) % 2 == 0;
}

std::string imageTag(const TChessPosition& position, Square square, const std::string& prefix) {
    const int piece = position.PieceOnSquare(square);
    if (piece < Piece::Empty || piece > Piece::BlackKing)
        throw BadSquareError("Error in building HTML table (" + std::to_string(square) + "," +
                                 std::to_string(piece) + ")",
                             square, piece);
    return "<IMG SRC=\"" + prefix + pieceImageName(piece, square) + ".gif\">";
}

// The prefix as an attribute value: the characters markup gives a meaning escaped.
std::string attributeText(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '"':
                out += "&quot;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

void fileRow(std::string& out) {
    out += std::string("<TR>") + kEnd + "<TD>&nbsp;</TD>" + kEnd;
    for (char file = 'a'; file <= 'h'; ++file)
        out += std::string("<TD align=\"center\"><B>") + file + "</B></TD>" + kEnd;
    out += std::string("<TD>&nbsp;</TD>") + kEnd + "</TR>" + kEnd;
}

}  // namespace

std::string pieceImageName(int piece, Square square) {
    std::string name;
    if (piece == Piece::Empty) {
        name = "ef";
    } else {
        name += isWhitePiece(piece) ? 'w' : 'b';
        name += static_cast<char>(kPieceLetters[static_cast<std::size_t>(piece - 1) % 6] + 32);
    }
    name += darkSquare(square) ? 'b' : 'w';
    return name;
}

const std::array<PieceImage, 26>& allPieceImages() {
    static const std::array<PieceImage, 26> images = [] {
        std::array<PieceImage, 26> out;
        std::size_t n = 0;
        // b1 is a light square, a1 a dark one.
        for (int piece = Piece::Empty; piece <= Piece::BlackKing; ++piece)
            for (const Square square : {1, 0})
                out[n++] = {pieceImageName(piece, square), piece, square == 0};
        return out;
    }();
    return images;
}

std::string htmlDiagram(const TChessPosition& position, const HtmlOptions& options) {
    const std::string border = std::to_string(options.borderSize);
    const std::string pixels = std::to_string(options.pixels);
    const std::string prefix = attributeText(options.gifPathPraefix);
    std::string out;
    if (options.showCoordinates) {
        out += "<TABLE border=\"" + border + "\" bgcolor=\"#C0C0C0\" bordercolor=\"#000000\">" +
               kEnd + "<TR>" + kEnd + "<TD>" + kEnd +
               "<TABLE border=\"0\" cellspacing=\"0\" cellpadding=\"0\">" + kEnd;
        fileRow(out);
        const std::string cell = "<TD height=\"" + pixels + "\" width=\"" + pixels + "\">";
        for (int rank = 7; rank >= 0; --rank) {
            const std::string digit =
                "<TD>&nbsp;<B>" + std::to_string(rank + 1) + "</B>&nbsp;</TD>" + kEnd;
            out += std::string("<TR>") + kEnd + digit;
            for (int file = 0; file < 8; ++file)
                out += cell + imageTag(position, makeSquare(rank, file), prefix) + "</TD>";
            out += kEnd + digit + "</TR>" + kEnd;
        }
        fileRow(out);
        out += std::string("</TABLE>") + kEnd + "</TD>" + kEnd + "</TR>" + kEnd + "</TABLE>" + kEnd;
    } else {
        out += "<TABLE border=\"" + border + "\" bgcolor=\"#C0C0C0\">" + kEnd + "<TR>" + kEnd +
               "<TD>" + kEnd;
        for (int rank = 7; rank >= 0; --rank) {
            for (int file = 0; file < 8; ++file)
                out += imageTag(position, makeSquare(rank, file), prefix);
            out += std::string("<BR>") + kEnd;
        }
        out += std::string("</TD>") + kEnd + "</TR>" + kEnd + "</TABLE>" + kEnd;
    }
    return out;
}

std::string normalizedGifPathPrefix(std::string prefix) {
    if (prefix.empty()) return prefix;
    for (char& c : prefix)
        if (c == '\\') c = '/';
    if (prefix.back() != '/') prefix += '/';
    return prefix;
}

HtmlOptionsForm HtmlOptionsForm::of(const HtmlOptions& options) {
    HtmlOptionsForm form;
    form.borderIndex = options.borderSize;
    form.showCoordinates = options.showCoordinates;
    form.pixelsIndex = options.pixels - 25;
    form.prefix = options.gifPathPraefix;
    return form;
}

bool HtmlOptionsForm::storeInto(HtmlOptions& options) {
    if (borderIndex < 0 || borderIndex > 7) borderIndex = 1;
    prefix = normalizedGifPathPrefix(prefix);
    const int pixels = pixelsIndex >= 0 && pixelsIndex <= 20 ? pixelsIndex + 25 : options.pixels;
    bool changed = false;
    auto take = [&changed](auto& stored, const auto& value) {
        if (stored == value) return;
        stored = value;
        changed = true;
    };
    take(options.borderSize, borderIndex);
    take(options.showCoordinates, showCoordinates);
    take(options.pixels, pixels);
    take(options.gifPathPraefix, prefix);
    return changed;
}

int savePieceImages(
    Prompts& prompts, const std::string& initialFolder, bool german,
    const std::function<void(const PieceImage& image, const std::string& path)>& write) {
    const auto folder = prompts.chooseFolder(
        german ? "Verzeichnis für die Figurenbilder wählen" : "Select directory for piece images",
        initialFolder);
    if (!folder) return 0;
    std::error_code ec;
    if (!fs::is_directory(*folder, ec)) {
        prompts.message(kCaption, "Can't change to " + *folder, Icon::Error);
        return 0;
    }
    if (::access(folder->c_str(), W_OK | X_OK) != 0) {
        prompts.message(
            kCaption,
            german ? "Kann nicht in " + *folder + " schreiben" : "Can't write into " + *folder,
            Icon::Error);
        return 0;
    }
    const std::string prefix = folder->back() == '/' ? *folder : *folder + "/";
    int existing = 0;
    for (const PieceImage& image : allPieceImages())
        if (fs::exists(prefix + image.name + ".gif", ec)) ++existing;
    if (existing > 0) {
        const std::string count = std::to_string(existing);
        const std::string question =
            german
                ? count + " der 26 Figurenbilder existieren bereits in " + *folder +
                      ", überschreiben ?"
                : count + " of the 26 piece images already exist in " + *folder + ", overwrite ?";
        if (!prompts.askYesNo(kCaption, question, Icon::Question)) return 0;
    }
    int written = 0;
    for (const PieceImage& image : allPieceImages()) {
        write(image, prefix + image.name + ".gif");
        ++written;
    }
    return written;
}

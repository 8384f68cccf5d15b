#include "rtf_export.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

#include "text_file.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kSection = "Chess Fonts";
constexpr const char* kEnd = "\r\n";
constexpr int kMaxFonts = 1000;
constexpr int kMaxEmptyReports = 10;
// RTF sizes are half points up to 3276 (1638 points).
constexpr int kMaxFontSize = 1638;

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

int parseCount(const std::string& text) {
    const std::string t = trimmed(text);
    int value = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    return ec == std::errc() && end == t.data() + t.size() ? value : 0;
}

// Whether the bytes are well-formed UTF-8 (lead bytes with their continuation bytes, no
// overlong two-byte forms).
bool isValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::size_t length = byte < 0x80                   ? 1
                                   : byte >= 0xC2 && byte < 0xE0 ? 2
                                   : byte >= 0xE0 && byte < 0xF0 ? 3
                                   : byte >= 0xF0 && byte < 0xF5 ? 4
                                                                 : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

// Font names, which come from the user's file, as RTF text: braces and backslashes escaped, a
// ";" (which would end the entry) and bytes above 127 as hexadecimal escapes, characters of a
// UTF-8 name as Unicode escapes, control characters left out.
std::string rtfText(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    const bool utf8 = isValidUtf8(text);
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += c;
        } else if (byte >= 0x80 && utf8) {
            // A two-, three- or four-byte sequence; beyond 16 bits as its surrogate pair.
            const int length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
            char32_t point = byte & (0x7F >> length);
            for (int k = 1; k < length; ++k)
                point = point << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
            i += static_cast<std::size_t>(length - 1);
            auto unicode = [&out](unsigned unit) {
                out += "\\u" + std::to_string(static_cast<std::int16_t>(unit)) + "?";
            };
            if (point > 0xFFFF) {
                point -= 0x10000;
                unicode(0xD800 + (point >> 10));
                unicode(0xDC00 + (point & 0x3FF));
            } else {
                unicode(point);
            }
        } else if (byte >= 0x80 || c == ';') {
            out += "\\'";
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else if (byte >= 0x20 && byte != 0x7F) {
            out += c;
        }
    }
    return out;
}

// A code of the font as UTF-8 text: Windows-1252, as the RTF's character set reads it.
std::string windows1252(int code) {
    static constexpr char16_t k80[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    if (code < 0x20) return " ";
    const unsigned point = code >= 0x80 && code < 0xA0 ? k80[code - 0x80] : unsigned(code);
    std::string out;
    if (point < 0x80) {
        out += static_cast<char>(point);
    } else if (point < 0x800) {
        out += static_cast<char>(0xC0 | point >> 6);
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | point >> 12);
        out += static_cast<char>(0x80 | (point >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    }
    return out;
}

// The key index of every square, rank 8 first; throws for a code without a picture.
template <class Emit>
void forEachSquare(const TChessPosition& position, Emit&& emit) {
    for (int rank = 7; rank >= 0; --rank)
        for (int file = 0; file < 8; ++file) {
            const Square square = makeSquare(rank, file);
            const int piece = position.PieceOnSquare(square);
            if (piece < Piece::Empty || piece > Piece::BlackKing)
                throw BadSquareError("Error in creating RTF file (" + std::to_string(square) + "," +
                                         std::to_string(piece) + ")",
                                     square, piece);
            emit(rank, file, chessFontKeyIndex(piece, square));
        }
}

}  // namespace

const std::array<const char*, TRTFHandling::kCodeCount>& chessFontKeys() {
    static const std::array<const char*, TRTFHandling::kCodeCount> keys = {
        "Blank_B",       "BlackKing_B",   "BlackQueen_B",  "BlackRook_B",   "BlackBishop_B",
        "BlackKnight_B", "BlackPawn_B",   "WhiteKing_B",   "WhiteQueen_B",  "WhiteRook_B",
        "WhiteBishop_B", "WhiteKnight_B", "WhitePawn_B",   "Blank_W",       "BlackKing_W",
        "BlackQueen_W",  "BlackRook_W",   "BlackBishop_W", "BlackKnight_W", "BlackPawn_W",
        "WhiteKing_W",   "WhiteQueen_W",  "WhiteRook_W",   "WhiteBishop_W", "WhiteKnight_W",
        "WhitePawn_W",   "BorderNW",      "BorderN",       "BorderNE",      "BorderW",
        "BorderE",       "BorderSW",      "BorderS",       "BorderSE"};
    return keys;
}

int parseChessFontCode(std::string_view text) {
    const std::string t = trimmed(text);
    // A backslash and exactly one character: one byte, or one UTF-8 character of Latin-1.
    if (t.size() == 2 && t[0] == '\\') return static_cast<unsigned char>(t[1]);
    if (t.size() == 3 && t[0] == '\\' && (t[1] == '\xC2' || t[1] == '\xC3') &&
        (static_cast<unsigned char>(t[2]) & 0xC0) == 0x80)
        return (t[1] & 0x03) << 6 | (t[2] & 0x3F);
    int value = -1;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size()) return -1;
    // An RTF character escape holds one byte: larger or negative codes cannot be written.
    return value >= 0 && value <= 255 ? value : -1;
}

int chessFontKeyIndex(int piece, Square square) {
    const bool dark = (square / 10 + square % 10) % 2 == 0;
    // Empty 1, black king .. pawn 2..7, white king .. pawn 8..13 (piece codes run the other
    // way); 13 more on a light square.
    int index = 1;
    if (isWhitePiece(piece) || isBlackPiece(piece)) index = 14 - piece;
    return dark ? index : index + 13;
}

TRTFHandling::TRTFHandling(const std::string& fileName, bool verbose, SettingsStore& file,
                           Prompts& prompts)
    : m_fileName(fileName), m_verbose(verbose), m_file(file), m_prompts(prompts) {
    m_codes.fill(-1);
    std::error_code ec;
    if (!fs::exists(fileName, ec)) {
        if (m_verbose)
            m_prompts.message(kCaption, "chess fonts ini file: \n" + fileName + "\ndoesn't exists",
                              Icon::Error);
        return;
    }
    const int count = parseCount(m_file.readString(kSection, "Fonts", "0"));
    if (count <= 0) {
        if (m_verbose)
            m_prompts.message(kCaption, "no chess fonts found in ini file: \n" + fileName,
                              Icon::Error);
        return;
    }
    // A count far beyond any real font list (a damaged file) is read up to kMaxFonts, and only
    // the first few empty names are reported, so that start-up never waits on it.
    int reported = 0;
    for (int k = 1; k <= std::min(count, kMaxFonts); ++k) {
        const std::string key = "Font" + std::to_string(k);
        std::string name = trimmed(m_file.readString(kSection, key, ""));
        if (!name.empty())
            m_fontNames.push_back(std::move(name));
        else if (m_verbose && reported++ < kMaxEmptyReports)
            m_prompts.message(kCaption, "Parameter " + key + " is empty", Icon::Information);
    }
    m_loaded = true;
}

int TRTFHandling::code(int index) const {
    return index >= 1 && index <= kCodeCount ? m_codes[static_cast<std::size_t>(index)] : -1;
}

std::string TRTFHandling::FontName(int index) const {
    if (!m_loaded || index < 1 || index > fontCount()) return {};
    return m_fontNames[static_cast<std::size_t>(index - 1)];
}

int TRTFHandling::FontIndex(const std::string& name) const {
    if (!m_loaded || name.empty()) return -1;
    const auto it = std::find(m_fontNames.begin(), m_fontNames.end(), name);
    return it == m_fontNames.end() ? -1 : static_cast<int>(it - m_fontNames.begin()) + 1;
}

bool TRTFHandling::LoadFont(int index) {
    const std::string name = FontName(index);
    if (name.empty()) return false;
    m_codes.fill(-1);
    m_currentFont = -1;
    m_currentFontName.clear();
    m_borderAvailable = false;
    for (int i = 1; i <= kCodeCount; ++i)
        m_codes[static_cast<std::size_t>(i)] =
            parseChessFontCode(m_file.readString(name, chessFontKeys()[i - 1], ""));
    if (std::any_of(m_codes.begin() + 1, m_codes.begin() + 27, [](int c) { return c < 0; })) {
        if (m_verbose) m_prompts.message(kCaption, "piece font code missing", Icon::Error);
        m_codes.fill(-1);
        return false;
    }
    m_borderAvailable =
        std::all_of(m_codes.begin() + 27, m_codes.end(), [](int c) { return c >= 0; });
    if (!m_borderAvailable) {
        std::fill(m_codes.begin() + 27, m_codes.end(), -1);
        if (m_verbose)
            m_prompts.message(kCaption, "no piece font border information available",
                              Icon::Information);
    }
    m_currentFont = index;
    m_currentFontName = name;
    return true;
}

std::string TRTFHandling::CodeText(int index) const {
    static constexpr char kHex[] = "0123456789abcdef";
    const int c = code(index);
    if (!m_loaded || m_currentFont < 0 || c < 0) return {};
    return std::string("\\'") + kHex[(c >> 4) & 15] + kHex[c & 15];
}

std::string rtfDiagram(const TChessPosition& position, const TRTFHandling& fonts, int fontSize) {
    // A size no RTF reader takes (a damaged settings file) is written as 24 points.
    if (fontSize < 1 || fontSize > kMaxFontSize) fontSize = 24;
    const std::string size = std::to_string(fontSize * 2);
    std::string out;
    for (const std::string& line :
         {std::string("{\\rtf1\\deff0{\\fonttbl{\\f0\\froman\\fcharset0\\fprq2 Times New Roman;}"),
          "{\\f1\\fnil\\fprq2 " + rtfText(fonts.currentFontName()) + ";}}",
          std::string("{\\info{\\title Chess diagram created by Brisvane}"),
          std::string("{\\subject chess}"), std::string("{\\author Brisvane V1.5}}"),
          std::string("\\paperw11906\\paperh16838\\margl1417\\margr1417\\margt1417\\margb1134"),
          std::string("\\ftnbj\\aenddoc\\hyphcaps0\\formshade\\viewkind4"),
          std::string("\\viewscale100\\pgbrdrhead\\pgbrdrfoot \\fet0\\sectd"),
          std::string("\\linex0\\headery709\\footery709\\colsx709\\endnhere\\sectdefaultcl"),
          std::string("\\pard\\plain \\qc\\nowidctlpar\\widctlpar\\adjustleft \\fs20\\cgrid"),
          "\\f0\\fs" + size + "\\par", "\\f1\\fs" + size})
        out += line + kEnd;
    const bool border = fonts.borderAvailable();
    auto repeat = [&fonts](int index) {
        std::string eight;
        for (int i = 0; i < 8; ++i)
            eight += fonts.CodeText(index);
        return eight;
    };
    if (border) out += "\\tab" + fonts.CodeText(27) + repeat(28) + fonts.CodeText(29) + kEnd;
    std::string row;
    forEachSquare(position, [&](int, int file, int index) {
        if (file == 0) row = border ? "\\par\\tab" + fonts.CodeText(30) : "\\par\\tab";
        row += fonts.CodeText(index);
        if (file == 7) out += row + (border ? fonts.CodeText(31) : "") + kEnd;
    });
    if (border) out += "\\par\\tab" + fonts.CodeText(32) + repeat(33) + fonts.CodeText(34) + kEnd;
    out += "\\f0\\fs" + size + "\\par}" + kEnd;
    return out;
}

std::string rtfDiagramText(const TChessPosition& position, const TRTFHandling& fonts) {
    auto character = [&fonts](int index) { return windows1252(fonts.code(index)); };
    const bool border = fonts.borderAvailable();
    auto edge = [&](int left, int middle, int right) {
        std::string line = "\t" + character(left);
        for (int i = 0; i < 8; ++i)
            line += character(middle);
        return line + character(right) + "\r\n";
    };
    std::string out = "\r\n";
    if (border) out += edge(27, 28, 29);
    forEachSquare(position, [&](int, int file, int index) {
        if (file == 0) out += border ? "\t" + character(30) : "\t";
        out += character(index);
        if (file == 7) out += (border ? character(31) : "") + "\r\n";
    });
    if (border) out += edge(32, 33, 34);
    return out;
}

bool writeRtfFile(Prompts& prompts, SettingsStore* settings, const std::string& path,
                  const TChessPosition& position, const TRTFHandling& fonts, int fontSize,
                  bool german) {
    if (!overwriteConfirmed(prompts, path, german)) return false;
    std::string document;
    try {
        document = rtfDiagram(position, fonts, fontSize);
    } catch (const BadSquareError& error) {
        prompts.message(kCaption, error.what(), Icon::Error);
        return false;
    }
    const WriteResult written = writeFileSafely(path, [&document](std::FILE* file) {
        return std::fwrite(document.data(), 1, document.size(), file) == document.size();
    });
    if (!written.ok) {
        prompts.message(kCaption, "Can't write " + path + ": " + written.error, Icon::Error);
        return false;
    }
    // The file is written; a settings file that cannot take the folder does not undo that.
    try {
        if (settings)
            settings->writeString("History", "LastRTFdirectory", folderWithSeparator(path));
    } catch (const std::exception&) {
    }
    return true;
}

std::optional<std::string> chooseRtfFile(Prompts& prompts, SettingsStore* settings, bool german) {
    FileDialogRequest request;
    request.defaultExtension = "RTF";
    request.filter = "Rich Text Format (*.RTF)|*.RTF";
    request.initialDir = settings ? settings->readString("History", "LastRTFdirectory", "") : "";
    request.title = german ? "Speichere Stellung als RTF" : "Save position as RTF";
    return prompts.chooseSaveFile(request);
}

RtfStartup startRtf(
    const std::string& folder, bool debug, const ChessFontSetting& setting, Prompts& prompts,
    const std::function<std::unique_ptr<SettingsStore>(const std::string& path)>& openFile) {
    RtfStartup out;
    const std::string path =
        (folder.empty() || folder.back() == '/' ? folder : folder + "/") + TRTFHandling::kFileName;
    std::error_code ec;
    if (debug && !fs::exists(path, ec))
        prompts.message(kCaption, "Chess font INI file\n" + path + "\ndoesn't exists",
                        Icon::Information);
    out.file = openFile(path);
    out.fonts = std::make_unique<TRTFHandling>(path, debug, *out.file, prompts);
    if (!out.fonts->loaded()) {
        if (debug)
            prompts.message(kCaption, "Menu item 'Options/RTF...' disabled", Icon::Information);
        out.fonts.reset();
        out.file.reset();
        return out;
    }
    out.optionsEnabled = true;
    if (!setting.name.empty()) {
        if (out.fonts->LoadFont(out.fonts->FontIndex(setting.name)))
            out.commandsEnabled = true;
        else
            prompts.message(kCaption, "Can't load data for chess font " + setting.name,
                            Icon::Error);
    }
    return out;
}

namespace {
constexpr std::array<int, 16> kFontSizes = {8,  9,  10, 11, 12, 14, 16, 18,
                                            20, 22, 24, 26, 28, 36, 48, 72};
}

RtfOptionsForm RtfOptionsForm::of(const TRTFHandling* fonts, const ChessFontSetting& setting) {
    RtfOptionsForm form;
    form.sizes.assign(kFontSizes.begin(), kFontSizes.end());
    form.haveFonts = fonts && fonts->fontCount() > 0;
    if (!form.haveFonts) {
        form.fontItems = {kNoFontsAvailable};
        return form;
    }
    form.fontItems = fonts->fontNames();
    form.fontIndex = fonts->FontIndex(setting.name) - 1;
    if (form.fontIndex >= 0 && setting.size > 0) {
        const auto it = std::find(kFontSizes.begin(), kFontSizes.end(), setting.size);
        form.sizeIndex = static_cast<int>(
            (it != kFontSizes.end() ? it : std::find(kFontSizes.begin(), kFontSizes.end(), 24)) -
            kFontSizes.begin());
    }
    return form;
}

RtfOptionsForm::Outcome RtfOptionsForm::accept(ChessFontSetting& setting, bool& changed) const {
    changed = false;
    if (!haveFonts) return Outcome::Close;
    if (fontIndex < 0 || fontIndex >= static_cast<int>(fontItems.size()))
        return Outcome::FontMissing;
    if (sizeIndex < 0 || sizeIndex >= static_cast<int>(sizes.size())) return Outcome::SizeMissing;
    const std::string& name = fontItems[static_cast<std::size_t>(fontIndex)];
    const int size = sizes[static_cast<std::size_t>(sizeIndex)];
    changed = name != setting.name || size != setting.size;
    setting.name = name;
    setting.size = size;
    return Outcome::Close;
}

bool loadChosenFont(TRTFHandling& fonts, ChessFontSetting& setting, Prompts& prompts) {
    if (setting.name == fonts.currentFontName()) return fonts.currentFont() > 0;
    if (fonts.LoadFont(fonts.FontIndex(setting.name))) return true;
    const std::string name = setting.name;
    setting.name.clear();
    setting.size = -1;
    prompts.message(kCaption, "Can't load data for font '" + name + "'", Icon::Error);
    return false;
}

#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chess_position.h"
#include "export_files.h"
#include "prompts.h"
#include "services.h"

// The chess font table of ChessFonts.ini: which fonts exist and, for the loaded one, the
// character code of each of its 34 pictures (13 on dark squares, 13 on light ones, 8 border
// pieces; keys 1..34 in the file's fixed order).
class TRTFHandling {
public:
    static constexpr int kVersion = 100;
    static constexpr int kCodeCount = 34;
    static constexpr const char* kFileName = "ChessFonts.ini";

    // Create: reads the font list from `file`, the store of the file at `fileName`. With
    // `verbose` on, every problem is shown through `prompts`.
    TRTFHandling(const std::string& fileName, bool verbose, SettingsStore& file, Prompts& prompts);

    int version() const { return kVersion; }
    bool loaded() const { return m_loaded; }
    bool verbose() const { return m_verbose; }
    const std::string& fileName() const { return m_fileName; }
    int fontCount() const { return static_cast<int>(m_fontNames.size()); }
    const std::vector<std::string>& fontNames() const { return m_fontNames; }
    int currentFont() const { return m_currentFont; }
    const std::string& currentFontName() const { return m_currentFontName; }
    bool borderAvailable() const { return m_borderAvailable; }
    // The code of key `index` (1..34), -1 when not set.
    int code(int index) const;

    std::string FontName(int index) const;
    int FontIndex(const std::string& name) const;
    // Loads the 34 codes of font `index`; false when a piece code is missing.
    bool LoadFont(int index);
    // "\'61" for code 97; "" without a loaded font or code.
    std::string CodeText(int index) const;

private:
    std::string m_fileName;
    bool m_verbose;
    SettingsStore& m_file;
    Prompts& m_prompts;
    bool m_loaded = false;
    std::array<int, kCodeCount + 1> m_codes{};
    std::vector<std::string> m_fontNames;
    int m_currentFont = -1;
    std::string m_currentFontName;
    bool m_borderAvailable = false;
};

// The 34 keys of a font's section, index 1..34 at [index - 1].
const std::array<const char*, TRTFHandling::kCodeCount>& chessFontKeys();
// A code as the file writes it: a decimal number 0..255 (blanks around it ignored) or a
// backslash and one character; -1 for anything else.
int parseChessFontCode(std::string_view text);
// The key index of a piece code (0 empty, 1..12) on a square.
int chessFontKeyIndex(int piece, Square square);

// The RTF document of a position set in the loaded font at `fontSize` points, lines ending
// with CR LF. Throws BadSquareError with "Error in creating RTF file (square,code)".
std::string rtfDiagram(const TChessPosition& position, const TRTFHandling& fonts, int fontSize);
// The same board as plain text: the font's characters (Latin-1 as UTF-8), a tab before each
// row, for the clipboard's text flavour.
std::string rtfDiagramText(const TChessPosition& position, const TRTFHandling& fonts);

// Writes the RTF file of a position: the overwrite question when `path` exists, then the file
// through a temporary one, so a failure never leaves a half file; stores the file's folder as
// History/LastRTFdirectory. False when the user declined or the writing failed (after its
// message).
bool writeRtfFile(Prompts& prompts, SettingsStore* settings, const std::string& path,
                  const TChessPosition& position, const TRTFHandling& fonts, int fontSize,
                  bool german);
// The save dialog of "Save as RTF..."; the chosen path or nothing.
std::optional<std::string> chooseRtfFile(Prompts& prompts, SettingsStore* settings, bool german);

// The RTF font settings of section Fonts.
struct ChessFontSetting {
    std::string name;
    int size = 24;
};

// Start-up: reads ChessFonts.ini in `folder` and loads the chosen font. `optionsEnabled` is
// "&RTF..."; `commandsEnabled` the two RTF commands. `fonts` is null when no font list was read.
struct RtfStartup {
    std::unique_ptr<SettingsStore> file;
    std::unique_ptr<TRTFHandling> fonts;
    bool optionsEnabled = false;
    bool commandsEnabled = false;
};
RtfStartup startRtf(
    const std::string& folder, bool debug, const ChessFontSetting& setting, Prompts& prompts,
    const std::function<std::unique_ptr<SettingsStore>(const std::string& path)>& openFile);

// The RTF options dialog's lists.
struct RtfOptionsForm {
    std::vector<std::string> fontItems;  // "No fonts available" alone without fonts
    bool haveFonts = false;
    int fontIndex = -1;  // the selected row, -1 for none
    std::vector<int> sizes;
    int sizeIndex = -1;

    static RtfOptionsForm of(const TRTFHandling* fonts, const ChessFontSetting& setting);
    enum class Outcome { Close, FontMissing, SizeMissing };
    // OK: the message to show (and the list to focus), or Close after storing a changed name
    // or size; `changed` tells whether one was.
    Outcome accept(ChessFontSetting& setting, bool& changed) const;
};
inline constexpr const char* kNoFontsAvailable = "No fonts available";
// After the dialog: loads the font the setting names when it is not the loaded one. On failure
// the setting is cleared (size -1) and "Can't load data for font '…'" shown. True while a font
// is loaded: the RTF commands are enabled then.
bool loadChosenFont(TRTFHandling& fonts, ChessFontSetting& setting, Prompts& prompts);

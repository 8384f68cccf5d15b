#pragma once

#include <cstddef>
#include <string>

// The interface language: German when the setting "Language" is 1, English otherwise.
enum class Language { English = 0, German = 1 };

Language languageFromSetting(long setting);

// Texts of the document commands, each in English and German.
enum class DocText {
    LinesTooLong,
    FileEmpty,
    NoFileOpened,
    AppendFileEmpty,
    ErrorInDescription,
    OpenFilter,
    OpenTitle,
    AppendFilter,
    AppendTitle,
    SaveFilter,
    SaveTitle,
    SaveNewTitle,
    ChangedSaveQuestion,
    SaveNewQuestion,
    SubstituteQuestion,
    NormalizeTitle,
    GotoTitle,
    GotoPrompt,
};

const std::string& docText(DocText id, Language language);

// "File <path> already exists, overwrite ?"
std::string fileExistsQuestion(const std::string& path, Language language);
// The reason a file could not be read or written, naming the file.
std::string cannotReadMessage(const std::string& path, const std::string& reason,
                              Language language);
std::string cannotWriteMessage(const std::string& path, const std::string& reason,
                               Language language);
std::string notTextMessage(const std::string& path, Language language);
// After a load that skipped lines too short to be EPD lines.
std::string skippedLinesMessage(std::size_t count, std::size_t firstLine, Language language);
// Before saving over a file whose skipped lines the document does not hold.
std::string writeWithoutSkippedQuestion(const std::string& path, std::size_t count,
                                        Language language);

// Texts that exist in English only.
namespace EnglishText {
inline constexpr const char* CantSaveOldLine = "Can't save old line to undo buffer";
inline constexpr const char* CantSaveDeletedLine = "Can't save deleted line to undo buffer";
inline constexpr const char* NoTextInClipboard = "No text found in clipboard";
inline constexpr const char* ClipboardEmpty = "Clipboard is empty";
inline constexpr const char* PgnInClipboard = "PGN data found in clipboard";
inline constexpr const char* NoEpdLinesInClipboard = "No EPD lines found in Clipboard";
}  // namespace EnglishText

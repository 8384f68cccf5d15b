#include "document_texts.h"

#include <array>
#include <cassert>
#include <utility>

namespace {

struct TextPair {
    DocText id;
    std::string english;
    std::string german;
};

const std::array<TextPair, 18>& textTable() {
    static const std::array<TextPair, 18> table = {{
        {DocText::LinesTooLong, "EPD line(s) too long", "EPD-Zeile(n) zu lang"},
        {DocText::FileEmpty, "The EPD file is empty", "Die EPD Datei ist leer"},
        {DocText::NoFileOpened, "No EPD file opened", "Keine EPD Datei geöffnet"},
        {DocText::AppendFileEmpty, "The EPD file to append is empty",
         "Die anzuhängende EPD Datei ist leer"},
        {DocText::ErrorInDescription, "Error in EPD description", "Fehler in EPD Beschreibung"},
        {DocText::OpenFilter, "EPD Files(*.EPD)|*.EPD", "EPD Dateien(*.EPD)|*.EPD"},
        {DocText::OpenTitle, "Brisvane: Open EPD file", "Brisvane: Öffne EPD Datei"},
        {DocText::AppendFilter, "EPD Files(*.EPD)|*.EPD", "EPD Dateien (*.EPD)|*.EPD"},
        {DocText::AppendTitle, "Brisvane: Append EPD file", "Brisvane: EPD Datei anhängen"},
        {DocText::SaveFilter, "EPD files (*.EPD)|*.EPD", "EPD Dateien (*.EPD)|*.EPD"},
        {DocText::SaveTitle, "Save EPD file", "Sichere EPD Datei"},
        {DocText::SaveNewTitle, "Save new EPD file", "Sichere neue EPD Datei"},
        {DocText::ChangedSaveQuestion, "EPD file changed - save file ?",
         "EPD Datei wurde verändert - Datei sichern ?"},
        {DocText::SaveNewQuestion, "Save new EPD file ?", "Sichere neue EPD Datei ?"},
        {DocText::SubstituteQuestion, "Substitute EPD line ? (Answer \"No\" to append the line)",
         "Ersetze EPD Zeile ? (Antwort \"Nein\", um Zeile an Datei anzuhängen)"},
        {DocText::NormalizeTitle, "Normalize EPD file", "Normalisiere EPD Datei"},
        {DocText::GotoTitle, "Brisvane: Goto position", "Brisvane: Gehe zu Stellung"},
        {DocText::GotoPrompt, "Enter number of position:", "Nummer der Stellung:"},
    }};
    return table;
}

}  // namespace

Language languageFromSetting(long setting) {
    return setting == 1 ? Language::German : Language::English;
}

const std::string& docText(DocText id, Language language) {
    const auto& entry = textTable()[static_cast<std::size_t>(id)];
    assert(entry.id == id);
    return language == Language::German ? entry.german : entry.english;
}

std::string fileExistsQuestion(const std::string& path, Language language) {
    return language == Language::German ? "Datei " + path + " existiert bereits, überschreiben ?"
                                        : "File " + path + " already exists, overwrite ?";
}

std::string cannotReadMessage(const std::string& path, const std::string& reason,
                              Language language) {
    return language == Language::German ? "Datei " + path + " kann nicht gelesen werden: " + reason
                                        : "Can't read file " + path + ": " + reason;
}

std::string cannotWriteMessage(const std::string& path, const std::string& reason,
                               Language language) {
    return language == Language::German
               ? "Datei " + path + " kann nicht geschrieben werden: " + reason
               : "Can't write file " + path + ": " + reason;
}

std::string notTextMessage(const std::string& path, Language language) {
    return language == Language::German ? "Datei " + path + " ist keine Textdatei"
                                        : "File " + path + " is not a text file";
}

std::string skippedLinesMessage(std::size_t count, std::size_t firstLine, Language language) {
    const std::string n = std::to_string(count);
    const std::string first = std::to_string(firstLine);
    return language == Language::German
               ? n +
                     " Zeile(n) mit 14 oder weniger Zeichen sind keine EPD-Zeilen und wurden "
                     "nicht geladen (die erste ist Zeile " +
                     first + ")"
               : n +
                     " line(s) of 14 characters or fewer are not EPD lines and were not loaded "
                     "(the first is line " +
                     first + ")";
}

std::string writeWithoutSkippedQuestion(const std::string& path, std::size_t count,
                                        Language language) {
    const std::string n = std::to_string(count);
    return language == Language::German
               ? "Datei " + path + " enthält " + n +
                     " Zeile(n), die keine EPD-Zeilen sind und nicht geladen wurden. Datei ohne "
                     "diese Zeilen schreiben ?"
               : "File " + path + " holds " + n +
                     " line(s) that are not EPD lines and were not loaded. Write the file "
                     "without them ?";
}

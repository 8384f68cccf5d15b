#include "shell_words.h"

// The field labels and check box captions are the opcode names, the same in every language.
// The fields are listed for their hints only: their rows empty them, which loses nothing, as the
// editor fills them when it shows and keeps what they hold across a switch.
const WordTable kOpcodeSetupWords = {
    {"%Form%", "Brisvane: EPD Opcode-Editor", "Brisvane: EPD Opcode Editor"},
    {"PageControl1", "Allgemein", "General"},
    {"\"", "Analyse", "Analysis"},
    {"\"", "Kommentar", "Comment"},
    {"\"", "Stellung", "Position"},
    {"\"", "Eröffnung", "Opening"},
    {"\"", "Sonstiges", "Misc"},
    // General
    {"LBid", "id", "id"},
    {"TEid", "", ""},
    {"\".Hint", "Kennung der EPD-Zeile", "EPD line identification"},
    {"LBbm", "bm", "bm"},
    {"TEbm", "", ""},
    {"\".Hint", "bester Zug oder beste Züge", "best move(s)"},
    {"LBam", "am", "am"},
    {"TEam", "", ""},
    {"\".Hint", "zu vermeidender Zug oder zu vermeidende Züge", "avoid move(s)"},
    // Analysis
    {"LBacn", "acn", "acn"},
    {"TEacn", "", ""},
    {"\".Hint", "Analysezähler: Knoten", "analysis count: nodes"},
    {"LBacs", "acs", "acs"},
    {"TEacs", "", ""},
    {"\".Hint", "Analysezähler: Sekunden", "analysis count: seconds"},
    {"LBce", "ce", "ce"},
    {"TEce", "", ""},
    {"\".Hint", "Bewertung in Hundertstelbauern", "centipawn evaluation"},
    {"LBpm", "pm", "pm"},
    {"TEpm", "", ""},
    {"\".Hint", "erwarteter Zug", "predicted move"},
    {"LBpv", "pv", "pv"},
    {"TEpv", "", ""},
    {"\".Hint", "erwartete Variante", "predicted variation"},
    {"LBsm", "sm", "sm"},
    {"TEsm", "", ""},
    {"\".Hint", "vorgegebener Zug", "supplied move"},
    // Comment
    {"LBc0", "c0", "c0"},
    {"LBc1", "c1", "c1"},
    {"LBc2", "c2", "c2"},
    {"LBc3", "c3", "c3"},
    {"LBc4", "c4", "c4"},
    {"LBc5", "c5", "c5"},
    {"LBc6", "c6", "c6"},
    // Position
    {"LBfmvn", "fmvn", "fmvn"},
    {"TEfmvn", "", ""},
    {"\".Hint", "Zugnummer", "fullmove number"},
    {"LBhmvc", "hmvc", "hmvc"},
    {"TEhmvc", "", ""},
    {"\".Hint", "Halbzugzähler", "halfmove clock"},
    {"LBrc", "rc", "rc"},
    {"TErc", "", ""},
    {"\".Hint", "Wiederholungszähler", "repetition count"},
    {"LBdm", "dm", "dm"},
    {"TEdm", "", ""},
    {"\".Hint", "direktes Matt: Anzahl der Züge", "direct mate fullmove count"},
    // Opening
    {"LBeco", "eco", "eco"},
    {"TEeco", "", ""},
    {"\".Hint", "Eröffnungsschlüssel der Encyclopedia of Chess Openings (A00-E99)",
     "Encyclopedia of Chess Openings opening code (A00-E99)"},
    {"LBnic", "nic", "nic"},
    {"TEnic", "", ""},
    {"\".Hint", "Eröffnungsschlüssel von New In Chess", "New In Chess opening code"},
    {"LBv0", "v0", "v0"},
    {"LBv1", "v1", "v1"},
    {"LBv2", "v2", "v2"},
    {"LBv3", "v3", "v3"},
    {"LBv4", "v4", "v4"},
    {"LBv5", "v5", "v5"},
    // Misc
    {"LBtcgs", "tcgs", "tcgs"},
    {"TEtcgs", "", ""},
    {"\".Hint", "Telekommunikation: Partiekennung", "telecommunication: game selector"},
    {"LBtcri", "tcri", "tcri"},
    {"TEtcri", "", ""},
    {"\".Hint", "Telekommunikation: Kennung des Empfängers (E-Mail-Adresse)",
     "telecommunication: receiver identification (email address)"},
    {"LBtcsi", "tcsi", "tcsi"},
    {"TEtcsi", "", ""},
    {"\".Hint", "Telekommunikation: Kennung des Absenders (E-Mail-Adresse)",
     "telecommunication: sender identification (email address)"},
    {"CBdraw_accept", "draw_accept", "draw_accept"},
    {"\".Hint", "Remisangebot annehmen", "accept a draw offer"},
    {"CBdraw_claim", "draw_claim", "draw_claim"},
    {"\".Hint", "Remis reklamieren", "claim a draw"},
    {"CBdraw_offer", "draw_offer", "draw_offer"},
    {"\".Hint", "Remis anbieten", "offer a draw"},
    {"CBdraw_reject", "draw_reject", "draw_reject"},
    {"\".Hint", "Remisangebot ablehnen", "reject a draw offer"},
    {"CBnoop", "noop", "noop"},
    {"\".Hint", "keine Operation", "no operation"},
    {"CBresign", "resign", "resign"},
    {"\".Hint", "Aufgabe der Partie", "game resignation"},
    // Below the pages
    {"LblKept", "Unverändert übernommen:", "Kept as written:"},
    {"TEkept", "", ""},
    {"\".Hint", "Operationen ohne eigenes Feld, unverändert zurückgeschrieben",
     "operations without a field, written back as they stand"},
    {"BtnOK", "&OK", "&OK"},
    {"BtnCancel", "&Abbrechen", "&Cancel"},
};

// The board and the palette panels are not listed: their hints follow the state (see
// kBoardSetupTexts). The counters label's row empties it; the dialog shows the counters again
// after every switch.
const WordTable kBoardSetupWords = {
    {"%Form%", "Brisvane: Stellungseingabe", "Brisvane: Board Setup Editor"},
    {"GroupBoxMoveRight", "Zugrecht", "Move right"},
    {"RBwhite", "Weiß", "White"},
    {"\"", "Schwarz", "Black"},
    {"GroupBoxCastling", "Rochaderechte", "Castling rights"},
    {"LblCastleWhite", "Weiß", "White"},
    {"LblCastleBlack", "Schwarz", "Black"},
    {"CBWoo", "O-O", "O-O"},
    {"CBWooo", "O-O-O", "O-O-O"},
    {"CBBoo", "O-O", "O-O"},
    {"CBBooo", "O-O-O", "O-O-O"},
    {"LblEpField", "e.p.-Feld wählen", "Select ep field"},
    {"EPfieldSelect", "keines", "none"},
    {"\"", "a3", "a3"},
    {"\"", "b3", "b3"},
    {"\"", "c3", "c3"},
    {"\"", "d3", "d3"},
    {"\"", "e3", "e3"},
    {"\"", "f3", "f3"},
    {"\"", "g3", "g3"},
    {"\"", "h3", "h3"},
    {"\"", "a6", "a6"},
    {"\"", "b6", "b6"},
    {"\"", "c6", "c6"},
    {"\"", "d6", "d6"},
    {"\"", "e6", "e6"},
    {"\"", "f6", "f6"},
    {"\"", "g6", "g6"},
    {"\"", "h6", "h6"},
    {"LblCounters", "", ""},
    {"\".Hint", "Halbzugzähler und Zugnummer der Zeile, unverändert übernommen",
     "half-move clock and move number of the line, kept as they stand"},
    {"MenuePanel", "", ""},
    {"\".Hint", "Klicken öffnet das Menü", "Click to popup menue"},
    {"LblMenue", "Menü", "Menue"},
    {"piInitial", "&Grundstellung", "&Initial position"},
    {"piClear", "Brett &leeren", "&Clear board"},
    {"piEnterEPD", "&EPD-Zeile eingeben", "Enter &EPD string"},
    {"piEnterEPDopcodes", "EPD &Opcodes", "EPD &opcodes"},
    {"LblDeleteHint", "Figur löschen: mit der rechten Maustaste auf die Figur klicken",
     "Delete a piece by clicking on piece with right mouse button"},
    {"BtnEpdOpcode", "&EPD Opcodes", "&EPD opcodes"},
    {"BtnOK", "&OK", "&OK"},
    {"\".Hint", "Stellung übernehmen", "Save setup"},
    {"BtnCancel", "&Abbrechen", "&Cancel"},
    {"\".Hint", "Stellung verwerfen", "Discard setup"},
};

// The address is not listed: it is the same in every language.
const WordTable kWebBoxWords = {
    {"%Form%", "Brisvane: Internet", "Brisvane: WWW"},
    {"Label1", "Brisvane gibt es unter:", "Brisvane is available at:"},
    {"BtnCopy", "Kopieren", "Copy"},
    {"BtnConnect", "Verbinden", "Connect"},
    {"BtnOK", "&OK", "&OK"},
};

// The caption is the title shown when the caller gives none. The lists are filled from the
// disk and the filter, so they are not listed.
const WordTable kMyOpenDialogWords = {
    {"%Form%", "Datei öffnen", "Open file"},
    {"BtnOK", "&OK", "&OK"},
    {"BtnCancel", "&Abbrechen", "&Cancel"},
};

const WordTable kMySelDirDialogWords = {
    {"%Form%", "Datei öffnen", "Open file"},
    {"BtnOK", "&OK", "&OK"},
    {"BtnCancel", "&Abbrechen", "&Cancel"},
};

// The search field holds what the user types, so it is not listed; its placeholder is in
// kHelpWindowTexts.
const WordTable kHelpWindowWords = {
    {"%Form%", "Brisvane: Hilfe", "Brisvane: Help"},
    {"BtnContents", "&Inhalt", "&Contents"},
    {"BtnBack", "&Zurück", "&Back"},
    {"LblSearch", "Suche:", "Search:"},
    {"BtnFind", "&Suchen", "&Find"},
    {"BtnHelpOnHelp", "&Hilfe zur Hilfe", "&Help on Help"},
};

// The English texts are the board setup editor's hints, looked up by translated().
const WordTable kBoardSetupTexts = {
    {"DiagramDrag", "Figuren mit der Maus ziehen", "Move pieces by mouse dragging"},
    {"DiagramClick", "Figuren per Mausklick setzen", "Position pieces by mouse clicking"},
    {"PanelSelect", "Klicken wählt die Figur", "Click to select piece"},
    {"PanelDeselect", "Klicken hebt die Auswahl auf", "Click to deselect piece"},
    {"MoveCounters", "Zugzähler: ", "Move counters: "},
};

const WordTable kFileDialogTexts = {
    {"AllFiles", "Alle Dateien (*.*)|*.*", "All files (*.*)|*.*"},
};

const WordTable kHelpWindowTexts = {
    {"Keyword", "Stichwort", "Keyword"},
    {"HelpOnHelp",
     "<h1>Die Hilfe benutzen</h1>"
     "<p><b>Inhalt</b> zeigt die Anleitung von ihrer ersten Seite an. Verweise im Text führen "
     "zu den Abschnitten, die sie nennen; <b>Zurück</b> bringt Sie dorthin, wo Sie vorher "
     "waren.</p>"
     "<p><b>Suche</b>: Geben Sie ein Wort in das Suchfeld ein und drücken Sie die Eingabetaste "
     "oder <b>Suchen</b>. Die nächste Stelle, an der das Wort steht, wird markiert; ein "
     "weiteres Drücken der Eingabetaste zeigt die folgende. Am Ende beginnt die Suche wieder "
     "oben.</p>"
     "<p>Das Fenster bleibt neben dem Programm offen; Sie schließen es wie jedes andere "
     "Fenster. Mit dem Programm schließt es sich ebenfalls.</p>",
     "<h1>Using the help window</h1>"
     "<p><b>Contents</b> shows the manual from its first page. Links in the text lead to the "
     "sections they name; <b>Back</b> returns to where you were.</p>"
     "<p><b>Search</b>: type a word into the search field and press Return or <b>Find</b>. "
     "The next place where the word stands is marked; press Return again for the one after. "
     "The search starts again at the top when it reaches the end.</p>"
     "<p>The window stays open beside the program; close it as any other window. It closes "
     "when the program ends.</p>"},
};

namespace {

std::string inColumn(const WordRow& row, int column) {
    const char* german = row.german ? row.german : "";
    const char* english = row.english ? row.english : "";
    return column == 0 && *german ? german : english;
}

}  // namespace

std::string wordOf(const WordTable& texts, std::string_view key, int column) {
    for (const WordRow& row : texts)
        if (key == row.key) return inColumn(row, column);
    return {};
}

std::string translated(const WordTable& texts, std::string_view english, int column) {
    for (const WordRow& row : texts)
        if (row.english && english == row.english) return inColumn(row, column);
    return std::string(english);
}

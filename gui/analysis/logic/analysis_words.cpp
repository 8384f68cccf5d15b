#include "analysis_words.h"

// The path fields are listed for their hints: their rows empty them, and the dialog puts back
// what they held after a switch. The hash sizes and the engine names are the same in both
// languages, but the lists are complete, as a list's elements without a row would be emptied.
const WordTable kAnalyseOptsWords = {
    {"%Form%", "Brisvane: Analyse-Optionen", "Brisvane: Analyse Options"},
    {"RGAnalyseProgram", "Analyseprogramm wählen", "Choose analyse program"},
    {"\"", "Keines", "None"},
    {"\"", "Crafty", "Crafty"},
    {"\"", "Vanta 9", "Vanta 9"},
    {"\"", "Vanta-Engine", "Vanta Engine"},
    {"\"", "Anderes Programm", "Generic"},
    {"GroupBoxOptions", "Optionen des Analyseprogramms", "Analyse program options"},
    // Crafty
    {"LblCrafty", "Pfad von Crafty", "Crafty location"},
    {"EditCrafty", "", ""},
    {"\".Hint", "Klicken, um das Programm auszuwählen", "Click to choose the program"},
    {"CBChangeToCrafty", "In das Crafty-Verzeichnis wechseln", "Change to Crafty location"},
    // Vanta 9
    {"LblVanta9", "Pfad von Vanta 9", "Vanta 9 location"},
    {"EditVanta9", "", ""},
    {"\".Hint", "Klicken, um das Programm auszuwählen", "Click to choose the program"},
    {"LblHashSizeV9", "Größe der Hashtabelle", "Hashtable size"},
    {"CBHashSizeV9", "256 kB", "256 kB"},
    {"\"", "512 kB", "512 kB"},
    {"\"", " 1 MB", " 1 MB"},
    {"\"", " 2 MB", " 2 MB"},
    {"\"", " 4 MB", " 4 MB"},
    {"\"", "13 MB", "13 MB"},
    {"\"", "28 MB", "28 MB"},
    {"CBWaitV9", "Auf das Analyseergebnis warten", "Wait for analysis result"},
    // Vanta engine
    {"LblVantaEngine", "Pfad der Vanta-Engine", "Vanta engine location"},
    {"EditVantaEngine", "", ""},
    {"\".Hint", "Klicken, um das Programm auszuwählen", "Click to choose the program"},
    {"LblHashSizeVE", "Größe der Hashtabelle", " Hashtable size"},
    {"CBHashSizeVE", "256 kB", "256 kB"},
    {"\"", "512 kB", "512 kB"},
    {"\"", " 1 MB", " 1 MB"},
    {"\"", " 2 MB", " 2 MB"},
    {"\"", " 4 MB", " 4 MB"},
    {"\"", "13 MB", "13 MB"},
    {"\"", "28 MB", "28 MB"},
    {"LblSelectEngine", "Engine wählen", "Select engine"},
    {"CBSelectEngine", "Vanta Cyclor 2", "Vanta Cyclor 2"},
    {"\"", "Vanta 9", "Vanta 9"},
    // The engine picture's hint names the other engine: the dialog sets it (kAnalysisTexts).
    {"SpeedBtnEngine", "Vanta", "Vanta"},
    {"SpeedBtnVEinfo", "Info", "Info"},
    {"\".Hint", "Informationen zur Vanta-Engine-Komponente", "Vanta engine component information"},
    // Generic
    {"LblGeneric", "Programmpfad", "Generic location"},
    {"EditGeneric", "", ""},
    {"\".Hint", "Klicken, um das Programm auszuwählen", "Click to choose the program"},
    {"CBChangeToGeneric", "In das Programmverzeichnis wechseln", "Change to generic location"},
    {"LblGenericCmdLine", "Befehlszeile", "Generic command line"},
    {"RBUseEPD", "EPD-Datei verwenden", "Use EPD file"},
    {"RBUsePGN", "PGN-Datei verwenden", "Use PGN file"},
    {"BtnOK", "&OK", "&OK"},
    {"BtnCancel", "&Abbrechen", "&Cancel"},
};

// The window's caption, the counter and the memo follow the analysis (kAnalysisTexts); the
// read-only fields are listed for their hints and filled again after a switch.
const WordTable kFormEngAnaWords = {
    {"LblEngineName", "Verwendete Engine", "Engine in use"},
    {"EditEngineName", "", ""},
    {"\".Hint", "Verwendete Engine", "Engine in use"},
    {"LblEPDfile", "Zu analysierende EPD-Datei", "EPD file to analyze"},
    {"EditEPDfile", "", ""},
    {"\".Hint", "Zu analysierende EPD-Datei", "EPD file to analyze"},
    {"SpeedBtnEPDfile", "...", "..."},
    {"LblBM", "Beste Züge", "Best move(s)"},
    {"EditBM", "", ""},
    {"\".Hint", "Beste Züge", "Best move(s)"},
    {"LblAM", "Zu vermeidende Züge", "Avoid move(s)"},
    {"EditAM", "", ""},
    {"\".Hint", "Zu vermeidende Züge", "Avoid move(s)"},
    {"LblSecsPerPos", "Mittlere Zeit pro Stellung", "Average time per position "},
    {"EditSecsPerPos", "", ""},
    {"\".Hint", "Zeit pro Stellung in Sekunden", "Time per position in seconds"},
    {"EditTimeString", "", ""},
    {"\".Hint", "Mittlere Zeit pro Stellung", "Average time per position "},
    {"LblHashSize", "Hashgröße", "Hash size"},
    {"CBHashSize", "256 kB", "256 kb"},
    {"\"", "512 kB", "512 kb"},
    {"\"", "1 MB", "1 MB"},
    {"\"", "2 MB", "2 MB"},
    {"\"", "4 MB", "4 MB"},
    {"\"", "13 MB", "13 MB"},
    {"\"", "28 MB", "28 MB"},
    {"\".Hint", "Hashgröße", "Hash size"},
    {"RBskipPos", "Bewertete Stellungen überspringen", "Skip evaluated positions"},
    {"RBallPos", "Alle Stellungen bewerten", "Evaluate all positions"},
    {"BtnStartAnalysis", "&Starten", "&Start"},
    {"BtnStopAnalysis", "S&toppen", "S&top"},
    {"SpeedButton1", "&Menü", "&Popup menu"},
    {"BtnHide", "&Ausblenden", "&Hide analysis box"},
    {"LblEPD", "Aktuelle EPD-Zeile", "Actual EPD line"},
    {"EditEPD", "", ""},
    {"\".Hint", "Aktuelle EPD-Zeile", "Actual EPD line"},
    // The popup menu
    {"MIStartAnalysis", "Analyse &starten", "&Start analysis"},
    {"MIStopAnalysis", "Analyse s&toppen", "S&top analysis"},
    {"MIShowLog", "&Logdatei anzeigen", "Show &logfile"},
    {"MIWriteBack", "EPD-Datei &zurückschreiben", "&Write back EPD file"},
    {"MIOpenEPD", "EPD-Datei ö&ffnen", "&Open EPD file"},
    {"MIHide", "Analysefenster &ausblenden", "&Hide analysis box"},
};

// The caption follows the engine (kAnalysisTexts); the memo holds the engine's lines.
const WordTable kFormVanEngWords = {
    {"BtnStop", "Analyse &stoppen", "&Stop analysis"},
    {"BtnCancel", "&Abbrechen", "&Cancel"},
};

// The caption and the title are the defaults; whoever opens the dialog sets its own.
const WordTable kFormTimeInputWords = {
    {"%Form%", "Zeitabfrage", "Query Time"},
    {"LblTitle", "Bitte Zeit eingeben", "Please enter time"},
    {"LblHour", "Stunden", "Hours"},
    {"LblMin", "Minuten", "Minutes"},
    {"LblSec", "Sekunden", "Seconds"},
    {"BtnOK", "&OK", "&OK"},
    {"BtnCancel", "&Abbrechen", "&Cancel"},
};

// The caption names the log shown (kAnalysisTexts); the memo holds its lines.
const WordTable kShowLogWords = {
    {"BtnClose", "&Schließen", "&Close"},
};

const WordTable kFormVEinfoWords = {
    {"%Form%", "Brisvane: Infos zur Vanta-Engine-Komponente",
     "Brisvane: Vanta Engine Component Info"},
    {"LblHeading", "Informationen zur Vanta-Engine-Komponente",
     "Vanta Engine Component Information"},
    {"LblVersion", "Version der Komponente", "Component version"},
    {"LblVerDate", "Versionsdatum der Komponente", "Component version date"},
    {"LblCopyright", "Copyright der Komponente", "Component copyright"},
    {"LblDLLVersion", "DLL-Version", "DLL version"},
    {"LblDLLVerDate", "Versionsdatum der DLL", "DLL version date"},
    {"LblDLLPath", "DLL-Pfad", "DLL path"},
    {"LblDLLName", "DLL-Name", "DLL name"},
    {"LblMaxInstances", "Max. Instanzen", "Max. instances"},
    {"LblActInstances", "Akt. Instanzen", "Act. instances"},
    {"BtnOK", "&OK", "&OK"},
};

const WordTable kAnalysisTexts = {
    // The analysis options: the engine picture's hint and the program selectors.
    {"HintToCyclor", "Klicken, um auf die Engine Vanta Cyclor 2 umzustellen",
     "Click for reconfiguring with Vanta Cyclor 2 engine"},
    {"HintToVanta9", "Klicken, um auf die Engine Vanta 9 umzustellen",
     "Click for reconfiguring with Vanta 9 engine"},
    {"SelectCrafty", "Pfad von Crafty auswählen", "Select Crafty location"},
    {"SelectVanta9", "Pfad von Vanta 9 auswählen", "Select Vanta 9 location"},
    {"SelectVantaEngine", "Pfad der Vanta-Engine auswählen", "Select Vanta engine location"},
    {"SelectGeneric", "Programmpfad auswählen", "Select Generic location"},
    {"OwnSelectCrafty", "Brisvane: Pfad von Crafty auswählen", "Brisvane: Select Crafty location"},
    {"OwnSelectVanta9", "Brisvane: Pfad von Vanta 9 auswählen",
     "Brisvane: Select Vanta 9 location"},
    {"OwnSelectVantaEngine", "Brisvane: Pfad der Vanta-Engine auswählen",
     "Brisvane: Select Vanta engine location"},
    {"OwnSelectGeneric", "Brisvane: Programmpfad auswählen", "Brisvane: Select Generic location"},
    {"FilterCrafty", "Crafty (*.EXE)|*.EXE", "Crafty (*.EXE)|*.EXE"},
    {"FilterVanta9", "Vanta 9 (*.EXE)|*.EXE", "Vanta 9 (*.EXE)|*.EXE"},
    {"FilterVantaEngine", "Vanta-Engine (*.EXE)|*.EXE", "Vanta Engine (*.EXE)|*.EXE"},
    {"FilterGeneric", "Programm (*.EXE)|*.EXE|Batchdatei (*.BAT)|*.BAT",
     "Program (*.EXE)|*.EXE|Batch (*.BAT)|*.BAT"},
    {"OwnFilterCrafty", "Crafty (*.EXE)|*.EXE|Crafty PIF-Datei (*.PIF)|*.PIF",
     "Crafty (*.EXE)|*.EXE|Crafty PIF file (*.PIF)|*.PIF"},
    {"OwnFilterVanta9", "Vanta 9 (*.EXE)|*.EXE|Vanta 9 PIF-Datei (*.PIF)|*.PIF",
     "Vanta 9 (*.EXE)|*.EXE|Vanta 9 PIF file (*.PIF)|*.PIF"},
    {"OwnFilterVantaEngine", "Vanta-Engine (*.EXE)|*.EXE|Vanta-Engine PIF-Datei (*.PIF)|*.PIF",
     "Vanta engine (*.EXE)|*.EXE|Vanta engine PIF file (*.PIF)|*.PIF"},
    {"OwnFilterGeneric", "Programm (*.EXE)|*.EXE|PIF-Datei (*.PIF)|*.PIF|Batchdatei (*.BAT)|*.BAT",
     "Program (*.EXE)|*.EXE|PIF file (*.PIF)|*.PIF|Batch (*.BAT)|*.BAT"},
    {"FilterAllFiles", "|Alle Dateien (*)|*", "|All files (*)|*"},
    // The EPD file analysis window.
    {"EngAnaCaption", "Brisvane: EPD-Datei-Analyse mit der Vanta-Engine",
     "Brisvane: Vanta Engine EPD File Analysis Box"},
    {"EngAnaCaptionBusy", "Brisvane: EPD-Datei-Analyse mit der Vanta-Engine (analysiert...)",
     "Brisvane: Vanta Engine EPD File Analysis Box (analyzing...)"},
    {"TimeCaption", "Brisvane: Analysezeit der Vanta-Engine", "Brisvane: Set Vanta engine time"},
    {"TimeTitle", "Mittl. Analysezeit pro Stellung", "Avg. analysis time per pos."},
    {"LogCaption", "Brisvane: Logdatei der Analyse von ",
     "Brisvane: Show log of analyse EPD file "},
    {"SelectEPDfile", "Brisvane: EPD-Datei auswählen", "Brisvane: Select EPD file"},
    {"FilterEPDfile", "EPD-Dateien (*.EPD)|*.EPD", "EPD Files(*.EPD)|*.EPD"},
    {"SecondsTitle", "Zeit pro Stellung in Sekunden", "Time per position in seconds"},
    {"SecondsPrompt", "Analysezeit eingeben", "Enter analysis time"},
    // Memo lines of both analyses, and the engine running window's caption around the
    // engine's name.
    {"NoAnalysisFile", "Analysedatei der Vanta-Engine lässt sich nicht öffnen",
     "Can't open Vanta engine analysis file"},
    {"WatchStopped", "Beobachtung der Engine-Analyse beendet", "Watch engine's analysis stopped"},
    {"EngineRunning", " läuft...", " running..."},
    {"EngineNotRunning", " läuft nicht", " not running"},
    {"NoEngineRunning", "Brisvane: Vanta-Engine läuft nicht", "Brisvane: Vanta Engine not running"},
};

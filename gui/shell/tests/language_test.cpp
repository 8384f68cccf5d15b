// Every window in German and in English: no visible text may stay in the other language.
#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTabWidget>

#include <functional>
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "analyse_options_dialog.h"
#include "board_setup_dialog.h"
#include "epd_analysis_window.h"
#include "export_dialogs.h"
#include "file_dialogs.h"
#include "general_options_dialog.h"
#include "help_window.h"
#include "info_boxes.h"
#include "main_window.h"
#include "multi_lang.h"
#include "opcode_dialog.h"
#include "qt_multilang.h"
#include "scripted_prompts.h"
#include "small_dialogs.h"
#include "temp_folder.h"
#include "vanta_engine.h"
#include "when_modal.h"
#include "test_window_setup.h"

namespace {

// Texts that are the same in both languages, each with why.
const std::set<QString> kSameInBoth = {
    QStringLiteral("Brisvane"),         // the program's name
    QStringLiteral("&OK"),              // German uses OK too
    QStringLiteral("OK"),               //
    QStringLiteral("&EPD"),             // format names
    QStringLiteral("EPD"),              //
    QStringLiteral("&PGN"),             //
    QStringLiteral("&QBX"),             //
    QStringLiteral("&GIF"),             //
    QStringLiteral("&Import"),          // the same word in German
    QStringLiteral("&WWW..."),          //
    QStringLiteral("PGN White/Black"),  // the names of the two PGN tags
    QStringLiteral("EPD Server"),       // a name
    QStringLiteral("Vanta"),            // engine names
    QStringLiteral("Vanta 9"),          //
    QStringLiteral("Vanta Cyclor 2"),   //
    QStringLiteral("Info"),             // the same word in German
};

// Texts whose every word is a number, a square, a castling, a size unit or an "x" (square
// sizes, hash sizes, counters): the same in every language.
bool hasNoWords(const QString& text) {
    static const QRegularExpression kNeutral(QStringLiteral("^(\\d+|[a-h][1-8]|O|kb|kB|MB|x)$"));
    QString plain = text;
    plain.remove(QLatin1Char('&'));
    for (const QString& word :
         plain.split(QRegularExpression(QStringLiteral("[\\s,.:;()=+/-]+")), Qt::SkipEmptyParts))
        if (!kNeutral.match(word).hasMatch()) return false;
    return true;
}

// Texts a window's table leaves English on purpose, with why.
const std::set<std::string> kEnglishOnPurpose = {
    "main window: miUndoEPD.text",  // its German text is empty: the English one shows
};

// What a user sees of a window: its title and every caption, item and hint of the widgets,
// actions and menus it shows itself (dialogs it owns are walked on their own).
std::map<QString, QString> visibleTexts(QWidget* window) {
    std::map<QString, QString> texts;
    if (!window->windowTitle().isEmpty()) texts[QStringLiteral("title")] = window->windowTitle();
    for (QObject* object : window->findChildren<QObject*>()) {
        const auto* widget = qobject_cast<QWidget*>(object);
        if (widget && widget->window() != window) continue;
        const QString name = object->objectName().isEmpty()
                                 ? QString::fromLatin1(object->metaObject()->className())
                                 : object->objectName();
        auto put = [&](const QString& what, const QString& text) {
            if (!text.isEmpty()) texts[name + QLatin1Char('.') + what] = text;
        };
        if (auto* action = qobject_cast<QAction*>(object); action && !action->isSeparator()) {
            put(QStringLiteral("text"), action->text());
            // Without a hint of its own an action shows its text as one.
            QString shown = action->text().remove(QLatin1Char('&'));
            if (shown.endsWith(QLatin1String("..."))) shown.chop(3);
            if (action->toolTip() != shown) put(QStringLiteral("hint"), action->toolTip());
        }
        if (auto* menu = qobject_cast<QMenu*>(object)) put(QStringLiteral("title"), menu->title());
        if (!widget) continue;
        put(QStringLiteral("hint"), widget->toolTip());
        if (auto* label = qobject_cast<const QLabel*>(widget))
            put(QStringLiteral("text"), label->text());
        if (auto* button = qobject_cast<const QAbstractButton*>(widget))
            put(QStringLiteral("text"), button->text());
        if (auto* box = qobject_cast<const QGroupBox*>(widget))
            put(QStringLiteral("title"), box->title());
        if (auto* combo = qobject_cast<const QComboBox*>(widget))
            for (int i = 0; i < combo->count(); ++i)
                put(QStringLiteral("item%1").arg(i), combo->itemText(i));
        if (auto* list = qobject_cast<const QListWidget*>(widget))
            for (int i = 0; i < list->count(); ++i)
                put(QStringLiteral("item%1").arg(i), list->item(i)->text());
        if (auto* tabs = qobject_cast<const QTabWidget*>(widget))
            for (int i = 0; i < tabs->count(); ++i)
                put(QStringLiteral("tab%1").arg(i), tabs->tabText(i));
    }
    return texts;
}

class Languages : public testing::Test {
protected:
    void SetUp() override {
        MainFormSetup setup = testWindowSetup(folder.root(), settings, prompts, clipboard);
        main = std::make_unique<TMainForm>(setup);
    }
    void TearDown() override { switchAllLanguages(languageColumnOfSetting(0)); }

    // Every window of the program that has fixed texts, created now.
    std::vector<std::pair<std::string, QWidget*>> everyWindow() {
        owned.clear();
        auto own = [this](const std::string& name, QWidget* window) {
            owned.emplace_back(window);
            return std::make_pair(name, window);
        };
        return {
            {"main window", main.get()},
            {"general options", main->generalOptions()},
            {"HTML options", main->htmlOptions()},
            {"RTF options", main->rtfOptions()},
            {"EPD file analysis", main->epdAnalysis()},
            own("board setup", new TBoardSetup(prompts, false, Qt::darkGreen, Qt::white)),
            own("opcode editor", new TOpcodeSetup(prompts)),
            own("analysis options", new TAnalyseOpts(prompts, {})),
            own("time input", new TFormTimeInput(prompts)),
            own("log viewer", new TShowLog),
            own("engine running", new TFormVanEng(engine, "engine", 0xFFFFFF)),
            own("web information", new TWebBox(clipboard, [](const std::string&) {})),
            own("open-file dialog", new TMyOpenDialog),
            own("folder dialog", new TMySelDirDialog),
            own("help window", new THelpWindow(QString())),
        };
    }

    struct IdleEngine : EngineControl {
        bool StartAnalysis(const std::string&) override { return false; }
        bool IsRunning() override { return false; }
        bool ReadAnalysisLine(std::string&) override { return false; }
        bool StopAnalysis() override { return true; }
        bool GetAnalysisResult(const std::string&) override { return false; }
    } engine;
    TempFolder folder;
    MemorySettings settings;
    ScriptedPrompts prompts;
    MemoryClipboard clipboard;
    std::unique_ptr<TMainForm> main;
    std::vector<std::unique_ptr<QWidget>> owned;
};

TEST_F(Languages, EveryWindowSwitchesEveryTextAndBack) {
    const auto windows = everyWindow();
    std::vector<std::map<QString, QString>> english;
    for (const auto& [name, window] : windows)
        english.push_back(visibleTexts(window));

    switchAllLanguages(languageColumnOfSetting(1));
    std::vector<std::string> stayed;
    for (std::size_t w = 0; w < windows.size(); ++w) {
        const auto german = visibleTexts(windows[w].second);
        for (const auto& [key, text] : english[w]) {
            const auto it = german.find(key);
            const QString now = it == german.end() ? QString() : it->second;
            const std::string where = windows[w].first + ": " + key.toStdString();
            // EPD opcode names (the opcode editor's labels) and data (paths, addresses) are
            // not words of a language.
            const QString component = key.section(QLatin1Char('.'), 0, 0);
            if (component.mid(2) == text || text.startsWith(QLatin1Char('/')) ||
                text.startsWith(QLatin1String("https://")))
                continue;
            if (now == text && !kSameInBoth.count(text) && !hasNoWords(text) &&
                !kEnglishOnPurpose.count(where))
                stayed.push_back(where + " = " + text.toStdString());
            if (now.isEmpty())
                stayed.push_back(windows[w].first + ": " + key.toStdString() + " became empty");
        }
    }
    EXPECT_TRUE(stayed.empty()) << [&stayed] {
        std::string all;
        for (const std::string& line : stayed)
            all += line + "\n";
        return all;
    }();

    // Back in English every text is what it was: no German is left anywhere.
    switchAllLanguages(languageColumnOfSetting(0));
    for (std::size_t w = 0; w < windows.size(); ++w)
        EXPECT_EQ(visibleTexts(windows[w].second), english[w]) << windows[w].first;
}

TEST_F(Languages, LaterWindowsTheFallbackAndTheGeneralOptionsSwitch) {
    switchAllLanguages(languageColumnOfSetting(1));
    EXPECT_EQ(main->action(QStringLiteral("miUndoEPD"))->text(), "&Undo");  // no German text
    EXPECT_EQ(main->action(QStringLiteral("miOpenFile"))->text(), "Ö&ffne EPD Datei...");
    EXPECT_EQ(TGeneralOpt(prompts).windowTitle(), "Brisvane: Allgemeine Optionen");
    switchAllLanguages(languageColumnOfSetting(0));
    EXPECT_EQ(TGeneralOpt(prompts).windowTitle(), "Brisvane: General Options");

    // A click on German shows every window in German at once; Cancel goes back to the program's
    // language; OK keeps it, and after "&Save options" a new start comes up in German.
    auto clickGerman = [this](const char* button) {
        whenModal<TGeneralOpt>([this, button](TGeneralOpt* options) {
            options->findChild<QRadioButton*>(QStringLiteral("RBGerman"))->click();
            EXPECT_EQ(main->action(QStringLiteral("miExit"))->text(), "&Ende");
            EXPECT_EQ(options->windowTitle(), "Brisvane: Allgemeine Optionen");
            options->findChild<QPushButton*>(QString::fromLatin1(button))->click();
        });
        main->action(QStringLiteral("miGeneralOptions"))->trigger();
    };
    clickGerman("BtnCancel");
    EXPECT_EQ(main->action(QStringLiteral("miExit"))->text(), "E&xit");
    EXPECT_EQ(main->options().language, 0);
    clickGerman("BtnOK");
    EXPECT_EQ(main->action(QStringLiteral("miExit"))->text(), "&Ende");
    EXPECT_EQ(main->options().language, 1);
    main->action(QStringLiteral("miSaveOptions"))->trigger();
    EXPECT_EQ(settings.readString("Settings", "Language", ""), "1");

    main.reset();
    switchAllLanguages(languageColumnOfSetting(0));
    MainFormSetup setup;
    setup.folders = AppFolders::forProgramFolder(folder.root());
    setup.settings = &settings;
    setup.prompts = &prompts;
    setup.clipboard = &clipboard;
    setup.options =
        readAllSettings(settings, {folder.root(), folder.path("AddOn"), 96, 96, ""}).settings;
    main = std::make_unique<TMainForm>(setup);
    EXPECT_EQ(main->action(QStringLiteral("miExit"))->text(), "&Ende");
    EXPECT_EQ(main->generalOptions()->windowTitle(), "Brisvane: Allgemeine Optionen");
}

}  // namespace

// A window's table reaches its own widgets, menus and status bar panels included, but not those
// of a dialog that has the window as its parent, however alike their names.
TEST(LanguageTable, StaysWithinItsWindow) {
    QWidget window;
    auto* dialog = new QDialog(&window);
    auto* other = new QLabel(QStringLiteral("Other"), dialog);
    other->setObjectName(QStringLiteral("Label1"));
    auto* label = new QLabel(QStringLiteral("Light squares"), &window);
    label->setObjectName(QStringLiteral("Label1"));
    auto* menu = new QMenu(&window);
    menu->setObjectName(QStringLiteral("miFile"));
    auto* status = new QStatusBar(&window);
    status->setObjectName(QStringLiteral("StatusBar1"));
    auto* panel = new QLabel(QStringLiteral("Line 1"));
    status->addPermanentWidget(panel);
    static const WordTable words = {{"Label1", "Helle Felder", "Light squares"},
                                    {"miFile", "&Datei", "&File"},
                                    {"StatusBar1", "Bereit", "Ready"},
                                    {"\"", "Zeile 1", "Line 1"}};
    auto* language = new TMultiLang(&window, words);
    language->language().SetActiveLanguage(0);
    EXPECT_EQ(label->text(), QStringLiteral("Helle Felder"));
    EXPECT_EQ(menu->title(), QStringLiteral("&Datei"));
    EXPECT_EQ(other->text(), QStringLiteral("Other"));
    EXPECT_EQ(status->currentMessage(), QStringLiteral("Bereit"));
    EXPECT_EQ(panel->text(), QStringLiteral("Zeile 1"));
}

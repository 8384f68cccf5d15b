#include "multi_lang.h"

#include <map>

#include <gtest/gtest.h>

#include "scripted_prompts.h"

namespace {

// A window of named parts that records what the switch gives each.
struct FakeWindow : LanguageHost {
    struct Part : LanguageComponent {
        Kind partKind = Kind::Caption;
        bool caption = true, text = false, hint = true;
        std::string shownCaption, shownText, shownHint;
        std::vector<std::string> elements;
        Kind kind() const override { return partKind; }
        bool hasCaption() const override { return caption; }
        bool hasText() const override { return text; }
        bool hasHint() const override { return hint; }
        void setCaption(const std::string& t) override { shownCaption = t; }
        void setText(const std::string& t) override { shownText = t; }
        void setHint(const std::string& t) override { shownHint = t; }
        std::size_t elementCount() const override { return elements.size(); }
        void setElement(std::size_t i, const std::string& t) override { elements[i] = t; }
    };
    // Forwards to a part the window keeps, so the test can read it afterwards.
    struct Handle : LanguageComponent {
        Part& p;
        explicit Handle(Part& part) : p(part) {}
        Kind kind() const override { return p.kind(); }
        bool hasCaption() const override { return p.hasCaption(); }
        bool hasText() const override { return p.hasText(); }
        bool hasHint() const override { return p.hasHint(); }
        void setCaption(const std::string& t) override { p.setCaption(t); }
        void setText(const std::string& t) override { p.setText(t); }
        void setHint(const std::string& t) override { p.setHint(t); }
        std::size_t elementCount() const override { return p.elementCount(); }
        void setElement(std::size_t i, const std::string& t) override { p.setElement(i, t); }
    };
    std::string caption;
    std::map<std::string, Part> parts;  // names in lower case
    void setFormCaption(const std::string& text) override { caption = text; }
    std::unique_ptr<LanguageComponent> findComponent(const std::string& name) override {
        std::string lower;
        for (const char c : name)
            lower += static_cast<char>(std::tolower(c));
        const auto it = parts.find(lower);
        return it == parts.end() ? nullptr : std::make_unique<Handle>(it->second);
    }
};

const WordTable kTable = {
    {"%Form%", "Fenster", "Window"},
    {"BtnUndo", "", "&Undo"},
    {"Missing", "Fehlt", "Missing"},
    {"\"", "Weiter", "Goes on"},
    {"RGLanguage", "Sprache", "Language"},
    {"\"", "Englisch", "English"},
    {"\"", "Deutsch", "German"},
    {"\".HINT", "Wählen", "Choose"},
    {"LBItems", "eins", "one"},
    {"\"", "zwei", "two"},
    {"EditLine", "", ""},
    {"\".hint", "Doppelklick", "Double click"},
    {"Status", "Bereit", "Ready"},
    {"\"", "Feld 1", "Panel 1"},
    {"Dialog", "Texte (*.TXT)|*.TXT", "Texts (*.TXT)|*.TXT"},
    {"", "Öffnen", "Open"},
    {"Plain", "Knopf", "Button"},
};

TEST(MultiLang, TheSwitchAppliesEveryKindOfRowWithTheFallback) {
    FakeWindow window;
    window.parts["btnundo"] = {};
    window.parts["rglanguage"].partKind = LanguageComponent::Kind::RadioGroup;
    window.parts["rglanguage"].elements = {"", ""};
    window.parts["lbitems"].partKind = LanguageComponent::Kind::List;
    window.parts["lbitems"].elements = {"", "", "left over"};
    window.parts["editline"].caption = false;
    window.parts["editline"].text = true;
    window.parts["editline"].shownText = "old";
    window.parts["status"].partKind = LanguageComponent::Kind::StatusBar;
    window.parts["status"].elements = {"", ""};
    window.parts["dialog"].partKind = LanguageComponent::Kind::FileDialog;
    window.parts["plain"] = {};
    ScriptedPrompts prompts;
    TBaseMultiLang language(window, kTable, &prompts);

    language.SetActiveLanguage(0);
    EXPECT_EQ(window.caption, "Fenster");
    auto& p = window.parts;
    EXPECT_EQ(p["btnundo"].shownCaption, "&Undo");  // an empty German text shows the English
    EXPECT_EQ(p["rglanguage"].shownCaption, "Sprache");
    EXPECT_EQ(p["rglanguage"].elements, (std::vector<std::string>{"Englisch", "Deutsch"}));
    EXPECT_EQ(p["rglanguage"].shownHint, "Wählen");
    EXPECT_EQ(p["lbitems"].elements, (std::vector<std::string>{"eins", "zwei", ""}));
    EXPECT_EQ(p["editline"].shownText, "");
    EXPECT_EQ(p["editline"].shownHint, "Doppelklick");
    EXPECT_EQ(p["status"].shownCaption, "Bereit");
    EXPECT_EQ(p["status"].elements, (std::vector<std::string>{"Feld 1", ""}));
    EXPECT_EQ(p["dialog"].shownCaption, "Texte (*.TXT)|*.TXT");
    EXPECT_EQ(p["dialog"].shownText, "Öffnen");
    EXPECT_EQ(p["plain"].shownCaption, "Knopf");  // after the missing component's rows

    language.SetDefaultEnabled(false);
    EXPECT_EQ(p["btnundo"].shownCaption, "");
    language.SetActiveLanguage(1);
    EXPECT_EQ(p["btnundo"].shownCaption, "&Undo");
    EXPECT_EQ(p["rglanguage"].elements[1], "German");

    language.SetActiveLanguage(2);
    EXPECT_EQ(language.ActiveLanguage(), 1);
    EXPECT_EQ(prompts.messages(),
              std::vector<std::string>{"Value must not be higher than\rnumber of available "
                                       "languages."});
    language.BeforeLanguageChange = [](int, bool& allow) { allow = false; };
    language.SetActiveLanguage(0);
    EXPECT_EQ(window.caption, "Window");
}

TEST(MultiLang, OneSwitchReachesEveryRegisteredWindowAndLaterOnes) {
    FakeWindow first, second;
    const WordTable table = {{"%Form%", "Deutsch", "English"}};
    auto language = std::make_unique<TBaseMultiLang>(first, table);
    int told = -1;
    language->AfterLanguageChanged = [&told](int column) { told = column; };
    { TBaseMultiLang gone(second, table); }
    switchAllLanguages(0);
    EXPECT_EQ(first.caption, "Deutsch");
    EXPECT_EQ(told, 0);
    EXPECT_EQ(currentLanguageColumn(), 0);
    switchAllLanguages(1);
    EXPECT_EQ(first.caption, "English");
    EXPECT_EQ(languageColumnOfSetting(1), 0);
    EXPECT_EQ(languageColumnOfSetting(7), 1);
}

}  // namespace

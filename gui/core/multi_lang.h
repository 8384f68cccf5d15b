#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "prompts.h"

// One row of a window's word table: a key, then its German and its English text. Keys are
// "%Form%" (the window's caption), a component name (its own text), a lone double quote (the
// next element of the component named last) or a double quote followed by ".Hint" (its hint,
// letter case ignored).
struct WordRow {
    const char* key;
    const char* german;
    const char* english;
};
using WordTable = std::vector<WordRow>;

// A component a word table names, as the switch sees it. The window's toolkit side gives one
// for each name it finds.
class LanguageComponent {
public:
    enum class Kind {
        Caption,     // a caption, then a text when it has one
        List,        // its own row and the continuation rows: the elements
        RadioGroup,  // its own row: the caption; then the items
        StatusBar,   // its own row: the simple text; every panel needs a continuation row
        FileDialog,  // its own row: the filter; the next row: the title
    };
    virtual ~LanguageComponent() = default;
    virtual Kind kind() const = 0;
    virtual bool hasCaption() const { return true; }
    virtual bool hasText() const { return false; }
    virtual bool hasHint() const { return false; }
    virtual void setCaption(const std::string&) {}
    virtual void setText(const std::string&) {}
    virtual void setHint(const std::string&) {}
    // The list kinds: how many elements there are, and one element's text.
    virtual std::size_t elementCount() const { return 0; }
    virtual void setElement(std::size_t, const std::string&) {}
};

// The window that owns a word table.
class LanguageHost {
public:
    virtual ~LanguageHost() = default;
    virtual void setFormCaption(const std::string& text) = 0;
    // The component of that name, letter case ignored; null when the window has none.
    virtual std::unique_ptr<LanguageComponent> findComponent(const std::string& name) = 0;
};

// The language component of a window: its word table, the column shown, the fallback column.
// Column 0 is German, column 1 English. Every component is registered process-wide while it
// lives, so one switch reaches every open window.
class TBaseMultiLang {
public:
    TBaseMultiLang(LanguageHost& host, WordTable words, Prompts* prompts = nullptr);
    ~TBaseMultiLang();
    TBaseMultiLang(const TBaseMultiLang&) = delete;
    TBaseMultiLang& operator=(const TBaseMultiLang&) = delete;

    static constexpr int kLanguages = 2;
    int Languages() const { return kLanguages; }
    int ActiveLanguage() const { return m_active; }
    int DefaultLanguage() const { return m_defaultLanguage; }
    bool DefaultEnabled() const { return m_defaultEnabled; }
    const WordTable& Words() const { return m_words; }
    // Switches this window's texts to a column.
    void SetActiveLanguage(int column);
    void SetDefaultLanguage(int column);
    void SetDefaultEnabled(bool on);

    // May veto a switch (clear the flag); told after one.
    std::function<void(int column, bool& allow)> BeforeLanguageChange;
    std::function<void(int column)> AfterLanguageChanged;

    // The text of a row in the active column, with the fallback for an empty one.
    std::string textOf(std::size_t row) const;

private:
    void apply(LanguageComponent& component, std::size_t& row) const;
    bool continues(std::size_t row) const;

    LanguageHost& m_host;
    WordTable m_words;
    Prompts* m_prompts;
    int m_active = 0;
    int m_defaultLanguage = 1;
    bool m_defaultEnabled = true;
};

// The column of the setting Language: 1 (German) is column 0, anything else column 1.
constexpr int languageColumnOfSetting(int language) {
    return language == 1 ? 0 : 1;
}
// Switches every registered window to a column and makes it the current one, which windows
// created later start in (0 until the first switch).
void switchAllLanguages(int column);
int currentLanguageColumn();

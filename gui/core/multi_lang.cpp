#include "multi_lang.h"

#include <algorithm>
#include <cctype>

namespace {

std::vector<TBaseMultiLang*>& registered() {
    static std::vector<TBaseMultiLang*> components;
    return components;
}
int g_current = 0;

bool sameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

TBaseMultiLang::TBaseMultiLang(LanguageHost& host, WordTable words, Prompts* prompts)
    : m_host(host), m_words(std::move(words)), m_prompts(prompts) {
    registered().push_back(this);
}

TBaseMultiLang::~TBaseMultiLang() {
    auto& list = registered();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

std::string TBaseMultiLang::textOf(std::size_t row) const {
    if (row >= m_words.size()) return {};
    auto column = [this, row](int c) {
        return std::string(c == 0 ? m_words[row].german : m_words[row].english);
    };
    std::string text = column(m_active);
    if (text.empty() && m_defaultEnabled) text = column(m_defaultLanguage);
    return text;
}

bool TBaseMultiLang::continues(std::size_t row) const {
    return row < m_words.size() && std::string_view(m_words[row].key) == "\"";
}

void TBaseMultiLang::apply(LanguageComponent& component, std::size_t& row) const {
    const std::size_t own = row;
    // The elements of a list: the first takes the next row, the others continuation rows;
    // elements left over get empty texts.
    auto elements = [&](bool firstNeedsContinuation) {
        std::size_t element = 0;
        while (element < component.elementCount() &&
               (element == 0 && !firstNeedsContinuation ? row < m_words.size() : continues(row)))
            component.setElement(element++, textOf(row++));
        if (!firstNeedsContinuation)
            while (element < component.elementCount())
                component.setElement(element++, {});
    };
    switch (component.kind()) {
        case LanguageComponent::Kind::List:
            elements(false);
            break;
        case LanguageComponent::Kind::RadioGroup:
            component.setCaption(textOf(row++));
            elements(false);
            break;
        case LanguageComponent::Kind::StatusBar:
            component.setCaption(textOf(row++));
            elements(true);
            break;
        case LanguageComponent::Kind::FileDialog:
            component.setCaption(textOf(row++));
            component.setText(textOf(row++));
            break;
        case LanguageComponent::Kind::Caption:
            if (component.hasCaption()) component.setCaption(textOf(row++));
            if (component.hasText()) component.setText(textOf(row++));
            break;
    }
    if (!component.hasHint()) return;
    if (row == own) ++row;  // the own row is used even when only the hint is taken
    if (row < m_words.size() && sameText(m_words[row].key, "\".Hint")) {
        const std::string hint = textOf(row++);
        if (!hint.empty()) component.setHint(hint);
    }
}

void TBaseMultiLang::SetActiveLanguage(int column) {
    if (column < 0 || column >= kLanguages) {
        if (m_prompts)
            m_prompts->message(kCaption,
                               "Value must not be higher than\rnumber of available languages.",
                               Icon::Information);
        return;
    }
    if (BeforeLanguageChange) {
        bool allow = true;
        BeforeLanguageChange(column, allow);
        if (!allow) return;
    }
    m_active = column;
    for (std::size_t row = 0; row < m_words.size();) {
        const std::string key = m_words[row].key;
        if (key == "%Form%") {
            m_host.setFormCaption(textOf(row++));
            continue;
        }
        const auto component = m_host.findComponent(key);
        if (!component) {
            ++row;
            continue;
        }
        const std::size_t before = row;
        apply(*component, row);
        if (row == before) ++row;
    }
    if (AfterLanguageChanged) AfterLanguageChanged(column);
}

void TBaseMultiLang::SetDefaultLanguage(int column) {
    if (column == m_defaultLanguage) return;
    m_defaultLanguage = std::clamp(column, 0, kLanguages - 1);
    SetActiveLanguage(m_active);
}

void TBaseMultiLang::SetDefaultEnabled(bool on) {
    if (on == m_defaultEnabled) return;
    m_defaultEnabled = on;
    SetActiveLanguage(m_active);
}

void switchAllLanguages(int column) {
    // Current first: the windows' after-switch hooks build their run-time texts in it.
    if (column >= 0 && column < TBaseMultiLang::kLanguages) g_current = column;
    // A copy: a window's after-switch hook may open or close windows.
    const std::vector<TBaseMultiLang*> components = registered();
    for (TBaseMultiLang* component : components)
        if (std::find(registered().begin(), registered().end(), component) != registered().end() &&
            component->Languages() > column)
            component->SetActiveLanguage(column);
}

int currentLanguageColumn() {
    return g_current;
}

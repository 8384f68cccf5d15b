#pragma once

#include <memory>

#include <QObject>

#include "multi_lang.h"

class QWidget;

// A window's language component: applies its word table to the window's widgets, actions and
// menus, found by object name. Created last in the window's constructor, it shows the window
// in the current language at once.
class TMultiLang : public QObject, public LanguageHost {
    Q_OBJECT

public:
    TMultiLang(QWidget* window, WordTable words, Prompts* prompts = nullptr);

    TBaseMultiLang& language() { return m_language; }

    void setFormCaption(const std::string& text) override;
    std::unique_ptr<LanguageComponent> findComponent(const std::string& name) override;

private:
    bool ownedByWindow(const QObject* object) const;

    QWidget* m_window;
    TBaseMultiLang m_language;
};

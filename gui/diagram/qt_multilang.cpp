#include "qt_multilang.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QWidget>

#include "qt_text.h"

namespace {

QString q(const std::string& text) {
    return displayText(text);
}

// Captions of labels, buttons, group boxes, menus and actions; texts of edit fields; hints of
// every widget and action.
class CaptionComponent : public LanguageComponent {
public:
    explicit CaptionComponent(QObject* object) : m_object(object) {}
    Kind kind() const override { return Kind::Caption; }
    bool hasCaption() const override {
        return qobject_cast<QLabel*>(m_object) || qobject_cast<QAbstractButton*>(m_object) ||
               qobject_cast<QGroupBox*>(m_object) || qobject_cast<QMenu*>(m_object) ||
               qobject_cast<QAction*>(m_object) || qobject_cast<QToolBar*>(m_object);
    }
    bool hasText() const override { return qobject_cast<QLineEdit*>(m_object) != nullptr; }
    bool hasHint() const override {
        return qobject_cast<QWidget*>(m_object) || qobject_cast<QAction*>(m_object);
    }
    void setCaption(const std::string& text) override {
        if (auto* label = qobject_cast<QLabel*>(m_object)) label->setText(q(text));
        if (auto* button = qobject_cast<QAbstractButton*>(m_object)) button->setText(q(text));
        if (auto* box = qobject_cast<QGroupBox*>(m_object)) box->setTitle(q(text));
        if (auto* menu = qobject_cast<QMenu*>(m_object)) menu->setTitle(q(text));
        if (auto* action = qobject_cast<QAction*>(m_object)) action->setText(q(text));
        if (auto* bar = qobject_cast<QToolBar*>(m_object)) bar->setWindowTitle(q(text));
    }
    void setText(const std::string& text) override {
        if (auto* edit = qobject_cast<QLineEdit*>(m_object)) edit->setText(q(text));
    }
    void setHint(const std::string& text) override {
        if (auto* widget = qobject_cast<QWidget*>(m_object)) widget->setToolTip(q(text));
        if (auto* action = qobject_cast<QAction*>(m_object)) action->setToolTip(q(text));
    }

protected:
    QObject* m_object;
};

// List boxes, combo boxes (the selection stays), tab widgets and memos.
class ListComponent : public CaptionComponent {
public:
    using CaptionComponent::CaptionComponent;
    Kind kind() const override { return Kind::List; }
    std::size_t elementCount() const override {
        if (auto* list = qobject_cast<QListWidget*>(m_object)) return list->count();
        if (auto* combo = qobject_cast<QComboBox*>(m_object)) return combo->count();
        if (auto* tabs = qobject_cast<QTabWidget*>(m_object)) return tabs->count();
        if (auto* memo = qobject_cast<QPlainTextEdit*>(m_object))
            return static_cast<std::size_t>(memo->document()->blockCount());
        return 0;
    }
    void setElement(std::size_t i, const std::string& text) override {
        const int n = static_cast<int>(i);
        if (auto* list = qobject_cast<QListWidget*>(m_object)) list->item(n)->setText(q(text));
        if (auto* combo = qobject_cast<QComboBox*>(m_object)) combo->setItemText(n, q(text));
        if (auto* tabs = qobject_cast<QTabWidget*>(m_object)) tabs->setTabText(n, q(text));
        if (auto* memo = qobject_cast<QPlainTextEdit*>(m_object)) {
            QStringList lines = memo->toPlainText().split(QLatin1Char('\n'));
            if (n < lines.size()) lines[n] = q(text);
            memo->setPlainText(lines.join(QLatin1Char('\n')));
        }
    }
};

// A group box of radio buttons: its title, then the buttons in their order.
class RadioGroupComponent : public CaptionComponent {
public:
    explicit RadioGroupComponent(QGroupBox* box)
        : CaptionComponent(box),
          m_buttons(box->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly)) {}
    Kind kind() const override { return Kind::RadioGroup; }
    std::size_t elementCount() const override { return static_cast<std::size_t>(m_buttons.size()); }
    void setElement(std::size_t i, const std::string& text) override {
        m_buttons[static_cast<int>(i)]->setText(q(text));
    }

private:
    QList<QRadioButton*> m_buttons;
};

// A status bar: its message, then its panels, the labels placed on it, in their order.
class StatusBarComponent : public CaptionComponent {
public:
    explicit StatusBarComponent(QStatusBar* bar)
        : CaptionComponent(bar), m_panels(bar->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {}
    Kind kind() const override { return Kind::StatusBar; }
    void setCaption(const std::string& text) override {
        static_cast<QStatusBar*>(m_object)->showMessage(q(text));
    }
    std::size_t elementCount() const override { return static_cast<std::size_t>(m_panels.size()); }
    void setElement(std::size_t i, const std::string& text) override {
        m_panels[static_cast<int>(i)]->setText(q(text));
    }

private:
    QList<QLabel*> m_panels;
};

}  // namespace

TMultiLang::TMultiLang(QWidget* window, WordTable words, Prompts* prompts)
    : QObject(window), m_window(window), m_language(*this, std::move(words), prompts) {
    setObjectName(QStringLiteral("MultiLang1"));
    m_language.SetActiveLanguage(currentLanguageColumn());
}

void TMultiLang::setFormCaption(const std::string& text) {
    m_window->setWindowTitle(q(text));
}

// Whether an object is part of this window rather than of a dialog of its own that has the
// window as its parent (menus are windows of their own too, but they belong to it).
bool TMultiLang::ownedByWindow(const QObject* object) const {
    for (const QObject* at = object; at && at != m_window; at = at->parent()) {
        const auto* widget = qobject_cast<const QWidget*>(at);
        if (widget && widget->isWindow() && !qobject_cast<const QMenu*>(widget)) return false;
    }
    return true;
}

std::unique_ptr<LanguageComponent> TMultiLang::findComponent(const std::string& name) {
    const QString wanted = QString::fromStdString(name);
    if (wanted.isEmpty() || wanted == QLatin1String("\"")) return nullptr;
    for (QObject* object : m_window->findChildren<QObject*>()) {
        if (object->objectName().compare(wanted, Qt::CaseInsensitive) != 0 || object == this ||
            !ownedByWindow(object))
            continue;
        if (qobject_cast<QListWidget*>(object) || qobject_cast<QComboBox*>(object) ||
            qobject_cast<QTabWidget*>(object) || qobject_cast<QPlainTextEdit*>(object))
            return std::make_unique<ListComponent>(object);
        if (auto* box = qobject_cast<QGroupBox*>(object);
            box && !box->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly).isEmpty())
            return std::make_unique<RadioGroupComponent>(box);
        if (auto* bar = qobject_cast<QStatusBar*>(object))
            return std::make_unique<StatusBarComponent>(bar);
        return std::make_unique<CaptionComponent>(object);
    }
    return nullptr;
}

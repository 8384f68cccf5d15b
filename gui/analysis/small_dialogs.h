#pragma once

#include <string>
#include <vector>

#include <QDialog>

#include "prompts.h"

class QLineEdit;
class QPlainTextEdit;
class QTimer;
class TVantaEngine;
class EngineControl;
namespace SingleAnalysis {
class EngineWatch;
}

// A time in hours, minutes and seconds, within a minimum and a maximum.
class TFormTimeInput : public QDialog {
    Q_OBJECT

public:
    explicit TFormTimeInput(Prompts& prompts, QWidget* parent = nullptr);

    void setCaption(const std::string& caption);
    void setTitle(const std::string& title);
    void setMinimum(int seconds);
    void setMaximum(int seconds);
    void setValue(int seconds);
    int value() const { return m_value; }
    int minimum() const { return m_minimum; }
    QString titleText() const;

    void OnShow();
    int exec() override;
    // Texts longer than 40 characters are cut to 37 and "...".
    static std::string shortened(const std::string& text);

private:
    void BtnOKClick();

    Prompts& m_prompts;
    int m_minimum = 0;
    int m_maximum = 359999;
    int m_value = 0;
    class QLabel* m_title;
    QLineEdit* m_hours;
    QLineEdit* m_minutes;
    QLineEdit* m_seconds;
};

// The log viewer: the lines of a log in a read-only field.
class TShowLog : public QDialog {
    Q_OBJECT

public:
    explicit TShowLog(QWidget* parent = nullptr);
    void showLines(const std::string& caption, const std::vector<std::string>& lines);
    QPlainTextEdit* memo() const { return m_memo; }

private:
    QPlainTextEdit* m_memo;
};

// The versions of the engine access component and of its library.
class TFormVEinfo : public QDialog {
    Q_OBJECT

public:
    TFormVEinfo(TVantaEngine& engine, unsigned backgroundColor, QWidget* parent = nullptr);
};

// Follows the library engine while it analyses one position; Stop keeps the last variation.
class TFormVanEng : public QDialog {
    Q_OBJECT

public:
    TFormVanEng(EngineControl& engine, const std::string& description, unsigned backgroundColor,
                QWidget* parent = nullptr);
    ~TFormVanEng() override;
    // The kept variation after Stop; empty after Cancel.
    const std::string& variation() const { return m_variation; }
    QPlainTextEdit* memo() const { return m_memo; }

    void OnShow();
    int exec() override;

private:
    void tick();

    EngineControl& m_engine;
    std::unique_ptr<SingleAnalysis::EngineWatch> m_watch;
    QPlainTextEdit* m_memo;
    QTimer* m_timer;
    std::string m_variation;
};

#pragma once

#include <QDialog>
#include <QElapsedTimer>

#include "services.h"

class QLabel;
class QProgressBar;

// The system clipboard's plain text.
class QtClipboard : public ClipboardAccess {
public:
    bool hasText() override;
    std::string text() override;
    void setText(const std::string& text) override;
    // Offered as text/rtf and application/rtf, with the plain text.
    void setRichText(const std::string& rtf, const std::string& plain) override;
};

// The shared progress window: "Brisvane: working...", a bold title and a gauge. It repaints at
// most every 40 ms so that a million small steps cost nothing.
class TFormProgress : public QDialog, public ProgressSink {
    Q_OBJECT

public:
    explicit TFormProgress(QWidget* parent = nullptr);

    void begin(const std::string& title, std::size_t maximum) override;
    void advance(std::size_t position) override;
    void end() override;

    QString title() const;
    int gaugeValue() const;
    int gaugeMaximum() const;
    int repaints() const { return m_repaints; }

private:
    void repaintNow(std::size_t position);

    QLabel* m_title;
    QProgressBar* m_gauge;
    QElapsedTimer m_sinceRepaint;
    int m_repaints = 0;
};

// While it is on, clicks, keys, the wheel and drops given anywhere in the program are dropped,
// not held back: a command that keeps the window painting during long work (a converter run)
// must not have them acted on once the work is done. A box that opens meanwhile (another
// window's message) takes its input as always.
class UserInputDropper : public QObject {
public:
    void start();
    // Takes in (and drops) what is still pending, then lets input through again.
    void stop();
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_on = false;
    QWidget* m_modalAtStart = nullptr;
};

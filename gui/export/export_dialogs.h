#pragma once

#include <functional>

#include <QDialog>

#include "html_export.h"
#include "prompts.h"
#include "rtf_export.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;

// "HTML Table Options": the border, the coordinates, the square size and the image prefix of
// "Copy as HTML", and "Save piece images..." for the pictures the fragment names.
class THTMLOptions : public QDialog {
    Q_OBJECT

public:
    explicit THTMLOptions(QWidget* parent = nullptr);

    void setOptions(const HtmlOptions& options) { m_options = options; }
    const HtmlOptions& options() const { return m_options; }
    bool changed() const { return m_changed; }
    // Writes the piece images at a square size in pixels; set by the window.
    std::function<void(int pixels)> savePieceImages;

    void OnShow();
    int exec() override;

private:
    void BtnOKClick();

    HtmlOptions m_options;
    bool m_changed = false;
    QComboBox* m_border;
    QCheckBox* m_coordinates;
    QComboBox* m_pixels;
    QLineEdit* m_prefix;
};

// "Brisvane: RTF options": the chess font and its size.
class TRTFOptions : public QDialog {
    Q_OBJECT

public:
    explicit TRTFOptions(Prompts& prompts, QWidget* parent = nullptr);

    // The font table (null without one) and the setting shown on the next showing.
    void setFonts(const TRTFHandling* fonts, const ChessFontSetting& setting) {
        m_fonts = fonts;
        m_setting = setting;
    }
    const ChessFontSetting& setting() const { return m_setting; }
    bool changed() const { return m_changed; }

    void OnShow();
    int exec() override;

private:
    void BtnOKClick();

    Prompts& m_prompts;
    const TRTFHandling* m_fonts = nullptr;
    ChessFontSetting m_setting;
    RtfOptionsForm m_form;
    bool m_changed = false;
    QListWidget* m_fontList;
    QListWidget* m_sizeList;
};

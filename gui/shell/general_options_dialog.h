#pragma once

#include <QDialog>
#include <QFrame>

#include "app_settings.h"
#include "prompts.h"

class QCheckBox;
class QRadioButton;

// A colour swatch that opens the colour dialog when clicked.
class ColorSwatch : public QFrame {
    Q_OBJECT

public:
    explicit ColorSwatch(QWidget* parent);
    void setColor(ColorRef color);
    ColorRef color() const { return m_color; }

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    ColorRef m_color;
};

// The general options dialog: board colours, interface language, the PGN export switches and
// the EPD server. OK stores what changed; "&Save options" writes the file.
class TGeneralOpt : public QDialog {
    Q_OBJECT

public:
    explicit TGeneralOpt(Prompts& prompts, QWidget* parent = nullptr);

    // The options shown on the next showing, and after OK the options with the dialog's values.
    void setOptions(const AppSettings& options) { m_options = options; }
    const AppSettings& options() const { return m_options; }
    // Set by OK when a value differs from the options handed in.
    bool changed() const { return m_changed; }

    // Shows the options; runs once for each showing the caller asks for (exec).
    void OnShow();
    int exec() override;

private:
    void BtnOKClick();
    void ShapeClick(ColorSwatch* swatch);

    Prompts& m_prompts;
    AppSettings m_options;
    bool m_changed = false;
    ColorSwatch* m_light;
    ColorSwatch* m_dark;
    QRadioButton* m_english;
    QRadioButton* m_german;
    QCheckBox* m_nimzo;
    QCheckBox* m_mapIdBm;
    QCheckBox* m_bmToPgn;
    QCheckBox* m_server;
};

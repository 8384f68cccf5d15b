#pragma once

#include <functional>
#include <string>

#include <QDialog>
#include <QLabel>

#include "services.h"

// A label that tells when it is clicked.
class ClickLabel : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// "Brisvane: About": name, version and date, the freeware notice, the contact address (a click
// copies it) and the operating system.
class TAboutBox : public QDialog {
    Q_OBJECT

public:
    TAboutBox(ClipboardAccess& clipboard, QWidget* parent = nullptr);
};

// "Brisvane: WWW": the download page; Copy puts it on the clipboard, Connect opens it in the
// browser, and both close the box.
class TWebBox : public QDialog {
    Q_OBJECT

public:
    using Opener = std::function<void(const std::string& address)>;
    TWebBox(ClipboardAccess& clipboard, Opener open, QWidget* parent = nullptr);
};

// "Brisvane: Licence": the licence notice in a read-only field.
class TLicenceBox : public QDialog {
    Q_OBJECT

public:
    explicit TLicenceBox(QWidget* parent = nullptr);
};

// The start-up picture: a borderless black window with one 320 x 200 picture of our own.
class TSplashForm : public QWidget {
    Q_OBJECT

public:
    explicit TSplashForm(const QImage& piece);
    static QImage picture(const QImage& piece);
};

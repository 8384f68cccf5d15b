#include "qt_services.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QEvent>
#include <QWindow>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QVBoxLayout>

#include "qt_prompts.h"

bool QtClipboard::hasText() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data && data->hasText();
}

std::string QtClipboard::text() {
    return toBytes(QApplication::clipboard()->text());
}

void QtClipboard::setText(const std::string& text) {
    QApplication::clipboard()->clear();
    QApplication::clipboard()->setText(displayText(text));
}

void QtClipboard::setRichText(const std::string& rtf, const std::string& plain) {
    auto* data = new QMimeData;
    const QByteArray bytes(rtf.data(), static_cast<qsizetype>(rtf.size()));
    data->setData(QStringLiteral("text/rtf"), bytes);
    data->setData(QStringLiteral("application/rtf"), bytes);
    data->setText(displayText(plain));
    QApplication::clipboard()->setMimeData(data);
}

TFormProgress::TFormProgress(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_title(new QLabel(this)),
      m_gauge(new QProgressBar(this)) {
    setObjectName(QStringLiteral("FormProgress"));
    setWindowTitle(QStringLiteral("Brisvane: working..."));
    m_title->setObjectName(QStringLiteral("LblTitle"));
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_gauge->setObjectName(QStringLiteral("Gauge"));
    m_gauge->setTextVisible(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_title);
    layout->addWidget(m_gauge);
    setFixedSize(320, 90);
    setModal(true);
}

void TFormProgress::begin(const std::string& title, std::size_t maximum) {
    m_title->setText(displayText(title));
    m_gauge->setRange(0, static_cast<int>(std::min<std::size_t>(maximum, INT_MAX)));
    m_gauge->setValue(0);
    m_repaints = 0;
    show();
    raise();
    repaintNow(0);
}

void TFormProgress::advance(std::size_t position) {
    if (m_sinceRepaint.elapsed() < 40 && position < static_cast<std::size_t>(m_gauge->maximum()))
        return;
    repaintNow(position);
}

void TFormProgress::repaintNow(std::size_t position) {
    m_gauge->setValue(static_cast<int>(std::min<std::size_t>(position, INT_MAX)));
    ++m_repaints;
    // Let the window paint; user input waits until the work is done.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_sinceRepaint.restart();
}

void TFormProgress::end() {
    hide();
}

QString TFormProgress::title() const {
    return m_title->text();
}
int TFormProgress::gaugeValue() const {
    return m_gauge->value();
}
int TFormProgress::gaugeMaximum() const {
    return m_gauge->maximum();
}

void UserInputDropper::start() {
    if (m_on) return;
    m_on = true;
    m_modalAtStart = QApplication::activeModalWidget();
    QCoreApplication::instance()->installEventFilter(this);
}

void UserInputDropper::stop() {
    if (!m_on) return;
    QCoreApplication::processEvents();
    QCoreApplication::instance()->removeEventFilter(this);
    m_on = false;
}

bool UserInputDropper::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::InputMethod:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            break;
        default:
            return QObject::eventFilter(watched, event);
    }
    // A box opened during the work is answered as any box: without it, nobody could close it.
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == m_modalAtStart) return true;
    // The box itself, and its own popups (a combo box's list is a window of its own).
    auto ofTheBox = [modal](const QWidget* widget) {
        for (; widget; widget = widget->parentWidget())
            if (widget->window() == modal) return true;
        return false;
    };
    if (const auto* widget = qobject_cast<QWidget*>(watched)) return !ofTheBox(widget);
    if (const auto* window = qobject_cast<QWindow*>(watched)) {
        for (const QWidget* top : QApplication::topLevelWidgets())
            if (top->windowHandle() == window) return !ofTheBox(top);
    }
    return true;
}

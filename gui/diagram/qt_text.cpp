#include "qt_text.h"

#include <optional>

#include <QStringDecoder>

namespace {

// The bytes as UTF-8, or nothing when they are not valid UTF-8.
std::optional<QString> decodeUtf8(std::string_view bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (utf8.hasError()) return std::nullopt;
    return text;
}

}  // namespace

TextEncoding encodingOf(std::string_view bytes) {
    return decodeUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Latin1;
}

QString displayText(std::string_view bytes) {
    if (auto text = decodeUtf8(bytes)) return *std::move(text);
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string toBytes(const QString& text, TextEncoding encoding) {
    return (encoding == TextEncoding::Latin1 ? text.toLatin1() : text.toUtf8()).toStdString();
}


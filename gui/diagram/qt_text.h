#pragma once

#include <string>
#include <string_view>

#include <QString>

// Bytes of the program (lines, paths, messages) as the toolkit shows them and back.
enum class TextEncoding { Utf8, Latin1 };
// How a text's bytes are shown: valid UTF-8 as UTF-8, anything else as Latin-1.
TextEncoding encodingOf(std::string_view bytes);
// Bytes of a line as shown.
QString displayText(std::string_view bytes);
// A text from the user interface as the bytes the logic works with; in Latin-1 a character
// that Latin-1 lacks becomes "?".
std::string toBytes(const QString& text, TextEncoding encoding = TextEncoding::Utf8);

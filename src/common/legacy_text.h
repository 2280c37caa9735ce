#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace shutterhand {

// Text files of earlier versions were written in the Windows ANSI code page; ours are UTF-8.
// Bytes that form valid UTF-8 (an optional byte-order mark is dropped) are read as UTF-8,
// anything else as Windows-1252, so old files keep their umlauts.
QString decodeLegacyText(const QByteArray& bytes);

// Windows-1252 only, for files that declare an 8-bit encoding themselves.
QString decodeWindows1252(const QByteArray& bytes);

// Splits text at CR LF, LF or a lone CR. A line end at the very end adds no empty line.
QStringList splitTextLines(const QString& text);

// Delphi's Trim: removes leading and trailing characters up to and including the blank.
QString trimBlanks(const QString& text);

// Compares with only the ASCII letters a-z and A-Z folded; umlauts and all else must match exactly.
bool equalsIgnoringAsciiCase(const QString& a, const QString& b);

}  // namespace shutterhand

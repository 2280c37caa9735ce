#pragma once

#include "common/atomic_file.h"

#include <QByteArray>
#include <QString>

namespace shutterhand {

// One action: its name, description and script code, as read from or written to an ".evn" file.
//
// The file is a six-line XML text: declaration, <xml>, then <name>, <description> and <code>, each with
// its text in a CDATA section, then </xml>. We write UTF-8 and declare it; older files that declare
// ISO-8859-1 were really written in the Windows ANSI code page and are read as Windows-1252.
class TPhotoEvent {
public:
    QString Name;
    QString Description;
    QString Code;
    QString Source;    // the XML text the fields were last read from
    QString FileName;  // full path of the action file

    // Result of reading: empty error on success, else the XML layer's complaint.
    struct ReadResult {
        QString error;
        bool ok() const { return error.isEmpty(); }
    };

    // Fills Name, Description, Code and Source from an action file's text. A text without a root element
    // leaves the fields empty; text that is not well-formed XML gives an error and changes nothing.
    ReadResult LoadFromXML(const QString& text);

    // Reads the file's bytes (encoding as described above) and then LoadFromXML.
    ReadResult LoadFromBytes(const QByteArray& bytes);

    void SetFileName(const QString& path) { FileName = path; }

    // The six lines of the file, CR LF line ends, UTF-8.
    QByteArray toFileBytes() const;

    // Replaces the file at FileName atomically.
    FileResult WriteToFile() const;
};

// Decodes an action file's bytes: by its declared encoding when that names an 8-bit code page,
// otherwise UTF-8 where the bytes are valid UTF-8 and Windows-1252 where they are not.
QString decodeActionFile(const QByteArray& bytes);

}  // namespace shutterhand

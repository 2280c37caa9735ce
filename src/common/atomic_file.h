#pragma once

#include <QByteArray>
#include <QString>

namespace shutterhand {

// Outcome of a file operation: empty error text on success, otherwise a message for the user
// (German, since it reaches message boxes and the log) that names the file.
struct FileResult {
    QString error;
    bool ok() const { return error.isEmpty(); }
    static FileResult success() { return {}; }
    static FileResult failure(QString message) { return {std::move(message)}; }
};

// Writes `data` to a new temporary file in the target's folder, flushes it to disk and renames it over
// `path`. Whatever fails on the way, the old file stays whole and no temporary file is left behind.
// `mode` is the new file's permission bits (a file holding passwords gets 0600).
FileResult writeFileAtomically(const QString& path, const QByteArray& data, unsigned mode = 0644);

}  // namespace shutterhand

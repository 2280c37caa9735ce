#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace shutterhand::test {

// A program folder of its own for one test, in a temporary directory that goes away with the object.
// It has the folders the program expects (data, Lang, Events, www, logs, tmp, help); the delivered data
// can be copied in from the source tree.
class ProgramFolder {
public:
    ProgramFolder();

    // The folder, ending in "/".
    QString path() const;
    QString filePath(const QString& relative) const;

    // Copies the delivered data (var.dat, language files, ...) from the source tree.
    void copyDelivery();
    // Writes a file below the folder, creating its parent folders; the bytes go in unchanged.
    void writeFile(const QString& relative, const QByteArray& bytes) const;
    QByteArray readFile(const QString& relative) const;

private:
    QTemporaryDir m_dir;
};

// The project's source folder and the staged program folder (set by the test environment).
QString sourceDir();
QString distDir();

// Copies a folder tree; false when something could not be copied.
bool copyTree(const QString& from, const QString& to);

}  // namespace shutterhand::test

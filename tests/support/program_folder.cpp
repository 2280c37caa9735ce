#include "support/program_folder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

namespace shutterhand::test {

QString sourceDir()
{
    const QString dir = qEnvironmentVariable("SHUTTERHAND_SOURCE_DIR");
    if (dir.isEmpty())
        qFatal("SHUTTERHAND_SOURCE_DIR is not set; run the tests through ctest");
    return dir;
}

QString distDir()
{
    const QString dir = qEnvironmentVariable("SHUTTERHAND_DIST_DIR");
    if (dir.isEmpty())
        qFatal("SHUTTERHAND_DIST_DIR is not set; run the tests through ctest");
    return dir;
}

bool copyTree(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    QDirIterator it(from, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        const QString target = to + u'/' + QDir(from).relativeFilePath(info.filePath());
        if (info.isDir()) {
            if (!QDir().mkpath(target))
                return false;
        } else {
            QFile::remove(target);
            if (!QFile::copy(info.filePath(), target))
                return false;
            QFile::setPermissions(target, info.permissions() | QFileDevice::WriteOwner);
        }
    }
    return true;
}

ProgramFolder::ProgramFolder()
{
    if (!m_dir.isValid())
        qFatal("cannot create a temporary program folder");
    for (const char* sub : {"data", "Lang", "Events", "www", "logs", "tmp", "help"})
        QDir(m_dir.path()).mkpath(QString::fromLatin1(sub));
}

QString ProgramFolder::path() const { return m_dir.path() + u'/'; }

QString ProgramFolder::filePath(const QString& relative) const { return path() + relative; }

void ProgramFolder::copyDelivery()
{
    if (!copyTree(sourceDir() + QStringLiteral("/delivery"), m_dir.path()))
        qFatal("cannot copy the delivered data");
}

void ProgramFolder::writeFile(const QString& relative, const QByteArray& bytes) const
{
    const QString target = filePath(relative);
    QDir().mkpath(QFileInfo(target).absolutePath());
    QFile file(target);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(target));
}

QByteArray ProgramFolder::readFile(const QString& relative) const
{
    QFile file(filePath(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace shutterhand::test

// Old text files and atomic file replacement.

#include "common/atomic_file.h"
#include "common/legacy_text.h"
#include "support/program_folder.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace shutterhand;

class CommonTest : public QObject {
    Q_OBJECT

private slots:
    void decodesUtf8AndWindows1252_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("ascii") << QByteArray("abc") << QStringLiteral("abc");
        QTest::newRow("utf-8 umlaut") << QByteArray("Gr\xC3\xBC\xC3\x9F") << QStringLiteral("Grüß");
        QTest::newRow("utf-8 with bom") << QByteArray("\xEF\xBB\xBFx") << QStringLiteral("x");
        QTest::newRow("1252 umlaut") << QByteArray("Gr\xFC\xDF") << QStringLiteral("Grüß");
        QTest::newRow("1252 euro and quotes") << QByteArray("\x80 \x84x\x93") << QStringLiteral("€ „x“");
        QTest::newRow("1252 unassigned") << QByteArray("\x81\xFC") << QStringLiteral("\u0081ü");
    }
    void decodesUtf8AndWindows1252()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(decodeLegacyText(bytes), text);
    }

    void splitsLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty") << QString() << QStringList();
        QTest::newRow("crlf") << QStringLiteral("a\r\nb\r\n") << QStringList{"a", "b"};
        QTest::newRow("lf, no final end") << QStringLiteral("a\nb") << QStringList{"a", "b"};
        QTest::newRow("empty lines kept") << QStringLiteral("a\r\n\r\nb\n\n") << QStringList{"a", "", "b", ""};
        QTest::newRow("lone cr") << QStringLiteral("a\rb") << QStringList{"a", "b"};
    }
    void splitsLines()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(splitTextLines(text), lines);
    }

    void comparesOnlyAsciiLettersWithoutCase()
    {
        QVERIFY(equalsIgnoringAsciiCase(QStringLiteral("DefaultLang"), QStringLiteral("defaultLANG")));
        QVERIFY(!equalsIgnoringAsciiCase(QStringLiteral("ä"), QStringLiteral("Ä")));
        QVERIFY(!equalsIgnoringAsciiCase(QStringLiteral("ab"), QStringLiteral("abc")));
        // '[' and '{' are 0x20 apart like letters, but are not letters.
        QVERIFY(!equalsIgnoringAsciiCase(QStringLiteral("["), QStringLiteral("{")));
    }

    void atomicWriteReplacesAndSetsMode()
    {
        test::ProgramFolder folder;
        const QString path = folder.filePath(QStringLiteral("data/file.dat"));
        folder.writeFile(QStringLiteral("data/file.dat"), "old");
        QVERIFY(writeFileAtomically(path, "new content", 0600).ok());
        QCOMPARE(folder.readFile(QStringLiteral("data/file.dat")), QByteArray("new content"));
        struct stat info = {};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0600u);
        QCOMPARE(QDir(folder.filePath(QStringLiteral("data"))).entryList(QDir::Files), QStringList{"file.dat"});
    }

    void atomicWriteFailureKeepsOldFileAndLeavesNoTemporary()
    {
        test::ProgramFolder folder;
        const QString path = folder.filePath(QStringLiteral("data/file.dat"));
        folder.writeFile(QStringLiteral("data/file.dat"), "precious settings");

        // A file size limit makes the write fail part-way, like a full disk (and works as root too).
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit saved = {};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        struct rlimit tiny = saved;
        tiny.rlim_cur = 4;
        ::setrlimit(RLIMIT_FSIZE, &tiny);
        const FileResult result = writeFileAtomically(path, QByteArray(1000, 'x'));
        ::setrlimit(RLIMIT_FSIZE, &saved);

        QVERIFY(!result.ok());
        QVERIFY2(result.error.contains(path), qPrintable(result.error));
        QCOMPARE(folder.readFile(QStringLiteral("data/file.dat")), QByteArray("precious settings"));
        QCOMPARE(QDir(folder.filePath(QStringLiteral("data"))).entryList(QDir::Files), QStringList{"file.dat"});
    }

    void atomicWriteIntoMissingFolderFails()
    {
        test::ProgramFolder folder;
        const FileResult result = writeFileAtomically(folder.filePath(QStringLiteral("nowhere/file.dat")), "x");
        QVERIFY(!result.ok());
        QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("nowhere"))));
    }
};

QTEST_GUILESS_MAIN(CommonTest)
#include "test_common.moc"

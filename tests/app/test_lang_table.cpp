// Language files: their lines, the display name and the languages offered.

#include "app/core/lang_table.h"
#include "support/program_folder.h"

#include <QtTest>

using namespace shutterhand;

class LangTableTest : public QObject {
    Q_OBJECT

private slots:
    void readsEntries_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("text12");
        QTest::newRow("plain") << "12=Beenden"
                               << "Beenden";
        QTest::newRow("blanks around") << "  12 =  Beenden  "
                                       << "Beenden";
        QTest::newRow("second equals ends the text") << "12=a=b"
                                                     << "a";
        QTest::newRow("ampersand kept") << "12=B&eenden"
                                        << "B&eenden";
        QTest::newRow("quotes have no meaning") << "12=\"x\""
                                                << "\"x\"";
        QTest::newRow("empty text") << "12="
                                    << "";
        QTest::newRow("no equals: skipped") << "12"
                                            << "<none>";
        QTest::newRow("not a number") << "zwölf=Beenden"
                                      << "<none>";
        QTest::newRow("number with letters") << "12a=Beenden"
                                             << "<none>";
        QTest::newRow("hex is no decimal") << "$C=Beenden"
                                           << "<none>";
        QTest::newRow("too large") << "99999999999=x"
                                   << "<none>";
    }
    void readsEntries()
    {
        QFETCH(QString, line);
        QFETCH(QString, text12);
        TLangControl table;
        table.LoadFromText(QStringLiteral("LANGUAGE=Deutsch\r\n") + line + QStringLiteral("\r\n"));
        if (text12 == QLatin1String("<none>")) {
            QCOMPARE(table.Count(), 0);
        } else {
            QCOMPARE(table.Count(), 1);
            QCOMPARE(table.GetText(12), text12);
        }
    }

    void firstOfTwoEntriesCountsAndLoadingReplaces()
    {
        TLangControl table;
        table.AddText(99, QStringLiteral("old"));
        table.LoadFromText(QStringLiteral("12=first\n-3=negative\n12=second"));
        QCOMPARE(table.GetText(12), QStringLiteral("first"));
        QCOMPARE(table.GetText(-3), QStringLiteral("negative"));
        QCOMPARE(table.GetText(99), QString());
        QCOMPARE(table.GetText(13), QString());
    }

    void displayNameComesFromTheFirstLine_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("entries");
        QTest::newRow("after the first equals, unstripped")
            << QByteArray("LANGUAGE= Deutsch=x\r\n12=a") << " Deutsch=x" << 1;
        QTest::newRow("whole line without equals") << QByteArray("Deutsch\r\n12=a") << "Deutsch" << 1;
        QTest::newRow("numbered first line is an entry too") << QByteArray("10=Datei\r\n") << "Datei" << 1;
        QTest::newRow("windows-1252") << QByteArray("LANGUAGE=Fran\xE7\x61is\r\n") << "Français" << 0;
        QTest::newRow("empty file") << QByteArray() << "" << 0;
    }
    void displayNameComesFromTheFirstLine()
    {
        QFETCH(QByteArray, bytes);
        test::ProgramFolder folder;
        folder.writeFile(QStringLiteral("Lang/x.dat"), bytes);
        QTEST(ReadLanguageName(folder.filePath(QStringLiteral("Lang/x.dat"))), "name");
        TLangControl table;
        QVERIFY(table.LoadFromFile(folder.filePath(QStringLiteral("Lang/x.dat"))));
        QTEST(table.Count(), "entries");
    }

    void languagesKeepTheirCodeApartFromTheCaption()
    {
        test::ProgramFolder folder;
        folder.writeFile(QStringLiteral("Lang/de.dat"), "LANGUAGE=Deutsch (Schweiz)\r\n");
        folder.writeFile(QStringLiteral("Lang/EN.DAT"), "LANGUAGE=English\r\n29=Release\r\n");
        folder.writeFile(QStringLiteral("Lang/notes.txt"), "x");
        QDir(folder.path()).mkpath(QStringLiteral("Lang/folder.dat"));

        const QList<LanguageChoice> languages = listLanguages(folder.filePath(QStringLiteral("Lang/")));
        QCOMPARE(languages.size(), 2);
        QCOMPARE(languages[0].code, QStringLiteral("EN"));
        QCOMPARE(languages[0].caption, QStringLiteral("English (EN)"));
        QCOMPARE(languages[1].code, QStringLiteral("de"));
        QCOMPARE(languages[1].caption, QStringLiteral("Deutsch (Schweiz) (de)"));

        // The file of a code is found whatever the case of its extension, so the choice loads again at
        // the next start.
        const QString found = findLanguageFile(folder.filePath(QStringLiteral("Lang/")), QStringLiteral("EN"));
        QCOMPARE(found, languages[0].path);
        TLangControl table;
        QVERIFY(table.LoadFromFile(found));
        QCOMPARE(table.GetText(29), QStringLiteral("Release"));
        QCOMPARE(findLanguageFile(folder.filePath(QStringLiteral("Lang/")), QStringLiteral("fr")), QString());
    }
};

QTEST_GUILESS_MAIN(LangTableTest)
#include "test_lang_table.moc"

// Action files: the six-line XML form, its encodings and its round trip.

#include "actions/photo_event.h"
#include "support/program_folder.h"

#include <QtTest>

using namespace shutterhand;

class ActionFileTest : public QObject {
    Q_OBJECT

private slots:
    void writesSixCrLfLinesInUtf8()
    {
        TPhotoEvent action;
        action.Name = QStringLiteral("Sichern");
        action.Description = QStringLiteral("Speichert jedes Bild");
        action.Code = QStringLiteral("begin\r\n  Image.SaveToFile(STAuto, '');\r\nend.");
        const QByteArray expected = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                                    "<xml>\r\n"
                                    "<name><![CDATA[Sichern]]></name>\r\n"
                                    "<description><![CDATA[Speichert jedes Bild]]></description>\r\n"
                                    "<code><![CDATA[begin\r\n  Image.SaveToFile(STAuto, '');\r\nend.]]></code>\r\n"
                                    "</xml>\r\n";
        QCOMPARE(action.toFileBytes(), expected);
    }

    void roundTripKeepsFields_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("code");
        QTest::newRow("plain") << "a"
                               << "b"
                               << "begin end.";
        QTest::newRow("umlauts") << "Größe"
                                 << "für Bilder"
                                 << "ShowMessage('Grüße');";
        QTest::newRow("cdata end inside") << "x]]>y"
                                          << "]]>"
                                          << "s := ']]>' + ']]]>>';";
        QTest::newRow("markup inside") << "<b>"
                                       << "a & b"
                                       << "if a < b then c := '<xml>';";
        QTest::newRow("empty fields") << ""
                                      << ""
                                      << "";
    }
    void roundTripKeepsFields()
    {
        QFETCH(QString, name);
        QFETCH(QString, description);
        QFETCH(QString, code);
        test::ProgramFolder folder;
        TPhotoEvent written;
        written.Name = name;
        written.Description = description;
        written.Code = code;
        written.SetFileName(folder.filePath(QStringLiteral("Events/a.evn")));
        QVERIFY(written.WriteToFile().ok());

        TPhotoEvent read;
        QVERIFY(read.LoadFromBytes(folder.readFile(QStringLiteral("Events/a.evn"))).ok());
        QCOMPARE(read.Name, name);
        QCOMPARE(read.Description, description);
        QCOMPARE(read.Code, code);
    }

    void codeLinesComeBackAndAreWrittenWithCrLf()
    {
        TPhotoEvent action;
        action.Code = QStringLiteral("a;\nb;\r\nc;");
        const QByteArray bytes = action.toFileBytes();
        QVERIFY(bytes.contains("a;\r\nb;\r\nc;"));
        QVERIFY(!bytes.contains("\n\n") && bytes.count('\n') == bytes.count("\r\n"));
        TPhotoEvent read;
        QVERIFY(read.LoadFromBytes(bytes).ok());
        // XML reads every line end as LF; written again, they are CR LF once more.
        QCOMPARE(read.Code, QStringLiteral("a;\nb;\nc;"));
        QCOMPARE(read.toFileBytes(), bytes);
    }

    void readsOldWindows1252Files()
    {
        const QByteArray old = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<xml>\r\n"
                               "<name><![CDATA[L\xF6schen \x80]]></name>\r\n"
                               "<description><![CDATA[Gr\xFC\xDF\x65]]></description>\r\n"
                               "<code><![CDATA[begin end.]]></code>\r\n</xml>\r\n";
        TPhotoEvent action;
        QVERIFY(action.LoadFromBytes(old).ok());
        QCOMPARE(action.Name, QStringLiteral("Löschen €"));
        QCOMPARE(action.Description, QStringLiteral("Grüße"));
    }

    void readsHandWrittenLayouts()
    {
        const QString text = QStringLiteral("<xml>\n  <code>begin end.</code>\n  <other/>\n"
                                            "  <name><![CDATA[a]]><![CDATA[b]]></name>\n</xml>");
        TPhotoEvent action;
        QVERIFY(action.LoadFromXML(text).ok());
        QCOMPARE(action.Name, QStringLiteral("ab"));
        QCOMPARE(action.Description, QString());
        QCOMPARE(action.Code, QStringLiteral("begin end."));
        QCOMPARE(action.Source, text);
    }

    void textWithoutRootLeavesFieldsEmpty()
    {
        TPhotoEvent action;
        QVERIFY(action.LoadFromXML(QString()).ok());
        QCOMPARE(action.Code, QString());
    }

    void malformedXmlIsAnError()
    {
        TPhotoEvent action;
        action.Code = QStringLiteral("kept");
        const TPhotoEvent::ReadResult result = action.LoadFromXML(QStringLiteral("<xml><code>x</xml>"));
        QVERIFY(!result.ok());
        QVERIFY(result.error.contains(QStringLiteral("Zeile 1")));
        QCOMPARE(action.Code, QStringLiteral("kept"));
    }
};

QTEST_GUILESS_MAIN(ActionFileTest)
#include "test_action_file.moc"

// The system variables, the named directories and their file var.dat.

#include "config/var_file.h"
#include "support/program_folder.h"

#include <QFile>
#include <QtTest>

#include <sys/stat.h>

using namespace shutterhand;

namespace {

// A configuration whose WorkDir is the test's program folder, loaded from the given var.dat bytes.
TSystemConfig loadFrom(const test::ProgramFolder& folder, const QByteArray& varDat)
{
    folder.writeFile(QStringLiteral("data/var.dat"), varDat);
    TSystemConfig config;
    config.Directorys().SetDirectory(QStringLiteral("WorkDir"), folder.path());
    const FileResult result = LoadSystemVars(config);
    if (!result.ok())
        qFatal("load failed: %s", qPrintable(result.error));
    return config;
}

}  // namespace

class VarFileTest : public QObject {
    Q_OBJECT

private slots:
    void parsesLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("value");
        QTest::newRow("plain") << "DefaultLang/:/String/:/de"
                               << "DefaultLang"
                               << "String"
                               << "de";
        QTest::newRow("value holds separators") << "a/:/String/:/x/:/y/:/"
                                                << "a"
                                                << "String"
                                                << "x/:/y/:/";
        QTest::newRow("empty value") << "a/:/Event/:/"
                                     << "a"
                                     << "Event"
                                     << "";
        QTest::newRow("empty line") << ""
                                    << ""
                                    << ""
                                    << "";
        QTest::newRow("one separator") << "a/:/String"
                                       << "a"
                                       << "String"
                                       << "";
        QTest::newRow("no separator") << "just text"
                                      << "just text"
                                      << ""
                                      << "";
        QTest::newRow("blanks kept") << " a /:/ String /:/ v "
                                     << " a "
                                     << " String "
                                     << " v ";
    }
    void parsesLines()
    {
        QFETCH(QString, line);
        const TVar var = parseVarLine(line);
        QTEST(var.Name, "name");
        QTEST(var.VarType, "type");
        QTEST(var.Value, "value");
    }

    void namesIgnoreOnlyAsciiCase()
    {
        TVarContainer vars;
        vars.InitValueByName(QStringLiteral("lang"), QStringLiteral("String"), QStringLiteral("1"));
        vars.SetValueByName(QStringLiteral("Lang"), QStringLiteral("2"));
        vars.SetValueByName(QStringLiteral("LANG"), QStringLiteral("3"));
        vars.SetValueByName(QStringLiteral("ä"), QStringLiteral("small"));
        vars.SetValueByName(QStringLiteral("Ä"), QStringLiteral("capital"));
        QCOMPARE(vars.Count(), 3);
        QCOMPARE(vars.GetValueByID(0), (TVar{"lang", "String", "3"}));
        QCOMPARE(vars.GetValueByName(QStringLiteral("ä")), QStringLiteral("small"));
        QCOMPARE(vars.GetValueByName(QStringLiteral("Ä")), QStringLiteral("capital"));
    }

    void settersAndLookups()
    {
        TVarContainer vars;
        QCOMPARE(vars.GetValueByName(QStringLiteral("unknown")), QString());
        QVERIFY(!vars.ValueExists(QStringLiteral("unknown")));
        vars.SetValueByName(QStringLiteral("new"), QStringLiteral("v"));
        QCOMPARE(vars.GetValueByID(0), (TVar{"new", "", "v"}));
        vars.InitValueByName(QStringLiteral("NEW"), QStringLiteral("Integer"), QStringLiteral("5"));
        QCOMPARE(vars.GetValueByID(0), (TVar{"new", "Integer", "5"}));
        vars.SetValueByName(QStringLiteral("new"), QStringLiteral("6"));
        QCOMPARE(vars.GetValueByID(0), (TVar{"new", "Integer", "6"}));
        QVERIFY(vars.ValueExists(QStringLiteral("nEw")));
    }

    void directoryListLookups()
    {
        TDirectoryList dirs;
        dirs.SetDirectory(QStringLiteral("Images"), QStringLiteral("/a/"));
        dirs.SetDirectory(QStringLiteral("IMAGES"), QStringLiteral("/b/"));
        QCOMPARE(dirs.Count(), 1);
        QCOMPARE(dirs.GetDirectoryByName(QStringLiteral("images")), QStringLiteral("/b/"));
        QCOMPARE(dirs.GetDirectoryByID(1), TDirectory());
        QCOMPARE(dirs.GetDirectoryByID(-1), TDirectory());
        QCOMPARE(dirs.GetDirectoryByName(QStringLiteral("none")), QString());
    }

    void loadMergesDuplicateLinesIntoTheFirst()
    {
        test::ProgramFolder folder;
        const TSystemConfig config
            = loadFrom(folder, "Foo/:/String/:/x\r\nother/:/String/:/o\r\nFOO/:/Integer/:/y\r\n");
        QCOMPARE(config.Vars().Count(), 2);
        QCOMPARE(config.Vars().GetValueByID(0), (TVar{"Foo", "Integer", "y"}));
    }

    void emptyLineSurvivesAsSeparatorsOnly()
    {
        test::ProgramFolder folder;
        TSystemConfig config = loadFrom(folder, "a/:/String/:/1\r\n\r\nb/:/String/:/2\r\n");
        QCOMPARE(config.Vars().Count(), 3);
        QCOMPARE(config.Vars().GetValueByID(1), TVar());
        QVERIFY(WriteSystemVars(config).ok());
        QCOMPARE(folder.readFile(QStringLiteral("data/var.dat")),
                 QByteArray("a/:/String/:/1\r\n/://:/\r\nb/:/String/:/2\r\n"));
    }

    void roundTripKeepsEverything()
    {
        test::ProgramFolder folder;
        const QByteArray original = "ftppassword/:/String/:/p/:/w \xC3\xA4\r\nUpdateVer/:/Hidden/:/2026-01-01\r\n";
        TSystemConfig config = loadFrom(folder, original);
        QCOMPARE(config.Vars().GetValueByName(QStringLiteral("ftppassword")), QStringLiteral("p/:/w ä"));
        QVERIFY(WriteSystemVars(config).ok());
        QCOMPARE(folder.readFile(QStringLiteral("data/var.dat")), original);
    }

    void readsLfAndWindows1252Files()
    {
        test::ProgramFolder folder;
        const TSystemConfig config = loadFrom(folder, "serie_dir/:/String/:/C:\\Bilder\\M\xFCller\nx/:/String/:/1");
        QCOMPARE(config.Vars().GetValueByName(QStringLiteral("serie_dir")), QStringLiteral("C:\\Bilder\\Müller"));
        QCOMPARE(config.Vars().GetValueByName(QStringLiteral("x")), QStringLiteral("1"));
    }

    void savedFileIsPrivate()
    {
        test::ProgramFolder folder;
        TSystemConfig config = loadFrom(folder, "a/:/String/:/1\r\n");
        ::chmod(QFile::encodeName(folder.filePath(QStringLiteral("data/var.dat"))).constData(), 0644);
        QVERIFY(WriteSystemVars(config).ok());
        struct stat info = {};
        ::stat(QFile::encodeName(folder.filePath(QStringLiteral("data/var.dat"))).constData(), &info);
        QCOMPARE(info.st_mode & 0777, 0600u);
    }

    void missingDataFolderLoadsNothingAndFailsToSave()
    {
        test::ProgramFolder folder;
        QDir(folder.filePath(QStringLiteral("data"))).removeRecursively();
        TSystemConfig config;
        config.Directorys().SetDirectory(QStringLiteral("WorkDir"), folder.path());
        QVERIFY(LoadSystemVars(config).ok());
        QCOMPARE(config.Vars().Count(), 0);
        config.Vars().SetValueByName(QStringLiteral("a"), QStringLiteral("1"));
        const FileResult saved = WriteSystemVars(config);
        QVERIFY(!saved.ok());
        QVERIFY(saved.error.contains(QStringLiteral("var.dat")));
    }

    void directoryVariablesExpandWorkDir()
    {
        test::ProgramFolder folder;
        TSystemConfig config = loadFrom(folder,
                                        "Data/:/Directory/:/%WORKDIR%data/\r\n"
                                        "Lower/:/directory/:/%workdir%data/\r\n"
                                        "Plain/:/String/:/%WORKDIR%x/\r\n");
        ApplyDirectoryVars(config);
        QCOMPARE(config.Directorys().GetDirectoryByName(QStringLiteral("Data")), folder.path() + "data/");
        QCOMPARE(config.Directorys().GetDirectoryByName(QStringLiteral("Lower")), QStringLiteral("%workdir%data/"));
        QCOMPARE(config.Directorys().GetDirectoryByName(QStringLiteral("Plain")), QString());
    }

    void workDirVariableMovesLaterExpansions()
    {
        test::ProgramFolder folder;
        TSystemConfig config = loadFrom(folder,
                                        "Before/:/Directory/:/%WORKDIR%a/\r\n"
                                        "workdir/:/Directory/:/ /elsewhere/\r\n"
                                        "After/:/Directory/:/%WORKDIR%b/\r\n");
        ApplyDirectoryVars(config);
        QCOMPARE(config.Directorys().GetDirectoryByName(QStringLiteral("Before")), folder.path() + "a/");
        QCOMPARE(config.Directorys().GetDirectoryByName(QStringLiteral("After")), QStringLiteral(" /elsewhere/b/"));
        QCOMPARE(config.Directorys().Count(), 3);
    }

    void replacingVarsKeepsTheOldContainerAliveForItsHolder()
    {
        TSystemConfig config;
        config.Vars().SetValueByName(QStringLiteral("a"), QStringLiteral("1"));
        const std::shared_ptr<TVarContainer> held = config.sharedVars();
        config.setVars(std::make_shared<TVarContainer>());
        QCOMPARE(held->GetValueByName(QStringLiteral("a")), QStringLiteral("1"));
        QCOMPARE(config.Vars().Count(), 0);
        config.setVars(nullptr);
        QCOMPARE(config.Vars().Count(), 0);
    }
};

QTEST_GUILESS_MAIN(VarFileTest)
#include "test_var_file.moc"

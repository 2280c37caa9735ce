// One program event with a bound 20-line action, fired through FireEvent as the program does: the
// action file is read and parsed, the code compiled against the script objects and run, and the firing
// logged. Prints the median time of a firing (target: under 200 µs) and, for orientation, the median
// of its parts.
//
//   bench_firing [firings]

#include "../pictures/bench_clock.h"
#include "actions/photo_event.h"
#include "actions/script/interpreter.h"
#include "actions/script/script_action_runner.h"
#include "app/core/application_core.h"
#include "config/var_file.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <cstdio>
#include <cstdlib>

using namespace shutterhand;

namespace {

const char* const kCode = R"({ Notiert jede Aufnahme in den Einstellungen und zaehlt mit. }
var
  Anzahl, i: Integer;
  Zeile, Kamera: string;
begin
  Kamera := $DeviceName;
  if Kamera = '' then Kamera := 'unbekannt';
  Anzahl := StrToIntDef(Application.Config.Vars.GetValueByName('BenchAnzahl'), 0) + 1;
  Application.Config.Vars.SetValueByName('BenchAnzahl', IntToStr(Anzahl));
  Zeile := FormatDateTime('yyyy-mm-dd hh:nn:ss', Now) + ' ' + Kamera;
  for i := 1 to 10 do
    Zeile := Zeile + '.';
  if Pos('Nikon', Kamera) > 0 then
    Zeile := UpperCase(Zeile)
  else
    Zeile := LowerCase(Zeile);
  Application.Config.Vars.SetValueByName('BenchLetzte', Zeile + $Filename);
  if Image.Count > 1000 then
    ShowMessage('viele Bilder');
end.)";

class SilentPrompter : public Prompter {
public:
    void showMessage(Icon, const QString&) override { }
    bool askYesNo(Icon, const QString&) override { return false; }
    QString askSaveFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString askDirectory(const QString&, const QString&) override { return {}; }
};

class NoDesktop : public DesktopServices {
public:
    void openUrl(const QUrl&) override { }
};

[[noreturn]] void fail(const QString& why)
{
    std::fprintf(stderr, "bench_firing: %s\n", qPrintable(why));
    std::exit(1);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int firings = argc > 1 ? std::atoi(argv[1]) : 5000;
    if (firings < 1)
        fail(QStringLiteral("the number of firings must be positive"));

    // A program folder with the action bound to TakePicture.
    QTemporaryDir dir;
    if (!dir.isValid())
        fail(QStringLiteral("no temporary folder"));
    const QString folder = dir.path() + QLatin1Char('/');
    QDir().mkpath(folder + QStringLiteral("data"));
    QDir().mkpath(folder + QStringLiteral("Events"));
    QFile vars(folder + QStringLiteral("data/var.dat"));
    if (!vars.open(QIODevice::WriteOnly)
        || vars.write("Events/:/Directory/:/%WORKDIR%Events/\r\nImages/:/Directory/:/%WORKDIR%www/\r\n"
                      "ScriptTimeout/:/Integer/:/60\r\nTakePicture/:/Event/:/Aufnahme.evn\r\n")
            < 0)
        fail(QStringLiteral("cannot write var.dat"));
    vars.close();
    TPhotoEvent action;
    action.Name = QStringLiteral("Aufnahme notieren");
    action.Description = QStringLiteral("Benchmark");
    action.Code = QString::fromUtf8(kCode);
    action.SetFileName(folder + QStringLiteral("Events/Aufnahme.evn"));
    if (!action.WriteToFile().ok())
        fail(QStringLiteral("cannot write the action"));

    SilentPrompter prompter;
    NoDesktop desktop;
    ApplicationCore core(folder, prompter, desktop);
    core.config().Directorys().SetDirectory(QStringLiteral("WorkDir"), folder);
    if (!LoadSystemVars(core.config()).ok())
        fail(QStringLiteral("cannot read var.dat"));
    ApplyDirectoryVars(core.config());
    ScriptActionRunner runner(core);
    core.setActionRunner(&runner);
    core.CurrentDeviceName = QStringLiteral("Nikon D70");
    core.LastSavedFileName = folder + QStringLiteral("www/1_Image.jpg");
    core.ToggleLogWindow();  // the log window is open, so every firing's line is really written

    const QString event = QStringLiteral("TakePicture");
    for (int i = 0; i < 50; ++i)
        core.FireEvent(event);  // warm up: import sets, caches, allocator

    bench::MachineLoad load;
    const double firingMs = bench::medianMs(firings, [&] { core.FireEvent(event); });
    const QString count = core.config().Vars().GetValueByName(QStringLiteral("BenchAnzahl"));
    if (count.toInt() != 50 + firings)
        fail(QStringLiteral("the action ran %1 times, not %2").arg(count).arg(50 + firings));
    if (core.logBook().entries().isEmpty() || !core.logBook().entries().last().message.endsWith("wird ausgeführt."))
        fail(QStringLiteral("the firings were not logged"));

    // The parts, measured alone.
    const double readMs = bench::medianMs(firings, [&] {
        QFile file(action.FileName);
        file.open(QIODevice::ReadOnly);
        TPhotoEvent read;
        read.LoadFromBytes(file.readAll());
    });
    const double checkMs = bench::medianMs(firings, [&] {
        QStringList messages;
        CheckScript(core, action.Code, messages);
    });

    std::printf("One firing of a bound %d-line action through FireEvent (%d firings)\n",
                int(action.Code.count(QLatin1Char('\n'))) + 1, firings);
    bench::line("whole firing: read, parse, compile, run, log (median)", firingMs * 1000, "µs",
                firingMs * 1000 < 200 ? "(target under 200 µs: met)" : "(target under 200 µs: MISSED)");
    bench::line("  of it: read and parse the action file (median)", readMs * 1000, "µs");
    bench::line("  of it: prepare the engine and compile (median)", checkMs * 1000, "µs");
    load.print();
    return 0;
}

// Any camera name and file name put into action code by the script runner: the code compiles, runs, and
// shows exactly the two texts, however they are made (quotes, line breaks, "$Filename" in the camera's
// name, invalid UTF-8). The input is the camera name, a zero byte, then the file name.

#include "actions/script/interpreter.h"
#include "app/core/application_core.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace shutterhand;

namespace {

class RecordingPrompter : public Prompter {
public:
    void showMessage(Icon, const QString& text) override { shown.append(text); }
    bool askYesNo(Icon, const QString&) override { return false; }
    QString askSaveFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString askDirectory(const QString&, const QString&) override { return {}; }
    QStringList shown;
};

class NoDesktop : public DesktopServices {
public:
    void openUrl(const QUrl&) override { }
};

struct Host {
    QTemporaryDir dir;
    RecordingPrompter prompter;
    NoDesktop desktop;
    ApplicationCore core{dir.path(), prompter, desktop};
};

const QString kCode = QStringLiteral("begin\r\n"
                                     "  ShowMessage($DeviceName);\r\n"
                                     "  ShowMessage(DeviceName);\r\n"
                                     "  ShowMessage($Filename);\r\n"
                                     "  ShowMessage($DeviceName+$Filename);\r\n"
                                     "end.");

[[noreturn]] void fail(const char* what, const QString& detail)
{
    std::fprintf(stderr, "%s: %s\n", what, detail.toUtf8().constData());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Host* host = new Host;  // one core for the whole run, like the program's
    const char* bytes = reinterpret_cast<const char*>(data);
    const void* zero = std::memchr(bytes, 0, size);
    const size_t split = zero ? static_cast<size_t>(static_cast<const char*>(zero) - bytes) : size;
    const QString device = QString::fromUtf8(bytes, static_cast<qsizetype>(split));
    const QString file
        = split < size ? QString::fromUtf8(bytes + split + 1, static_cast<qsizetype>(size - split - 1)) : QString();

    host->prompter.shown.clear();
    host->core.CurrentDeviceName = device;
    TInterpreter interpreter(host->core);
    interpreter.SetScript(kCode);
    interpreter.SetVariable(QStringLiteral("DeviceName"), device, true);
    interpreter.SetVariable(QStringLiteral("Filename"), file, true);
    const TInterpreter::RunResult result = interpreter.Run();
    if (result != TInterpreter::RunResult::Done)
        fail("the code did not run",
             interpreter.Script() + u'\n' + interpreter.Messages().join(u'\n') + interpreter.ErrorText());
    const QStringList expected{device, device, file, device + file};
    if (host->prompter.shown != expected)
        fail("the script saw other texts", interpreter.Script());
    return 0;
}

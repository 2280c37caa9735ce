// shutterhand-tool script check|run FILE: compiles an action script, and runs it with a console host
// where ShowMessage writes its text and a line break to standard output. A plain script sees only the
// engine's standard declarations; the code of an action file (".evn") sees the program's objects too
// (see action_script.cpp).

#include "common/legacy_text.h"
#include "pascal/engine.h"
#include "tool/action_script.h"
#include "tool/tool_command.h"

#include <QFile>

#include <cstdio>
#include <cstring>
#include <string>

namespace shutterhand {

namespace {

void printScriptUsage(FILE* out)
{
    std::fprintf(out,
                 "usage: shutterhand-tool script check FILE\n"
                 "       shutterhand-tool script run FILE\n"
                 "check prints the compiler's messages (exit 1) or nothing (exit 0); run also runs\n"
                 "the script (exit 1 on compile errors, 2 on a run-time error, reported on stderr).\n"
                 "An action file (FILE ending in .evn) is checked and run with its code against the\n"
                 "program's script objects and the settings of the program folder, without windows\n"
                 "or camera; $DeviceName and $Filename are empty, and events it raises run no actions.\n");
}

bool readScript(const char* path, std::string& text)
{
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "shutterhand-tool: cannot read %s: %s\n", path, qPrintable(file.errorString()));
        return false;
    }
    // Action code is UTF-8; old files in the Windows code page are converted as the program does.
    text = decodeLegacyText(file.readAll()).toStdString();
    return true;
}

}  // namespace

int runScriptCommand(int argc, char** argv)
{
    if (argc == 1 && (std::strcmp(argv[0], "--help") == 0 || std::strcmp(argv[0], "help") == 0)) {
        printScriptUsage(stdout);
        return 0;
    }
    if (argc != 2 || (std::strcmp(argv[0], "check") != 0 && std::strcmp(argv[0], "run") != 0)) {
        printScriptUsage(stderr);
        return 2;
    }
    bool run = std::strcmp(argv[0], "run") == 0;
    const QString path = QString::fromLocal8Bit(argv[1]);
    if (path.endsWith(QLatin1String(".evn"), Qt::CaseInsensitive))
        return runActionFile(path, run);
    std::string text;
    if (!readScript(argv[1], text))
        return 2;

    pascal::Engine engine;
    engine.setScript(std::move(text));
    engine.setCompileHook([](pascal::CompileContext& ctx) {
        ctx.declareRoutine("procedure ShowMessage(Message: string);", [](pascal::HostCall& call) {
            std::string_view message = call.string(0);
            std::fwrite(message.data(), 1, message.size(), stdout);
            std::fputc('\n', stdout);
            std::fflush(stdout);
        });
    });
    if (!engine.compile()) {
        FILE* out = run ? stderr : stdout;
        for (const pascal::Diagnostic& d : engine.messages())
            std::fprintf(out, "%s\n", d.line().c_str());
        return 1;
    }
    if (!run)
        return 0;
    if (!engine.execute()) {
        std::fprintf(stderr, "%s\n", engine.errorText().c_str());
        return 2;
    }
    return 0;
}

}  // namespace shutterhand

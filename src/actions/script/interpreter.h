#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>

namespace shutterhand {

class ApplicationCore;
namespace pascal {
class Engine;
}
class ScriptRun;

// The script runner: puts context values into an action's code, compiles it against the objects
// scripts see (configuration classes, the engine's standard classes, application objects) and runs it.
// One runner is used for one check or run.
class TInterpreter {
public:
    // How a run ended.
    enum class RunResult { Done, CompileFailed, RunFailed };

    // The limit of a run when the system variable ScriptTimeout holds no usable number.
    static constexpr int DefaultTimeoutSeconds = 60;

    explicit TInterpreter(ApplicationCore& core);
    ~TInterpreter();
    TInterpreter(const TInterpreter&) = delete;
    TInterpreter& operator=(const TInterpreter&) = delete;

    void SetScript(const QString& code);
    // Replaces every "$" + name in the code (exact case, also inside longer words and string literals).
    // Quoted values become a Pascal string literal (quotes doubled, control characters as #n), so that no
    // value can end a literal early and add code. Text put in by an earlier call is never replaced again.
    void SetVariable(const QString& name, const QString& value, bool quoted);
    // Compiles without running; false with the compiler's message lines in Messages.
    bool Check();
    // Compiles and runs. Compile errors go to Messages only; a run-time error (the time limit included)
    // is logged as an error and kept in ErrorText.
    RunResult Run();

    const QString& Script() const { return m_script; }
    const QStringList& Messages() const { return m_messages; }
    const QString& ErrorText() const { return m_errorText; }

    // The time limit of a run from the ScriptTimeout text: seconds, 0 for none.
    static std::chrono::milliseconds timeLimitFor(const QString& setting);

private:
    bool prepareAndCompile(pascal::Engine& engine, ScriptRun& run);

    ApplicationCore& m_core;
    QString m_script;
    QStringList m_messages;
    QString m_errorText;
    // The script as pieces: text from the code, and values put in by SetVariable, which later calls
    // leave alone (a camera named "$Filename" must not open a door for the file name).
    struct Piece {
        QString text;
        bool inserted = false;
    };
    QList<Piece> m_pieces;
};

// The value as a Pascal string expression: quotes doubled, control characters as #n. "" for empty text.
QString pascalStringLiteral(const QString& value);

// Checks an action's code for the actions editor: true when it compiles, else the message lines. The code
// is judged as a firing runs it, with $DeviceName and $Filename standing for string values.
bool CheckScript(ApplicationCore& core, const QString& code, QStringList& messages);

}  // namespace shutterhand

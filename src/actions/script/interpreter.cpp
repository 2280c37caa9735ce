#include "actions/script/interpreter.h"

#include "actions/script/import_sets.h"
#include "actions/script/script_run.h"
#include "app/core/application_core.h"
#include "pascal/engine.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcScript, "shutterhand.script", QtInfoMsg)

namespace shutterhand {

namespace {

const QString kRunErrorPrefix = QStringLiteral("Fehler beim ausführen des Scripts: ");

// The context values a firing puts into the code, in this order.
const QString kContextVariables[] = {QStringLiteral("DeviceName"), QStringLiteral("Filename")};

bool isControl(QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; }

}  // namespace

QString pascalStringLiteral(const QString& value)
{
    if (value.isEmpty())
        return QStringLiteral("''");
    QString literal;
    bool open = false;
    for (const QChar c : value) {
        if (isControl(c)) {
            // A line break inside quotes would end the literal's line; #n is the same character.
            if (open)
                literal += u'\'';
            open = false;
            literal += u'#' + QString::number(c.unicode());
            continue;
        }
        if (!open)
            literal += u'\'';
        open = true;
        literal += c;
        if (c == u'\'')
            literal += u'\'';
    }
    if (open)
        literal += u'\'';
    return literal;
}

TInterpreter::TInterpreter(ApplicationCore& core)
    : m_core(core)
{ }

TInterpreter::~TInterpreter() = default;

void TInterpreter::SetScript(const QString& code)
{
    m_script = code;
    m_pieces = {Piece{code, false}};
}

void TInterpreter::SetVariable(const QString& name, const QString& value, bool quoted)
{
    const QString pattern = u'$' + name;
    const QString replacement = quoted ? pascalStringLiteral(value) : value;
    QList<Piece> pieces;
    for (const Piece& piece : std::as_const(m_pieces)) {
        if (piece.inserted) {
            pieces.append(piece);
            continue;
        }
        qsizetype from = 0;
        for (qsizetype at = piece.text.indexOf(pattern, 0, Qt::CaseSensitive); at >= 0;
             at = piece.text.indexOf(pattern, from, Qt::CaseSensitive)) {
            pieces.append(Piece{piece.text.mid(from, at - from), false});
            pieces.append(Piece{replacement, true});
            from = at + pattern.size();
        }
        pieces.append(Piece{piece.text.mid(from), false});
    }
    m_pieces = std::move(pieces);
    m_script.clear();
    for (const Piece& piece : std::as_const(m_pieces))
        m_script += piece.text;
}

std::chrono::milliseconds TInterpreter::timeLimitFor(const QString& setting)
{
    bool ok = false;
    const qlonglong seconds = setting.trimmed().toLongLong(&ok);
    // Anything but a number of seconds falls back to the delivered limit, so that a typo in the settings
    // cannot take away the protection against a script that never ends.
    if (!ok || seconds < 0)
        return std::chrono::seconds(DefaultTimeoutSeconds);
    constexpr qlonglong maxSeconds = 1000LL * 24 * 3600;  // far beyond any useful run, and safe to multiply
    return std::chrono::seconds(std::min(seconds, maxSeconds));
}

bool TInterpreter::prepareAndCompile(pascal::Engine& engine, ScriptRun& run)
{
    // Configuration classes first, then (built into the engine) its standard classes, then the
    // application objects, which refer to the configuration's types.
    engine.addImportSet(configurationImportSet());
    engine.addImportSet(applicationImportSet());
    engine.setScript(m_script.toStdString());
    engine.setUserData(&run);
    engine.setCompileHook([&run](pascal::CompileContext& ctx) {
        ctx.declareObject("Application", "TMyApplication");
        ctx.declareObject("Camera", "TMyCamera");
        ctx.declareObject("File", "TMyFile");
        ctx.declareObject("Image", "TMyImage");
        ctx.declareVariable("DeviceName", "string");
        ctx.declareRoutine("procedure ShowMessage(Message: string);", [&run](pascal::HostCall& call) {
            run.core().prompter().showMessage(Prompter::Icon::Information, fromScript(call.string(0)));
        });
    });
    m_messages.clear();
    if (engine.compile())
        return true;
    for (const pascal::Diagnostic& message : engine.messages())
        m_messages.append(QString::fromStdString(message.line()));
    return false;
}

bool TInterpreter::Check()
{
    // The engine goes before the run's objects, which it may still refer to.
    ScriptRun run(m_core);
    pascal::Engine engine;
    return prepareAndCompile(engine, run);
}

TInterpreter::RunResult TInterpreter::Run()
{
    m_errorText.clear();
    ScriptRun run(m_core);
    pascal::Engine engine;
    if (!prepareAndCompile(engine, run)) {
        qCDebug(lcScript) << "not run, the code does not compile:" << m_messages;
        return RunResult::CompileFailed;
    }
    const std::string deviceName = m_core.CurrentDeviceName.toStdString();
    engine.setExecuteHook([&run, &deviceName](pascal::ExecuteContext& ctx) {
        ctx.setString("DeviceName", deviceName);
        ctx.bindObject("Application", &run.application);
        ctx.bindObject("Camera", &run.camera);
        ctx.bindObject("File", &run.file);
        ctx.bindObject("Image", &run.image);
    });
    engine.setTimeLimit(timeLimitFor(m_core.config().Vars().GetValueByName(QStringLiteral("ScriptTimeout"))));
    if (engine.execute())
        return RunResult::Done;
    m_errorText = QString::fromStdString(engine.errorText());
    m_core.WriteLog(2, kRunErrorPrefix + m_errorText);
    return RunResult::RunFailed;
}

bool CheckScript(ApplicationCore& core, const QString& code, QStringList& messages)
{
    TInterpreter interpreter(core);
    interpreter.SetScript(code);
    // The code is judged as it will run: a firing puts string literals in place of $DeviceName and
    // $Filename, which the compiler would otherwise read as a hexadecimal number followed by a stray
    // word, refusing every action that uses them. Blank literals of the same length keep each row and
    // column of the messages where the editor shows them.
    for (const QString& name : kContextVariables)
        interpreter.SetVariable(name, QString(name.size() - 1, u' '), true);
    const bool ok = interpreter.Check();
    messages = interpreter.Messages();
    return ok;
}

}  // namespace shutterhand

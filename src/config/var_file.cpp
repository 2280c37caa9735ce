#include "config/var_file.h"

#include "common/legacy_text.h"

#include <QFile>

namespace shutterhand {

QString varFilePath(const TSystemConfig& config)
{
    return config.Directorys().GetDirectoryByName(QStringLiteral("WorkDir")) + QStringLiteral("data/var.dat");
}

TVar parseVarLine(const QString& line)
{
    TVar var;
    const qsizetype first = line.indexOf(kVarSeparator);
    if (first < 0) {
        var.Name = line;
        return var;
    }
    var.Name = line.left(first);
    const qsizetype typeStart = first + kVarSeparator.size();
    const qsizetype second = line.indexOf(kVarSeparator, typeStart);
    if (second < 0) {
        var.VarType = line.mid(typeStart);
        return var;
    }
    var.VarType = line.mid(typeStart, second - typeStart);
    var.Value = line.mid(second + kVarSeparator.size());
    return var;
}

QByteArray formatVarFile(const TVarContainer& vars)
{
    QString text;
    for (const TVar& var : vars.entries())
        text += var.Name + kVarSeparator + var.VarType + kVarSeparator + var.Value + QStringLiteral("\r\n");
    return text.toUtf8();
}

FileResult LoadSystemVars(TSystemConfig& config)
{
    const QString path = varFilePath(config);
    QFile file(path);
    if (!file.exists())
        return FileResult::success();
    if (!file.open(QIODevice::ReadOnly))
        return FileResult::failure(
            QStringLiteral("Die Datei %1 kann nicht gelesen werden: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return FileResult::failure(
            QStringLiteral("Die Datei %1 kann nicht gelesen werden: %2").arg(path, file.errorString()));

    for (const QString& line : splitTextLines(decodeLegacyText(bytes))) {
        const TVar var = parseVarLine(line);
        config.Vars().InitValueByName(var.Name, var.VarType, var.Value);
    }
    return FileResult::success();
}

FileResult WriteSystemVars(const TSystemConfig& config)
{
    return writeFileAtomically(varFilePath(config), formatVarFile(config.Vars()), 0600);
}

QString ExpandWorkDir(const TSystemConfig& config, const QString& text)
{
    QString result = text;
    return result.replace(QStringLiteral("%WORKDIR%"),
                          config.Directorys().GetDirectoryByName(QStringLiteral("WorkDir")), Qt::CaseSensitive);
}

void ApplyDirectoryVars(TSystemConfig& config)
{
    // Walk a snapshot by index: each SetDirectory may change WorkDir, which the next expansion must see.
    const TVarContainer& vars = config.Vars();
    for (int32_t i = 0; i < vars.Count(); ++i) {
        const TVar var = vars.GetValueByID(i);
        if (hasVarType(var, vartype::Directory))
            config.Directorys().SetDirectory(var.Name, ExpandWorkDir(config, var.Value));
    }
}

}  // namespace shutterhand

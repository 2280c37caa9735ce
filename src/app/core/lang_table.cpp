#include "app/core/lang_table.h"

#include "common/legacy_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace shutterhand {

namespace {

// A decimal integer that fits 32 bits, with an optional sign; nothing else.
bool parseDecimal(const QString& text, int32_t& value)
{
    if (text.isEmpty())
        return false;
    qsizetype i = (text.at(0) == u'+' || text.at(0) == u'-') ? 1 : 0;
    if (i == text.size())
        return false;
    for (qsizetype j = i; j < text.size(); ++j) {
        if (text.at(j) < u'0' || text.at(j) > u'9')
            return false;
    }
    bool ok = false;
    const qlonglong parsed = text.toLongLong(&ok, 10);
    if (!ok || parsed < INT32_MIN || parsed > INT32_MAX)
        return false;
    value = static_cast<int32_t>(parsed);
    return true;
}

QByteArray readFile(const QString& fileName, bool* ok)
{
    QFile file(fileName);
    *ok = file.open(QIODevice::ReadOnly);
    return *ok ? file.readAll() : QByteArray();
}

}  // namespace

void TLangControl::AddText(int32_t id, const QString& text) { m_entries.append(TLangString{id, text}); }

QString TLangControl::GetText(int32_t id) const
{
    for (const TLangString& entry : m_entries) {
        if (entry.ID == id)
            return entry.Text;
    }
    return {};
}

void TLangControl::LoadFromText(const QString& text)
{
    m_entries.clear();
    for (const QString& line : splitTextLines(text)) {
        const QStringList fields = line.split(u'=');
        // A line without "=" has no text to give; it is skipped like any other non-entry.
        if (fields.size() < 2)
            continue;
        int32_t id = 0;
        if (parseDecimal(trimBlanks(fields.at(0)), id))
            AddText(id, trimBlanks(fields.at(1)));
    }
}

bool TLangControl::LoadFromFile(const QString& fileName)
{
    bool ok = false;
    const QByteArray bytes = readFile(fileName, &ok);
    if (!ok)
        return false;
    LoadFromText(decodeLegacyText(bytes));
    return true;
}

QString ReadLanguageName(const QString& fileName)
{
    bool ok = false;
    const QStringList lines = splitTextLines(decodeLegacyText(readFile(fileName, &ok)));
    if (lines.isEmpty())
        return {};
    const QString& first = lines.first();
    const qsizetype equals = first.indexOf(u'=');
    return equals < 0 ? first : first.mid(equals + 1);
}

QList<LanguageChoice> listLanguages(const QString& langDir)
{
    QList<LanguageChoice> choices;
    const QDir dir(langDir);
    const QFileInfoList files = dir.entryInfoList({QStringLiteral("*.dat")}, QDir::Files, QDir::Name);
    for (const QFileInfo& file : files) {
        LanguageChoice choice;
        choice.code = file.fileName().chopped(4);  // the extension ".dat", in whatever case
        choice.path = file.absoluteFilePath();
        choice.caption = ReadLanguageName(choice.path) + QStringLiteral(" (") + choice.code + QStringLiteral(")");
        choices.append(choice);
    }
    return choices;
}

QString findLanguageFile(const QString& langDir, const QString& code)
{
    const QString exact = langDir + code + QStringLiteral(".dat");
    if (QFileInfo(exact).isFile())
        return exact;
    for (const LanguageChoice& choice : listLanguages(langDir)) {
        if (choice.code == code)
            return choice.path;
    }
    return {};
}

}  // namespace shutterhand

#include "actions/photo_event.h"

#include "common/legacy_text.h"

#include <QDomDocument>
#include <QRegularExpression>

namespace shutterhand {

namespace {

// A field is one CDATA section, unless it contains "]]>", which would end the section early: then the
// sequence is split across two sections ("]]" ends one, ">" starts the next) and reads back whole.
QString cdata(const QString& text)
{
    QString body = text;
    body.replace(QStringLiteral("]]>"), QStringLiteral("]]]]><![CDATA[>"));
    return QStringLiteral("<![CDATA[") + body + QStringLiteral("]]>");
}

// The file's lines end in CR LF, and so do the lines inside a field.
QString withCrLf(const QString& text)
{
    QString result = text;
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(u'\r', u'\n');
    result.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return result;
}

}  // namespace

QString decodeActionFile(const QByteArray& bytes)
{
    static const QRegularExpression declaration(QStringLiteral(R"(^\s*<\?xml[^>]*encoding\s*=\s*["']([^"']+)["'])"),
                                                QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = declaration.match(QString::fromLatin1(bytes.left(200)));
    if (match.hasMatch()) {
        const QString encoding = match.captured(1).toLower();
        if (encoding == QLatin1String("iso-8859-1") || encoding == QLatin1String("latin1")
            || encoding == QLatin1String("windows-1252") || encoding == QLatin1String("cp1252"))
            return decodeWindows1252(bytes);
    }
    return decodeLegacyText(bytes);
}

TPhotoEvent::ReadResult TPhotoEvent::LoadFromXML(const QString& text)
{
    if (trimBlanks(text).isEmpty()) {
        // No root element at all: nothing to read, and nothing wrong either.
        Name.clear();
        Description.clear();
        Code.clear();
        Source = text;
        return {};
    }
    // The text is already decoded, so the declaration's encoding must not be applied a second time.
    QString body = text;
    static const QRegularExpression declaration(QStringLiteral(R"(^\s*<\?xml[^>]*\?>)"));
    body.remove(declaration);
    QDomDocument document;
    QString message;
    int line = 0;
    int column = 0;
    if (!document.setContent(body, &message, &line, &column))
        return {QStringLiteral("XML-Fehler in Zeile %1, Spalte %2: %3").arg(line).arg(column).arg(message)};
    const QDomElement root = document.documentElement();
    if (!root.isNull() && root.hasChildNodes()) {
        const QDomElement name = root.firstChildElement(QStringLiteral("name"));
        if (!name.isNull())
            Name = name.text();
    }
    Description = root.firstChildElement(QStringLiteral("description")).text();
    Code = root.firstChildElement(QStringLiteral("code")).text();
    Source = text;
    return {};
}

TPhotoEvent::ReadResult TPhotoEvent::LoadFromBytes(const QByteArray& bytes)
{
    return LoadFromXML(decodeActionFile(bytes));
}

QByteArray TPhotoEvent::toFileBytes() const
{
    const QString crlf = QStringLiteral("\r\n");
    QString text;
    text += QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>)") + crlf;
    text += QStringLiteral("<xml>") + crlf;
    text += QStringLiteral("<name>") + cdata(withCrLf(Name)) + QStringLiteral("</name>") + crlf;
    text += QStringLiteral("<description>") + cdata(withCrLf(Description)) + QStringLiteral("</description>") + crlf;
    text += QStringLiteral("<code>") + cdata(withCrLf(Code)) + QStringLiteral("</code>") + crlf;
    text += QStringLiteral("</xml>") + crlf;
    return text.toUtf8();
}

FileResult TPhotoEvent::WriteToFile() const { return writeFileAtomically(FileName, toFileBytes()); }

}  // namespace shutterhand

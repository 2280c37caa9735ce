#pragma once

#include <QList>
#include <QString>

#include <cstdint>

namespace shutterhand {

// One caption text and its number.
struct TLangString {
    int32_t ID = 0;
    QString Text;
};

// The captions of the user interface, numbered, in file order. Several entries may share a number;
// a lookup finds the first.
class TLangControl {
public:
    void AddText(int32_t id, const QString& text);
    // The first entry's text with that number, or the empty text.
    QString GetText(int32_t id) const;
    // Empties the table and appends the entries of the file's text. Lines "number = text" are entries
    // (blanks around the parts are dropped; a further "=" ends the text); every other line is ignored.
    void LoadFromText(const QString& text);
    // Reads the file (UTF-8, or Windows-1252 for old files) and loads it; false when it cannot be read.
    bool LoadFromFile(const QString& fileName);
    void Clear() { m_entries.clear(); }
    int Count() const { return static_cast<int>(m_entries.size()); }

private:
    QList<TLangString> m_entries;
};

// The display name a language file gives in its first line: everything after the first "=", or the
// whole line when it has none. Empty for an empty or unreadable file.
QString ReadLanguageName(const QString& fileName);

// One language offered in the "Sprachen" menu. The code is kept apart from the caption, so a display
// name with brackets does not confuse it, and the path is the file as found (its extension may be
// in capitals).
struct LanguageChoice {
    QString code;
    QString caption;
    QString path;
};

// Every "*.dat" file directly in the language folder (any case of the extension), sorted by file name.
QList<LanguageChoice> listLanguages(const QString& langDir);

// The file of a language code: Lang + code + ".dat", or, where that does not exist, the file whose name
// is the code followed by ".dat" in another letter case. Empty when there is none.
QString findLanguageFile(const QString& langDir, const QString& code);

}  // namespace shutterhand

#pragma once

#include <QList>
#include <QString>

#include <cstdint>
#include <memory>

namespace shutterhand {

// One system variable. All three fields are text; the type is only a label (see the type names below).
struct TVar {
    QString Name;
    QString VarType;
    QString Value;
    bool operator==(const TVar&) const = default;
};

// One named directory; the folder path ends in "/" so that file names can be appended directly.
struct TDirectory {
    QString Dirname;
    QString Value;
    bool operator==(const TDirectory&) const = default;
};

// The type labels the program tests (always with ASCII case ignored).
namespace vartype {
inline const QString Boolean = QStringLiteral("Boolean");
inline const QString Directory = QStringLiteral("Directory");
inline const QString Event = QStringLiteral("Event");
inline const QString String = QStringLiteral("String");
inline const QString Integer = QStringLiteral("Integer");
inline const QString Hidden = QStringLiteral("Hidden");
}  // namespace vartype

// True when the variable's type label is `label`, ASCII case ignored.
bool hasVarType(const TVar& var, const QString& label);

// Settings are text: "1" is true, everything else false.
inline bool isTrueValue(const QString& value) { return value == QLatin1String("1"); }

// The system variables in the order they were first added. Names are unique with ASCII case ignored.
class TVarContainer {
public:
    static constexpr int MaxEntries = 65535;

    void Clear();
    int32_t Count() const { return static_cast<int32_t>(m_entries.size()); }
    // A copy of the entry at `index` (0-based); the caller keeps the index in range.
    TVar GetValueByID(int32_t index) const;
    // The value of the matching entry, or the empty text.
    QString GetValueByName(const QString& name) const;
    // Sets the value of the matching entry (keeping its type) or appends a new untyped entry.
    void SetValueByName(const QString& name, const QString& value);
    // Sets type and value of the matching entry, or appends a new entry.
    void InitValueByName(const QString& name, const QString& varType, const QString& value);
    bool ValueExists(const QString& name) const;
    // Appends without looking for a match; a full container takes nothing more.
    void AddValue(const QString& name, const QString& varType, const QString& value);

    const QList<TVar>& entries() const { return m_entries; }

private:
    TVar* find(const QString& name);
    const TVar* find(const QString& name) const;

    QList<TVar> m_entries;
};

// The named directories, unique by name with ASCII case ignored.
class TDirectoryList {
public:
    static constexpr int MaxEntries = 65535;

    uint16_t Count() const { return static_cast<uint16_t>(m_entries.size()); }
    // A copy of the entry at `index`; an index past the end gives two empty fields.
    TDirectory GetDirectoryByID(int index) const;
    QString GetDirectoryByName(const QString& dirname) const;
    void SetDirectory(const QString& dirname, const QString& value);
    void AddDirectory(const QString& dirname, const QString& value);

private:
    QList<TDirectory> m_entries;
};

// The configuration root. `Vars` and `Directorys` are shared so that a script may hold one, or replace it,
// without ever leaving a dangling object behind.
class TSystemConfig {
public:
    TSystemConfig();

    TVarContainer& Vars() { return *m_vars; }
    const TVarContainer& Vars() const { return *m_vars; }
    TDirectoryList& Directorys() { return *m_directorys; }
    const TDirectoryList& Directorys() const { return *m_directorys; }
    const QString& Version() const { return m_version; }

    std::shared_ptr<TVarContainer> sharedVars() const { return m_vars; }
    std::shared_ptr<TDirectoryList> sharedDirectorys() const { return m_directorys; }
    void setVars(std::shared_ptr<TVarContainer> vars);
    void setDirectorys(std::shared_ptr<TDirectoryList> directorys);
    void setVersion(const QString& version) { m_version = version; }

private:
    std::shared_ptr<TVarContainer> m_vars;
    std::shared_ptr<TDirectoryList> m_directorys;
    QString m_version;
};

}  // namespace shutterhand

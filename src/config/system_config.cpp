#include "config/system_config.h"

#include "common/legacy_text.h"

namespace shutterhand {

bool hasVarType(const TVar& var, const QString& label) { return equalsIgnoringAsciiCase(var.VarType, label); }

void TVarContainer::Clear() { m_entries.clear(); }

TVar TVarContainer::GetValueByID(int32_t index) const
{
    if (index < 0 || index >= Count())
        return {};
    return m_entries.at(index);
}

const TVar* TVarContainer::find(const QString& name) const
{
    for (const TVar& var : m_entries) {
        if (equalsIgnoringAsciiCase(var.Name, name))
            return &var;
    }
    return nullptr;
}

TVar* TVarContainer::find(const QString& name) { return const_cast<TVar*>(std::as_const(*this).find(name)); }

QString TVarContainer::GetValueByName(const QString& name) const
{
    const TVar* var = find(name);
    return var ? var->Value : QString();
}

void TVarContainer::SetValueByName(const QString& name, const QString& value)
{
    if (TVar* var = find(name))
        var->Value = value;
    else
        AddValue(name, QString(), value);
}

void TVarContainer::InitValueByName(const QString& name, const QString& varType, const QString& value)
{
    if (TVar* var = find(name)) {
        var->VarType = varType;
        var->Value = value;
    } else {
        AddValue(name, varType, value);
    }
}

bool TVarContainer::ValueExists(const QString& name) const { return find(name) != nullptr; }

void TVarContainer::AddValue(const QString& name, const QString& varType, const QString& value)
{
    if (m_entries.size() >= MaxEntries)
        return;
    m_entries.append(TVar{name, varType, value});
}

TDirectory TDirectoryList::GetDirectoryByID(int index) const
{
    if (index < 0 || index >= m_entries.size())
        return {};
    return m_entries.at(index);
}

QString TDirectoryList::GetDirectoryByName(const QString& dirname) const
{
    for (const TDirectory& dir : m_entries) {
        if (equalsIgnoringAsciiCase(dir.Dirname, dirname))
            return dir.Value;
    }
    return {};
}

void TDirectoryList::SetDirectory(const QString& dirname, const QString& value)
{
    for (TDirectory& dir : m_entries) {
        if (equalsIgnoringAsciiCase(dir.Dirname, dirname)) {
            dir.Value = value;
            return;
        }
    }
    AddDirectory(dirname, value);
}

void TDirectoryList::AddDirectory(const QString& dirname, const QString& value)
{
    if (m_entries.size() >= MaxEntries)
        return;
    m_entries.append(TDirectory{dirname, value});
}

TSystemConfig::TSystemConfig()
    : m_vars(std::make_shared<TVarContainer>())
    , m_directorys(std::make_shared<TDirectoryList>())
{ }

void TSystemConfig::setVars(std::shared_ptr<TVarContainer> vars)
{
    m_vars = vars ? std::move(vars) : std::make_shared<TVarContainer>();
}

void TSystemConfig::setDirectorys(std::shared_ptr<TDirectoryList> directorys)
{
    m_directorys = directorys ? std::move(directorys) : std::make_shared<TDirectoryList>();
}

}  // namespace shutterhand

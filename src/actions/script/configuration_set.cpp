// The configuration classes as scripts see them, on the program's own configuration objects. The
// declaration texts are those the manual gives script authors; they must not change.

#include "actions/script/import_sets.h"
#include "actions/script/script_run.h"

#include <QtGlobal>

#include <stdexcept>
#include <string>

namespace shutterhand {

namespace {

using pascal::HostCall;
using pascal::PropertyAccess;

QString argument(const HostCall& call, int index) { return fromScript(call.string(index)); }

std::string utf8(const QString& text) { return text.toStdString(); }

ScriptRun& runOf(const HostCall& call) { return *static_cast<ScriptRun*>(call.userData()); }

TVarContainer& varsOf(const HostCall& call) { return *call.self<ScriptVars>()->vars; }
TDirectoryList& directorysOf(const HostCall& call) { return *call.self<ScriptDirectorys>()->directorys; }
TSystemConfig& configOf(const HostCall& call) { return *call.self<ScriptConfig>()->config; }

[[noreturn]] void indexOutOfRange(int64_t index)
{
    throw std::out_of_range("Index out of range (" + std::to_string(index) + ")");
}

void addVarContainer(pascal::ImportSet& set)
{
    set.addType("TVar", "record Name : string; VarType : string; Value : string; end");
    set.addClass("TVarContainer", "TObject", [](void* object) { delete static_cast<ScriptVars*>(object); });
    set.addMethod("TVarContainer", "Constructor Create",
                  [](HostCall& c) { c.setResultObject(new ScriptVars{std::make_shared<TVarContainer>()}); });
    set.addMethod("TVarContainer", "Procedure Clear", [](HostCall& c) { varsOf(c).Clear(); });
    set.addMethod("TVarContainer", "Function GetValueByName( Name : string) : string",
                  [](HostCall& c) { c.setResult(utf8(varsOf(c).GetValueByName(argument(c, 0)))); });
    set.addMethod("TVarContainer", "Function GetValueByID( Index : Integer) : TVar", [](HostCall& c) {
        const TVarContainer& vars = varsOf(c);
        const int64_t index = c.integer(0);
        if (index < 0 || index >= vars.Count())
            indexOutOfRange(index);
        const TVar var = vars.GetValueByID(static_cast<int32_t>(index));
        c.setResultField("Name", utf8(var.Name));
        c.setResultField("VarType", utf8(var.VarType));
        c.setResultField("Value", utf8(var.Value));
    });
    set.addMethod("TVarContainer", "Procedure SetValueByName( Name, Value : string)",
                  [](HostCall& c) { varsOf(c).SetValueByName(argument(c, 0), argument(c, 1)); });
    set.addMethod("TVarContainer", "Procedure InitValueByName( Name, VarType, Value : string)",
                  [](HostCall& c) { varsOf(c).InitValueByName(argument(c, 0), argument(c, 1), argument(c, 2)); });
    set.addMethod("TVarContainer", "Function Count : Integer", [](HostCall& c) { c.setResult(varsOf(c).Count()); });
}

void addDirectoryList(pascal::ImportSet& set)
{
    set.addType("TDirectory", "record Dirname : string; Value : string; end");
    set.addClass("TDirectoryList", "TObject", [](void* object) { delete static_cast<ScriptDirectorys*>(object); });
    set.addMethod("TDirectoryList", "Constructor Create",
                  [](HostCall& c) { c.setResultObject(new ScriptDirectorys{std::make_shared<TDirectoryList>()}); });
    set.addMethod("TDirectoryList", "Procedure SetDirectory( Dirname, Value : string)",
                  [](HostCall& c) { directorysOf(c).SetDirectory(argument(c, 0), argument(c, 1)); });
    set.addMethod("TDirectoryList", "Function GetDirectoryByID( Index : Integer) : TDirectory", [](HostCall& c) {
        // An index past the end gives two empty fields, as the list itself does; a negative one is a mistake.
        const int64_t index = c.integer(0);
        if (index < 0)
            indexOutOfRange(index);
        const TDirectory dir = index >= directorysOf(c).Count()
            ? TDirectory{}
            : directorysOf(c).GetDirectoryByID(static_cast<int>(index));
        c.setResultField("Dirname", utf8(dir.Dirname));
        c.setResultField("Value", utf8(dir.Value));
    });
    set.addMethod("TDirectoryList", "Function GetDirectoryByName( Dirname : string) : string",
                  [](HostCall& c) { c.setResult(utf8(directorysOf(c).GetDirectoryByName(argument(c, 0)))); });
    set.addMethod("TDirectoryList", "Function Count : Word",
                  [](HostCall& c) { c.setResult(static_cast<int64_t>(directorysOf(c).Count())); });
}

void addSystemConfig(pascal::ImportSet& set)
{
    set.addClass("TSystemConfig", "TObject", [](void* object) { delete static_cast<ScriptConfig*>(object); });
    set.addMethod("TSystemConfig", "Constructor Create",
                  [](HostCall& c) { c.setResultObject(new ScriptConfig{std::make_shared<TSystemConfig>()}); });
    // Writing Vars or Directorys makes the configuration share the assigned object: the script may go on
    // using it or free its handle, and whoever still holds the old one keeps it alive.
    set.addProperty(
        "TSystemConfig", "Vars", "TVarContainer", PropertyAccess::ReadWrite,
        [](HostCall& c) { c.setResultObject(runOf(c).handleFor(configOf(c).sharedVars())); },
        [](HostCall& c) {
            const ScriptVars* assigned = c.object<ScriptVars>(0);
            if (!assigned)
                throw std::invalid_argument("Vars kann nicht nil sein.");
            configOf(c).setVars(assigned->vars);
        });
    set.addProperty(
        "TSystemConfig", "Directorys", "TDirectoryList", PropertyAccess::ReadWrite,
        [](HostCall& c) { c.setResultObject(runOf(c).handleFor(configOf(c).sharedDirectorys())); },
        [](HostCall& c) {
            const ScriptDirectorys* assigned = c.object<ScriptDirectorys>(0);
            if (!assigned)
                throw std::invalid_argument("Directorys kann nicht nil sein.");
            configOf(c).setDirectorys(assigned->directorys);
        });
    set.addProperty(
        "TSystemConfig", "Version", "string", PropertyAccess::ReadWrite,
        [](HostCall& c) { c.setResult(utf8(configOf(c).Version())); },
        [](HostCall& c) { configOf(c).setVersion(argument(c, 0)); });
}

std::shared_ptr<const pascal::ImportSet> buildConfigurationSet()
{
    auto set = std::make_shared<pascal::ImportSet>("Configuration");
    addVarContainer(*set);
    addDirectoryList(*set);
    addSystemConfig(*set);
    // A declaration the engine refuses is a mistake in this file, never the user's.
    if (!set->errors().empty())
        qFatal("configuration import set: %s", set->errors().front().c_str());
    return set;
}

}  // namespace

std::shared_ptr<const pascal::ImportSet> configurationImportSet()
{
    static const std::shared_ptr<const pascal::ImportSet> set = buildConfigurationSet();
    return set;
}

}  // namespace shutterhand

#pragma once

#include "actions/script/script_objects.h"
#include "config/system_config.h"

#include <QString>

#include <memory>
#include <string_view>
#include <unordered_map>

namespace shutterhand {

class ApplicationCore;

// What a script holds when it holds a configuration object. Scripts never point at a configuration part
// directly: each of these shares it, so that replacing Vars or Directorys, or freeing any of these,
// never leaves another holder with a dangling object.
struct ScriptConfig {
    std::shared_ptr<TSystemConfig> config;
};
struct ScriptVars {
    std::shared_ptr<TVarContainer> vars;
};
struct ScriptDirectorys {
    std::shared_ptr<TDirectoryList> directorys;
};

// Everything one check or run of a script uses besides the engine: the application core, the four
// global objects, and the handles given out for configuration objects the script reaches through a
// property. The engine reaches it through its user data; it must outlive the engine.
class ScriptRun {
public:
    explicit ScriptRun(ApplicationCore& core);
    ScriptRun(const ScriptRun&) = delete;
    ScriptRun& operator=(const ScriptRun&) = delete;

    ApplicationCore& core() { return m_core; }

    // One handle per configuration object for the whole run, owned by the run (the script's Free leaves
    // it alone), so that reading a property in a loop does not pile up objects.
    ScriptConfig* handleFor(const std::shared_ptr<TSystemConfig>& config);
    ScriptVars* handleFor(const std::shared_ptr<TVarContainer>& vars);
    ScriptDirectorys* handleFor(const std::shared_ptr<TDirectoryList>& directorys);

    TMyApplication application;
    TMyCamera camera;
    TMyFile file;
    TMyImage image;

private:
    ApplicationCore& m_core;
    std::unordered_map<const void*, std::unique_ptr<ScriptConfig>> m_configs;
    std::unordered_map<const void*, std::unique_ptr<ScriptVars>> m_vars;
    std::unordered_map<const void*, std::unique_ptr<ScriptDirectorys>> m_directorys;
};

// Text handed to and from the engine, which works in UTF-8.
inline QString fromScript(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace shutterhand

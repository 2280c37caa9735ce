#include "actions/script/script_run.h"

#include "app/core/application_core.h"

namespace shutterhand {

namespace {

template <typename Handle, typename Object>
Handle* cachedHandle(std::unordered_map<const void*, std::unique_ptr<Handle>>& cache,
                     const std::shared_ptr<Object>& object)
{
    if (!object)
        return nullptr;
    std::unique_ptr<Handle>& handle = cache[object.get()];
    if (!handle)
        handle = std::make_unique<Handle>(Handle{object});
    return handle.get();
}

// The live configuration belongs to the core and outlives every run; the run only borrows it.
std::shared_ptr<TSystemConfig> borrowed(TSystemConfig& config)
{
    return std::shared_ptr<TSystemConfig>(std::shared_ptr<void>(), &config);
}

}  // namespace

ScriptRun::ScriptRun(ApplicationCore& core)
    : application(core, borrowed(core.config()))
    , camera(core)
    , file(core)
    , image(core)
    , m_core(core)
{ }

ScriptConfig* ScriptRun::handleFor(const std::shared_ptr<TSystemConfig>& config)
{
    return cachedHandle(m_configs, config);
}

ScriptVars* ScriptRun::handleFor(const std::shared_ptr<TVarContainer>& vars) { return cachedHandle(m_vars, vars); }

ScriptDirectorys* ScriptRun::handleFor(const std::shared_ptr<TDirectoryList>& directorys)
{
    return cachedHandle(m_directorys, directorys);
}

}  // namespace shutterhand

#pragma once

#include "pascal/import_set.h"

#include <memory>

namespace shutterhand {

// The configuration classes scripts see (TVar, TVarContainer, TDirectory, TDirectoryList, TSystemConfig).
// Built once per process; the host functions find the run's objects through the engine's user data,
// which must be the run's ScriptRun.
std::shared_ptr<const pascal::ImportSet> configurationImportSet();

// The application objects (TImageSaveType, TMyApplication, TMyCamera, TMyFile, TMyImage); uses the
// configuration set, which an engine must add first.
std::shared_ptr<const pascal::ImportSet> applicationImportSet();

}  // namespace shutterhand

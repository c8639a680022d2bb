// Parts of the program that pull in large libraries (text recognition, text
// drawing with the platform's fonts) live in shared modules of their own,
// loaded the first time they are used, so that a run that does not need them
// does not pay for binding those libraries at start.
//
// A module exports one C function, `entry`, that takes the interface version
// its caller was built for and returns a table of calls, or null when it was
// built for another. The table and the plain data passed through it are
// shared by both sides, which come from the same build.
#pragma once

#include <string>
#include <vector>

namespace leaf {

struct LoadedModule {
  const void* calls = nullptr;  // the entry point's table, null when loading failed
  std::string error;            // why it failed
};

// Loads the module file at path (RTLD_NOW, its symbols kept to itself) and
// calls its entry point. The module stays loaded for the rest of the run.
LoadedModule LoadModuleFile(const std::string& path, const char* entry, unsigned version);

// The folders a module file is looked for in, in order: the one an installed
// program has beside its own folder (bin/../lib/leafsmith), then the build
// tree's, for programs run where they were built.
std::vector<std::string> ModuleDirectories();

// Loads fileName from the first of ModuleDirectories() that holds it.
LoadedModule LoadModule(const std::string& fileName, const char* entry, unsigned version);

// The table a module's entry point gives, typed; `what` starts the message
// of a failure ("Text recognition is not available"). Loaded once, by the
// first caller, whichever thread it is on.
template <typename Calls>
struct ModuleCalls {
  const Calls* calls = nullptr;
  std::string error;  // "<what>: <reason>" when calls is null
};

template <typename Calls>
ModuleCalls<Calls> TypedModuleCalls(LoadedModule loaded, const std::string& what) {
  if (!loaded.calls) return {nullptr, what + ": " + loaded.error};
  return {static_cast<const Calls*>(loaded.calls), {}};
}

}  // namespace leaf

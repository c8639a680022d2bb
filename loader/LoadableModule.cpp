#include "LoadableModule.h"

#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace leaf {

namespace {

using Entry = const void* (*)(unsigned version);

// dlerror's text, or the fallback when it has none.
std::string LoaderError(const char* fallback) {
  const char* text = dlerror();
  return text ? text : fallback;
}

std::string ProgramDirectory() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : program.parent_path().string();
}

}  // namespace

LoadedModule LoadModuleFile(const std::string& path, const char* entry, unsigned version) {
  LoadedModule loaded;
  // Never a bare name: that would have the loader search its own path list.
  if (path.find('/') == std::string::npos) {
    loaded.error = "'" + path + "' is not a path to a module";
    return loaded;
  }
  // Kept open for the rest of the run: the module's code and data are in use
  // until the program ends.
  void* const handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    loaded.error = LoaderError("cannot load the module");
    return loaded;
  }
  dlerror();
  const auto function = reinterpret_cast<Entry>(dlsym(handle, entry));
  if (!function) {
    loaded.error =
        path + " is not a module of this program (" + LoaderError("no entry point") + ")";
    dlclose(handle);
    return loaded;
  }
  loaded.calls = function(version);
  if (!loaded.calls) {
    loaded.error = path + " is from another version of this program";
    dlclose(handle);
  }
  return loaded;
}

std::vector<std::string> ModuleDirectories() {
  std::vector<std::string> directories;
  const std::string program = ProgramDirectory();
  if (!program.empty()) {
    directories.push_back(
        (std::filesystem::path(program) / LEAFSMITH_MODULES_FROM_BIN).lexically_normal().string());
  }
  if (directories.empty() || directories.front() != LEAFSMITH_BUILD_MODULE_DIR) {
    directories.push_back(LEAFSMITH_BUILD_MODULE_DIR);
  }
  return directories;
}

LoadedModule LoadModule(const std::string& fileName, const char* entry, unsigned version) {
  const std::vector<std::string> directories = ModuleDirectories();
  std::string searched;
  for (const std::string& directory : directories) {
    const std::string path = directory + "/" + fileName;
    if (access(path.c_str(), F_OK) == 0) return LoadModuleFile(path, entry, version);
    searched += (searched.empty() ? "" : " or ") + directory;
  }
  return {nullptr, fileName + " is not installed (looked in " + searched + ")"};
}

}  // namespace leaf

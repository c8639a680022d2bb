#include "SettingsLocation.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace leaf {

namespace fs = std::filesystem;

std::string ProgramDirectory() {
  std::error_code error;
  const fs::path exe = fs::read_symlink("/proc/self/exe", error);
  if (error) return fs::current_path(error).string();
  return exe.parent_path().string();
}

std::string HomeDirectory() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) return entry->pw_dir;
  return "/";
}

std::string DefaultProfilePath() {
  const fs::path portable = fs::path(ProgramDirectory()) / kProfileFileName;
  std::error_code error;
  if (fs::is_regular_file(portable, error)) return portable.string();
  fs::path config;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME");
      xdg && *xdg && fs::path(xdg).is_absolute()) {
    config = xdg;
  } else {
    config = fs::path(HomeDirectory()) / ".config";
  }
  return (config / "Leafsmith" / kProfileFileName).string();
}

}  // namespace leaf

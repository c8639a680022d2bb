#include "RunCli.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

#include "TempDir.h"

namespace leaf::test {

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

namespace {

CliResult Run(const std::string& command, const TempDir& dir) {
  const std::string outPath = dir.file("out"), errPath = dir.file("err");
  const std::string redirected = command + " >" + Quote(outPath) + " 2>" + Quote(errPath);
  CliResult result;
  const int raw = std::system(redirected.c_str());
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  const auto out = ReadBytes(outPath), err = ReadBytes(errPath);
  result.out.assign(out.begin(), out.end());
  result.err.assign(err.begin(), err.end());
  return result;
}

}  // namespace

CliResult RunCli(const std::string& arguments) {
  TempDir dir;
  return Run("XDG_CONFIG_HOME=" + Quote(dir.path()) + " " + Quote(LEAF_CLI_PATH) + " " + arguments,
             dir);
}

CliResult RunCommand(const std::string& command) {
  TempDir dir;
  return Run(command, dir);
}

bool HaveProgram(const std::string& name) {
  return RunCommand("command -v " + Quote(name)).status == 0;
}

}  // namespace leaf::test

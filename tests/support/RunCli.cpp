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

CliResult RunCli(const std::string& arguments) {
  TempDir dir;
  const std::string outPath = dir.file("out"), errPath = dir.file("err");
  const std::string command = "XDG_CONFIG_HOME=" + Quote(dir.path()) + " " + Quote(LEAF_CLI_PATH) +
                              " " + arguments + " >" + Quote(outPath) + " 2>" + Quote(errPath);
  CliResult result;
  const int raw = std::system(command.c_str());
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  const auto out = ReadBytes(outPath), err = ReadBytes(errPath);
  result.out.assign(out.begin(), out.end());
  result.err.assign(err.begin(), err.end());
  return result;
}

}  // namespace leaf::test

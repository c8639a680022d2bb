// Runs leafsmith-cli and captures what it printed.
#pragma once

#include <string>

namespace leaf::test {

struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the tool with the arguments (a shell-quoted string) and an empty
// settings file in a private directory unless the arguments name one.
CliResult RunCli(const std::string& arguments);

// Runs a shell command (another program, such as DjVuLibre's ddjvu) and
// captures what it printed.
CliResult RunCommand(const std::string& command);

// True when a program of that name is on the PATH.
bool HaveProgram(const std::string& name);

// Quotes a path for the shell.
std::string Quote(const std::string& text);

inline bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

}  // namespace leaf::test

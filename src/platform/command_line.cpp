// The Windows run-time's way of cutting a command line into arguments.
#include "platform/platform.h"

namespace varnholt {

namespace {

// Characters 1 to 32 separate arguments; bytes of 128 and above never do.
bool IsSeparator(char c) { return c != '\0' && static_cast<unsigned char>(c) <= ' '; }

// Takes one argument from `position` on; returns the position after it.
size_t TakeArgument(std::string_view line, size_t position, TCharNext charNext, std::string& argument) {
  auto at = [&line](size_t i) { return i < line.size() ? line[i] : '\0'; };
  for (;;) {
    while (IsSeparator(at(position))) ++position;
    // An empty quoted argument where an argument would begin is no argument.
    if (at(position) == '"' && at(position + 1) == '"') {
      position += 2;
    } else {
      break;
    }
  }
  argument.clear();
  while (at(position) != '\0' && !IsSeparator(at(position))) {
    if (at(position) == '"') {
      // A quoted stretch: everything up to the closing quote, blanks included; no escapes.
      position = charNext(line, position);
      while (at(position) != '\0' && at(position) != '"') {
        const size_t next = charNext(line, position);
        argument.append(line.substr(position, next - position));
        position = next;
      }
      if (at(position) != '\0') position = charNext(line, position);
    } else {
      const size_t next = charNext(line, position);
      argument.append(line.substr(position, next - position));
      position = next;
    }
  }
  return position;
}

}  // namespace

size_t SingleByteCharNext(std::string_view text, size_t position) {
  return position < text.size() ? position + 1 : position;
}

std::vector<std::string> SplitCommandLine(std::string_view commandLine, TCharNext charNext) {
  // The text ends at its first zero character, as the command line of the system does.
  commandLine = commandLine.substr(0, commandLine.find('\0'));
  std::vector<std::string> arguments;
  std::string argument;
  size_t position = TakeArgument(commandLine, 0, charNext, argument);  // the program's own name
  for (;;) {
    position = TakeArgument(commandLine, position, charNext, argument);
    if (argument.empty()) break;
    arguments.push_back(argument);
  }
  return arguments;
}

}  // namespace varnholt

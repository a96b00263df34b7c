// Runs a program with pipes on its standard streams, as a user's shell or script would.
#pragma once

#include <string>
#include <vector>

namespace varnholt::fixtures {

struct TProcessResult {
  std::string Output;  // standard output, byte for byte
  std::string Errors;  // standard error
  int ExitStatus = -1;
  int Signal = 0;  // the signal that ended it, 0 when it exited
};

// Runs program with the arguments (argv[0] included) in the working directory, feeding input on
// standard input and closing it; optional shell-like limits are set in the child first.
TProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input,
                          const std::string& workingDirectory = ".", long addressSpaceLimit = 0,
                          long fileSizeLimit = -1);

}  // namespace varnholt::fixtures

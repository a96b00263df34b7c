// Varnholt: converts one PSD sprite sheet into a Filmstrip cursor strip.
#include "driver/run_program.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  using namespace varnholt;
  PrepareHost();
  TConsole console(HostConsoleDevice());
  return RunProgram(HostArguments(argc, argv), HostModuleName(argc, argv), console, HostFileSystem());
}

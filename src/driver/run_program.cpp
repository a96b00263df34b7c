#include "driver/run_program.h"

#include <new>

#include "driver/convert_psd.h"
#include "driver/long_file_name.h"

namespace varnholt {

namespace {

// Whatever waits is written first, then the report; a console that fails now gets no second try.
void ReportFailure(TConsole& console, const EFailure& failure, std::string_view moduleName) {
  try {
    console.WritePending();
    WriteFailureReport(console, failure, moduleName);
    console.WritePending();
  } catch (const EFailure&) {
  } catch (const std::bad_alloc&) {
    // Not even the report's first line could be had: the exit status alone tells of the failure.
  }
}

int Run(const std::vector<std::string>& arguments, TConsole& console, TFileSystem& fileSystem) {
  console.WriteLine("Varnholt 0.1");
  console.WriteLine("PSD sprite sheets to Filmstrip cursor strips, by the Varnholt developers");
  console.WriteLine("");
  if (arguments.empty()) {
    console.WriteLine("  USAGE: ");
    console.WriteLine("    Varnholt <file.psd|file.psb>");
  } else {
    const std::string& argument = arguments.back();
    // The input stays held, without sharing, until the conversion has returned or failed.
    const std::unique_ptr<TStream> input = fileSystem.OpenInput(argument);
    ConvertPsd(*input, DeriveOutputPath(argument, fileSystem), console, fileSystem);
  }
  console.WritePending();
  return 0;
}

}  // namespace

int RunProgram(const std::vector<std::string>& arguments, std::string_view moduleName, TConsole& console,
               TFileSystem& fileSystem) {
  try {
    return Run(arguments, console, fileSystem);
  } catch (const EFailure& failure) {
    ReportFailure(console, failure, moduleName);
  } catch (const std::bad_alloc&) {
    ReportFailure(console, EFailure("EOutOfMemory", "Out of memory", 0), moduleName);
  }
  return 1;
}

}  // namespace varnholt

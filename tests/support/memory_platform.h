// In-memory doubles of the platform: a console with scripted input and captured output, and a
// file system of named byte vectors with a fake directory table for long-name lookups.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/psd_writer.h"

namespace varnholt::fixtures {

class TMemoryConsoleDevice : public TConsoleDevice {
 public:
  explicit TMemoryConsoleDevice(std::string input = "", bool console = false)
      : Input(std::move(input)), IsConsole(console) {}

  void WriteOutput(const char* bytes, size_t count) override;
  size_t ReadInput(char* bytes, size_t count) override;
  bool OutputIsConsole() override { return IsConsole; }

  std::string Input;
  size_t InputRead = 0;
  bool IsConsole;
  std::string Output;
  std::vector<size_t> WriteSizes;  // the size of every write the channel made
  int FailWritesAfter = -1;        // after this many writes, every write fails with EInOutError
};

class TMemoryFileSystem : public TFileSystem {
 public:
  explicit TMemoryFileSystem(const TPathSyntax& syntax = PosixPathSyntax) : PathSyntax(syntax) {}

  const TPathSyntax& Syntax() const override { return PathSyntax; }
  std::unique_ptr<TStream> OpenInput(const std::string& path) override;
  std::unique_ptr<TOutputStream> CreateOutput(const std::string& path) override;
  std::string ExpandPath(const std::string& path) override;
  bool FindStoredName(const std::string& path, std::string& storedName) override;

  const TPathSyntax& PathSyntax;
  std::map<std::string, Bytes> Files;
  std::set<std::string> ReadOnly;       // paths whose creation fails
  size_t DiskRoom = SIZE_MAX;           // bytes an output can take before the disk is full
  std::string HeldInput;                // the path opened for input, while held
  std::string CurrentDirectory = "/work";
  // Upper-cased walked path -> stored name of its last component; every lookup is logged.
  std::map<std::string, std::string> StoredNames;
  std::vector<std::string> Lookups;
  std::vector<std::string> Saves;       // every output created, in order
  std::vector<size_t> WriteSizes;       // the size of every write to an output
  bool OutputOpen = false;              // an output is created and not yet closed
};

}  // namespace varnholt::fixtures

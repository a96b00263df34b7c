#include "driver/long_file_name.h"

namespace varnholt {

std::string ResolveLongFileName(const std::string& path, TFileSystem& fileSystem) {
  const TPathSyntax& syntax = fileSystem.Syntax();
  const char delimiter = syntax.Delimiter;
  // Network paths and wildcards are left as typed, never expanded nor looked up.
  if (path.find(std::string(2, delimiter)) != std::string::npos || path.find_first_of("*?") != std::string::npos)
    return path;

  std::string walked = fileSystem.ExpandPath(path);
  if (walked.empty()) return std::string();
  // A final delimiter goes, but a root such as C:\ keeps its own. In a double-byte code page the
  // second byte of a final character may equal the delimiter: that byte belongs to the name.
  if (walked.size() > 3 && walked.back() == delimiter && ExtractDirectory(walked, syntax).size() == walked.size())
    walked.pop_back();

  // Only components that end past the first 10 characters are looked up; the ones in front of
  // them, and the drive, keep the form the expansion gave.
  std::string tail;
  std::string storedName;
  while (walked.size() > 10) {
    if (!fileSystem.FindStoredName(walked, storedName)) return std::string();
    tail.insert(0, storedName);
    tail.insert(tail.begin(), delimiter);
    walked = ExtractDirectory(walked, syntax);
    if (!walked.empty()) walked.pop_back();
  }
  return walked + tail;
}

std::string DeriveOutputPath(const std::string& argument, TFileSystem& fileSystem) {
  const std::string longName = ResolveLongFileName(argument, fileSystem);
  return ChangeExtension(longName.empty() ? argument : longName, ".flm", fileSystem.Syntax());
}

}  // namespace varnholt

// The console text channels: standard output through a 128-byte buffer, standard input by lines.
#include <cstring>

#include "platform/platform.h"

namespace varnholt {

void TConsole::WriteBuffer() {
  // The buffer is emptied before the device is asked, so a failed write is not retried by the
  // failure report that follows it.
  const size_t count = Pending;
  Pending = 0;
  if (count > 0) Device.WriteOutput(Buffer, count);
}

void TConsole::Write(std::string_view text) {
  while (!text.empty()) {
    const size_t room = sizeof Buffer - Pending;
    const size_t take = text.size() < room ? text.size() : room;
    std::memcpy(Buffer + Pending, text.data(), take);
    Pending += take;
    text.remove_prefix(take);
    if (Pending == sizeof Buffer) WriteBuffer();
  }
}

void TConsole::WriteLine(std::string_view text) {
  Write(text);
  Write("\r\n");
  Flush();
}

void TConsole::Flush() {
  if (Device.OutputIsConsole()) WriteBuffer();
}

void TConsole::WritePending() { WriteBuffer(); }

std::string TConsole::ReadLine() {
  std::string line;
  for (;;) {
    if (InputStart < Input.size()) {
      const char* begin = Input.data() + InputStart;
      const size_t available = Input.size() - InputStart;
      if (const void* feed = std::memchr(begin, '\n', available)) {
        const char* stop = static_cast<const char*>(feed);
        line.append(begin, stop);
        InputStart += static_cast<size_t>(stop - begin) + 1;
        break;
      }
      line.append(begin, available);
    }
    Input.clear();
    InputStart = 0;
    if (InputEnded) return line;
    // Read into a chunk first, so a failed read leaves no bytes behind that were never read.
    char chunk[4096];
    const size_t got = Device.ReadInput(chunk, sizeof chunk);
    Input.assign(chunk, chunk + got);
    if (got == 0) InputEnded = true;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace varnholt

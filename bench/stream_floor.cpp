// The stream floor of a conversion: the least any converter can do. Reads the input once and
// writes SIZE output bytes, both through one 1 MiB buffer: each chunk read is written out, and once
// the input ends the buffer is written again until SIZE bytes are out.
//   stream_floor INPUT OUTPUT SIZE
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr size_t BufferBytes = size_t{1} << 20;

bool WriteAll(int output, const unsigned char* bytes, size_t count) {
  while (count > 0) {
    const ssize_t put = write(output, bytes, count);
    if (put <= 0) return false;
    bytes += put;
    count -= static_cast<size_t>(put);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: stream_floor INPUT OUTPUT SIZE\n");
    return 2;
  }
  size_t left = std::strtoull(argv[3], nullptr, 10);
  std::vector<unsigned char> buffer(BufferBytes);
  const int input = open(argv[1], O_RDONLY);
  const int output = open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (input < 0 || output < 0) return 1;
  for (;;) {
    const ssize_t got = read(input, buffer.data(), buffer.size());
    if (got < 0) return 1;
    if (got == 0) break;
    const size_t put = std::min(left, static_cast<size_t>(got));
    if (!WriteAll(output, buffer.data(), put)) return 1;
    left -= put;
  }
  close(input);
  for (; left > 0; left -= std::min(left, BufferBytes))
    if (!WriteAll(output, buffer.data(), std::min(left, BufferBytes))) return 1;
  return close(output) == 0 ? 0 : 1;
}

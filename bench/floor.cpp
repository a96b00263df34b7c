// The floor of a conversion: only the unavoidable work, done the plainest way. Allocates the
// output's size with malloc, reads the whole input into its start with large reads, writes every
// byte the read did not fill, and writes the buffer to the output with one write.
//   floor INPUT OUTPUT SIZE
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: floor INPUT OUTPUT SIZE\n");
    return 2;
  }
  const size_t size = std::strtoull(argv[3], nullptr, 10);
  auto* buffer = static_cast<unsigned char*>(std::malloc(size));
  const int input = open(argv[1], O_RDONLY);
  if (buffer == nullptr || input < 0) return 1;
  size_t filled = 0;
  while (filled < size) {
    const ssize_t got = read(input, buffer + filled, size - filled);
    if (got <= 0) break;
    filled += static_cast<size_t>(got);
  }
  close(input);
  std::memset(buffer + filled, 0, size - filled);
  const int output = open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (output < 0) return 1;
  size_t written = 0;
  while (written < size) {
    const ssize_t put = write(output, buffer + written, size - written);
    if (put <= 0) return 1;
    written += static_cast<size_t>(put);
  }
  close(output);
  std::free(buffer);
  return 0;
}

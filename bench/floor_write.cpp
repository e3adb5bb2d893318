// The output floor: write the lines of a file to another, one write(2) per line, as a flushed line costs.
//   floor_write INPUT OUTPUT
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: floor_write INPUT OUTPUT\n");
    return 1;
  }
  std::string bytes;
  const int in = ::open(argv[1], O_RDONLY);
  const int out = ::open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (in < 0 || out < 0) {
    std::perror("floor_write");
    return 2;
  }
  char chunk[1 << 16];
  for (ssize_t got; (got = ::read(in, chunk, sizeof chunk)) > 0;) bytes.append(chunk, static_cast<std::size_t>(got));
  const char* p = bytes.data();
  const char* end = p + bytes.size();
  while (p < end) {
    const char* eol = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
    const std::size_t n = eol == nullptr ? static_cast<std::size_t>(end - p) : static_cast<std::size_t>(eol - p) + 1;
    if (::write(out, p, n) != static_cast<ssize_t>(n)) {
      std::perror("floor_write");
      return 2;
    }
    p += n;
  }
  return ::close(out) == 0 ? 0 : 2;
}

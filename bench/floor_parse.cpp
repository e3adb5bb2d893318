// The input floors: read files whole, and convert every number field with strtod, nothing else.
//   floor_parse read FILE...      only read
//   floor_parse xyz FILE...       fields 2 to 4 of every line
//   floor_parse pairtab FILE...   field 3 of every line
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: floor_parse read|xyz|pairtab FILE...\n");
    return 1;
  }
  const bool xyz = std::strcmp(argv[1], "xyz") == 0;
  const bool parse = std::strcmp(argv[1], "read") != 0;
  double sum = 0;
  for (int f = 2; f < argc; ++f) {
    std::string bytes;
    const int fd = ::open(argv[f], O_RDONLY);
    if (fd < 0) {
      std::perror(argv[f]);
      return 2;
    }
    // One buffer of the file's size, as the programs read their inputs.
    struct stat info {};
    ::fstat(fd, &info);
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t used = 0;
    for (ssize_t got; used < bytes.size() && (got = ::read(fd, &bytes[used], bytes.size() - used)) > 0;)
      used += static_cast<std::size_t>(got);
    bytes.resize(used);
    ::close(fd);
    const char* p = bytes.c_str();
    const char* end = p + bytes.size();
    while (parse && p < end) {
      const char* eol = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
      if (eol == nullptr) eol = end;
      int field = 0;
      for (const char* q = p; q < eol; ++q) {
        if (*q != '\t') continue;
        ++field;
        if (xyz ? field <= 3 : field == 2) sum += std::strtod(q + 1, nullptr);
      }
      p = eol + 1;
    }
  }
  if (parse) std::printf("%g\n", sum);
  return 0;
}

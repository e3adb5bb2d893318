// Arbitrary bytes as a DCD trajectory, through a memory file as a real file would be read: its frames or one
// clean error, never a crash, a hang or memory beyond the file's size (a record claiming a gigabyte is refused).
#include <sys/mman.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "dcd_file.hpp"
#include "error.hpp"
#include "fuzz_checks.hpp"
#include "output_path.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int fd = ::memfd_create("trajectory", MFD_CLOEXEC);
  FUZZ_CHECK(fd >= 0);
  FUZZ_CHECK(write_all(fd, reinterpret_cast<const char*>(data), size) == 0);
  try {
    dcd_file run("/proc/self/fd/" + std::to_string(fd));
    std::vector<float> xyz;
    std::uint64_t frames = 0;
    while (run.next(xyz)) {
      FUZZ_CHECK(xyz.size() == 3 * run.atoms());
      ++frames;
    }
    FUZZ_CHECK(frames == run.frames());
  } catch (const run_error&) {
  }
  ::close(fd);
  return 0;
}

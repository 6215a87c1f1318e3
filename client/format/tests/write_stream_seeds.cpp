// write_stream_seeds DIR: writes the decoder's fuzz seeds into DIR, one file
// per seed. Run it to refresh fuzz/corpus/decode_stream after the seeds
// change; stream_seeds_test checks that the committed files match.

#include <cstdio>
#include <fstream>

#include "stream_seeds.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  for (const auto& seed : format::testing::streamSeeds()) {
    const std::string path = std::string(argv[1]) + "/" + seed.name;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(seed.bytes.data()), static_cast<std::streamsize>(seed.bytes.size()));
    if (!file) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}

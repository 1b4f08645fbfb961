// SPDX-License-Identifier: MIT
// The floor of the menu VOB scan: a bare loop that reads one file in 16 MiB chunks into a static
// buffer and tests the start codes of every 2048-byte pack (pack start at bytes 0-3, system
// header at bytes 14-17), counting the NAV packs. `navlist -V` reads and tests the same bytes
// the same way, so on the same file it should take little more than this.
//
// Usage: vob_floor_bench <file>
#include <cstddef>
#include <cstdio>

namespace {

constexpr size_t kChunkSize = 16 * 1024 * 1024;
constexpr size_t kPackSize = 2048;
alignas(64) unsigned char chunk[kChunkSize];

bool is_nav_pack(const unsigned char *p) {
  return p[0] == 0x00 && p[1] == 0x00 && p[2] == 0x01 && p[3] == 0xBA && p[14] == 0x00 &&
         p[15] == 0x00 && p[16] == 0x01 && p[17] == 0xBB;
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vob_floor_bench <file>\n");
    return 2;
  }
  std::FILE *file = std::fopen(argv[1], "rb");
  if (file == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  unsigned long long packs = 0, nav_packs = 0;
  for (;;) {
    const size_t got = std::fread(chunk, 1, kChunkSize, file);
    const size_t count = got / kPackSize;
    for (size_t p = 0; p < count; ++p)
      nav_packs += is_nav_pack(chunk + kPackSize * p) ? 1 : 0;
    packs += count;
    if (got < kChunkSize)
      break;
  }
  std::fclose(file);
  std::printf("%llu packs, %llu NAV packs\n", packs, nav_packs);
  return 0;
}

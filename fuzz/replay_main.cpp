// SPDX-License-Identifier: MIT
// Runs a fuzz target over saved inputs without libFuzzer: every file named on the command line,
// and every file in every folder named, in name order. Built with the project's own compiler so
// that each test run re-checks the seed corpus and every input that once failed.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

int main(int argc, char **argv) {
  namespace fs = std::filesystem;
  std::vector<fs::path> inputs;
  for (int i = 1; i < argc; ++i)
    if (fs::is_directory(argv[i]))
      for (const auto &entry : fs::directory_iterator(argv[i]))
        inputs.push_back(entry.path());
    else
      inputs.emplace_back(argv[i]);
  std::sort(inputs.begin(), inputs.end());
  for (const fs::path &path : inputs) {
    std::fprintf(stderr, "%s\n", path.c_str());
    std::ifstream in(path, std::ios::binary);
    if (!in)
      return 1;
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    bytes.reserve(1); // never a null pointer, even for an empty input, as under libFuzzer
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  }
  std::printf("replayed %zu inputs\n", inputs.size());
  return inputs.empty() ? 1 : 0;
}

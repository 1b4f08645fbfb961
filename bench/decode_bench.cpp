// SPDX-License-Identifier: MIT
// Decoding rate of the navigation command decoder on a large synthetic command table.
//
// Usage: decode_bench [commands] [passes]
// Builds two tables of `commands` 8-byte commands (default 4,000,000): one of
// uniformly random bytes, which reaches every type, undefined ones included,
// and one drawn from the commands that discs commonly carry (register sets,
// compares, links, jumps, button highlights) with random operands. Each table
// is run through decode_command and through format_command_line; the best of
// `passes` runs (default 5) is printed as commands per second.
#include "decoder/decoder.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// xorshift64*: fast, deterministic, good enough to vary operand bytes.
struct Random {
  uint64_t state = 0x9E3779B97F4A7C15ull;
  uint64_t next() {
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return state * 0x2545F4914F6CDD1Dull;
  }
};

std::vector<uint8_t> uniform_table(size_t commands) {
  std::vector<uint8_t> table(commands * kCommandSize);
  Random random;
  for (size_t i = 0; i < table.size(); i += 8) {
    const uint64_t bits = random.next();
    for (unsigned k = 0; k < 8; ++k)
      table[i + k] = static_cast<uint8_t>(bits >> (8 * k));
  }
  return table;
}

// Command words (b0, b1) of typical disc commands; b2 to b7 are random.
std::vector<uint8_t> typical_table(size_t commands) {
  static const uint8_t words[][2] = {
      {0x71, 0x00}, // Set RegN = #imm
      {0x61, 0x00}, // Set RegN = register
      {0x63, 0xA0}, // if (reg = #imm) then Set += register
      {0x00, 0xA1}, // if (reg = #imm) then Goto line
      {0x20, 0x01}, // link sub-instruction
      {0x20, 0x04}, // LinkPGCN
      {0x20, 0xA6}, // if (...) then LinkPGN with button
      {0x30, 0x02}, // JumpTT
      {0x30, 0x06}, // JumpSS
      {0x30, 0x08}, // CallSS
      {0x51, 0x00}, // SetSTN immediate
      {0x56, 0x00}, // SetHL_BTNN immediate
      {0x46, 0x06}, // SetHL_BTNN register, LinkPGN
      {0xA1, 0x21}, // CSetC / CmpSet
      {0xD1, 0xA1}, // CmpSet with two immediates
  };
  constexpr size_t kWords = sizeof words / sizeof words[0];
  std::vector<uint8_t> table(commands * kCommandSize);
  Random random;
  for (size_t i = 0; i < table.size(); i += 8) {
    const uint64_t bits = random.next();
    const uint8_t *word = words[bits % kWords];
    table[i] = word[0];
    table[i + 1] = word[1];
    for (unsigned k = 2; k < 8; ++k)
      table[i + k] = static_cast<uint8_t>(bits >> (8 * k));
  }
  return table;
}

// Checksum that keeps the compiler from dropping the work.
uint64_t sink = 0;

double best_seconds(unsigned passes, auto &&run) {
  double best = 1e300;
  for (unsigned p = 0; p < passes; ++p) {
    const auto start = std::chrono::steady_clock::now();
    run();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (took.count() < best)
      best = took.count();
  }
  return best;
}

void measure(const char *name, const std::vector<uint8_t> &table, unsigned passes) {
  const size_t commands = table.size() / kCommandSize;
  const uint8_t *base = table.data();

  const double decode = best_seconds(passes, [&] {
    char text[kDecodedTextSize];
    uint64_t sum = 0;
    for (size_t i = 0; i < commands; ++i)
      sum += static_cast<uint64_t>(decode_command(base + kCommandSize * i, text)) + text[0];
    sink += sum;
  });

  const double listing = best_seconds(passes, [&] {
    char line[kListingLineSize];
    uint64_t sum = 0;
    for (size_t i = 0; i < commands; ++i) {
      const unsigned number = static_cast<unsigned>(i % 999) + 1;
      sum +=
          static_cast<uint64_t>(format_command_line(base + kCommandSize * i, line, number, base)) +
          line[30];
    }
    sink += sum;
  });

  std::printf("%-8s decode_command       %12.0f commands/s  %7.1f ns/command\n", name,
              commands / decode, 1e9 * decode / commands);
  std::printf("%-8s format_command_line  %12.0f commands/s  %7.1f ns/command\n", name,
              commands / listing, 1e9 * listing / commands);
}

} // namespace

int main(int argc, char **argv) {
  const size_t commands = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 4000000;
  const unsigned passes = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : 5;
  if (commands == 0 || passes == 0) {
    std::fprintf(stderr, "usage: decode_bench [commands] [passes]\n");
    return 2;
  }
  std::printf("%zu commands per table, best of %u passes\n", commands, passes);
  measure("uniform", uniform_table(commands), passes);
  measure("typical", typical_table(commands), passes);
  std::printf("(checksum %llu)\n", static_cast<unsigned long long>(sink));
  return 0;
}

// SPDX-License-Identifier: MIT
// How the modelled player is set up and how far a run goes.
#pragma once

#include <cstdint>
#include <vector>

namespace player {

struct Settings {
  unsigned region = 1;           // 1 to 8: system register 20 holds bit region - 1
  char language[2] = {'e', 'n'}; // menu, audio and subpicture language
  unsigned parental = 15;        // 1 to 8, 15: no restriction
  bool wide = false;             // a 16:9 display
  uint32_t seed = 1;             // of the random choices (Set rnd, random playback)
  // Buttons pressed at the menus met, in turn; then the default press.
  std::vector<unsigned> presses;
  bool until_end = false;      // go on after the first title until the disc stops
  uint64_t max_steps = 100000; // commands executed and cells played
};

} // namespace player

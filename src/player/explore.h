// SPDX-License-Identifier: MIT
// Every path a viewer can take: the player model run from first play, forked at every menu.
#pragma once

#include "player/disc_model.h"
#include "player/settings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace player {

struct ExploreLimits {
  uint64_t max_states = 200000; // states expanded in all
  uint64_t min_main_ms = 10 * 60 * 1000;
};

// One step of a path: a menu cell and the button pressed there (0: nobody pressed).
struct PathStep {
  ChainRef chain;
  uint8_t category; // of the menu chain: its entry bit and menu type
  unsigned cell;
  unsigned button;
};

// A chain of the disc, by its place and its search pointer's category.
struct ChainMark {
  ChainRef ref;
  uint8_t category;
  uint8_t language[2]; // the code of its language unit (menus)
};

struct TitleReach {
  unsigned title; // whole-disc number
  unsigned title_set, title_in_set;
  uint64_t table_ms; // the playback time of its first chapter's chain
  bool table_known;  // false when the tables do not lead to that chain
  bool reached = false;
  std::vector<PathStep> path; // the fewest presses that reach it
  uint64_t plays_ms = 0;      // how long it plays when reached that way
};

enum class MainRule : uint8_t {
  kNone,
  kDefaultPath, // the title the default path plays first, long enough
  kLongest,     // else the reached title that plays longest
};

struct Exploration {
  std::vector<TitleReach> titles;
  std::vector<ChainMark> unreached_chains;
  uint32_t settings_read = 0; // the player-dependent system registers the commands read
  uint64_t states = 0;
  bool budget_reached = false;
  unsigned main_title = 0; // 0: none
  MainRule rule = MainRule::kNone;
  uint64_t main_ms = 0;
  // What reading the disc met (missing or damaged files, backups used,
  // targets out of range), as the text report prints it, in order.
  std::vector<std::string> problems;
};

// Explores the disc in the folder `path` (normalized: it ends in a separator).
Exploration explore_disc(const char *path, const Settings &settings, const ExploreLimits &limits);

} // namespace player

// SPDX-License-Identifier: MIT
// What a run of the player model tells, event by event, to whoever renders it.
#pragma once

#include "navigation/model.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace player {

struct TraceChain {
  navigation::ChainRef ref;
  uint8_t category;    // of the chain's search pointer: entry bit and menu type or title
  uint8_t language[2]; // the code of its language unit (menus)
  unsigned title;      // whole-disc title number in the title domain (system register 4)
  unsigned title_in_set;
  uint64_t clock_ms; // when it is entered
};

struct TraceCommand {
  navigation::CommandList list;
  unsigned number;       // within its list or button group
  const char *file;      // the file's own name
  uint64_t offset;       // of the command in that file
  std::string_view text; // as the -I report prints it
  // Set when the model executes the command otherwise than its text reads,
  // or when its condition is false: what it did instead.
  const char *note;
};

struct TraceCell {
  unsigned cell;
  uint32_t milliseconds; // played
  unsigned still;        // seconds of still picture after it (255: for ever)
  uint64_t clock_ms;     // after it
  bool cut_short;        // by the navigation timer
};

struct TraceMenu {
  unsigned cell;
  unsigned buttons;
  unsigned highlighted; // system register 8's button
  unsigned forced_select, forced_activate;
  const char *file; // the menu VOB
  uint32_t pack;    // of the button group's NAV pack
};

enum class PressReason : uint8_t { kChosen, kDefault, kForcedActivate, kAutoAction };

enum class EndReason : uint8_t {
  kTitlePlays,  // the first title played through its cells (--until title)
  kStops,       // the disc stops: nowhere to go, or Exit
  kLoops,       // the same state came round again
  kWaits,       // an endless still with nothing to press: it waits for the viewer
  kOutOfSteps,  // the step budget ran out
  kUnresolved,  // a target that the disc's tables do not name
  kMissingFile, // a file that the disc lacks or cannot give
};

// A title that played through its cells.
struct PlayedTitle {
  unsigned title = 0; // whole-disc number
  unsigned title_set = 0, title_in_set = 0, pgcn = 0;
  uint64_t start_ms = 0; // the model's clock when it started
  uint64_t ms = 0;       // how long it played
};

struct TraceEnd {
  EndReason reason;
  std::string why; // the resolver's reason, the report's message, or empty
  // kTitlePlays, and every end of --until end after a title played: the first title.
  std::optional<PlayedTitle> title;
  uint64_t clock_ms = 0;
  uint64_t steps = 0;
};

// Receives a run. Every function has an empty default.
class TraceSink {
public:
  virtual ~TraceSink() = default;
  virtual void enter(const TraceChain &) {}
  virtual void command(const TraceCommand &) {}
  // `reg` as the decoder numbers registers: 0..15 general, 0x80 | n system.
  virtual void set_register(unsigned /*reg*/, uint16_t /*value*/) {}
  virtual void cell(const TraceCell &) {}
  virtual void menu(const TraceMenu &) {}
  // `asked`: the button chosen, when the menu does not have it (`button` is
  // then 1, as the model counts it); else 0.
  virtual void press(unsigned /*button*/, PressReason, unsigned /*asked*/) {}
  virtual void timer(uint16_t /*pgcn*/, uint64_t /*clock_ms*/) {}
  virtual void problem(const navigation::Problem &) {}
  // The first title has played through its cells: `end` holds the title.
  virtual void title(const PlayedTitle &) {}
  virtual void end(const TraceEnd &) {}
};

} // namespace player

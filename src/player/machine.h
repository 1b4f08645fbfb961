// SPDX-License-Identifier: MIT
// The player model: a DVD-Video player's navigation state as one plain value, and the machine
// that runs the disc's commands and plays its chains against it.
#pragma once

#include "player/disc_model.h"
#include "player/settings.h"
#include "player/trace.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>

namespace player {

// Where in its chain the state stands.
enum class Phase : uint8_t {
  kPre,         // the chain's pre commands come next
  kCell,        // the current cell plays next
  kCellCommand, // the current cell has played: its cell command comes next
  kPost,        // all cells have played: the post commands come next
  kTimer,       // the navigation timer has run out: its chain comes next
  kEnded,
};

// What CallSS keeps for LinkRSM: where the title was, and system registers 4 to 8.
struct Resume {
  bool set = false;
  uint8_t title_set = 0;
  uint16_t pgcn = 0;
  uint8_t cell = 0;
  std::array<uint16_t, 5> sprm{};
  friend bool operator==(const Resume &, const Resume &) = default;
};

struct State {
  Domain domain = Domain::kFirstPlay;
  uint8_t title_set = 0;
  uint16_t language_unit = 0; // menus
  uint16_t pgcn = 0;
  uint8_t program = 0; // from 1
  uint8_t cell = 0;    // from 1
  Phase phase = Phase::kPre;
  uint8_t start_program = 1; // after the pre commands
  std::array<uint16_t, 16> gprm{};
  std::array<uint16_t, 24> sprm{};
  uint16_t counters = 0; // bit r: general register r counts seconds of the clock
  std::array<int64_t, 16> counter_base_ms{};
  Resume resume;
  uint64_t timer_ms = 0; // the navigation timer's time left; it runs in the title domain
  uint64_t clock_ms = 0;
  uint32_t random = 0;
  uint8_t programs_played = 0;      // random and shuffle playback: programs played so far
  std::array<uint64_t, 4> played{}; // shuffle: which programs
  uint64_t title_start_ms = 0;
  uint64_t title_ms = 0;     // played in the title domain since the title started
  bool title_played = false; // the title has played through its cells
};

// The parts of the state that can change what the disc does later: the
// registers some command or the player reads, and the resume information
// when some command resumes. Two states that differ elsewhere only are the
// same state to loop detection.
struct LiveState {
  uint16_t general = 0xFFFF;
  uint32_t system = 0xFFFFFF;
  bool resume = true;
};

// What the disc's commands read, and whether any resumes: every register a
// condition, a set or a system setting reads (a Set other than = reads its
// destination too), and what the player itself reads (the angle, the title
// numbers, the timer's chain, and the highlighted button when a button acts
// by itself).
LiveState live_parts(DiscModel &disc);

// How a run of the machine stops for its caller.
enum class Halt : uint8_t {
  kMenu,        // a menu cell with buttons: press one, or let it play
  kTitlePlayed, // a title has just played through its cells
  kEnded,       // see State::phase and the end the sink heard
};

// The buttons that the current menu cell offers.
struct MenuOffer {
  const ModelGroup *group = nullptr;
  unsigned highlighted = 0; // after forced select
  unsigned default_button = 0;
  bool can_wait = false; // the cell ends by itself (its still is not endless, or a timer runs)
};

class Machine {
public:
  // With `seen`, a run ends (EndReason::kLoops) when it comes to a state
  // already in it, at a chain's start or a cell; each state it meets is added.
  Machine(DiscModel &disc, const Settings &settings, TraceSink &sink,
          std::unordered_set<std::string> *seen = nullptr);

  // The state a player starts in: first play (title 1 on a disc without
  // one), system registers set up by the settings.
  State start();
  // Runs until a menu waits, the first title has played, or the run ends;
  // the end (with its reason) has then been told to the sink.
  Halt run(State &state);
  MenuOffer menu(const State &state);
  // At a menu: activates `button` (auto-action buttons are pressed without asking).
  void press(State &state, unsigned button, PressReason reason);
  // At a menu: nobody presses; the cell plays out.
  void let_play(State &state);
  // Ends the run in `state` for `reason`; end() then tells how.
  void finish(State &state, EndReason reason, std::string why);
  const TraceEnd &end() const { return end_; }

  // The state as loop detection compares it: everything but the clock and the
  // random generator.
  std::string key(const State &state) const;
  uint64_t steps() const { return steps_; }
  void reset_steps() { steps_ = 0; }
  // Compares states on these parts only (all of them by default).
  void compare_on(const LiveState &live) { live_ = live; }
  // The system registers the disc's commands have read, bit n for register n.
  uint32_t system_registers_read() const { return sprm_read_; }

private:
  struct ListEnd;
  uint16_t gprm(const State &state, unsigned r) const;
  void set_gprm(State &state, unsigned r, uint16_t value);
  uint16_t read(const State &state, const Operand &operand) const;
  void set_sprm(State &state, unsigned r, uint16_t value);
  bool holds(const State &state, const Condition &condition) const;
  std::optional<uint16_t> result(State &state, const Assignment &set);
  void assign(State &state, const Assignment &set, uint16_t value);
  void system_set(State &state, const SystemSet &set);
  ListEnd run_list(State &state, const std::vector<StoredCommand> &list, size_t first, size_t count,
                   navigation::CommandList kind, const char *file);
  bool execute(State &state, const StoredCommand &command, navigation::CommandList kind,
               const char *file, ListEnd &end);
  bool run_chain_list(State &state, const ModelChain &chain, navigation::CommandList kind,
                      size_t first, size_t count);
  void transfer(State &state, const ListEnd &end);
  void enter(State &state, const ChainRef &ref, bool pre, unsigned program, unsigned cell = 0);
  void jump_to_title(State &state, const Target &target);
  void enter_title(State &state, const ChainRef &chain, unsigned title_set, unsigned title_in_set,
                   unsigned chapter, bool pre);
  void unresolved(State &state, const navigation::Resolution &resolution);
  navigation::Origin origin(const State &state) const;
  unsigned menu_unit(Domain domain, unsigned title_set);
  const ModelChain *current(const State &state);
  const ModelGroup *menu_group(const State &state);
  void play_cell(State &state);
  bool pass_time(State &state, uint64_t ms);
  bool wait_still(State &state, unsigned still);
  void next_cell(State &state);
  void first_program(State &state, const ModelChain &chain);
  void post(State &state);
  bool count_step(State &state);
  uint32_t random(State &state, uint32_t bound);

  DiscModel &disc_;
  const Settings &settings_;
  TraceSink &sink_;
  std::unordered_set<std::string> *seen_;
  uint64_t steps_ = 0;
  mutable uint32_t sprm_read_ = 0;
  LiveState live_;
  TraceEnd end_;
};

// The run that the default press makes (the presses `settings` names, then
// the default button): its first title, told to `sink`, and how it ended.
TraceEnd run_default_path(DiscModel &disc, const Settings &settings, TraceSink &sink);

// Runs the disc from first play as `settings` say, pressing the buttons they
// name and then the default one, telling `sink` every step and at last how
// the run ended. Returns the exit status: 0 when the run reached what it was
// asked for (the first title played; with until_end, the disc then stopped,
// looped or waited), else 1.
int trace_disc(const char *path, const Settings &settings, TraceSink &sink);

} // namespace player

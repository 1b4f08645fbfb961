// SPDX-License-Identifier: MIT
// The player model: runs the disc's commands and plays its chains as a DVD-Video player does.
#include "player/machine.h"

#include "decoder/decoder.h"
#include "ifo/ifo_layout.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <unordered_set>

namespace player {

using navigation::CommandList;

namespace {

constexpr uint16_t kMaxValue = 0xFFFF;
constexpr unsigned kEndlessStill = 255;
constexpr unsigned kSprmTimer = 9, kSprmTimerPgcn = 10, kSprmButton = 8;

// The cell playback entry's block: an angle block's first cell (mode 1, type 1).
bool first_of_angle_block(const navigation::CellPlayback &cell) {
  return (cell.block >> 6) == 1 && ((cell.block >> 4) & 3) == 1;
}
bool later_in_angle_block(const navigation::CellPlayback &cell) {
  return (cell.block >> 6) >= 2 && ((cell.block >> 4) & 3) == 1;
}

uint16_t saturate(int64_t value) {
  return static_cast<uint16_t>(std::clamp<int64_t>(value, 0, kMaxValue));
}

} // namespace

struct Machine::ListEnd {
  enum Kind { kFellOff, kTransfer, kExit, kOutOfSteps } kind = kFellOff;
  const StoredCommand *command = nullptr;
  Target target;
};

Machine::Machine(DiscModel &disc, const Settings &settings, TraceSink &sink,
                 std::unordered_set<std::string> *seen)
    : disc_(disc), settings_(settings), sink_(sink), seen_(seen) {}

// The system registers of a player set up with the settings: its languages,
// country US, its parental level and region, button 1 highlighted, a 4:3
// (or 16:9) display, no stream chosen yet.
State Machine::start() {
  State state;
  const uint16_t language = static_cast<uint16_t>(settings_.language[0] << 8 |
                                                  static_cast<uint8_t>(settings_.language[1]));
  state.sprm[0] = language;
  state.sprm[1] = 15;
  state.sprm[2] = 62;
  state.sprm[3] = 1;
  state.sprm[4] = 1;
  state.sprm[5] = 1;
  state.sprm[7] = 1;
  state.sprm[kSprmButton] = 1 << 10;
  state.sprm[12] = 0x5553; // "US"
  state.sprm[13] = static_cast<uint16_t>(settings_.parental);
  state.sprm[14] = settings_.wide ? 0x0C00 : 0x0100;
  state.sprm[15] = 0x7CFC;
  state.sprm[16] = language;
  state.sprm[18] = language;
  state.sprm[20] = static_cast<uint16_t>(1u << ((settings_.region - 1) & 7));
  state.random = settings_.seed;
  if (disc_.title_set(0) == nullptr) {
    finish(state, EndReason::kMissingFile, disc_.missing(0));
    return state;
  }
  if (disc_.first_play() != nullptr) {
    enter(state, ChainRef{Domain::kFirstPlay, 0, 0, 0}, true, 1);
    return state;
  }
  // Without a first-play chain a player starts the disc's first title.
  Target first;
  first.kind = TargetKind::kJumpTT;
  first.title = 1;
  jump_to_title(state, first);
  return state;
}

uint16_t Machine::gprm(const State &state, unsigned r) const {
  if ((state.counters >> r & 1) == 0)
    return state.gprm[r];
  const int64_t seconds = (static_cast<int64_t>(state.clock_ms) - state.counter_base_ms[r]) / 1000;
  return static_cast<uint16_t>(seconds);
}

// A counter goes on counting from the value written.
void Machine::set_gprm(State &state, unsigned r, uint16_t value) {
  const bool changed = gprm(state, r) != value;
  state.gprm[r] = value;
  state.counter_base_ms[r] = static_cast<int64_t>(state.clock_ms) - int64_t{value} * 1000;
  if (changed)
    sink_.set_register(r, value);
}

void Machine::set_sprm(State &state, unsigned r, uint16_t value) {
  if (state.sprm[r] == value)
    return;
  state.sprm[r] = value;
  sink_.set_register(0x80 | r, value);
}

// A register as the decoder numbers it; a byte that names no register reads 0.
uint16_t Machine::read(const State &state, const Operand &operand) const {
  if (operand.kind == OperandKind::kImmediate)
    return operand.value;
  const unsigned r = operand.value;
  if (r < 16)
    return gprm(state, r);
  if ((r & 0x80) == 0 || (r & 0x7F) >= 24)
    return 0;
  sprm_read_ |= 1u << (r & 0x7F);
  if ((r & 0x7F) == kSprmTimer)
    return static_cast<uint16_t>(std::min<uint64_t>((state.timer_ms + 999) / 1000, kMaxValue));
  return state.sprm[r & 0x7F];
}

bool Machine::holds(const State &state, const Condition &condition) const {
  if (!condition.present)
    return true;
  const uint16_t left = read(state, condition.left);
  const uint16_t right = read(state, condition.right);
  switch (condition.compare_op) {
  case 1:
    return (left & right) != 0;
  case 2:
    return left == right;
  case 3:
    return left != right;
  case 4:
    return left >= right;
  case 5:
    return left > right;
  case 6:
    return left <= right;
  case 7:
    return left < right;
  default:
    return true;
  }
}

uint32_t Machine::random(State &state, uint32_t bound) {
  // A small linear congruential generator: its whole state is in State.
  state.random = state.random * 1103515245u + 12345u;
  return (state.random >> 8) % bound;
}

// Arithmetic on 16 bits: a sum or product past 65535 stays at 65535, a
// difference below 0 at 0; dividing by 0 gives 65535, as does its remainder;
// rnd gives 1 to the source, and rnd of 0 gives 1.
std::optional<uint16_t> Machine::result(State &state, const Assignment &set) {
  if (!set.present)
    return std::nullopt;
  const int64_t to = gprm(state, set.destination & 0x0F);
  const int64_t from = read(state, set.source);
  switch (set.op) {
  case 1:
  case 2:
    return static_cast<uint16_t>(from);
  case 3:
    return saturate(to + from);
  case 4:
    return saturate(to - from);
  case 5:
    return saturate(to * from);
  case 6:
    return from == 0 ? kMaxValue : static_cast<uint16_t>(to / from);
  case 7:
    return from == 0 ? kMaxValue : static_cast<uint16_t>(to % from);
  case 8:
    return static_cast<uint16_t>(from == 0 ? 1 : 1 + random(state, uint32_t(from)));
  case 9:
    return static_cast<uint16_t>(to & from);
  case 10:
    return static_cast<uint16_t>(to | from);
  case 11:
    return static_cast<uint16_t>(to ^ from);
  default:
    return std::nullopt;
  }
}

void Machine::assign(State &state, const Assignment &set, uint16_t value) {
  const unsigned r = set.destination & 0x0F;
  // Swapping with a general register; any other source is only read.
  if (set.op == 2 && set.source.kind == OperandKind::kRegister && set.source.value < 16)
    set_gprm(state, set.source.value, gprm(state, r));
  set_gprm(state, r, value);
}

void Machine::system_set(State &state, const SystemSet &set) {
  switch (set.kind) {
  case SystemSetKind::kNone:
    return;
  case SystemSetKind::kStreams:
    if (set.audio_set)
      set_sprm(state, 1, read(state, set.audio));
    if (set.subpicture_set)
      set_sprm(state, 2, read(state, set.subpicture));
    if (set.angle_set)
      set_sprm(state, 3, read(state, set.angle));
    return;
  case SystemSetKind::kNavTimer:
    state.timer_ms = uint64_t{read(state, set.value)} * 1000;
    set_sprm(state, kSprmTimer, read(state, set.value));
    set_sprm(state, kSprmTimerPgcn, set.pgcn);
    return;
  case SystemSetKind::kRegisterMode: {
    const uint16_t value = read(state, set.value);
    if (set.counter)
      state.counters = static_cast<uint16_t>(state.counters | 1u << set.reg);
    else
      state.counters = static_cast<uint16_t>(state.counters & ~(1u << set.reg));
    return set_gprm(state, set.reg, value);
  }
  case SystemSetKind::kAudioMix:
    return set_sprm(state, 11, read(state, set.value));
  case SystemSetKind::kHighlight:
    return set_sprm(state, kSprmButton, read(state, set.value));
  }
}

bool Machine::count_step(State &state) {
  if (++steps_ <= settings_.max_steps)
    return true;
  finish(state, EndReason::kOutOfSteps, "");
  return false;
}

// Runs one command; false when its list goes no further (`end` says why),
// else `next` holds the line (from the list's first, 0: the next line).
bool Machine::execute(State &state, const StoredCommand &command, CommandList kind,
                      const char *file, ListEnd &end) {
  char text[kDecodedTextSize];
  CommandInfo info;
  size_t length = decode_command_info(command.bytes, text, &info);
  if (length > 0 && text[length - 1] == '\n')
    --length;
  // Type 4 sets first and compares the result; the others compare first.
  bool taken = holds(state, info.condition);
  std::optional<uint16_t> value;
  if (info.gating == Gating::kSetThenCompare) {
    value = result(state, info.assign);
    if (value) {
      State after = state;
      after.gprm[info.assign.destination & 0x0F] = *value;
      after.counters =
          static_cast<uint16_t>(after.counters & ~(1u << (info.assign.destination & 0x0F)));
      taken = holds(after, info.condition);
    }
  }
  const char *note = taken ? nullptr : "condition false";
  if (!taken && info.gating == Gating::kCompareSetLinkAll && info.target.kind != TargetKind::kNone)
    note = "condition false: the link is taken all the same";
  sink_.command(TraceCommand{kind, command.number, file, command.offset,
                             std::string_view(text, length), note});
  const bool set_runs = taken || info.gating == Gating::kSetThenCompare;
  const bool transfer_runs = taken || info.gating == Gating::kCompareSetLinkAll;
  if (set_runs) {
    if (info.gating != Gating::kSetThenCompare)
      value = result(state, info.assign);
    if (value)
      assign(state, info.assign, *value);
    system_set(state, info.system);
  }
  if (!transfer_runs)
    return true;
  end.command = &command;
  end.target = info.target;
  switch (info.target.kind) {
  case TargetKind::kNone:
    return true;
  case TargetKind::kGotoLine:
    // SetTmpPML: a player accepts a parental level up to its own.
    if (std::strcmp(info.operation, "SetTmpPML") == 0) {
      if (info.target.level > settings_.parental)
        return true;
      set_sprm(state, 13, info.target.level);
    }
    end.kind = ListEnd::kFellOff;
    return info.target.line == 0;
  case TargetKind::kBreak:
    end.kind = ListEnd::kFellOff;
    end.target.line = 0;
    end.target.kind = TargetKind::kBreak;
    return false;
  case TargetKind::kExit:
    end.kind = ListEnd::kExit;
    return false;
  default:
    end.kind = ListEnd::kTransfer;
    return false;
  }
}

Machine::ListEnd Machine::run_list(State &state, const std::vector<StoredCommand> &list,
                                   size_t first, size_t count, CommandList kind, const char *file) {
  const size_t last = std::min(list.size(), first + count);
  for (size_t line = first; line < last;) {
    if (!count_step(state))
      return ListEnd{ListEnd::kOutOfSteps, nullptr, {}};
    ListEnd end;
    if (execute(state, list[line], kind, file, end)) {
      ++line;
      continue;
    }
    if (end.kind != ListEnd::kFellOff || end.target.kind != TargetKind::kGotoLine)
      return end;
    line = first + end.target.line - 1u; // a line past the list ends it
  }
  return ListEnd{};
}

unsigned Machine::menu_unit(Domain domain, unsigned title_set) {
  const TitleSetModel *set = disc_.title_set(domain == Domain::kVtsm ? title_set : 0);
  if (set == nullptr)
    return 1;
  for (size_t u = 0; u < set->menus.size(); ++u)
    if (set->menus[u].code[0] == settings_.language[0] &&
        set->menus[u].code[1] == settings_.language[1])
      return static_cast<unsigned>(u + 1);
  return 1;
}

const ModelChain *Machine::current(const State &state) {
  return disc_.chain(ChainRef{state.domain, state.title_set, state.language_unit, state.pgcn});
}

navigation::Origin Machine::origin(const State &state) const {
  navigation::Origin origin{};
  origin.domain = state.domain;
  origin.title_set = state.title_set;
  origin.chain_known = true;
  origin.chain = ChainRef{state.domain, state.title_set, state.language_unit, state.pgcn};
  if (const ModelChain *chain = disc_.chain(origin.chain)) {
    origin.category = chain->category;
    origin.next_pgcn = chain->next_pgcn;
    origin.prev_pgcn = chain->prev_pgcn;
    origin.goup_pgcn = chain->goup_pgcn;
  }
  return origin;
}

void Machine::unresolved(State &state, const navigation::Resolution &resolution) {
  finish(state, EndReason::kUnresolved, resolution.reason);
}

void Machine::enter(State &state, const ChainRef &ref, bool pre, unsigned program, unsigned cell) {
  const ModelChain *chain = disc_.chain(ref);
  if (chain == nullptr) {
    if (ref.domain != Domain::kFirstPlay && disc_.title_set(ref.title_set) == nullptr)
      return finish(state, EndReason::kMissingFile, disc_.missing(ref.title_set));
    return finish(state, EndReason::kUnresolved, "the chain lies outside its file");
  }
  if (ref.domain == Domain::kVtsTitle && state.domain != Domain::kVtsTitle) {
    state.title_start_ms = state.clock_ms;
    state.title_ms = 0;
    state.title_played = false;
  }
  state.domain = ref.domain;
  state.title_set = ref.title_set;
  state.language_unit = ref.language_unit;
  state.pgcn = ref.pgcn;
  state.programs_played = 0;
  state.played = {};
  const TitleSetModel *set = disc_.title_set(ref.domain == Domain::kVtsm ? ref.title_set : 0);
  TraceChain told{ref, chain->category, {0, 0}, 0, 0, state.clock_ms};
  if (ref.domain == Domain::kVmgm || ref.domain == Domain::kVtsm) {
    if (set != nullptr && ref.language_unit >= 1 && ref.language_unit <= set->menus.size())
      std::copy_n(set->menus[ref.language_unit - 1u].code, 2, told.language);
  }
  if (ref.domain == Domain::kVtsTitle) {
    told.title = state.sprm[4];
    told.title_in_set = state.sprm[5];
  }
  sink_.enter(told);
  if (ref.domain == Domain::kVtsTitle)
    set_sprm(state, 6, ref.pgcn);
  state.start_program = static_cast<uint8_t>(program);
  if (pre) {
    state.phase = Phase::kPre;
    return;
  }
  if (cell != 0) {
    state.cell = static_cast<uint8_t>(cell);
    state.phase = Phase::kCell;
    return;
  }
  first_program(state, *chain);
}

// A jump to a whole-disc title or a title of the current title set, at its first chapter.
void Machine::jump_to_title(State &state, const Target &target) {
  const navigation::Resolution resolution = disc_.resolve(origin(state), target);
  if (!resolution.resolved)
    return unresolved(state, resolution);
  unsigned title_set = state.title_set, title_in_set = target.title;
  if (target.kind == TargetKind::kJumpTT) {
    const TitleRow &row = disc_.titles()[target.title - 1u];
    title_set = row.title_set;
    title_in_set = row.title_in_set;
  }
  enter_title(state, resolution.chain, title_set, title_in_set, 1, true);
}

// The title's chain, started at the chapter's program.
void Machine::enter_title(State &state, const ChainRef &chain, unsigned title_set,
                          unsigned title_in_set, unsigned chapter, bool pre) {
  unsigned program = 1;
  if (const TitleSetModel *set = disc_.title_set(title_set)) {
    if (title_in_set >= 1 && title_in_set <= set->chapters.size() && chapter >= 1 &&
        chapter <= set->chapters[title_in_set - 1].size())
      program = set->chapters[title_in_set - 1][chapter - 1].second;
  }
  set_sprm(state, 4, static_cast<uint16_t>(disc_.disc_title(title_set, title_in_set)));
  set_sprm(state, 5, static_cast<uint16_t>(title_in_set));
  set_sprm(state, 7, static_cast<uint16_t>(chapter));
  if (pre) { // a jump to a title starts it anew; LinkPTTN moves within it
    state.title_start_ms = state.clock_ms;
    state.title_ms = 0;
    state.title_played = false;
  }
  enter(state, chain, pre, program);
}

void Machine::transfer(State &state, const ListEnd &end) {
  const Target &target = end.target;
  const ModelChain *chain = current(state);
  if (target.button != 0)
    set_sprm(state, kSprmButton, static_cast<uint16_t>(target.button << 10));
  const auto resolve_and_enter = [&](Target resolved_target, bool pre) {
    navigation::Origin from = origin(state);
    const bool vtsm = resolved_target.space == SystemSpace::kVtsmMenu;
    const unsigned set_of_menu =
        resolved_target.kind == TargetKind::kJumpSS ? resolved_target.title_set : state.title_set;
    from.menu_unit = menu_unit(vtsm ? Domain::kVtsm : Domain::kVmgm, vtsm ? set_of_menu : 0);
    const navigation::Resolution resolution = disc_.resolve(from, resolved_target);
    if (!resolution.resolved)
      return unresolved(state, resolution);
    enter(state, resolution.chain, pre, 1);
  };
  switch (target.kind) {
  case TargetKind::kLinkSimple:
    if (chain == nullptr)
      return;
    switch (target.link_code) {
    case 1: // LinkTopCell
      state.phase = Phase::kCell;
      return;
    case 2: // LinkNextCell
    case 3: // LinkPrevCell
      state.cell = static_cast<uint8_t>(target.link_code == 2 ? state.cell + 1
                                                              : std::max(state.cell - 1, 1));
      state.phase = state.cell > chain->body->cells.size() ? Phase::kPost : Phase::kCell;
      return;
    case 5: // LinkTopPG
    case 6: // LinkNextPG
    case 7: // LinkPrevPG
      state.start_program =
          static_cast<uint8_t>(target.link_code == 5   ? state.program
                               : target.link_code == 6 ? state.program + 1
                                                       : std::max(state.program - 1, 1));
      if (state.start_program > chain->programs) {
        state.phase = Phase::kPost;
        return;
      }
      return first_program(state, *chain);
    case 9: // LinkTopPGC
      return enter(state, ChainRef{state.domain, state.title_set, state.language_unit, state.pgcn},
                   true, 1);
    case 13: // LinkTailPGC
      state.phase = Phase::kPost;
      return;
    default: // LinkNextPGC, LinkPrevPGC, LinkGroupPGC
      return resolve_and_enter(target, true);
    }
  case TargetKind::kResume: {
    if (!state.resume.set)
      return finish(state, EndReason::kStops, "LinkRSM without a call to return from");
    const Resume resume = state.resume;
    for (unsigned r = 0; r < 5; ++r)
      set_sprm(state, 4 + r, resume.sprm[r]);
    if (target.button != 0)
      set_sprm(state, kSprmButton, static_cast<uint16_t>(target.button << 10));
    // The title goes on where it was.
    const uint64_t started = state.title_start_ms, played_ms = state.title_ms;
    const bool played = state.title_played;
    enter(state, ChainRef{Domain::kVtsTitle, resume.title_set, 0, resume.pgcn}, false, 1,
          resume.cell);
    state.title_start_ms = started;
    state.title_ms = played_ms;
    state.title_played = played;
    return;
  }
  case TargetKind::kLinkPGCN:
    return resolve_and_enter(target, true);
  case TargetKind::kLinkPTTN:
  case TargetKind::kJumpVTS_PTT: {
    // The walk resolved these in their title set.
    const StoredCommand &command = *end.command;
    if (!command.resolved)
      return finish(state, EndReason::kUnresolved, disc_.reason(command.reason));
    const bool link = target.kind == TargetKind::kLinkPTTN;
    return enter_title(state, command.target, state.title_set, link ? state.sprm[5] : target.title,
                       target.chapter, !link);
  }
  case TargetKind::kLinkPGN:
    if (chain == nullptr)
      return;
    state.start_program = target.program;
    return first_program(state, *chain);
  case TargetKind::kLinkCN:
    if (chain == nullptr)
      return;
    state.cell = target.cell;
    state.phase =
        target.cell == 0 || target.cell > chain->body->cells.size() ? Phase::kPost : Phase::kCell;
    return;
  case TargetKind::kJumpTT:
  case TargetKind::kJumpVTS_TT:
    return jump_to_title(state, target);
  case TargetKind::kCallSS:
    state.resume =
        Resume{true,
               state.title_set,
               state.pgcn,
               target.resume_cell != 0 ? target.resume_cell : state.cell,
               {state.sprm[4], state.sprm[5], state.sprm[6], state.sprm[7], state.sprm[8]}};
    [[fallthrough]];
  case TargetKind::kJumpSS:
    if (target.kind == TargetKind::kJumpSS && target.space == SystemSpace::kVtsmMenu) {
      set_sprm(state, 4, static_cast<uint16_t>(disc_.disc_title(target.title_set, target.title)));
      set_sprm(state, 5, target.title);
    }
    return resolve_and_enter(target, true);
  default:
    return;
  }
}

// The first program to play once the pre commands are done: the one asked
// for, or in random and shuffle playback one chosen by the generator.
void Machine::first_program(State &state, const ModelChain &chain) {
  unsigned program = state.start_program == 0 ? 1 : state.start_program;
  if (chain.playback_mode != 0 && chain.programs > 0) {
    const unsigned programs = chain.programs;
    program = 1 + random(state, programs);
    if ((chain.playback_mode & 0x80) != 0) { // shuffle: each program once
      for (unsigned tries = 0;
           tries < programs && (state.played[program / 64] >> (program % 64) & 1); ++tries)
        program = program % programs + 1;
    }
    state.played[program / 64] |= uint64_t{1} << (program % 64);
  }
  state.program = static_cast<uint8_t>(program);
  state.cell = program <= chain.body->program_map.size() ? chain.body->program_map[program - 1] : 1;
  state.phase =
      state.cell == 0 || state.cell > chain.body->cells.size() ? Phase::kPost : Phase::kCell;
  // A player plays one angle of an angle block: the one system register 3 names.
  if (state.phase == Phase::kCell && first_of_angle_block(chain.body->cells[state.cell - 1u])) {
    const unsigned angle = state.cell + state.sprm[3] - 1u;
    if (state.sprm[3] >= 1 && angle <= chain.body->cells.size() &&
        later_in_angle_block(chain.body->cells[angle - 1]))
      state.cell = static_cast<uint8_t>(angle);
  }
}

// Lets `ms` of the model's clock pass; in the title domain the navigation
// timer counts down, and when it runs out its chain runs (false).
bool Machine::pass_time(State &state, uint64_t ms) {
  if (state.domain == Domain::kVtsTitle && state.timer_ms > 0 && ms >= state.timer_ms) {
    state.clock_ms += state.timer_ms;
    state.title_ms += state.timer_ms;
    state.timer_ms = 0;
    sink_.timer(state.sprm[kSprmTimerPgcn], state.clock_ms);
    set_sprm(state, kSprmTimer, 0);
    state.phase = Phase::kTimer;
    return false;
  }
  if (state.domain == Domain::kVtsTitle) {
    state.timer_ms -= std::min(state.timer_ms, ms);
    state.title_ms += ms;
  }
  state.clock_ms += ms;
  return true;
}

// A still picture: its seconds pass; an endless one waits for the viewer,
// unless a navigation timer runs.
bool Machine::wait_still(State &state, unsigned still) {
  if (still == 0)
    return true;
  if (still != kEndlessStill)
    return pass_time(state, uint64_t{still} * 1000);
  if (state.domain == Domain::kVtsTitle && state.timer_ms > 0)
    return pass_time(state, state.timer_ms);
  finish(state, EndReason::kWaits, "");
  return false;
}

void Machine::play_cell(State &state) {
  const ModelChain *chain = current(state);
  if (chain == nullptr || state.cell == 0 || state.cell > chain->body->cells.size()) {
    state.phase = Phase::kPost;
    return;
  }
  if (!count_step(state))
    return;
  const navigation::CellPlayback &cell = chain->body->cells[state.cell - 1u];
  const bool cut = state.domain == Domain::kVtsTitle && state.timer_ms > 0 &&
                   state.timer_ms <= cell.milliseconds;
  const uint32_t played = cut ? static_cast<uint32_t>(state.timer_ms) : cell.milliseconds;
  sink_.cell(TraceCell{state.cell, played, cell.still, state.clock_ms + played, cut});
  if (!pass_time(state, cell.milliseconds) || !wait_still(state, cell.still))
    return;
  state.phase = Phase::kCellCommand;
}

void Machine::next_cell(State &state) {
  const ModelChain *chain = current(state);
  if (chain == nullptr)
    return finish(state, EndReason::kStops, "");
  const auto &cells = chain->body->cells;
  unsigned cell = state.cell + 1u;
  while (cell <= cells.size() && later_in_angle_block(cells[cell - 1]))
    ++cell;
  const unsigned program_end = state.program < chain->body->program_map.size()
                                   ? chain->body->program_map[state.program]
                                   : cells.size() + 1;
  if (chain->playback_mode != 0 && cell >= program_end) {
    // Random and shuffle playback: (mode & 0x7F) + 1 programs, then the post commands.
    if (++state.programs_played < (chain->playback_mode & 0x7F) + 1u) {
      state.start_program = 0;
      return first_program(state, *chain);
    }
    cell = static_cast<unsigned>(cells.size()) + 1;
  }
  if (cell > cells.size()) {
    state.cell = static_cast<uint8_t>(std::min<size_t>(cells.size(), 255));
    if (wait_still(state, chain->still))
      state.phase = Phase::kPost;
    return;
  }
  state.cell = static_cast<uint8_t>(cell);
  while (state.program < chain->body->program_map.size() &&
         chain->body->program_map[state.program] <= cell)
    ++state.program;
  state.phase = Phase::kCell;
}

// Runs `count` commands of one of the chain's lists from `first`; true when
// the player goes on in the chain (the list ran out or broke off), false when
// the list took it elsewhere or ended the run.
bool Machine::run_chain_list(State &state, const ModelChain &chain, CommandList kind, size_t first,
                             size_t count) {
  const TitleSetModel *set =
      disc_.title_set(state.domain == Domain::kFirstPlay ? 0 : state.title_set);
  const ListEnd end = run_list(state, chain.body->lists[static_cast<size_t>(kind)], first, count,
                               kind, set != nullptr ? set->control_file.c_str() : "");
  if (state.phase == Phase::kEnded)
    return false;
  if (end.kind == ListEnd::kTransfer) {
    transfer(state, end);
    return false;
  }
  if (end.kind == ListEnd::kExit) {
    finish(state, EndReason::kStops, "Exit");
    return false;
  }
  return true;
}

void Machine::post(State &state) {
  const ModelChain *chain = current(state);
  if (chain == nullptr)
    return finish(state, EndReason::kStops, "");
  if (!run_chain_list(state, *chain, CommandList::kPost, 0, chain->body->lists[1].size()))
    return;
  if (chain->next_pgcn == 0)
    return finish(state, EndReason::kStops, "");
  Target next;
  next.kind = TargetKind::kLinkSimple;
  next.link_code = 10; // LinkNextPGC
  ListEnd link;
  link.kind = ListEnd::kTransfer;
  link.target = next;
  transfer(state, link);
}

const ModelGroup *Machine::menu_group(const State &state) {
  if (state.domain != Domain::kVmgm && state.domain != Domain::kVtsm)
    return nullptr;
  const ModelChain *chain = current(state);
  const TitleSetModel *set = disc_.title_set(state.domain == Domain::kVtsm ? state.title_set : 0);
  if (chain == nullptr || set == nullptr || state.cell == 0 ||
      state.cell > chain->body->cells.size())
    return nullptr;
  const navigation::CellPlayback &cell = chain->body->cells[state.cell - 1u];
  // The first NAV pack with buttons between the cell's first and last
  // sectors (the first alone, should the last lie before it).
  const uint32_t last = std::max(cell.first_sector, cell.last_sector);
  const auto first = std::lower_bound(
      set->groups.begin(), set->groups.end(), cell.first_sector,
      [](const ModelGroup &group, uint32_t sector) { return group.pack < sector; });
  for (auto group = first; group != set->groups.end() && group->pack <= last; ++group)
    if (!group->buttons.empty() && group->highlight_status != 0)
      return &*group;
  return nullptr;
}

MenuOffer Machine::menu(const State &state) {
  MenuOffer offer;
  offer.group = menu_group(state);
  if (offer.group == nullptr)
    return offer;
  const unsigned buttons = static_cast<unsigned>(offer.group->buttons.size());
  offer.highlighted = state.sprm[kSprmButton] >> 10;
  const unsigned chosen = offer.group->forced_activate != 0 ? offer.group->forced_activate
                          : offer.group->forced_select != 0 ? offer.group->forced_select
                                                            : offer.highlighted;
  offer.default_button = chosen >= 1 && chosen <= buttons ? chosen : 1;
  // The group was found at a cell of the current chain.
  offer.can_wait = current(state)->body->cells[state.cell - 1u].still != kEndlessStill;
  return offer;
}

void Machine::press(State &state, unsigned button, PressReason reason) {
  const ModelGroup *group = menu_group(state);
  if (group == nullptr)
    return;
  unsigned asked = 0;
  if (button == 0 || button > group->buttons.size()) {
    asked = button;
    button = 1;
  }
  set_sprm(state, kSprmButton, static_cast<uint16_t>(button << 10));
  sink_.press(button, reason, asked);
  const TitleSetModel *set = disc_.title_set(state.domain == Domain::kVtsm ? state.title_set : 0);
  const ModelButton &pressed = group->buttons[button - 1];
  if (!count_step(state))
    return;
  ListEnd end;
  if (!execute(state, pressed.command, CommandList::kButton, set->menu_vob.c_str(), end)) {
    if (end.kind == ListEnd::kTransfer)
      return transfer(state, end);
    if (end.kind == ListEnd::kExit)
      return finish(state, EndReason::kStops, "Exit");
  }
  // The button leaves the player where it is: it waits for the viewer.
  finish(state, EndReason::kWaits, "");
}

void Machine::let_play(State &state) {
  play_cell(state);
}

void Machine::finish(State &state, EndReason reason, std::string why) {
  if (state.phase == Phase::kEnded)
    return;
  state.phase = Phase::kEnded;
  end_ = TraceEnd{};
  end_.reason = reason;
  end_.why = std::move(why);
  end_.clock_ms = state.clock_ms;
  end_.steps = steps_;
}

Halt Machine::run(State &state) {
  for (;;) {
    if (seen_ != nullptr && (state.phase == Phase::kPre || state.phase == Phase::kCell) &&
        !seen_->insert(key(state)).second) {
      finish(state, EndReason::kLoops, "");
      return Halt::kEnded;
    }
    switch (state.phase) {
    case Phase::kEnded:
      return Halt::kEnded;
    case Phase::kPre: {
      const ModelChain *chain = current(state);
      if (chain == nullptr) {
        finish(state, EndReason::kStops, "");
        break;
      }
      if (run_chain_list(state, *chain, CommandList::kPre, 0, chain->body->lists[0].size()))
        first_program(state, *chain);
      break;
    }
    case Phase::kCell: {
      const ModelGroup *group = menu_group(state);
      if (group == nullptr) {
        play_cell(state);
        break;
      }
      if (group->forced_select != 0 && group->forced_select <= group->buttons.size())
        set_sprm(state, kSprmButton, static_cast<uint16_t>(group->forced_select << 10));
      const MenuOffer offer = menu(state);
      sink_.menu(TraceMenu{
          state.cell, static_cast<unsigned>(group->buttons.size()), offer.highlighted,
          group->forced_select, group->forced_activate,
          disc_.title_set(state.domain == Domain::kVtsm ? state.title_set : 0)->menu_vob.c_str(),
          group->pack});
      const unsigned highlighted = offer.highlighted;
      if (highlighted >= 1 && highlighted <= group->buttons.size() &&
          group->buttons[highlighted - 1].auto_action != 0) {
        press(state, highlighted, PressReason::kAutoAction);
        break;
      }
      return Halt::kMenu;
    }
    case Phase::kCellCommand: {
      const ModelChain *chain = current(state);
      // The title's last cell has played: the title has played through.
      if (state.domain == Domain::kVtsTitle && !state.title_played && chain != nullptr &&
          state.cell == chain->body->cells.size()) {
        state.title_played = true;
        return Halt::kTitlePlayed;
      }
      const unsigned number = chain != nullptr ? chain->body->cells[state.cell - 1u].command : 0;
      if (number == 0 || number > chain->body->lists[2].size()) {
        next_cell(state);
        break;
      }
      if (run_chain_list(state, *chain, CommandList::kCell, number - 1u, 1))
        next_cell(state);
      break;
    }
    case Phase::kPost:
    case Phase::kTimer:
      // A title is over when its cells have played, or when the timer takes
      // the player away from it.
      if (state.domain == Domain::kVtsTitle && !state.title_played) {
        state.title_played = true;
        return Halt::kTitlePlayed;
      }
      if (state.phase == Phase::kPost) {
        post(state);
        break;
      }
      {
        Target link;
        link.kind = TargetKind::kLinkPGCN;
        link.pgcn = state.sprm[kSprmTimerPgcn];
        const navigation::Resolution resolution = disc_.resolve(origin(state), link);
        if (!resolution.resolved)
          unresolved(state, resolution);
        else
          enter(state, resolution.chain, true, 1);
      }
      break;
    }
  }
}

TraceEnd run_default_path(DiscModel &disc, const Settings &settings, TraceSink &sink) {
  std::unordered_set<std::string> seen;
  Machine machine(disc, settings, sink, &seen);
  State state = machine.start();
  size_t presses = 0;
  std::optional<PlayedTitle> first;
  for (Halt halt; (halt = machine.run(state)) != Halt::kEnded;) {
    if (halt == Halt::kTitlePlayed) {
      const PlayedTitle played{state.sprm[4], state.title_set,      state.sprm[5],
                               state.pgcn,    state.title_start_ms, state.title_ms};
      sink.title(played);
      if (!first)
        first = played;
      if (!settings.until_end) {
        machine.finish(state, EndReason::kTitlePlays, "");
        break;
      }
      continue;
    }
    const MenuOffer offer = machine.menu(state);
    if (presses < settings.presses.size())
      machine.press(state, settings.presses[presses++], PressReason::kChosen);
    else
      machine.press(state, offer.default_button,
                    offer.group->forced_activate != 0 ? PressReason::kForcedActivate
                                                      : PressReason::kDefault);
  }
  TraceEnd end = machine.end();
  end.title = first;
  return end;
}

int trace_disc(const char *path, const Settings &settings, TraceSink &sink) {
  DiscModel disc(path, sink);
  const TraceEnd end = run_default_path(disc, settings, sink);
  sink.end(end);
  if (!settings.until_end)
    return end.reason == EndReason::kTitlePlays ? 0 : 1;
  const bool natural = end.reason == EndReason::kStops || end.reason == EndReason::kLoops ||
                       end.reason == EndReason::kWaits;
  return end.title && natural ? 0 : 1;
}

std::string Machine::key(const State &state) const {
  std::string key;
  const auto put = [&key](const auto &value) {
    key.append(reinterpret_cast<const char *>(&value), sizeof value);
  };
  put(state.domain);
  put(state.title_set);
  put(state.language_unit);
  put(state.pgcn);
  put(state.program);
  put(state.cell);
  put(state.phase);
  put(state.start_program);
  for (unsigned r = 0; r < 16; ++r)
    if (live_.general >> r & 1)
      put(gprm(state, r));
  for (unsigned r = 0; r < 24; ++r)
    if (live_.system >> r & 1)
      put(state.sprm[r]);
  put(static_cast<uint16_t>(state.counters & live_.general));
  if (live_.resume) {
    put(state.resume.set);
    put(state.resume.title_set);
    put(state.resume.pgcn);
    put(state.resume.cell);
    for (unsigned r = 4; r <= 8; ++r)
      if (live_.system >> r & 1)
        put(state.resume.sprm[r - 4]);
  }
  put(state.timer_ms);
  put(state.programs_played);
  put(state.played);
  put(state.title_played);
  return key;
}

namespace {

void mark_read(const Operand &operand, LiveState &live) {
  if (operand.kind != OperandKind::kRegister)
    return;
  if (operand.value < 16)
    live.general = static_cast<uint16_t>(live.general | 1u << operand.value);
  else if ((operand.value & 0x80) != 0 && (operand.value & 0x7F) < 24)
    live.system |= 1u << (operand.value & 0x7F);
}

void mark_command(const StoredCommand &command, LiveState &live) {
  char text[kDecodedTextSize];
  CommandInfo info;
  decode_command_info(command.bytes, text, &info);
  if (info.condition.present) {
    mark_read(info.condition.left, live);
    mark_read(info.condition.right, live);
  }
  if (info.assign.present) {
    mark_read(info.assign.source, live);
    if (info.assign.op != 1)
      mark_read(Operand{OperandKind::kRegister, info.assign.destination}, live);
  }
  for (const Operand &operand :
       {info.system.value, info.system.audio, info.system.subpicture, info.system.angle})
    mark_read(operand, live);
  if (info.target.kind == TargetKind::kResume)
    live.resume = true;
}

} // namespace

LiveState live_parts(DiscModel &disc) {
  // The angle, the title numbers and the timer's chain the player reads itself.
  LiveState live{0, 1u << 3 | 1u << 4 | 1u << 5 | 1u << 10, false};
  // Chains at one offset share their body: its commands are read once, however
  // many language units and search pointers lead to it.
  std::unordered_set<const ChainBody *> bodies;
  const auto chains = [&](const std::vector<ModelChain> &list) {
    for (const ModelChain &chain : list)
      if (chain.present && bodies.insert(chain.body.get()).second)
        for (const auto &commands : chain.body->lists)
          for (const StoredCommand &command : commands)
            mark_command(command, live);
  };
  if (const ModelChain *first_play = disc.first_play())
    chains({*first_play});
  disc.each_title_set([&](const TitleSetModel &set) {
    chains(set.titles);
    for (const MenuUnit &unit : set.menus)
      chains(unit.chains);
    for (const ModelGroup &group : set.groups)
      for (const ModelButton &button : group.buttons) {
        mark_command(button.command, live);
        if (button.auto_action != 0)
          live.system |= 1u << 8;
      }
  });
  return live;
}

} // namespace player

// SPDX-License-Identifier: MIT
// Every path a viewer can take: the player model run from first play, forked at every menu.
#include "player/explore.h"

#include "player/machine.h"

#include <deque>
#include <unordered_set>

namespace player {

namespace {

// The system registers that hold the player's settings: languages, country, parental level,
// display, audio capabilities, region.
constexpr uint32_t kSettingRegisters = 1u << 0 | 1u << 12 | 1u << 13 | 1u << 14 | 1u << 15 |
                                       1u << 16 | 1u << 17 | 1u << 18 | 1u << 19 | 1u << 20;

uint64_t chain_key(const ChainRef &ref) {
  return uint64_t(ref.domain) << 48 | uint64_t(ref.title_set) << 40 |
         uint64_t(ref.language_unit) << 16 | ref.pgcn;
}

// Hears which chains a run enters, and the problems met reading the disc.
class Entered : public TraceSink {
public:
  void enter(const TraceChain &chain) override { chains.insert(chain_key(chain.ref)); }
  void problem(const navigation::Problem &problem) override {
    if (!problem.note)
      problems.emplace_back(problem.message);
  }
  std::unordered_set<uint64_t> chains;
  std::vector<std::string> problems;
};

struct Branch {
  State state;
  std::vector<PathStep> path;
};

// Every chain of the disc that no run entered.
void add_unreached(DiscModel &disc, const Entered &entered, std::vector<ChainMark> &out) {
  const auto check = [&](const std::vector<ModelChain> &chains, const uint8_t *code) {
    for (const ModelChain &chain : chains)
      if (chain.present && !entered.chains.contains(chain_key(chain.ref)))
        out.push_back(ChainMark{chain.ref, chain.category, {code[0], code[1]}});
  };
  static constexpr uint8_t kNoLanguage[2] = {0, 0};
  if (const ModelChain *first_play = disc.first_play();
      first_play != nullptr && !entered.chains.contains(chain_key(first_play->ref)))
    out.push_back(ChainMark{first_play->ref, 0, {0, 0}});
  disc.each_title_set([&](const TitleSetModel &set) {
    for (const MenuUnit &unit : set.menus)
      check(unit.chains, unit.code);
    check(set.titles, kNoLanguage);
  });
}

} // namespace

Exploration explore_disc(const char *path, const Settings &settings, const ExploreLimits &limits) {
  Entered entered;
  DiscModel disc(path, entered);
  Exploration out;
  for (const TitleRow &row : disc.titles()) {
    TitleReach title{static_cast<unsigned>(out.titles.size() + 1),
                     row.title_set,
                     row.title_in_set,
                     0,
                     false,
                     false,
                     {},
                     0};
    if (const TitleSetModel *set = disc.title_set(row.title_set);
        set != nullptr && row.title_in_set >= 1 && row.title_in_set <= set->chapters.size() &&
        !set->chapters[row.title_in_set - 1].empty()) {
      const ChainRef chain{Domain::kVtsTitle, row.title_set, 0,
                           set->chapters[row.title_in_set - 1].front().first};
      if (const ModelChain *model = disc.chain(chain)) {
        title.table_ms = model->milliseconds;
        title.table_known = true;
      }
    }
    out.titles.push_back(title);
  }

  // The default path first: it names the main title when it plays one long enough.
  Settings default_settings = settings;
  default_settings.until_end = false;
  TraceSink quiet;
  const TraceEnd default_path = run_default_path(disc, default_settings, quiet);

  // Then every path, breadth first, so that a title is first reached by the fewest presses.
  // A state is expanded once: a branch that comes to one already seen ends there.
  Settings explore_settings = settings;
  explore_settings.max_steps = limits.max_states * 100;
  std::unordered_set<std::string> seen;
  Machine machine(disc, explore_settings, entered, &seen);
  machine.compare_on(live_parts(disc));
  // A branch runs as soon as it is made, to the next menu it waits at, and
  // only then joins the queue: a branch that comes to a state already seen
  // ends in its run, so the queue holds each menu state once, whatever the
  // number of buttons.
  std::deque<Branch> queue;
  const auto settle = [&](Branch branch) {
    for (;;) {
      if (seen.size() >= limits.max_states) {
        out.budget_reached = true;
        return;
      }
      const Halt halt = machine.run(branch.state);
      if (halt == Halt::kEnded) {
        out.budget_reached |= machine.end().reason == EndReason::kOutOfSteps;
        return;
      }
      if (halt != Halt::kTitlePlayed) {
        queue.push_back(std::move(branch));
        return;
      }
      const unsigned number = branch.state.sprm[4];
      if (number >= 1 && number <= out.titles.size() && !out.titles[number - 1].reached) {
        TitleReach &title = out.titles[number - 1];
        title.reached = true;
        title.path = branch.path;
        title.plays_ms = branch.state.title_ms;
      }
    }
  };
  settle(Branch{machine.start(), {}});
  while (!queue.empty() && !out.budget_reached) {
    const Branch branch = std::move(queue.front());
    queue.pop_front();
    const State &state = branch.state;
    const MenuOffer offer = machine.menu(state);
    const ModelChain *menu =
        disc.chain(ChainRef{state.domain, state.title_set, state.language_unit, state.pgcn});
    const PathStep step{menu->ref, menu->category, state.cell, 0};
    for (unsigned button = 1; button <= offer.group->buttons.size() && !out.budget_reached;
         ++button) {
      Branch press{state, branch.path};
      press.path.push_back(step);
      press.path.back().button = button;
      machine.press(press.state, button, PressReason::kChosen);
      settle(std::move(press));
    }
    if (offer.can_wait && !out.budget_reached) {
      Branch wait{state, branch.path};
      wait.path.push_back(step);
      machine.let_play(wait.state);
      settle(std::move(wait));
    }
  }
  out.states = seen.size();
  out.settings_read = machine.system_registers_read() & kSettingRegisters;
  add_unreached(disc, entered, out.unreached_chains);
  out.problems = std::move(entered.problems);

  if (default_path.title && default_path.title->ms >= limits.min_main_ms) {
    out.main_title = default_path.title->title;
    out.rule = MainRule::kDefaultPath;
    out.main_ms = default_path.title->ms;
    return out;
  }
  for (const TitleReach &title : out.titles)
    if (title.reached && (out.main_title == 0 || title.plays_ms > out.main_ms)) {
      out.main_title = title.title;
      out.main_ms = title.plays_ms;
      out.rule = MainRule::kLongest;
    }
  return out;
}

} // namespace player

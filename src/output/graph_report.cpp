// SPDX-License-Identifier: MIT
// --graph: the disc's program chains and every jump between them, as one Graphviz digraph.
#include "output/graph_report.h"

#include "decoder/command_info.h"
#include "ifo/ifo_layout.h"
#include "navigation/model.h"
#include "navigation/walk.h"
#include "output/chain_names.h"
#include "output/dot_graph.h"
#include "platform/console.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

using navigation::ChainRef;
using navigation::Domain;

uint64_t chain_key(const ChainRef &ref) {
  return uint64_t(ref.domain) << 48 | uint64_t(ref.title_set) << 40 |
         uint64_t(ref.language_unit) << 16 | ref.pgcn;
}

// Collects the graph as the walk reports the disc, and draws it once the walk
// is over: a jump may name a chain that the walk has not reached yet. What is
// kept is what will be drawn: a language unit that repeats an earlier one is
// known when it ends, and then its chains and jumps are dropped; jumps with
// the same ends and label are merged as they come.
class GraphVisitor : public navigation::Visitor {
public:
  GraphVisitor(bool commands, bool buttons)
      : commands_(commands), buttons_(buttons), jump_index_(0, JumpHash{this}, JumpEqual{this}) {}
  GraphVisitor(const GraphVisitor &) = delete; // the jump index refers to it
  GraphVisitor &operator=(const GraphVisitor &) = delete;

  void problem(const navigation::Problem &problem) override;
  void begin_language_unit(const navigation::LanguageUnit &unit) override;
  void end_language_unit() override;
  void begin_chain(const navigation::Chain &chain) override;
  void begin_command_list(const navigation::CommandListInfo &) override { lines_.clear(); }
  void command(const navigation::Command &command) override;
  void end_command_list() override;
  void begin_menu_vob(const navigation::MenuVob &vob) override;
  void begin_button_group(const navigation::ButtonGroup &group) override;
  void end_menu_vob() override;

  void render(const std::function<void(std::string_view)> &write);

private:
  struct Chain {
    ChainRef ref;
    uint8_t category;
    unsigned cells;
    unsigned commands[3];
    bool resumes;
    int32_t unit;       // its language unit, -1 outside the menus
    std::string titles; // "title 3", "titles 3, 5": the disc's titles that start here
    // A menu VOB's unknown menu: the button groups at no menu cell's start
    // (0 for a chain).
    unsigned unknown_groups = 0;
  };
  struct Unit {
    std::string language;
    uint32_t first_chain; // its chains are chains_[first_chain, first_chain + chains)
    size_t problems_from; // its problems are the graph's comments between two marks
    uint32_t chains = 0;
    size_t problems_to = 0;
    int32_t same_as = -1; // an earlier unit with the same chains
  };
  struct Jump {
    uint32_t source;
    ChainRef target; // when resolved
    bool resolved;
    uint8_t flags;
    uint32_t count; // jumps merged into this one; 0: none is drawn
    std::string label;
  };
  // Jumps are the same when all but their count are.
  struct JumpHash {
    const GraphVisitor *graph;
    size_t operator()(uint32_t j) const;
  };
  struct JumpEqual {
    const GraphVisitor *graph;
    bool operator()(uint32_t a, uint32_t b) const;
  };

  // The lines of the pre or post command list being walked.
  struct Line {
    bool falls_through;    // the next line may run after this one
    unsigned goto_line;    // a Goto's target line, 0 for other commands
    std::string condition; // a Goto's "if (...)"
    const char *list;      // "pre" or "post"
    int64_t jump;          // its entry in list_jumps_, -1 for none
  };

  Jump make_jump(uint32_t source, uint8_t flags, const navigation::Command &command);
  void merge_jump(Jump jump);
  void add_gotos_to_jumps();
  void add_nodes();
  int32_t cluster_of(const ChainRef &ref);

  bool commands_;
  bool buttons_;
  std::vector<Chain> chains_;
  std::vector<Unit> units_;
  // The units kept so far, by their chains' offsets, then their domain and
  // title set.
  std::map<std::vector<uint64_t>, int32_t> unit_with_offsets_;
  std::vector<uint64_t> unit_offsets_; // of the unit being walked
  size_t unit_jumps_ = 0;              // jumps_ before the unit being walked
  size_t table_units_ = 0;             // units_ before the current menu table
  int32_t repeated_unit_ = -1;         // the unit whose chain table the unit being walked shares
  std::vector<Jump> jumps_;
  std::unordered_set<uint32_t, JumpHash, JumpEqual> jump_index_;
  std::vector<Jump> list_jumps_; // of the command list being walked
  std::vector<Line> lines_;
  std::unordered_map<uint64_t, uint32_t> chain_index_;
  // The chain whose buttons the current group holds: the menu cell that
  // starts at its pack, or else the VOB's unknown menu.
  int64_t group_source_ = -1;
  navigation::MenuVob vob_{};
  int64_t unknown_menu_ = -1; // of the VOB being walked, in chains_
  DotGraph graph_;
  std::vector<uint32_t> node_of_chain_;
  std::map<uint64_t, int32_t> clusters_; // by chain_key with only domain and title set
};

size_t GraphVisitor::JumpHash::operator()(uint32_t j) const {
  const Jump &jump = graph->jumps_[j];
  const uint64_t ends = static_cast<uint64_t>(jump.source) << 32 ^ chain_key(jump.target) ^
                        static_cast<uint64_t>(jump.flags) << 24 ^
                        static_cast<uint64_t>(jump.resolved) << 31;
  return std::hash<std::string>{}(jump.label) ^ std::hash<uint64_t>{}(ends);
}

bool GraphVisitor::JumpEqual::operator()(uint32_t a, uint32_t b) const {
  const Jump &x = graph->jumps_[a];
  const Jump &y = graph->jumps_[b];
  return x.source == y.source && x.resolved == y.resolved && x.flags == y.flags &&
         chain_key(x.target) == chain_key(y.target) && x.label == y.label;
}

// The "if (...)" that opens a decoded text, taken off `text`; empty when
// the text has none.
std::string_view take_condition(std::string_view &text) {
  constexpr std::string_view kThen = ") then ";
  if (!text.starts_with("if ("))
    return {};
  const size_t then = text.find(kThen);
  if (then == std::string_view::npos)
    return {};
  const std::string_view condition = text.substr(0, then + 1);
  text.remove_prefix(then + kThen.size());
  return condition;
}

// Problems are the graph's only comments, so they go there as they come.
void GraphVisitor::problem(const navigation::Problem &problem) {
  std::string line = problem.note ? "note: " : "problem: ";
  if (problem.file != nullptr && problem.has_offset) {
    line += problem.file;
    line += ": ";
  }
  line += problem.message;
  graph_.add_comment(line);
}

void GraphVisitor::begin_language_unit(const navigation::LanguageUnit &unit) {
  char language[3];
  format_language_code(unit.code, language);
  char text[96];
  std::snprintf(text, sizeof text, "Language_%02u \"%s\"", unit.number, language);
  if (unit.number == 1)
    table_units_ = units_.size();
  units_.push_back(Unit{text, static_cast<uint32_t>(chains_.size()), graph_.comment_mark()});
  unit_offsets_.clear();
  unit_jumps_ = jumps_.size();
  repeated_unit_ = unit.repeats == 0 ? -1 : static_cast<int32_t>(table_units_ + unit.repeats - 1);
}

// A language unit whose chains lie at the same offsets as an earlier unit's
// of the same domain is that unit again under another language: it adds its
// language to the earlier unit's nodes, and nothing else of it is kept. (No
// jump from elsewhere can name one of its chains: a target in a language
// unit comes from the unit's own chains, or from a button whose chain is the
// first that has a cell at its pack, which lies in the earlier unit.)
void GraphVisitor::end_language_unit() {
  Unit &unit = units_.back();
  if (repeated_unit_ >= 0) {
    // The walk left out the chains of a unit that shares an earlier unit's
    // table; their problems are that unit's again.
    const Unit &earlier = units_[repeated_unit_];
    graph_.repeat_comments(earlier.problems_from, earlier.problems_to);
    unit.problems_to = graph_.comment_mark();
    unit.same_as = earlier.same_as >= 0 ? earlier.same_as : repeated_unit_;
    return;
  }
  unit.problems_to = graph_.comment_mark();
  if (unit.chains == 0)
    return;
  std::vector<uint64_t> key = std::move(unit_offsets_);
  key.push_back(chain_key(chains_[unit.first_chain].ref) >> 40); // domain and title set
  const auto [it, added] =
      unit_with_offsets_.try_emplace(std::move(key), static_cast<int32_t>(units_.size() - 1));
  if (added)
    return;
  unit.same_as = it->second;
  for (uint32_t c = unit.first_chain; c < chains_.size(); ++c)
    chain_index_.erase(chain_key(chains_[c].ref));
  chains_.resize(unit.first_chain);
  for (auto j = static_cast<uint32_t>(unit_jumps_); j < jumps_.size(); ++j)
    jump_index_.erase(j);
  jumps_.resize(unit_jumps_);
}

void GraphVisitor::begin_chain(const navigation::Chain &chain) {
  const auto index = static_cast<uint32_t>(chains_.size());
  Chain record{chain.ref,   chain.category,
               chain.cells, {chain.pre_count, chain.post_count, chain.cell_command_count},
               false,       -1,
               {}};
  if (chain.titles != nullptr && !chain.titles->empty()) {
    record.titles = chain.titles->size() == 1 ? "title " : "titles ";
    for (size_t i = 0; i < chain.titles->size(); ++i)
      record.titles += (i == 0 ? "" : ", ") + std::to_string((*chain.titles)[i]);
  }
  if ((chain.ref.domain == Domain::kVmgm || chain.ref.domain == Domain::kVtsm) && !units_.empty()) {
    record.unit = static_cast<int32_t>(units_.size() - 1);
    ++units_.back().chains;
    unit_offsets_.push_back(chain.offset);
  }
  chains_.push_back(record);
  chain_index_[chain_key(chain.ref)] = index;
}

void GraphVisitor::command(const navigation::Command &command) {
  using navigation::CommandList;
  if (command.list == CommandList::kButton) {
    if (buttons_ && group_source_ >= 0) {
      Jump jump = make_jump(static_cast<uint32_t>(group_source_), kEdgeButton, command);
      if (jump.count != 0)
        merge_jump(std::move(jump));
    }
    return;
  }
  int64_t jump = -1;
  if (commands_) {
    Jump made = make_jump(static_cast<uint32_t>(chains_.size() - 1), 0, command);
    if (made.count != 0) {
      jump = static_cast<int64_t>(list_jumps_.size());
      list_jumps_.push_back(std::move(made));
    }
  }
  if (command.list == CommandList::kCell)
    return; // each cell runs one command: no line follows another
  const CommandInfo &info = *command.info;
  const bool go_to = info.target.kind == TargetKind::kGotoLine;
  std::string_view text = command.text;
  lines_.push_back(Line{info.target.kind == TargetKind::kNone || info.condition.present,
                        go_to ? info.target.line : 0u,
                        go_to ? std::string(take_condition(text)) : std::string(),
                        command.list == CommandList::kPre ? "pre" : "post", jump});
}

// The jumps of a list are merged once its Gotos are known: they are part of
// the labels.
void GraphVisitor::end_command_list() {
  add_gotos_to_jumps();
  for (Jump &jump : list_jumps_)
    merge_jump(std::move(jump));
  list_jumps_.clear();
}

// A dispatcher tests a register with conditional Gotos, each to a few lines
// that end in a jump. A jump whose lines can only be entered by Goto (the
// line before them never falls through) is labelled with those Gotos, at most
// kMaxGotosShown of them.
void GraphVisitor::add_gotos_to_jumps() {
  constexpr size_t kMaxGotosShown = 3;
  std::vector<std::pair<unsigned, unsigned>> gotos; // target line, goto line
  for (size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].goto_line >= 1 && lines_[i].goto_line <= lines_.size())
      gotos.emplace_back(lines_[i].goto_line, static_cast<unsigned>(i + 1));
  std::sort(gotos.begin(), gotos.end());
  unsigned block_start = 1; // the first line of the run that ends at the current line
  for (unsigned line = 1; line <= lines_.size(); ++line) {
    if (line > 1 && !lines_[line - 2].falls_through)
      block_start = line;
    const int64_t jump = lines_[line - 1].jump;
    if (jump < 0 || block_start == 1)
      continue;
    const auto first = std::lower_bound(gotos.begin(), gotos.end(), std::pair{block_start, 0u});
    const auto end = std::upper_bound(first, gotos.end(), std::pair{line, ~0u});
    std::string via;
    for (auto it = first; it != end && it - first < static_cast<ptrdiff_t>(kMaxGotosShown); ++it) {
      const Line &from = lines_[it->second - 1];
      via += "\nvia ";
      via += from.list;
      via += ' ';
      via += std::to_string(it->second);
      if (!from.condition.empty())
        via += ": " + from.condition;
    }
    if (end - first > static_cast<ptrdiff_t>(kMaxGotosShown))
      via += "\nvia " + std::to_string(end - first - kMaxGotosShown) + " more Gotos";
    std::string &label = list_jumps_[jump].label;
    label.insert(std::min(label.find('\n'), label.size()), via);
  }
}

void GraphVisitor::begin_menu_vob(const navigation::MenuVob &vob) {
  vob_ = vob;
  group_source_ = -1;
  unknown_menu_ = -1;
}

// A group that starts no menu cell belongs to a menu the disc's tables do not
// name (its buttons' links within the chain resolve to nothing either): its
// buttons come from one "unknown menu" node per VOB.
void GraphVisitor::begin_button_group(const navigation::ButtonGroup &group) {
  if (!group.used_by_known) {
    if (buttons_ && unknown_menu_ < 0) {
      unknown_menu_ = static_cast<int64_t>(chains_.size());
      chains_.push_back(Chain{ChainRef{vob_.domain, static_cast<uint8_t>(vob_.title_set), 0, 0},
                              0,
                              0,
                              {0, 0, 0},
                              false,
                              -1,
                              {}});
    }
    if (unknown_menu_ >= 0)
      ++chains_[unknown_menu_].unknown_groups;
    group_source_ = unknown_menu_;
    return;
  }
  const auto it = chain_index_.find(chain_key(group.chain));
  group_source_ = it != chain_index_.end() ? int64_t{it->second} : -1;
}

std::string button_groups(unsigned count) {
  return std::to_string(count) + (count == 1 ? " button group" : " button groups");
}

std::string unknown_menu_id(const ChainRef &ref) {
  char id[24];
  if (ref.domain == Domain::kVmgm)
    std::snprintf(id, sizeof id, "vmg_menu_unknown");
  else
    std::snprintf(id, sizeof id, "vts%02u_menu_unknown", ref.title_set);
  return id;
}

void GraphVisitor::end_menu_vob() {
  if (unknown_menu_ < 0)
    return;
  const Chain &unknown = chains_[unknown_menu_];
  graph_.add_comment(std::string(vob_.name) + ": the buttons of " +
                     button_groups(unknown.unknown_groups) +
                     " at no menu cell's start are drawn from " + unknown_menu_id(unknown.ref) +
                     ", their menu unknown");
}

// The label of a jump: where it comes from, then what qualifies it. The
// condition and a set made along with the link are taken from the decoded
// text, so that they read exactly as in the text report.
std::string jump_label(const navigation::Command &command) {
  static constexpr const char *kOrigins[4] = {"pre ", "post ", "cell ", "button "};
  std::string label = kOrigins[static_cast<int>(command.list)];
  label += std::to_string(command.number);
  std::string_view rest = command.text;
  const std::string_view condition = take_condition(rest);
  if (!condition.empty()) {
    label += '\n';
    label += condition;
  }
  const size_t link = rest.rfind(", Link");
  if (link != std::string_view::npos && link > 0) {
    label += '\n';
    label += rest.substr(0, link);
  }
  const Target &target = command.info->target;
  // The chain is the target node; the chapter it starts at is not.
  if (target.kind == TargetKind::kJumpVTS_PTT || target.kind == TargetKind::kLinkPTTN)
    label += "\nchapter " + std::to_string(target.chapter);
  if (target.kind == TargetKind::kCallSS) {
    label += "\ncall";
    if (target.resume_cell != 0)
      label += ", resume at cell " + std::to_string(target.resume_cell);
  }
  if (!command.resolution->resolved) {
    label += '\n';
    label += command.resolution->reason;
  }
  return label;
}

// The jump that a command or button makes; a count of 0 when it draws none.
GraphVisitor::Jump GraphVisitor::make_jump(uint32_t source, uint8_t flags,
                                           const navigation::Command &command) {
  switch (command.info->target.kind) {
  case TargetKind::kNone:
  case TargetKind::kGotoLine:
  case TargetKind::kBreak:
  case TargetKind::kExit:
    return Jump{};
  case TargetKind::kResume:
    chains_[source].resumes = true;
    return Jump{};
  case TargetKind::kCallSS:
    flags |= kEdgeCall;
    break;
  default:
    break;
  }
  const navigation::Resolution &resolution = *command.resolution;
  if (!resolution.resolved)
    flags |= kEdgeUnresolved;
  return Jump{source, resolution.chain, resolution.resolved, flags, 1, jump_label(command)};
}

// Adds a jump, or counts it with the same jump made before.
void GraphVisitor::merge_jump(Jump jump) {
  jumps_.push_back(std::move(jump));
  const auto [it, added] = jump_index_.insert(static_cast<uint32_t>(jumps_.size() - 1));
  if (!added) {
    jumps_[*it].count += jumps_.back().count;
    jumps_.pop_back();
  }
}

int32_t GraphVisitor::cluster_of(const ChainRef &ref) {
  if (ref.domain == Domain::kFirstPlay)
    return DotGraph::kNoCluster;
  const uint64_t key = chain_key(ref) >> 40;
  const auto it = clusters_.find(key);
  if (it != clusters_.end())
    return it->second;
  char id[32];
  char label[32];
  if (ref.domain == Domain::kVmgm) {
    std::snprintf(id, sizeof id, "vmg_menu");
    std::snprintf(label, sizeof label, "VMG menus");
  } else {
    const bool menu = ref.domain == Domain::kVtsm;
    std::snprintf(id, sizeof id, "vts%02u_%s", ref.title_set, menu ? "menu" : "title");
    std::snprintf(label, sizeof label, "VTS_%02u %s", ref.title_set, menu ? "menus" : "titles");
  }
  const int32_t cluster = graph_.add_cluster(id, label);
  clusters_.emplace(key, cluster);
  return cluster;
}

// A DOT identifier that only the chain's place on the disc decides.
std::string node_id(const ChainRef &ref) {
  char id[48];
  switch (ref.domain) {
  case Domain::kFirstPlay:
    return "first_play";
  case Domain::kVmgm:
    std::snprintf(id, sizeof id, "vmg_menu_lu%02u_pgc%03u", ref.language_unit, ref.pgcn);
    break;
  case Domain::kVtsm:
    std::snprintf(id, sizeof id, "vts%02u_menu_lu%02u_pgc%03u", ref.title_set, ref.language_unit,
                  ref.pgcn);
    break;
  case Domain::kVtsTitle:
    std::snprintf(id, sizeof id, "vts%02u_title_pgc%03u", ref.title_set, ref.pgcn);
    break;
  }
  return id;
}

// What a chain plays: "3 cells; pre 2, post 1".
std::string plays_line(unsigned cells, const unsigned (&commands)[3]) {
  std::string line = cells == 0   ? "no cells"
                     : cells == 1 ? "1 cell"
                                  : std::to_string(cells) + " cells";
  static constexpr const char *kLists[3] = {"pre ", "post ", "cell "};
  const char *separator = "; ";
  for (int list = 0; list < 3; ++list) {
    if (commands[list] == 0)
      continue;
    line += separator;
    line += kLists[list];
    line += std::to_string(commands[list]);
    separator = ", ";
  }
  if (commands[0] + commands[1] + commands[2] == 0)
    line += "; no commands";
  return line;
}

void GraphVisitor::add_nodes() {
  node_of_chain_.resize(chains_.size());
  for (size_t c = 0; c < chains_.size(); ++c) {
    const Chain &chain = chains_[c];
    if (chain.unknown_groups != 0) {
      char vob[16];
      if (chain.ref.domain == Domain::kVmgm)
        std::snprintf(vob, sizeof vob, "VIDEO_TS.VOB");
      else
        std::snprintf(vob, sizeof vob, "VTS_%02u_0.VOB", chain.ref.title_set);
      node_of_chain_[c] = graph_.add_node(
          cluster_of(chain.ref), unknown_menu_id(chain.ref), ChainKind::kUnknownMenu, false,
          {"unknown menu", vob, button_groups(chain.unknown_groups) + " at no cell"});
      continue;
    }
    std::vector<std::string> lines{chain_name(chain.ref, chain.category)};
    if (chain.unit >= 0)
      lines.push_back(units_[chain.unit].language);
    if (!chain.titles.empty())
      lines.push_back(chain.titles);
    lines.push_back(plays_line(chain.cells, chain.commands));
    if (chain.resumes)
      lines.push_back("returns by resume");
    const ChainKind kind = chain.ref.domain == Domain::kFirstPlay ? ChainKind::kFirstPlay
                           : chain.unit >= 0                      ? ChainKind::kMenu
                                                                  : ChainKind::kTitle;
    node_of_chain_[c] = graph_.add_node(cluster_of(chain.ref), node_id(chain.ref), kind,
                                        (chain.category & 0x80) != 0, std::move(lines));
  }
  for (const Unit &unit : units_) {
    if (unit.same_as < 0)
      continue;
    const Unit &earlier = units_[unit.same_as];
    for (uint32_t c = earlier.first_chain; c < earlier.first_chain + earlier.chains; ++c)
      graph_.extend_label(node_of_chain_[c], 1, ", " + unit.language);
  }
}

void GraphVisitor::render(const std::function<void(std::string_view)> &write) {
  add_nodes();
  for (const Jump &jump : jumps_) {
    const Chain &source = chains_[jump.source];
    const uint32_t from = node_of_chain_[jump.source];
    if (!jump.resolved) {
      graph_.add_edge(from, graph_.unresolved_node(cluster_of(source.ref)), jump.flags, jump.label,
                      jump.count);
      continue;
    }
    const auto target = chain_index_.find(chain_key(jump.target));
    if (target != chain_index_.end()) {
      graph_.add_edge(from, node_of_chain_[target->second], jump.flags, jump.label, jump.count);
      continue;
    }
    // The tables name the chain, but it lies outside its file.
    graph_.add_edge(
        from, graph_.unresolved_node(cluster_of(source.ref)), jump.flags | kEdgeUnresolved,
        jump.label + '\n' + chain_name(jump.target, 0) + " not in the file", jump.count);
  }
  graph_.render(write);
}

} // namespace

int write_graph_report(const char *path, bool ifo, bool menu_vob) {
  GraphVisitor visitor(ifo, menu_vob);
  navigation::Dumps dumps{ifo, menu_vob};
  dumps.chains_without_ifo = true;
  dumps.resolve = true;
  dumps.repeated_units = false;
  const bool problems = navigation::walk_disc(path, dumps, visitor);
  visitor.render([](std::string_view piece) { console_write(piece.data(), piece.size()); });
  return problems ? 1 : 0;
}

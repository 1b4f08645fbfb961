// --graph: the disc's program chains and every jump between them, as one Graphviz digraph.
#include "output/graph_report.h"

#include "decoder/command_info.h"
#include "ifo/pgc_tables.h"
#include "output/dot_graph.h"
#include "platform/console.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

// Provisional names of a chain until the navigation walk lands.
enum class Domain : uint8_t { kFirstPlay, kVmgMenu, kVtsMenu, kVtsTitle };
struct ChainRef {
  Domain domain;
  unsigned title_set;     // 1..99 for the title set domains
  unsigned language_unit; // from 1 for the menu domains
  unsigned pgcn;          // from 1
};

uint64_t chain_key(const ChainRef &ref) {
  return uint64_t(ref.domain) << 48 | uint64_t(ref.title_set & 0xFF) << 40 |
         uint64_t(ref.language_unit & 0xFFFF) << 24 | (ref.pgcn & 0xFFFF);
}

// Builds the graph as the walk reports the disc, and draws it once the walk
// is over: a jump may name a chain that the walk has not reached yet, and a
// language unit is only known to repeat an earlier one when it is complete.
class GraphBuilder {
public:
  void language_unit(Domain domain, unsigned title_set, unsigned number, const uint8_t *code) {
    char language[64];
    format_language_code(code, language);
    char text[96];
    std::snprintf(text, sizeof text, "Language_%02u \"%s\"", number, language);
    units_.push_back(Unit{domain, title_set, text, {}, {}});
  }

  // A program chain at byte `offset` of its control file; `category` is its
  // search pointer's first byte (0 for first play).
  void chain(const ChainRef &ref, uint64_t offset, uint8_t category, unsigned cells) {
    const auto index = static_cast<uint32_t>(chains_.size());
    Chain chain{ref, category, cells, {0, 0, 0}, false, -1};
    if (ref.domain == Domain::kVmgMenu || ref.domain == Domain::kVtsMenu) {
      chain.unit = static_cast<int32_t>(units_.size() - 1);
      units_.back().chains.push_back(index);
      units_.back().offsets.push_back(offset);
    }
    chains_.push_back(chain);
    chain_index_[chain_key(ref)] = index;
  }

  // Command `number` of list `list` (0 pre, 1 post, 2 cell) of the chain the
  // walk reported last, with its decoded text and, when it transfers control
  // to a chain, that chain or the reason it has none.
  void command(unsigned list, unsigned number, const CommandInfo &info, const char *text,
               const ChainRef *resolved, const char *reason) {
    Chain &source = chains_.back();
    ++source.commands[list];
    static constexpr const char *kListNames[3] = {"pre", "post", "cell"};
    add_jump(static_cast<uint32_t>(chains_.size() - 1), kListNames[list], number, 0, info, text,
             resolved, reason);
  }

  // Button `number` of a group that the menu chain `menu` shows.
  void button(const ChainRef &menu, unsigned number, const CommandInfo &info, const char *text,
              const ChainRef *resolved, const char *reason) {
    const auto it = chain_index_.find(chain_key(menu));
    if (it != chain_index_.end())
      add_jump(it->second, "button", number, kEdgeButton, info, text, resolved, reason);
  }

  std::string render();

private:
  struct Chain {
    ChainRef ref;
    uint8_t category;
    unsigned cells;
    unsigned commands[3];
    bool resumes;
    int32_t unit; // its language unit, -1 outside the menus
  };
  struct Unit {
    Domain domain;
    unsigned title_set;
    std::string language;
    std::vector<uint32_t> chains;
    std::vector<uint64_t> offsets;
    int32_t same_as = -1; // an earlier unit with the same chains
  };
  struct Jump {
    uint32_t source;
    uint64_t target; // chain_key, when resolved
    bool resolved;
    uint8_t flags;
    std::string label;
  };

  void add_jump(uint32_t source, const char *origin, unsigned number, uint8_t flags,
                const CommandInfo &info, const char *text, const ChainRef *resolved,
                const char *reason);
  void find_repeated_units();
  void add_nodes();
  int32_t cluster_of(const ChainRef &ref);

  std::vector<Chain> chains_;
  std::vector<Unit> units_;
  std::vector<Jump> jumps_;
  std::unordered_map<uint64_t, uint32_t> chain_index_;
  DotGraph graph_;
  std::vector<uint32_t> node_of_chain_;
  std::map<uint64_t, int32_t> clusters_; // by chain_key with only domain and title set
};

// The label of a jump: where it comes from, then what qualifies it. The
// condition and a set made along with the link are taken from the decoded
// text, so that they read exactly as in the text report.
std::string jump_label(const char *origin, unsigned number, const CommandInfo &info,
                       const char *text, const char *reason) {
  std::string label = origin;
  label += ' ';
  label += std::to_string(number);
  std::string_view rest(text);
  if (!rest.empty() && rest.back() == '\n')
    rest.remove_suffix(1);
  constexpr std::string_view kThen = ") then ";
  if (rest.starts_with("if (")) {
    const size_t then = rest.find(kThen);
    if (then != std::string_view::npos) {
      label += '\n';
      label += rest.substr(0, then + 1);
      rest.remove_prefix(then + kThen.size());
    }
  }
  const size_t link = rest.rfind(", Link");
  if (link != std::string_view::npos && link > 0) {
    label += '\n';
    label += rest.substr(0, link);
  }
  if (info.target.kind == TargetKind::kCallSS) {
    label += "\ncall";
    if (info.target.resume_cell != 0)
      label += ", resume at cell " + std::to_string(info.target.resume_cell);
  }
  if (reason != nullptr) {
    label += '\n';
    label += reason;
  }
  return label;
}

void GraphBuilder::add_jump(uint32_t source, const char *origin, unsigned number, uint8_t flags,
                            const CommandInfo &info, const char *text, const ChainRef *resolved,
                            const char *reason) {
  switch (info.target.kind) {
  case TargetKind::kNone:
  case TargetKind::kGotoLine:
  case TargetKind::kBreak:
  case TargetKind::kExit:
    return;
  case TargetKind::kResume:
    chains_[source].resumes = true;
    return;
  default:
    break;
  }
  if (info.target.kind == TargetKind::kCallSS)
    flags |= kEdgeCall;
  if (resolved == nullptr)
    flags |= kEdgeUnresolved;
  jumps_.push_back(Jump{source, resolved != nullptr ? chain_key(*resolved) : 0, resolved != nullptr,
                        flags,
                        jump_label(origin, number, info, text, resolved ? nullptr : reason)});
}

// A language unit whose chains lie at the same offsets as an earlier unit's
// of the same domain is that unit again under another language.
void GraphBuilder::find_repeated_units() {
  std::map<std::vector<uint64_t>, int32_t> first_with;
  for (size_t u = 0; u < units_.size(); ++u) {
    Unit &unit = units_[u];
    if (unit.offsets.empty())
      continue;
    std::vector<uint64_t> key = unit.offsets;
    key.push_back(uint64_t(unit.domain) << 8 | unit.title_set);
    const auto [it, added] = first_with.try_emplace(std::move(key), static_cast<int32_t>(u));
    if (!added)
      unit.same_as = it->second;
  }
}

int32_t GraphBuilder::cluster_of(const ChainRef &ref) {
  if (ref.domain == Domain::kFirstPlay)
    return DotGraph::kNoCluster;
  const uint64_t key = chain_key({ref.domain, ref.title_set, 0, 0});
  const auto it = clusters_.find(key);
  if (it != clusters_.end())
    return it->second;
  char id[32];
  char label[32];
  if (ref.domain == Domain::kVmgMenu) {
    std::snprintf(id, sizeof id, "vmg_menu");
    std::snprintf(label, sizeof label, "VMG menus");
  } else {
    const bool menu = ref.domain == Domain::kVtsMenu;
    std::snprintf(id, sizeof id, "vts%02u_%s", ref.title_set, menu ? "menu" : "title");
    std::snprintf(label, sizeof label, "VTS_%02u %s", ref.title_set, menu ? "menus" : "titles");
  }
  const int32_t cluster = graph_.add_cluster(id, label);
  clusters_.emplace(key, cluster);
  return cluster;
}

std::string chain_name(const ChainRef &ref, uint8_t category) {
  char name[96];
  char entry[64] = "";
  const bool is_entry = (category & 0x80) != 0;
  switch (ref.domain) {
  case Domain::kFirstPlay:
    return "First Play";
  case Domain::kVmgMenu:
  case Domain::kVtsMenu:
    if (is_entry) {
      format_menu_entry(category, entry);
      std::memmove(entry + 2, entry + std::strlen(", Entry="), std::strlen(entry) + 1 - 8);
      entry[0] = ' ';
      entry[1] = '(';
      std::strcat(entry, ")");
    }
    if (ref.domain == Domain::kVmgMenu)
      std::snprintf(name, sizeof name, "VMG Menu PGC_%03u%s", ref.pgcn, entry);
    else
      std::snprintf(name, sizeof name, "VTS_%02u Menu PGC_%03u%s", ref.title_set, ref.pgcn, entry);
    return name;
  case Domain::kVtsTitle:
    if (is_entry)
      std::snprintf(entry, sizeof entry, " (Title %u)", category & 0x7Fu);
    std::snprintf(name, sizeof name, "VTS_%02u Title PGC_%03u%s", ref.title_set, ref.pgcn, entry);
    return name;
  }
  return name;
}

std::string node_id(const ChainRef &ref) {
  char id[48];
  switch (ref.domain) {
  case Domain::kFirstPlay:
    return "first_play";
  case Domain::kVmgMenu:
    std::snprintf(id, sizeof id, "vmg_menu_lu%02u_pgc%03u", ref.language_unit, ref.pgcn);
    break;
  case Domain::kVtsMenu:
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

void GraphBuilder::add_nodes() {
  node_of_chain_.resize(chains_.size());
  for (size_t c = 0; c < chains_.size(); ++c) {
    const Chain &chain = chains_[c];
    if (chain.unit >= 0 && units_[chain.unit].same_as >= 0) {
      const Unit &earlier = units_[units_[chain.unit].same_as];
      node_of_chain_[c] = node_of_chain_[earlier.chains[chain.ref.pgcn - 1]];
      continue;
    }
    std::vector<std::string> lines{chain_name(chain.ref, chain.category)};
    if (chain.unit >= 0)
      lines.push_back(units_[chain.unit].language);
    lines.push_back(plays_line(chain.cells, chain.commands));
    if (chain.resumes)
      lines.push_back("returns by resume");
    node_of_chain_[c] =
        graph_.add_node(cluster_of(chain.ref), node_id(chain.ref),
                        chain.ref.domain == Domain::kFirstPlay ? ChainKind::kFirstPlay
                        : chain.unit >= 0                      ? ChainKind::kMenu
                                                               : ChainKind::kTitle,
                        (chain.category & 0x80) != 0, std::move(lines));
  }
  for (const Unit &unit : units_) {
    if (unit.same_as < 0)
      continue;
    for (const uint32_t c : units_[unit.same_as].chains)
      graph_.extend_label(node_of_chain_[c], 1, ", " + unit.language);
  }
}

std::string GraphBuilder::render() {
  find_repeated_units();
  add_nodes();
  for (const Jump &jump : jumps_) {
    const Chain &source = chains_[jump.source];
    // A repeated unit's commands are its earlier unit's, already drawn.
    if (!(jump.flags & kEdgeButton) && source.unit >= 0 && units_[source.unit].same_as >= 0)
      continue;
    const uint32_t from = node_of_chain_[jump.source];
    uint32_t to;
    if (jump.resolved) {
      const auto it = chain_index_.find(jump.target);
      to = it != chain_index_.end() ? node_of_chain_[it->second]
                                    : graph_.unresolved_node(cluster_of(source.ref));
    } else {
      to = graph_.unresolved_node(cluster_of(source.ref));
    }
    graph_.add_edge(from, to, jump.flags, jump.label);
  }
  return graph_.render();
}

} // namespace

int write_graph_report(const char *path, bool ifo, bool menu_vob) {
  (void)path;
  (void)ifo;
  (void)menu_vob;
  GraphBuilder builder;
  const std::string dot = builder.render();
  console_write(dot.data(), dot.size());
  return 0;
}

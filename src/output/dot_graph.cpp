// SPDX-License-Identifier: MIT
// The navigation graph as Graphviz DOT: chains in domain clusters, merged jumps, the legend.
#include "output/dot_graph.h"

#include <algorithm>
#include <cstdio>

namespace {

// The graph goes out in pieces of about this size.
constexpr size_t kRenderChunk = 64 << 10;

// Every shape, style and colour used above it, explained in the picture itself;
// kUnknownLegend stands among them when the graph has an unknown menu.
constexpr const char *kUnknownLegend = "dotted: buttons of an unknown menu\\l";
constexpr const char *kLegend = "  legend [shape=note, fontsize=10, label=\"Legend\\l"
                                "box: title chain\\l"
                                "rounded box: menu chain\\l"
                                "double border: first play\\l"
                                "bold border: entry chain\\l"
                                "dashed grey: no jump reaches it\\l"
                                "red octagon: target not resolved\\l";
constexpr const char *kLegendArrows = "blue arrow: menu button\\l"
                                      "dashed arrow: call, back on resume\\l"
                                      "arrow label: command, its condition,\\l"
                                      "  (xN) for N commands merged\\l\"];\n";

// A DOT double-quoted string's contents: quotes and backslashes escaped,
// '\n' as the DOT line break, bytes outside printable ASCII as '?'.
void append_escaped(std::string &out, std::string_view text) {
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c < 0x20 || c > 0x7E) {
      out += '?';
    } else {
      out += c;
    }
  }
}

} // namespace

int32_t DotGraph::add_cluster(std::string id, std::string label) {
  clusters_.push_back(Cluster{std::move(id), std::move(label), {}, -1});
  return static_cast<int32_t>(clusters_.size() - 1);
}

uint32_t DotGraph::add_node(int32_t cluster, std::string id, ChainKind kind, bool entry,
                            std::vector<std::string> lines) {
  const auto index = static_cast<uint32_t>(nodes_.size());
  nodes_.push_back(Node{std::move(id), cluster, kind, entry, false, std::move(lines)});
  (cluster == kNoCluster ? loose_nodes_ : clusters_[cluster].nodes).push_back(index);
  return index;
}

void DotGraph::extend_label(uint32_t node, size_t line, std::string_view text) {
  nodes_[node].lines[line] += text;
}

uint32_t DotGraph::unresolved_node(int32_t cluster) {
  int64_t &slot = cluster == kNoCluster ? loose_unresolved_ : clusters_[cluster].unresolved;
  if (slot < 0) {
    std::string id = cluster == kNoCluster ? "first_play" : clusters_[cluster].id;
    id += "_unresolved";
    slot = add_node(cluster, std::move(id), ChainKind::kUnresolved, false, {"unresolved"});
  }
  return static_cast<uint32_t>(slot);
}

void DotGraph::add_comment(std::string_view text) {
  comments_ += "  // ";
  for (const char c : text)
    comments_ += c >= 0x20 && c <= 0x7E ? c : '?';
  comments_ += '\n';
}

size_t DotGraph::EdgeHash::operator()(uint32_t e) const {
  const Edge &edge = graph->edges_[e];
  return std::hash<std::string>{}(edge.label) ^
         std::hash<uint64_t>{}(uint64_t{edge.from} << 32 ^ edge.to ^ uint64_t{edge.flags} << 56);
}

bool DotGraph::EdgeEqual::operator()(uint32_t a, uint32_t b) const {
  const Edge &x = graph->edges_[a];
  const Edge &y = graph->edges_[b];
  return x.from == y.from && x.to == y.to && x.flags == y.flags && x.label == y.label;
}

void DotGraph::add_edge(uint32_t from, uint32_t to, uint8_t flags, const std::string &lines,
                        uint32_t count) {
  if (from == to)
    return;
  edges_.push_back(Edge{from, to, flags, count, lines});
  const auto [it, added] = edge_index_.insert(static_cast<uint32_t>(edges_.size() - 1));
  if (!added) {
    edges_[*it].count += count;
    edges_.pop_back();
    return;
  }
  nodes_[to].reached = true;
}

void DotGraph::render_node(std::string &out, const Node &node, const char *indent) const {
  out += indent;
  out += node.id;
  out += " [label=\"";
  for (size_t i = 0; i < node.lines.size(); ++i) {
    if (i > 0)
      out += "\\n";
    append_escaped(out, node.lines[i]);
  }
  out += '"';
  // Only first play and the entry chains are reached from outside the disc.
  const bool unreached = !node.reached && !node.entry && node.kind != ChainKind::kFirstPlay &&
                         node.kind != ChainKind::kUnresolved &&
                         node.kind != ChainKind::kUnknownMenu;
  switch (node.kind) {
  case ChainKind::kFirstPlay:
    out += ", peripheries=2";
    break;
  case ChainKind::kMenu:
    out += node.entry  ? ", style=\"rounded,bold\""
           : unreached ? ", style=\"rounded,dashed\""
                       : ", style=rounded";
    break;
  case ChainKind::kTitle:
    out += node.entry ? ", style=bold" : unreached ? ", style=dashed" : "";
    break;
  case ChainKind::kUnresolved:
    out += ", shape=octagon, color=red, fontcolor=red";
    break;
  case ChainKind::kUnknownMenu:
    out += ", style=\"rounded,dotted\"";
    break;
  }
  if (unreached)
    out += ", color=gray50, fontcolor=gray50";
  out += "];\n";
}

void DotGraph::render_edge(std::string &out, const Edge &edge, const char *label) const {
  out += "  ";
  out += nodes_[edge.from].id;
  out += " -> ";
  out += nodes_[edge.to].id;
  out += " [";
  out += label;
  out += "=\"";
  const size_t line_end = edge.label.find('\n');
  append_escaped(out, std::string_view(edge.label).substr(0, line_end));
  if (edge.count > 1) {
    char count[24];
    std::snprintf(count, sizeof count, " (x%u)", edge.count);
    out += count;
  }
  if (line_end != std::string::npos)
    append_escaped(out, std::string_view(edge.label).substr(line_end));
  out += '"';
  if (edge.flags & kEdgeUnresolved)
    out += ", color=red, fontcolor=red";
  else if (edge.flags & kEdgeButton)
    out += ", color=blue, fontcolor=blue";
  if (edge.flags & kEdgeCall)
    out += ", style=dashed";
  out += "];\n";
}

void DotGraph::render(const std::function<void(std::string_view)> &write) const {
  write("digraph navigation {\n"
        "  rankdir=LR;\n"
        "  node [shape=box, fontsize=10];\n"
        "  edge [fontsize=9];\n");
  write(comments_);
  std::string out;
  const auto flush = [&] {
    if (out.size() >= kRenderChunk) {
      write(out);
      out.clear();
    }
  };
  for (const uint32_t node : loose_nodes_) {
    render_node(out, nodes_[node], "  ");
    flush();
  }
  for (const Cluster &cluster : clusters_) {
    out += "  subgraph cluster_";
    out += cluster.id;
    out += " {\n    label=\"";
    append_escaped(out, cluster.label);
    out += "\";\n";
    for (const uint32_t node : cluster.nodes) {
      render_node(out, nodes_[node], "    ");
      flush();
    }
    out += "  }\n";
  }
  // dot ranks an arrow's label like a node, which makes a graph of thousands
  // of labelled arrows take hours and can trip its ranking ("trouble in
  // init_rank") when they run between clusters. Such a graph gets its labels
  // placed beside the arrows once they are laid out.
  const char *label = edges_.size() > kMaxRankedLabels ? "xlabel" : "label";
  for (const Edge &edge : edges_) {
    render_edge(out, edge, label);
    flush();
  }
  out += kLegend;
  if (std::any_of(nodes_.begin(), nodes_.end(),
                  [](const Node &node) { return node.kind == ChainKind::kUnknownMenu; }))
    out += kUnknownLegend;
  out += kLegendArrows;
  out += "}\n";
  write(out);
}

std::string DotGraph::render() const {
  std::string out;
  render([&](std::string_view piece) { out += piece; });
  return out;
}

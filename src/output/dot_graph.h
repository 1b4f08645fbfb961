// SPDX-License-Identifier: MIT
// The navigation graph as Graphviz DOT: chains in domain clusters, merged jumps, the legend.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

// What a node stands for; it picks the node's shape.
// kUnknownMenu: where the buttons of a menu VOB's groups at no menu cell's
// start come from.
enum class ChainKind : uint8_t { kFirstPlay, kMenu, kTitle, kUnresolved, kUnknownMenu };

// How an edge is drawn besides its label.
enum EdgeFlags : uint8_t {
  kEdgeButton = 1,     // a menu button, not a command of the chain
  kEdgeCall = 2,       // CallSS: the target may resume back
  kEdgeUnresolved = 4, // the target could not be named; the label says why
};

class DotGraph {
public:
  static constexpr int32_t kNoCluster = -1;
  DotGraph() = default;
  // The edge index refers to the graph it belongs to.
  DotGraph(const DotGraph &) = delete;
  DotGraph &operator=(const DotGraph &) = delete;
  // Up to this many arrows, their labels take part in the layout; past it
  // they are drawn beside the arrows (DOT xlabel).
  static constexpr size_t kMaxRankedLabels = 1000;

  // A cluster per domain; returns its number for add_node.
  int32_t add_cluster(std::string id, std::string label);
  // `id` must be a DOT identifier (letters, digits, underscores) unique in
  // the graph; `lines` are the label's lines as plain text.
  uint32_t add_node(int32_t cluster, std::string id, ChainKind kind, bool entry,
                    std::vector<std::string> lines);
  // Appends `text` to line `line` of a node's label.
  void extend_label(uint32_t node, size_t line, std::string_view text);
  // The one node of `cluster` that collects the targets nobody could name,
  // made on first use.
  uint32_t unresolved_node(int32_t cluster);

  // A comment line at the top of the graph; bytes outside printable ASCII
  // become '?'.
  void add_comment(std::string_view text);
  // Where the comments end so far, and the comments between two such marks
  // added again.
  size_t comment_mark() const { return comments_.size(); }
  void repeat_comments(size_t from, size_t to) { comments_.append(comments_, from, to - from); }

  // `count` jumps from `from` to `to`; `lines` is their label. Jumps with the
  // same ends, flags and label as earlier ones add to that edge's count. A
  // jump from a node to itself is not drawn.
  void add_edge(uint32_t from, uint32_t to, uint8_t flags, const std::string &lines,
                uint32_t count = 1);

  // The whole digraph: nodes cluster by cluster in the order added, then the
  // edges in the order first added, then the legend; given to `write` piece
  // by piece, so that a graph of many comments is not held twice.
  void render(const std::function<void(std::string_view)> &write) const;
  std::string render() const;

private:
  struct Node {
    std::string id;
    int32_t cluster;
    ChainKind kind;
    bool entry;
    bool reached = false;
    std::vector<std::string> lines;
  };
  struct Cluster {
    std::string id;
    std::string label;
    std::vector<uint32_t> nodes;
    int64_t unresolved = -1;
  };
  struct Edge {
    uint32_t from;
    uint32_t to;
    uint8_t flags;
    uint32_t count;
    std::string label;
  };
  // Edges are the same when all but their count are; the index holds each
  // edge's place in edges_, so that its label is kept once.
  struct EdgeHash {
    const DotGraph *graph;
    size_t operator()(uint32_t e) const;
  };
  struct EdgeEqual {
    const DotGraph *graph;
    bool operator()(uint32_t a, uint32_t b) const;
  };

  void render_node(std::string &out, const Node &node, const char *indent) const;
  void render_edge(std::string &out, const Edge &edge, const char *label) const;

  std::string comments_;
  std::vector<Node> nodes_;
  std::vector<Cluster> clusters_;
  std::vector<uint32_t> loose_nodes_; // outside every cluster
  int64_t loose_unresolved_ = -1;
  std::vector<Edge> edges_;
  std::unordered_set<uint32_t, EdgeHash, EdgeEqual> edge_index_{0, EdgeHash{this}, EdgeEqual{this}};
};

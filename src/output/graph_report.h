// --graph: the disc's program chains and every jump between them, as one Graphviz digraph.
#pragma once

// Walks the disc at `path` (normalized, ending in a separator) and prints the
// digraph on the console: with `ifo` the jumps of the control files' pre, post
// and cell commands, with `menu_vob` those of the menu buttons. Returns 0.
int write_graph_report(const char *path, bool ifo, bool menu_vob);

// SPDX-License-Identifier: MIT
// --graph: the disc's program chains and every jump between them, as one Graphviz digraph.
#pragma once

// Walks the disc in the folder `path` (normalized: it ends in a separator) and
// prints the digraph on the console: every chain of the control files, with
// `ifo` the jumps of their pre, post and cell commands, with `menu_vob` those
// of the menu buttons. Returns 1 when a problem was reported (the text
// report's exit status), else 0.
int write_graph_report(const char *path, bool ifo, bool menu_vob);

// SPDX-License-Identifier: MIT
// The --graph report: the disc's navigation as a Graphviz digraph.
#pragma once

// Writes the DOT graph of the disc in the folder `path` (normalized: it ends
// in a separator) to the console, for the dumps asked for. Returns 1 when a
// problem was reported (the text report's exit status), else 0.
int write_graph_report(const char *path, bool ifo, bool menu_vob);

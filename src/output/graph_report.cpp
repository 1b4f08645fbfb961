// SPDX-License-Identifier: MIT
// The --graph report: for now an empty digraph, with the exit status of the walk.
#include "output/graph_report.h"

#include "navigation/walk.h"
#include "platform/console.h"

int write_graph_report(const char *path, bool ifo, bool menu_vob) {
  navigation::Visitor nothing;
  const bool problems = navigation::walk_disc(path, navigation::Dumps{ifo, menu_vob}, nothing);
  console_write_text("digraph navlist {}\n");
  return problems ? 1 : 0;
}

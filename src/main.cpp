// SPDX-License-Identifier: MIT
// navlist: lists the navigation commands of a DVD-Video folder.
#include "driver/driver.h"
#include "platform/console.h"

#include <csignal>

int main(int argc, char **argv) {
#ifndef _WIN32
  // A reader that goes away (navlist disc | head) ends navlist quietly, as
  // it ends other tools, even when the parent left the signal ignored.
  std::signal(SIGPIPE, SIG_DFL);
#endif
  console_init();
  return navlist_main(argc, argv);
}

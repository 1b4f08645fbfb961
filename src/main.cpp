// SPDX-License-Identifier: MIT
// navlist: lists the navigation commands of a DVD-Video folder.
#include "driver/driver.h"
#include "platform/console.h"

int main(int argc, char **argv) {
  console_init();
  const int status = navlist_main(argc, argv);
  console_flush();
  return status;
}

// SPDX-License-Identifier: MIT
// The command line and the report that a run prints.
#pragma once

#include "driver/disc_path.h"

extern char path_buffer[kPathBufferSize];

// The whole program: banner, command line, report. Returns the exit status.
int navlist_main(int argc, char **argv);

// SPDX-License-Identifier: MIT
// The command line and the report that a run prints.
#pragma once

#include "driver/disc_path.h"

extern char path_buffer[kPathBufferSize];

// The whole program: banner, command line, report, the output flushed.
// Returns the exit status; when standard output does not take the report,
// says so on standard error and returns kExitNotWritten.
int navlist_main(int argc, char **argv);

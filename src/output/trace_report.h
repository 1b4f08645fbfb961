// SPDX-License-Identifier: MIT
// --trace: the player model's run from first play, as a log of one line per event or as JSON.
#pragma once

#include "player/settings.h"

// Runs the disc in the folder `path` (normalized: it ends in a separator)
// from first play and prints the run; returns the trace's exit status.
int write_trace_report(const char *path, const player::Settings &settings, bool json);

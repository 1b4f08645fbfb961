// SPDX-License-Identifier: MIT
// --trace, --titles and --main: the player model's run from first play and every path a viewer can
// take.
#pragma once

#include "player/explore.h"
#include "player/settings.h"

#include <string>

// Runs the disc in the folder `path` (normalized: it ends in a separator)
// from first play and prints the run; returns the trace's exit status.
int write_trace_report(const char *path, const player::Settings &settings, bool json);

enum class TitlesFormat { kText, kJson, kMainOnly };

// Explores every path of the disc in the folder `path` and prints, for every
// title, whether and how a viewer reaches it, and the main title; kMainOnly
// prints the main title's number alone. Returns 0 when there is a main
// title, else 1.
int write_titles_report(const char *path, const player::Settings &settings,
                        const player::ExploreLimits &limits, TitlesFormat format);

// The one document of --trace --json (`trace`) or --titles --json for a path
// that holds no disc: the message is why the run ends, or the problem.
void write_player_without_disc(bool trace, const player::Settings &settings,
                               const std::string &message);

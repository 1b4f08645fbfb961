// SPDX-License-Identifier: MIT
// The exit statuses of a run, in the manner of grep and diff.
#pragma once

inline constexpr int kExitReportComplete = 0;
inline constexpr int kExitInputProblem = 1;
inline constexpr int kExitNothingDumped = 2;
// Standard output did not take the report (a full disk, a closed output).
inline constexpr int kExitNotWritten = 2;

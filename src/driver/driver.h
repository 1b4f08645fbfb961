// SPDX-License-Identifier: MIT
// The command line, path normalization and the order in which the two dumps run.
#pragma once

inline constexpr unsigned kPathBufferSize = 260;
// The dumps append 12 characters (VTS_01_0.VOB and the like) to the path,
// and every name must fit a 260-byte buffer with its terminator.
inline constexpr unsigned kMaxNormalizedPathLength = 247;

// Exit statuses, in the manner of grep and diff.
inline constexpr int kExitReportComplete = 0;
inline constexpr int kExitInputProblem = 1;
inline constexpr int kExitNothingDumped = 2;

extern char path_buffer[kPathBufferSize];

// Makes a path end in a backslash, in place; the buffer must have room for
// one more character.
void normalize_path(char *path);
// Length of `path` once normalized.
unsigned normalized_path_length(const char *path);

// The whole program: banner, command line, dumps. Returns the exit status.
int navlist_main(int argc, char **argv);

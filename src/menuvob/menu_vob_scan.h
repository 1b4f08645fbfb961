// The -V dump: scans menu VOB files for NAV packs and reports their button commands.
#pragma once

#include "decoder/decoder.h"

#include <cstdint>
#include <cstdio>

inline constexpr size_t kMenuIfoBufferSize = 8 * 1024 * 1024;
extern uint8_t menu_ifo_buffer[kMenuIfoBufferSize];

struct ButtonRecord {
  uint32_t pack_number;  // index of the NAV pack in its VOB file, from 0
  uint32_t repeat_count; // packs folded into the group; held by its first record
  NavCommand command;
};

inline constexpr int32_t kButtonRecordCapacity = 2000;
extern ButtonRecord button_records[kButtonRecordCapacity];
extern int32_t button_record_count;

// A NAV pack's button count is dropped whole when its last command would lie
// past the end of the 2048-byte pack.
inline constexpr unsigned kMaxButtonsInPack = 103;
// Where a NAV pack holds the command of its first button (the last 8 bytes
// of BTN_IT entry 0), and the step to the next button's.
inline constexpr size_t kFirstButtonCommand = 197;
inline constexpr size_t kButtonEntrySize = 18;

int dump_menu_vobs(const char *path);

// Reads the open VOB file to its end and prints its button report. Returns
// 1 when a printed command was questionable, else 0.
int scan_menu_vob(std::FILE *vob);
// Reads the open VOB file to its end into button_records, through ifo_buffer.
void collect_menu_vob(std::FILE *vob);

// The two halves of scan_menu_vob, for callers that hold the VOB in memory:
// start a scan, feed it complete packs in file order, then print.
void begin_button_collection();
void collect_packs(const uint8_t *packs, size_t pack_count);
int print_button_report();

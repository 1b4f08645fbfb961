// SPDX-License-Identifier: MIT
// The NAV pack scan of a menu VOB file: the button commands of every NAV pack, runs of identical
// packs folded.
#pragma once

#include "decoder/decoder.h"
#include "platform/disc_file.h"

#include <cstdint>

struct ButtonRecord {
  uint32_t pack_number;  // index of the NAV pack in its VOB file, from 0
  uint32_t repeat_count; // packs folded into the group; held by its first record
  NavCommand command;
  uint8_t auto_action; // the button's auto-action mode (bits 7-6 of its entry's byte 3)
  // Held by the group's first record, from its NAV pack: the highlight
  // status, the forced-select and the forced-activate button.
  uint8_t highlight_status;
  uint8_t forced_select;
  uint8_t forced_activate;
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

// Reads the open VOB file to its end, or to 1 GiB, into button_records;
// false when the disc stopped giving its bytes before (what was read is kept).
bool collect_menu_vob(DiscFile *vob);

// The two halves of collect_menu_vob, for callers that hold the VOB in
// memory: start a collection, then feed it complete packs in file order.
void begin_button_collection();
void collect_packs(const uint8_t *packs, size_t pack_count);

// SPDX-License-Identifier: MIT
// The NAV pack scan of a menu VOB file: the button commands of every NAV pack, runs of identical
// packs folded.
#include "menuvob/menu_vob_scan.h"

#include "common/bytes.h"

#include <cstring>

ButtonRecord button_records[kButtonRecordCapacity];
int32_t button_record_count = 0;

namespace {

constexpr size_t kPackSize = kSectorSize;
constexpr size_t kSystemHeaderStart = 14;
constexpr size_t kHighlightStatus = 142; // HLI_SS, low two bits
constexpr size_t kButtonCount = 158;     // BTN_NS, PCI byte 0x71
constexpr size_t kForcedSelect = 161;    // FOSL_BTNN
constexpr size_t kForcedActivate = 162;  // FOAC_BTNN
constexpr size_t kAutoAction = 3;        // in a button entry, bits 7-6
static_assert(kFirstButtonCommand + kButtonEntrySize * (kMaxButtonsInPack - 1) + kCommandSize <=
                  kPackSize &&
              kFirstButtonCommand + kButtonEntrySize * kMaxButtonsInPack + kCommandSize >
                  kPackSize);

// The VOB is read in chunks of whole packs, up to the 1 GiB that a VOB file
// of a DVD-Video disc holds at most: what a longer file holds past it is no
// menu of the disc.
constexpr size_t kReadChunk = 512 * kPackSize;
constexpr uint64_t kMaxVobFileSize = uint64_t{1} << 30;
alignas(64) uint8_t read_chunk[kReadChunk];

int32_t group_start = -1; // first record of the last kept group, -1: none
uint32_t pack_counter = 0;

bool is_nav_pack(const uint8_t *pack) {
  static constexpr uint8_t kPackStart[4] = {0x00, 0x00, 0x01, 0xBA};
  static constexpr uint8_t kSystemHeader[4] = {0x00, 0x00, 0x01, 0xBB};
  return std::memcmp(pack, kPackStart, 4) == 0 &&
         std::memcmp(pack + kSystemHeaderStart, kSystemHeader, 4) == 0;
}

// Stages the buttons of one NAV pack behind the kept records, then either
// folds them into the last kept group or keeps them as a new group.
void capture_buttons(const uint8_t *pack, uint32_t pack_number) {
  const unsigned buttons = pack[kButtonCount];
  if (buttons == 0 || buttons > kMaxButtonsInPack)
    return;
  // Staging happens in the free tail, so a pack that does not fit is
  // dropped even when it would only have been folded.
  if (button_record_count + static_cast<int32_t>(buttons) > kButtonRecordCapacity)
    return;
  ButtonRecord *staged = button_records + button_record_count;
  for (unsigned i = 0; i < buttons; ++i) {
    const uint8_t *entry = pack + kFirstButtonCommand - 10 + kButtonEntrySize * i;
    staged[i].pack_number = pack_number;
    staged[i].repeat_count = 1;
    std::memcpy(staged[i].command.b, entry + 10, kCommandSize);
    staged[i].auto_action = entry[kAutoAction] >> 6;
    staged[i].highlight_status = pack[kHighlightStatus] & 3;
    staged[i].forced_select = pack[kForcedSelect] & 0x3F;
    staged[i].forced_activate = pack[kForcedActivate] & 0x3F;
  }
  if (group_start >= 0 && button_record_count - group_start == static_cast<int32_t>(buttons)) {
    ButtonRecord *group = button_records + group_start;
    bool same = true;
    for (unsigned i = 0; i < buttons && same; ++i)
      same = std::memcmp(group[i].command.b, staged[i].command.b, kCommandSize) == 0;
    if (same) {
      ++group->repeat_count;
      return;
    }
  }
  group_start = button_record_count;
  button_record_count += static_cast<int32_t>(buttons);
}

} // namespace

void begin_button_collection() {
  group_start = -1;
  button_record_count = 0;
  std::memset(button_records, 0, sizeof button_records);
  pack_counter = 0;
}

void collect_packs(const uint8_t *packs, size_t pack_count) {
  for (size_t p = 0; p < pack_count; ++p, ++pack_counter) {
    const uint8_t *pack = packs + kPackSize * p;
    if (is_nav_pack(pack))
      capture_buttons(pack, pack_counter);
  }
}

bool collect_menu_vob(DiscFile *vob) {
  begin_button_collection();
  for (uint64_t read = 0; read < kMaxVobFileSize; read += kReadChunk) {
    const size_t got = read_disc_file(vob, read_chunk, kReadChunk);
    collect_packs(read_chunk, got / kPackSize);
    if (got < kReadChunk)
      break;
  }
  return !disc_file_failed(vob);
}

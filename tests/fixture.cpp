// SPDX-License-Identifier: MIT
// Test fixture builder: lays out control files and menu VOB packs from a description.
#include "fixture.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace fixture {

namespace {

constexpr size_t kSector = 2048;

// The `width` bytes at `at`, most significant first.
void put(Bytes &bytes, size_t at, unsigned width, size_t value) {
  for (unsigned i = 0; i < width; ++i)
    bytes.at(at + i) = static_cast<uint8_t>(value >> (8 * (width - 1 - i)));
}

void align_to_sector(Bytes &bytes) {
  bytes.resize((bytes.size() + kSector - 1) / kSector * kSector);
}

size_t append_zeros(Bytes &bytes, size_t count) {
  const size_t at = bytes.size();
  bytes.resize(at + count);
  return at;
}

// Appends one program chain with its command and cell tables; returns its offset.
size_t append_pgc(Bytes &out, const Pgc &pgc) {
  const size_t start = append_zeros(out, 0xEC);
  out[start + 2] = pgc.programs;
  out[start + 3] = pgc.cell_count.value_or(static_cast<uint8_t>(pgc.cells.size()));
  out[start + 0xA2] = pgc.playback_mode;
  if (pgc.command_table) {
    const size_t table = append_zeros(out, 8);
    put(out, start + 0xE4, 2, table - start);
    put(out, table, 2, pgc.pre.size());
    put(out, table + 2, 2, pgc.post.size());
    put(out, table + 4, 2, pgc.cell_commands.size());
    for (const auto *list : {&pgc.pre, &pgc.post, &pgc.cell_commands})
      for (const Command &c : *list)
        out.insert(out.end(), c.begin(), c.end());
  }
  if (!pgc.cells.empty()) {
    const size_t table = append_zeros(out, 24 * pgc.cells.size());
    put(out, start + 0xE8, 2, table - start);
    for (size_t j = 0; j < pgc.cells.size(); ++j) {
      const Cell &cell = pgc.cells[j];
      out[table + 24 * j] = cell.block;
      out[table + 24 * j + 2] = cell.still;
      out[table + 24 * j + 3] = cell.command_number;
      if (cell.seconds != 0) {
        out[table + 24 * j + 6] = static_cast<uint8_t>(cell.seconds / 10 << 4 | cell.seconds % 10);
        out[table + 24 * j + 7] = 0xC0; // 30 frames a second
      }
      put(out, table + 24 * j + 8, 4, cell.first_vobu_sector);
    }
    // Program p starts at cell p. The map sits in the chain's colour palette
    // (0xA4 to 0xE3), which nothing here reads, so that it moves no table.
    put(out, start + 0xE6, 2, 0xA4);
    for (size_t p = 0; p < pgc.programs && p < 64; ++p)
      out[start + 0xA4 + p] = static_cast<uint8_t>(std::min(p + 1, pgc.cells.size()));
  }
  return start;
}

// A table of search pointers to program chains (a language unit or a VTS_PGCIT); offsets
// count from the table's first byte.
size_t append_pgc_table(Bytes &out, const std::vector<Pgc> &pgcs) {
  const size_t table = append_zeros(out, 8 + 8 * pgcs.size());
  put(out, table, 2, pgcs.size());
  for (size_t k = 0; k < pgcs.size(); ++k) {
    out[table + 8 + 8 * k] = pgcs[k].category;
    put(out, table + 12 + 8 * k, 4, append_pgc(out, pgcs[k]) - table);
  }
  return table;
}

// Puts a menu table at the next sector and its sector number in the header field
// `sector_field`.
void place_menu_table(Bytes &out, const MenuTable &menus, size_t sector_field) {
  align_to_sector(out);
  const size_t table = append_zeros(out, 8 + 8 * menus.units.size());
  put(out, sector_field, 4, table / kSector);
  put(out, table, 2, menus.units.size());
  for (size_t i = 0; i < menus.units.size(); ++i) {
    const LanguageUnit &unit = menus.units[i];
    const size_t pointer = table + 8 + 8 * i;
    std::memcpy(&out[pointer], unit.code.c_str(), std::min<size_t>(unit.code.size(), 2));
    out[pointer + 3] = unit.existence;
    put(out, pointer + 4, 4, append_pgc_table(out, unit.pgcs) - table);
  }
}

Bytes finish(Bytes &out) {
  align_to_sector(out);
  out.resize(std::max<size_t>(out.size(), 4096));
  return out;
}

} // namespace

std::vector<Command> cmds(const char *hex) {
  std::vector<Command> out;
  for (size_t n = 0; *hex != '\0'; ++hex) {
    if (*hex == ' ')
      continue;
    if (n % 8 == 0)
      out.emplace_back();
    out.back()[n++ % 8] = static_cast<uint8_t>(std::stoul(std::string(hex++, 2), nullptr, 16));
  }
  return out;
}

Bytes build_vmg(const Vmg &vmg) {
  Bytes out(0x400);
  std::memcpy(out.data(), "DVDVIDEO-VMG", 12);
  if (vmg.first_play)
    put(out, 0x84, 4, append_pgc(out, *vmg.first_play));
  if (vmg.titles) {
    align_to_sector(out);
    const size_t table = append_zeros(out, 8 + 12 * vmg.titles->size());
    put(out, 0xC4, 4, table / kSector);
    put(out, table, 2, vmg.titles->size());
    for (size_t i = 0; i < vmg.titles->size(); ++i) {
      const Title &t = (*vmg.titles)[i];
      const size_t entry = table + 8 + 12 * i;
      out[entry + 1] = t.angles;
      put(out, entry + 2, 2, t.chapters);
      out[entry + 6] = t.vts;
      out[entry + 7] = t.title_in_vts;
    }
  }
  if (vmg.menus)
    place_menu_table(out, *vmg.menus, 0xC8);
  return finish(out);
}

Bytes build_vts(const Vts &vts) {
  Bytes out(kSector);
  std::memcpy(out.data(), "DVDVIDEO-VTS", 12);
  if (vts.titles)
    put(out, 0xCC, 4, append_pgc_table(out, *vts.titles) / kSector);
  if (vts.menus)
    place_menu_table(out, *vts.menus, 0xD0);
  if (vts.chapters) {
    // Title offsets, then 4-byte chapter entries (PGCN, program 1).
    align_to_sector(out);
    const size_t table = append_zeros(out, 8 + 4 * vts.chapters->size());
    put(out, table, 2, vts.chapters->size());
    put(out, 0xC8, 4, table / kSector);
    for (size_t t = 0; t < vts.chapters->size(); ++t) {
      put(out, table + 8 + 4 * t, 4, out.size() - table);
      for (uint16_t pgcn : (*vts.chapters)[t]) {
        const size_t entry = append_zeros(out, 4);
        put(out, entry, 2, pgcn);
        put(out, entry + 2, 2, 1);
      }
    }
    put(out, table + 4, 4, out.size() - table - 1);
  }
  return finish(out);
}

Bytes patched(Bytes bytes, const std::vector<Patch> &patches) {
  for (const Patch &p : patches)
    if (p.width == 0)
      bytes.resize(p.at);
    else
      put(bytes, p.at, p.width, p.value);
  return bytes;
}

Bytes video_pack() {
  Bytes pack(kSector);
  const uint8_t start_codes[] = {0x00, 0x00, 0x01, 0xBA, 0x00, 0x00, 0x01, 0xE0};
  std::memcpy(pack.data(), start_codes, 4);
  std::memcpy(pack.data() + 14, start_codes + 4, 4);
  return pack;
}

Bytes nav_pack(const std::vector<Command> &buttons, std::optional<uint8_t> count) {
  Bytes pack = video_pack();
  pack[17] = 0xBB; // a system header where a video pack has its video stream
  pack[158] = count.value_or(static_cast<uint8_t>(buttons.size()));
  if (buttons.size() > 103) // the last command would pass the end of the pack
    throw std::out_of_range("too many buttons for one pack");
  for (size_t i = 0; i < buttons.size(); ++i)
    std::memcpy(&pack[197 + 18 * i], buttons[i].data(), 8);
  return pack;
}

Bytes join_packs(const std::vector<Bytes> &packs) {
  Bytes vob;
  for (const Bytes &p : packs)
    vob.insert(vob.end(), p.begin(), p.end());
  return vob;
}

} // namespace fixture

// Test fixture builder: lays out control files and menu VOB packs from a description.
#include "fixture.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace fixture {

namespace {

constexpr size_t kSector = 2048;
constexpr size_t kPgcFixed = 0xEC;

void align_to_sector(Bytes &bytes) {
  bytes.resize((bytes.size() + kSector - 1) / kSector * kSector);
}

size_t append_zeros(Bytes &bytes, size_t count) {
  const size_t at = bytes.size();
  bytes.resize(at + count);
  return at;
}

// Appends one program chain with its command and cell tables; returns its offset.
size_t append_pgc(Bytes &out, const Pgc &pgc, Layout &layout) {
  const size_t start = append_zeros(out, kPgcFixed);
  layout.pgcs.push_back(static_cast<uint32_t>(start));
  out[start + 2] = pgc.programs;
  out[start + 3] = pgc.cell_count.value_or(static_cast<uint8_t>(pgc.cells.size()));
  if (pgc.command_table) {
    const size_t table = append_zeros(out, 8);
    put_be16(out, start + 0xE4, static_cast<uint16_t>(table - start));
    put_be16(out, table, static_cast<uint16_t>(pgc.pre.size()));
    put_be16(out, table + 2, static_cast<uint16_t>(pgc.post.size()));
    put_be16(out, table + 4, static_cast<uint16_t>(pgc.cell_commands.size()));
    for (const auto *list : {&pgc.pre, &pgc.post, &pgc.cell_commands})
      for (const Command &c : *list)
        out.insert(out.end(), c.begin(), c.end());
    put_be16(out, table + 6, static_cast<uint16_t>(out.size() - table - 1));
  }
  if (!pgc.cells.empty()) {
    const size_t table = append_zeros(out, 24 * pgc.cells.size());
    put_be16(out, start + 0xE8, static_cast<uint16_t>(table - start));
    for (size_t j = 0; j < pgc.cells.size(); ++j) {
      out[table + 24 * j + 3] = pgc.cells[j].command_number;
      put_be32(out, table + 24 * j + 8, pgc.cells[j].first_vobu_sector);
    }
  }
  return start;
}

// A table of search pointers to program chains (a language unit or a
// VTS_PGCIT); offsets count from the table's first byte.
size_t append_pgc_table(Bytes &out, const std::vector<Pgc> &pgcs, Layout &layout) {
  const size_t table = append_zeros(out, 8 + 8 * pgcs.size());
  put_be16(out, table, static_cast<uint16_t>(pgcs.size()));
  for (size_t k = 0; k < pgcs.size(); ++k) {
    const size_t pgc = append_pgc(out, pgcs[k], layout);
    out[table + 8 + 8 * k] = pgcs[k].category;
    put_be32(out, table + 8 + 8 * k + 4, static_cast<uint32_t>(pgc - table));
  }
  put_be32(out, table + 4, static_cast<uint32_t>(out.size() - table - 1));
  return table;
}

size_t append_menu_table(Bytes &out, const MenuTable &menus, Layout &layout) {
  const size_t table = append_zeros(out, 8 + 8 * menus.units.size());
  put_be16(out, table, static_cast<uint16_t>(menus.units.size()));
  for (size_t i = 0; i < menus.units.size(); ++i) {
    const LanguageUnit &unit = menus.units[i];
    const size_t pointer = table + 8 + 8 * i;
    out[pointer] = unit.code.size() > 0 ? static_cast<uint8_t>(unit.code[0]) : 0;
    out[pointer + 1] = unit.code.size() > 1 ? static_cast<uint8_t>(unit.code[1]) : 0;
    out[pointer + 3] = unit.existence;
    const size_t lu = append_pgc_table(out, unit.pgcs, layout);
    put_be32(out, pointer + 4, static_cast<uint32_t>(lu - table));
  }
  put_be32(out, table + 4, static_cast<uint32_t>(out.size() - table - 1));
  return table;
}

// Puts a menu table at the next sector and its sector number in the header
// field `sector_field`; returns the table's offset.
uint32_t place_menu_table(Bytes &out, const MenuTable &menus, Layout &layout, size_t sector_field) {
  align_to_sector(out);
  const auto table = static_cast<uint32_t>(append_menu_table(out, menus, layout));
  put_be32(out, sector_field, table / kSector);
  return table;
}

// The part-of-title table at the next sector: title offsets, then 4-byte
// chapter entries (PGCN, program 1).
void place_ptt_table(Bytes &out, const std::vector<std::vector<uint16_t>> &titles, Layout &layout) {
  align_to_sector(out);
  const size_t table = append_zeros(out, 8 + 4 * titles.size());
  layout.ptt_table = static_cast<uint32_t>(table);
  put_be16(out, table, static_cast<uint16_t>(titles.size()));
  for (size_t t = 0; t < titles.size(); ++t) {
    put_be32(out, table + 8 + 4 * t, static_cast<uint32_t>(out.size() - table));
    for (uint16_t pgcn : titles[t]) {
      const size_t entry = append_zeros(out, 4);
      put_be16(out, entry, pgcn);
      put_be16(out, entry + 2, 1);
    }
  }
  put_be32(out, table + 4, static_cast<uint32_t>(out.size() - table - 1));
  put_be32(out, 0xC8, static_cast<uint32_t>(table / kSector));
}

void finish(Bytes &out, size_t min_size) {
  align_to_sector(out);
  if (out.size() < min_size)
    out.resize(min_size);
}

} // namespace

Command cmd(const char *hex) {
  Command c{};
  char *end = const_cast<char *>(hex);
  for (size_t i = 0; i < c.size(); ++i) {
    const long value = std::strtol(end, &end, 16);
    c[i] = static_cast<uint8_t>(value);
  }
  return c;
}

Ifo build_vmg(const Vmg &vmg) {
  Ifo ifo;
  Bytes &out = ifo.bytes;
  out.resize(0x400);
  std::memcpy(out.data(), "DVDVIDEO-VMG", 12);
  if (vmg.first_play) {
    ifo.layout.first_play = static_cast<uint32_t>(append_pgc(out, *vmg.first_play, ifo.layout));
    put_be32(out, 0x84, ifo.layout.first_play);
  }
  if (vmg.titles) {
    align_to_sector(out);
    const size_t table = append_zeros(out, 8 + 12 * vmg.titles->size());
    ifo.layout.title_table = static_cast<uint32_t>(table);
    put_be16(out, table, static_cast<uint16_t>(vmg.titles->size()));
    for (size_t i = 0; i < vmg.titles->size(); ++i) {
      const Title &t = (*vmg.titles)[i];
      const size_t entry = table + 8 + 12 * i;
      out[entry + 1] = t.angles;
      put_be16(out, entry + 2, t.chapters);
      out[entry + 6] = t.vts;
      out[entry + 7] = t.title_in_vts;
    }
    put_be32(out, 0xC4, static_cast<uint32_t>(table / kSector));
  }
  if (vmg.menus)
    ifo.layout.menu_table = place_menu_table(out, *vmg.menus, ifo.layout, 0xC8);
  finish(out, vmg.min_size);
  return ifo;
}

Ifo build_vts(const Vts &vts) {
  Ifo ifo;
  Bytes &out = ifo.bytes;
  out.resize(kSector);
  std::memcpy(out.data(), "DVDVIDEO-VTS", 12);
  if (vts.titles) {
    align_to_sector(out);
    ifo.layout.title_pgc_table =
        static_cast<uint32_t>(append_pgc_table(out, *vts.titles, ifo.layout));
    put_be32(out, 0xCC, ifo.layout.title_pgc_table / kSector);
  }
  if (vts.menus)
    ifo.layout.menu_table = place_menu_table(out, *vts.menus, ifo.layout, 0xD0);
  if (vts.chapters)
    place_ptt_table(out, *vts.chapters, ifo.layout);
  finish(out, vts.min_size);
  return ifo;
}

Bytes nav_pack_with_count(const std::vector<Command> &buttons, uint8_t count) {
  Bytes pack(kSector);
  const uint8_t pack_start[] = {0x00, 0x00, 0x01, 0xBA};
  const uint8_t system_header[] = {0x00, 0x00, 0x01, 0xBB};
  std::memcpy(pack.data(), pack_start, 4);
  std::memcpy(pack.data() + 14, system_header, 4);
  pack[158] = count;
  for (size_t i = 0; i < buttons.size(); ++i) {
    const size_t at = 197 + 18 * i;
    if (at + 8 > pack.size())
      throw std::out_of_range("too many buttons for one pack");
    std::memcpy(pack.data() + at, buttons[i].data(), 8);
  }
  return pack;
}

Bytes nav_pack(const std::vector<Command> &buttons) {
  return nav_pack_with_count(buttons, static_cast<uint8_t>(buttons.size()));
}

Bytes video_pack() {
  Bytes pack(kSector);
  const uint8_t pack_start[] = {0x00, 0x00, 0x01, 0xBA};
  const uint8_t video_start[] = {0x00, 0x00, 0x01, 0xE0};
  std::memcpy(pack.data(), pack_start, 4);
  std::memcpy(pack.data() + 14, video_start, 4);
  return pack;
}

void append_pack(Bytes &vob, const Bytes &pack, size_t times) {
  for (size_t i = 0; i < times; ++i)
    vob.insert(vob.end(), pack.begin(), pack.end());
}

void put_be16(Bytes &bytes, size_t offset, uint16_t value) {
  bytes.at(offset) = static_cast<uint8_t>(value >> 8);
  bytes.at(offset + 1) = static_cast<uint8_t>(value);
}

void put_be32(Bytes &bytes, size_t offset, uint32_t value) {
  put_be16(bytes, offset, static_cast<uint16_t>(value >> 16));
  put_be16(bytes, offset + 2, static_cast<uint16_t>(value));
}

uint16_t be16(const Bytes &bytes, size_t offset) {
  return static_cast<uint16_t>(bytes.at(offset) << 8 | bytes.at(offset + 1));
}

uint32_t be32(const Bytes &bytes, size_t offset) {
  return uint32_t{be16(bytes, offset)} << 16 | be16(bytes, offset + 2);
}

void write_file(const std::filesystem::path &path, const Bytes &bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char *>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out)
    throw std::runtime_error("cannot write " + path.string());
}

} // namespace fixture

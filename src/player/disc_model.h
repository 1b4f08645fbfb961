// SPDX-License-Identifier: MIT
// The disc as the player model sees it: chains with their cells and commands, chapters, menu
// buttons, gathered from the walk one title set at a time as the player enters them.
#pragma once

#include "navigation/model.h"
#include "navigation/walk.h"
#include "player/trace.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace player {

using navigation::ChainRef;
using navigation::Domain;

// A command as the walk gave it: its bytes (decoded again when it runs, by
// the same decoder that wrote its text) and where its target leads.
struct StoredCommand {
  uint8_t bytes[8];
  uint32_t offset; // in its file
  uint16_t number; // in its list or button group
  bool resolved;
  ChainRef target;
  uint32_t reason; // of an unresolved target: index into DiscModel::reason
};

// What a chain plays and runs; chains at one offset of their file share it.
struct ChainBody {
  std::vector<navigation::CellPlayback> cells;
  std::vector<uint8_t> program_map;                // each program's first cell
  std::array<std::vector<StoredCommand>, 3> lists; // pre, post, cell
};

struct ModelChain {
  bool present = false; // the walk met it inside its file
  ChainRef ref;
  uint32_t offset = 0;
  uint8_t category = 0;
  uint8_t programs = 0;
  uint8_t playback_mode = 0;
  uint8_t still = 0;
  uint32_t milliseconds = 0; // the chain's playback time
  uint16_t next_pgcn = 0, prev_pgcn = 0, goup_pgcn = 0;
  std::shared_ptr<ChainBody> body; // set when present
};

struct ModelButton {
  StoredCommand command;
  uint8_t auto_action;
};

// The buttons of one NAV pack (and the identical packs folded into it).
struct ModelGroup {
  uint32_t pack;
  uint8_t highlight_status, forced_select, forced_activate;
  std::vector<ModelButton> buttons;
};

struct MenuUnit {
  uint8_t code[2];
  std::vector<ModelChain> chains; // by pgcn - 1
};

struct TitleSetModel {
  bool loaded = false;
  std::string control_file; // own names, for the trace
  std::string menu_vob;
  std::vector<ModelChain> titles; // by pgcn - 1
  std::vector<MenuUnit> menus;
  // Each title's chapters: the chain and program each starts at.
  std::vector<std::vector<std::pair<uint16_t, uint8_t>>> chapters;
  std::vector<ModelGroup> groups; // of the menu VOB, in pack order
};

struct TitleRow {
  uint8_t title_set;
  uint8_t title_in_set;
};

class DiscModel {
public:
  // `problems` hears the problems the walk meets on the way.
  DiscModel(const char *path, TraceSink &problems);
  ~DiscModel();
  DiscModel(const DiscModel &) = delete;
  DiscModel &operator=(const DiscModel &) = delete;

  // Title set `title_set` (0: the video manager), walked when first asked
  // for; null when the disc has none or its control file does not load.
  const TitleSetModel *title_set(unsigned title_set);
  // Whether the title set is one of the disc's, loaded or not.
  bool names_title_set(unsigned title_set) const;
  // Calls `visit` with each of the disc's title sets that loads, the video
  // manager first, walking those not walked yet; none when the video
  // manager does not load, as -I goes no further then.
  template <class Visit> void each_title_set(Visit visit) {
    if (title_set(0) == nullptr)
      return;
    for (unsigned n = 0; n <= 99; ++n)
      if (const TitleSetModel *set = names_title_set(n) ? title_set(n) : nullptr)
        visit(*set);
  }
  // The chain `ref` names, walking its title set when needed; null when it
  // is not there.
  const ModelChain *chain(const ChainRef &ref);
  // The same within a title set's model as it stands, walking nothing.
  const ModelChain *chain_in(const TitleSetModel &set, const ChainRef &ref) const;
  // The first-play chain, when the disc has one.
  const ModelChain *first_play();
  const std::vector<TitleRow> &titles();
  // The whole-disc number of title `title_in_set` of title set `title_set`, 0: none.
  unsigned disc_title(unsigned title_set, unsigned title_in_set);
  const std::string &reason(uint32_t index) const { return reasons_[index]; }
  // The file message of a title set that does not load, for the trace's end.
  const std::string &missing(unsigned title_set) const { return missing_[title_set]; }

  // Where `target` leads from `origin`; menus are looked up in the origin's
  // menu_unit (the player's menu language).
  navigation::Resolution resolve(const navigation::Origin &origin, const Target &target);

private:
  class Builder;
  friend class Builder;

  std::unique_ptr<Builder> builder_;
  std::unique_ptr<navigation::TitleSetWalk> walk_;
  std::array<TitleSetModel, 100> sets_;
  std::array<bool, 100> tried_{};
  std::array<std::string, 100> missing_;
  ModelChain first_play_;
  std::vector<TitleRow> titles_;
  std::vector<std::string> reasons_;
};

} // namespace player

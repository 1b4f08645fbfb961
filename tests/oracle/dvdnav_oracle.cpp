// SPDX-License-Identifier: MIT
// Test oracle: plays a disc's navigation with libdvdnav, headless, and prints the chains it enters.
//
// usage: dvdnav_oracle [--region N] [--press B,B,...] [--still-wait S] VIDEO_TS
//
// A player of region N (default 1) with menu, audio and subpicture language
// "en" starts the disc and takes every step on its own, as a viewer who only
// presses the button the disc offers: at each menu with buttons it activates
// the next button of --press, once those are used the default one (the
// forced-activate button, else the forced-select button, else the
// highlighted one). Finite stills and waits are skipped. Printed, one a line
// (tests/discs/README.md has the details):
//   <chain id>       each chain entered in which a cell plays
//   press N          button N activated at that menu
//   title N          after the line of the first title chain: its whole-disc number
//   then <chain id>  the first title has played its last cell; the chain it went on to
//   then stop        ... and the player stopped there
//   stop | wait | loop   the player stopped; sat in an endless still with no
//                    button left to press (after S seconds of wall clock with
//                    --still-wait S); entered a chain a third time
// libdvdnav runs the commands of a chain that plays no cell within one call
// and tells nothing of it, so such chains are never printed.
#include <dvdnav/dvdnav.h>
#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {

// A run ends after this many blocks and events even if no chain repeats.
constexpr int block_budget = 200000;
constexpr int endless_still = 0xff;

// Where the lines go: libdvdread writes notices to standard output, which
// main() turns to standard error.
FILE *report = stdout;

// `value` in decimal, zero-padded to `width` digits.
std::string padded(int value, int width) {
  const std::string digits = std::to_string(value);
  return std::string(width - std::min<int>(width, digits.size()), '0') + digits;
}

// The menu language unit a player with menu language "en" uses (from 1),
// the first when none is "en"; 0 when there are no menus.
int language_unit(const ifo_handle_t *ifo) {
  if (!ifo || !ifo->pgci_ut || ifo->pgci_ut->nr_of_lus == 0)
    return 0;
  for (int i = 0; i < ifo->pgci_ut->nr_of_lus; ++i)
    if (ifo->pgci_ut->lu[i].lang_code == ('e' << 8 | 'n'))
      return i + 1;
  return 1;
}

// The lowest-numbered menu PGC whose cell `cell` holds sector `sector`;
// chains that share that cell cannot be told apart this way.
int menu_pgc_holding(const ifo_handle_t *ifo, int cell, uint32_t sector) {
  const int unit = language_unit(ifo);
  const pgcit_t *table = unit ? ifo->pgci_ut->lu[unit - 1].pgcit : nullptr;
  for (int n = 0; table && n < table->nr_of_pgci_srp; ++n) {
    const pgc_t *pgc = table->pgci_srp[n].pgc;
    if (pgc && cell <= pgc->nr_of_cells && pgc->cell_playback[cell - 1].first_sector <= sector &&
        sector <= pgc->cell_playback[cell - 1].last_sector)
      return n + 1;
  }
  return 0;
}

class Oracle {
public:
  // The viewer: buttons to press at the next menus, seconds to sit in an
  // endless still before giving up.
  std::deque<int> presses;
  int still_wait = 0;

  Oracle(dvdnav_t *nav, const char *path) : nav_(nav), dvd_(DVDOpen(path)) {}
  ~Oracle() {
    for (auto &[number, ifo] : ifos_)
      if (ifo)
        ifoClose(ifo);
    if (dvd_)
      DVDClose(dvd_);
    dvdnav_close(nav_);
  }
  Oracle(const Oracle &) = delete;
  Oracle &operator=(const Oracle &) = delete;

  // Plays until the run has its last line; false when libdvdnav fails.
  bool run() {
    uint8_t block[DVD_VIDEO_LB_LEN];
    for (int step = 0; step < block_budget && !done_; ++step) {
      int event = 0, length = 0;
      if (dvdnav_get_next_block(nav_, block, &event, &length) != DVDNAV_STATUS_OK) {
        say(std::string("error ") + dvdnav_err_to_string(nav_));
        return false;
      }
      if (event == DVDNAV_VTS_CHANGE) {
        title_set_ = std::max(0, reinterpret_cast<dvdnav_vts_change_event_t *>(block)->new_vtsN);
      } else if (event == DVDNAV_CELL_CHANGE) {
        // The chain is named at the cell's first NAV packet, whose sector
        // tells menu chains apart.
        next_cell_ = reinterpret_cast<dvdnav_cell_change_event_t *>(block)->cellN;
        pressed_ = false;
        still_since_.reset();
      } else if (event == DVDNAV_NAV_PACKET) {
        on_nav_packet(dvdnav_get_current_nav_pci(nav_));
      } else if (event == DVDNAV_STILL_FRAME) {
        on_still(reinterpret_cast<dvdnav_still_event_t *>(block)->length);
      } else if (event == DVDNAV_WAIT) {
        dvdnav_wait_skip(nav_);
      } else if (event == DVDNAV_STOP) {
        finish(title_ ? "then stop" : "stop");
      }
    }
    if (!done_)
      finish("loop");
    return true;
  }

private:
  // VIDEO_TS.IFO for 0, else VTS_nn_0.IFO, read with libdvdread: libdvdnav's
  // API gives no language unit, no cell count and, before it has opened a
  // title set, no menu PGC number. Null when it does not read.
  ifo_handle_t *ifo(int title_set) {
    auto [it, added] = ifos_.try_emplace(title_set, nullptr);
    if (added && dvd_)
      it->second = ifoOpen(dvd_, title_set);
    return it->second;
  }

  void on_nav_packet(pci_t *pci) {
    if (next_cell_ != 0) {
      enter(chain_id(next_cell_, pci->pci_gi.nv_pck_lbn), next_cell_);
      next_cell_ = 0;
    }
    const hl_gi_t &highlight = pci->hli.hl_gi;
    if (done_ || pressed_ || highlight.hli_ss == 0 || highlight.btn_ns == 0)
      return;
    int32_t button = highlight.foac_btnn ? highlight.foac_btnn : highlight.fosl_btnn;
    if (!presses.empty()) {
      button = presses.front();
      presses.pop_front();
    } else if (button == 0) {
      dvdnav_get_current_highlight(nav_, &button);
    }
    if (button < 1 || button > highlight.btn_ns)
      button = 1;
    pressed_ = true;
    say("press " + std::to_string(button));
    dvdnav_button_select(nav_, pci, button);
    dvdnav_button_activate(nav_, pci);
  }

  // An endless still ends only by a button; with none left to press the
  // player waits, here after --still-wait seconds in which libdvdnav could
  // still leave it (a navigation timer would).
  void on_still(int seconds) {
    const auto now = std::chrono::steady_clock::now();
    if (!still_since_)
      still_since_ = now;
    if (seconds != endless_still)
      dvdnav_still_skip(nav_);
    else if (now - *still_since_ < std::chrono::seconds(still_wait))
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    else
      finish("wait");
  }

  std::string chain_id(int cell, uint32_t sector) {
    int32_t title = 0, pgcn = 0, program = 0;
    const bool known =
        dvdnav_current_title_program(nav_, &title, &pgcn, &program) == DVDNAV_STATUS_OK;
    if (dvdnav_is_domain_vts(nav_)) {
      chain_title_ = title;
      chain_cells_ = 0;
      const ifo_handle_t *vts = ifo(title_set_);
      if (vts && vts->vts_pgcit && pgcn >= 1 && pgcn <= vts->vts_pgcit->nr_of_pgci_srp)
        chain_cells_ = vts->vts_pgcit->pgci_srp[pgcn - 1].pgc->nr_of_cells;
      return "vts" + padded(title_set_, 2) + "_title_pgc" + padded(pgcn, 3);
    }
    const bool title_set_menu = dvdnav_is_domain_vtsm(nav_);
    const ifo_handle_t *menus = ifo(title_set_menu ? title_set_ : 0);
    // In the first-play domain libdvdnav gives no PGC number; with no
    // first-play chain it plays a VMGM menu chain there.
    if (!known || dvdnav_is_domain_fp(nav_))
      pgcn = menu_pgc_holding(menus, cell, sector);
    if (dvdnav_is_domain_fp(nav_) && pgcn == 0)
      return "first_play";
    return (title_set_menu ? "vts" + padded(title_set_, 2) + "_menu" : "vmg_menu") + "_lu" +
           padded(language_unit(menus), 2) + "_pgc" + padded(pgcn, 3);
  }

  // A chain is entered when its id changes or its cell number does not go up
  // (the chain started again).
  void enter(const std::string &id, int cell) {
    const bool entered = id != chain_ || cell <= cell_;
    cell_ = cell;
    if (entered && title_done_)
      return finish("then " + id);
    if (entered) {
      chain_ = id;
      say(id);
      if (++entries_[id] == 3)
        return finish("loop");
      if (title_ == 0 && dvdnav_is_domain_vts(nav_)) {
        title_ = chain_title_;
        title_chain_ = id;
        title_cells_ = chain_cells_;
        say("title " + std::to_string(title_));
      }
    }
    title_done_ = title_done_ || (id == title_chain_ && cell == title_cells_);
  }

  static void say(const std::string &line) { std::fprintf(report, "%s\n", line.c_str()); }
  void finish(const std::string &line) {
    say(line);
    done_ = true;
  }

  dvdnav_t *nav_;
  dvd_reader_t *dvd_;
  std::map<int, ifo_handle_t *> ifos_;
  int title_set_ = 0;
  int next_cell_ = 0;
  bool pressed_ = false;
  std::optional<std::chrono::steady_clock::time_point> still_since_;
  std::string chain_; // the chain being played, at cell cell_
  int cell_ = 0;
  int chain_title_ = 0; // of the title chain last named: its title and cell count
  int chain_cells_ = 0;
  std::map<std::string, int> entries_;
  int title_ = 0; // the first title: its number, chain, cell count
  std::string title_chain_;
  int title_cells_ = 0;
  bool title_done_ = false; // its last cell has started
  bool done_ = false;
};

} // namespace

int main(int argc, char **argv) {
  int region = 1;
  int still_wait = 0;
  std::deque<int> presses;
  const char *path = nullptr;
  bool understood = true;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg[0] != '-' && !path) {
      path = argv[i];
    } else if (i + 1 < argc && arg == "--region") {
      region = std::atoi(argv[++i]);
    } else if (i + 1 < argc && arg == "--still-wait") {
      still_wait = std::atoi(argv[++i]);
    } else if (i + 1 < argc && arg == "--press") {
      std::istringstream list(argv[++i]);
      for (std::string button; std::getline(list, button, ',');)
        presses.push_back(std::atoi(button.c_str()));
    } else {
      understood = false;
    }
  }
  if (!understood || !path || region < 1 || region > 8) {
    std::fprintf(stderr,
                 "usage: dvdnav_oracle [--region N] [--press B,B,...] [--still-wait S] VIDEO_TS\n");
    return 2;
  }
  report = fdopen(dup(STDOUT_FILENO), "w");
  dup2(STDERR_FILENO, STDOUT_FILENO);
  dvdnav_t *nav = nullptr;
  if (dvdnav_open(&nav, path) != DVDNAV_STATUS_OK) {
    std::fprintf(stderr, "dvdnav_oracle: libdvdnav cannot open %s\n", path);
    return 1;
  }
  char english[] = "en";
  dvdnav_menu_language_select(nav, english);
  dvdnav_audio_language_select(nav, english);
  dvdnav_spu_language_select(nav, english);
  dvdnav_set_region_mask(nav, 1 << (region - 1));
  Oracle oracle(nav, path);
  oracle.presses = std::move(presses);
  oracle.still_wait = still_wait;
  const bool ok = oracle.run();
  std::fclose(report);
  return ok ? 0 : 1;
}

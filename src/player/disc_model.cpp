// SPDX-License-Identifier: MIT
// The disc as the player model sees it, gathered from the walk one title set at a time.
#include "player/disc_model.h"

#include <algorithm>

namespace player {

using navigation::CommandList;

// Keeps what the walk of one title set tells that a player needs.
class DiscModel::Builder : public navigation::Visitor {
public:
  explicit Builder(DiscModel &model, TraceSink &problems) : model_(model), problems_(problems) {}

  void problem(const navigation::Problem &problem) override {
    last_problem_ = problem.message;
    problems_.problem(problem);
  }
  std::string last_problem_;
  void begin_control_file(const navigation::ControlFile &file) override {
    set_ = &model_.sets_[file.title_set];
    set_->control_file = file.name;
  }
  void title(const navigation::TitleEntry &entry) override {
    model_.titles_.push_back(TitleRow{entry.title_set, entry.title_in_set});
  }
  void begin_language_unit(const navigation::LanguageUnit &unit) override {
    set_->menus.push_back(MenuUnit{{unit.code[0], unit.code[1]}, {}});
  }
  void begin_chain(const navigation::Chain &header) override;
  void begin_command_list(const navigation::CommandListInfo &list) override {
    list_ = static_cast<unsigned>(list.list);
  }
  void command(const navigation::Command &command) override;
  void chapter(const navigation::Chapter &chapter) override;
  void begin_menu_vob(const navigation::MenuVob &vob) override {
    set_ = &model_.sets_[vob.title_set];
    set_->menu_vob = vob.name;
  }
  void begin_button_group(const navigation::ButtonGroup &group) override {
    set_->groups.push_back(ModelGroup{
        group.pack, group.highlight_status, group.forced_select, group.forced_activate, {}});
  }

private:
  StoredCommand store(const navigation::Command &command);

  DiscModel &model_;
  TraceSink &problems_;
  TitleSetModel *set_ = nullptr;
  ModelChain *chain_ = nullptr;
  unsigned list_ = 0;
};

void DiscModel::Builder::begin_chain(const navigation::Chain &header) {
  std::vector<ModelChain> *chains = nullptr;
  switch (header.ref.domain) {
  case Domain::kFirstPlay:
    chain_ = &model_.first_play_;
    break;
  case Domain::kVtsTitle:
    chains = &set_->titles;
    break;
  case Domain::kVmgm:
  case Domain::kVtsm:
    chains = &set_->menus.back().chains;
    break;
  }
  if (chains != nullptr) {
    if (chains->size() < header.ref.pgcn)
      chains->resize(header.ref.pgcn);
    chain_ = &(*chains)[header.ref.pgcn - 1u];
  }
  ModelChain &chain = *chain_;
  chain.present = true;
  chain.ref = header.ref;
  chain.offset = static_cast<uint32_t>(header.offset);
  chain.category = header.category;
  chain.programs = header.programs;
  chain.playback_mode = header.playback_mode;
  chain.still = header.still;
  chain.milliseconds = header.milliseconds;
  chain.next_pgcn = header.next_pgcn;
  chain.prev_pgcn = header.prev_pgcn;
  chain.goup_pgcn = header.goup_pgcn;
  if (header.repeats) {
    // The chain met before at this offset: its body is shared. (One that is
    // not a chain of this title set's tables, the first play, plays nothing.)
    const ModelChain *earlier = model_.chain_in(*set_, header.repeated);
    chain.body = earlier != nullptr ? earlier->body : std::make_shared<ChainBody>();
    return;
  }
  chain.body = std::make_shared<ChainBody>();
  chain.body->cells.assign(header.cell_list, header.cell_list + header.cell_list_count);
  chain.body->program_map.assign(header.program_map, header.program_map + header.program_map_count);
}

StoredCommand DiscModel::Builder::store(const navigation::Command &command) {
  StoredCommand stored{};
  std::copy_n(command.bytes, 8, stored.bytes);
  stored.offset = static_cast<uint32_t>(command.offset);
  stored.number = static_cast<uint16_t>(command.number);
  if (command.resolution != nullptr) {
    stored.resolved = command.resolution->resolved;
    stored.target = command.resolution->chain;
    if (!stored.resolved) {
      stored.reason = static_cast<uint32_t>(model_.reasons_.size());
      model_.reasons_.emplace_back(command.resolution->reason);
    }
  }
  return stored;
}

void DiscModel::Builder::command(const navigation::Command &command) {
  if (command.list == CommandList::kButton) {
    set_->groups.back().buttons.push_back(ModelButton{store(command), command.auto_action});
    return;
  }
  chain_->body->lists[list_].push_back(store(command));
}

void DiscModel::Builder::chapter(const navigation::Chapter &chapter) {
  auto &titles = set_->chapters;
  if (titles.size() < chapter.title)
    titles.resize(chapter.title);
  titles[chapter.title - 1].emplace_back(chapter.pgcn, chapter.pgn);
}

DiscModel::DiscModel(const char *path, TraceSink &problems)
    : builder_(std::make_unique<Builder>(*this, problems)),
      walk_(std::make_unique<navigation::TitleSetWalk>(path, *builder_)) {}

DiscModel::~DiscModel() = default;

const TitleSetModel *DiscModel::title_set(unsigned title_set) {
  if (title_set > 99)
    return nullptr;
  TitleSetModel &set = sets_[title_set];
  if (!tried_[title_set]) {
    tried_[title_set] = true;
    builder_->last_problem_.clear();
    set.loaded = walk_->walk(title_set);
    if (!set.loaded)
      missing_[title_set] = builder_->last_problem_;
  }
  return set.loaded ? &set : nullptr;
}

bool DiscModel::names_title_set(unsigned title_set) const {
  return walk_->names_title_set(title_set);
}

const ModelChain *DiscModel::chain(const ChainRef &ref) {
  if (ref.domain == Domain::kFirstPlay)
    return first_play();
  const TitleSetModel *set = title_set(ref.title_set);
  return set != nullptr ? chain_in(*set, ref) : nullptr;
}

const ModelChain *DiscModel::chain_in(const TitleSetModel &title_set, const ChainRef &ref) const {
  const TitleSetModel *set = &title_set;
  const std::vector<ModelChain> *chains = &set->titles;
  if (ref.domain != Domain::kVtsTitle) {
    if (ref.language_unit == 0 || ref.language_unit > set->menus.size())
      return nullptr;
    chains = &set->menus[ref.language_unit - 1u].chains;
  }
  if (ref.pgcn == 0 || ref.pgcn > chains->size() || !(*chains)[ref.pgcn - 1u].present)
    return nullptr;
  return &(*chains)[ref.pgcn - 1u];
}

const ModelChain *DiscModel::first_play() {
  title_set(0);
  return first_play_.present ? &first_play_ : nullptr;
}

const std::vector<TitleRow> &DiscModel::titles() {
  title_set(0);
  return titles_;
}

unsigned DiscModel::disc_title(unsigned title_set, unsigned title_in_set) {
  const std::vector<TitleRow> &rows = titles();
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].title_set == title_set && rows[i].title_in_set == title_in_set)
      return static_cast<unsigned>(i + 1);
  return 0;
}

navigation::Resolution DiscModel::resolve(const navigation::Origin &origin, const Target &target) {
  return walk_->resolve(origin, target);
}

} // namespace player

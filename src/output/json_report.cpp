// SPDX-License-Identifier: MIT
// The --json report: renders the navigation walk's events as one JSON document while it walks.
#include "output/json_report.h"

#include "decoder/name_tables.h"
#include "ifo/ifo_layout.h"
#include "navigation/walk.h"
#include "platform/console.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>

namespace {

using navigation::ChainRef;
using navigation::CommandList;
using navigation::Domain;
using navigation::Section;

// The block is handed to the console once it holds this much (the console
// writes a piece that size as it is, without copying it).
constexpr size_t kFlushSize = 1 << 18;
constexpr size_t kBlockSize = 2 * kFlushSize;

// Names of the model's enumerations in the document, indexed by their values.
constexpr std::array<const char *, 4> kDomainNames = {"first_play", "vmgm", "vtsm", "vts_title"};
constexpr std::array<const char *, 15> kTargetKindNames = {
    "",        "goto_line",   "break",        "exit",     "link",
    "resume",  "link_pgcn",   "link_pttn",    "link_pgn", "link_cn",
    "jump_tt", "jump_vts_tt", "jump_vts_ptt", "jump_ss",  "call_ss"};
constexpr std::array<const char *, 4> kSpaceNames = {"first_play", "vmgm_menu", "vtsm_menu",
                                                     "vmgm_pgcn"};
// Set operators by the names of the format (the listing writes them as =, <->, += ...).
constexpr std::array<const char *, 16> kSetOperators = {
    "none", "mov", "swp", "add", "sub",       "mul",       "div",       "mod",
    "rnd",  "and", "or",  "xor", "undefined", "undefined", "undefined", "undefined"};
constexpr std::array<const char *, 6> kSystemSetNames = {
    "", "streams", "nav_timer", "register_mode", "audio_mix", "highlight"};
constexpr std::array<const char *, 4> kGatingNames = {"all", "set_then_compare", "compare_all",
                                                      "compare_set_link_always"};
static_assert(static_cast<size_t>(SystemSetKind::kHighlight) + 1 == kSystemSetNames.size());
static_assert(static_cast<size_t>(Gating::kCompareSetLinkAll) + 1 == kGatingNames.size());
// A menu VOB's button groups hold their commands under "buttons".
constexpr std::array<const char *, 4> kListNames = {"pre", "post", "cell", "buttons"};
static_assert(static_cast<size_t>(Domain::kVtsTitle) + 1 == kDomainNames.size());
static_assert(static_cast<size_t>(TargetKind::kCallSS) + 1 == kTargetKindNames.size());
static_assert(static_cast<size_t>(SystemSpace::kVmgmPgcn) + 1 == kSpaceNames.size());
static_assert(static_cast<size_t>(CommandList::kButton) + 1 == kListNames.size());

const char *target_kind_name(TargetKind kind) {
  return kTargetKindNames[static_cast<size_t>(kind)];
}

const char *space_name(SystemSpace space) {
  return kSpaceNames[static_cast<size_t>(space)];
}

const char *list_name(CommandList list) {
  return kListNames[static_cast<size_t>(list)];
}

// The menu existence flags of a language unit, named as the text report
// names them.
void existence_names(Domain domain, uint8_t flags, std::string_view names[], unsigned *count) {
  *count = 0;
  if (domain == Domain::kVmgm) {
    if (flags & 0x80)
      names[(*count)++] = "Title";
    return;
  }
  for (const MenuExistenceFlag &menu : kVtsMenuExistence)
    if (flags & menu.bit)
      names[(*count)++] = menu.name;
}

// The writer's output: one block, handed to the console whenever a token
// would not fit and after each command, chain or problem once it is past
// kFlushSize. The longest token, an escaped message, is a few kilobytes.
// Bytes are stored as char8_t, which unlike char cannot alias the write
// position, so the compiler keeps that in a register through the writer's
// byte loops.
class JsonBlock {
public:
  using Ch = char;

  void Put(char c) {
    if (next_ == end())
      flush();
    *next_++ = static_cast<char8_t>(c);
  }
  void PutUnsafe(char c) { *next_++ = static_cast<char8_t>(c); }
  // Makes room for `count` more bytes, at most the block's size.
  void reserve(size_t count) {
    if (static_cast<size_t>(end() - next_) < count)
      flush();
  }
  // Room for `count` bytes, written by the caller.
  char8_t *take(size_t count) {
    reserve(count);
    char8_t *at = next_;
    next_ += count;
    return at;
  }
  // Gives back what take() handed out beyond `at`.
  void give_back(char *at) { next_ = reinterpret_cast<char8_t *>(at); }
  void Flush() {}

  size_t size() const { return static_cast<size_t>(next_ - block_.get()); }
  void flush() {
    console_write(reinterpret_cast<const char *>(block_.get()), size());
    next_ = block_.get();
  }

private:
  char8_t *end() { return block_.get() + kBlockSize; }

  std::unique_ptr<char8_t[]> block_ = std::make_unique_for_overwrite<char8_t[]>(kBlockSize);
  char8_t *next_ = block_.get();
};

// RapidJSON's reserved writes, found by argument-dependent lookup.
void PutReserve(JsonBlock &block, size_t count) {
  block.reserve(count);
}
void PutUnsafe(JsonBlock &block, char c) {
  block.PutUnsafe(c);
}

// RapidJSON's Writer with shorter paths for what a report of a big disc
// writes tens of millions of times: the program's own names (keys, operation
// words, hex digits), which need no escaping and are copied as they are; a
// key with its number; and strings that hold nothing to escape.
class JsonWriter : public rapidjson::Writer<JsonBlock> {
public:
  using Writer::Writer;

  void Name(std::string_view text) {
    Prefix(rapidjson::kStringType);
    char8_t *out = os_->take(text.size() + 2);
    out[0] = '"';
    std::memcpy(out + 1, text.data(), text.size());
    out[text.size() + 1] = '"';
    EndValue(true);
  }

  // The key `name` and its value: `"name":value`.
  void NumberField(std::string_view name, uint64_t value) {
    auto *digits = reinterpret_cast<char *>(open_field(name, 20));
    os_->give_back(rapidjson::internal::u64toa(value, digits));
  }

  // The key `name` and the name `value`: `"name":"value"`.
  void NameField(std::string_view name, std::string_view value) {
    char8_t *out = open_field(name, value.size() + 2);
    out[0] = '"';
    std::memcpy(out + 1, value.data(), value.size());
    out[value.size() + 1] = '"';
  }

  void BoolField(std::string_view name, bool value) {
    const std::string_view word = value ? "true" : "false";
    std::memcpy(open_field(name, word.size()), word.data(), word.size());
  }

  // An array whose elements, JSON text already, `write` copies to the stream.
  template <typename Write> void RawArray(Write write) {
    Prefix(rapidjson::kArrayType);
    os_->Put('[');
    write(*os_);
    os_->Put(']');
  }

  // A string that may need escaping. Most need none: the decoded text of a
  // command has a quote only now and then.
  void Text(std::string_view text) {
    if (plain(text))
      Name(text);
    else
      String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
  }
  void TextField(std::string_view name, std::string_view text) {
    if (plain(text))
      return NameField(name, text);
    Name(name);
    String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
  }

private:
  // Writes `"name":` and counts the value that follows it, as Prefix would
  // have; returns room for `value_size` bytes of it.
  char8_t *open_field(std::string_view name, size_t value_size) {
    Prefix(rapidjson::kStringType);
    ++level_stack_.template Top<Level>()->valueCount;
    char8_t *out = os_->take(name.size() + 3 + value_size);
    out[0] = '"';
    std::memcpy(out + 1, name.data(), name.size());
    out[name.size() + 1] = '"';
    out[name.size() + 2] = ':';
    return out + name.size() + 3;
  }

  static bool plain(std::string_view text) {
    unsigned escaped = 0; // no early exit: the loop runs 16 bytes at a time
    for (const char c : text) {
      const auto byte = static_cast<unsigned char>(c);
      escaped |= unsigned{byte < 0x20} | unsigned{byte == '"'} | unsigned{byte == '\\'};
    }
    return escaped == 0;
  }
};

// The problems met while the disc is walked, as the JSON text of their
// objects, for the list that closes the document. A hostile disc can claim
// millions of chains that lie outside its file: past a few MiB they wait in a
// temporary file instead of memory.
class ProblemLog {
public:
  static constexpr size_t kHeldInMemory = 4 << 20;

  ProblemLog() = default;
  ProblemLog(const ProblemLog &) = delete;
  ProblemLog &operator=(const ProblemLog &) = delete;
  ~ProblemLog() {
    if (spill_ != nullptr)
      std::fclose(spill_);
  }

  void add(const navigation::Problem &problem) {
    rapidjson::StringBuffer text;
    rapidjson::Writer<rapidjson::StringBuffer> writer(text);
    std::string message;
    append_valid_utf8(problem.message, message);
    writer.StartObject();
    writer.Key("message");
    writer.String(message.data(), static_cast<rapidjson::SizeType>(message.size()));
    if (problem.file != nullptr) {
      writer.Key("file");
      writer.String(problem.file);
    }
    if (problem.has_offset) {
      writer.Key("offset");
      writer.Uint64(problem.offset);
    }
    writer.EndObject();
    if (!held_.empty() || spilled_)
      held_ += ',';
    held_.append(text.GetString(), text.GetSize());
    if (held_.size() > kHeldInMemory &&
        (spill_ != nullptr || (spill_ = std::tmpfile()) != nullptr)) {
      std::fwrite(held_.data(), 1, held_.size(), spill_);
      held_.clear();
      spilled_ = true;
    }
  }

  bool empty() const { return held_.empty() && !spilled_; }

  // Copies the objects, separated by commas, to `out`.
  void write_to(JsonBlock &out) {
    if (spill_ != nullptr) {
      std::rewind(spill_);
      char piece[1 << 16];
      for (size_t got; (got = std::fread(piece, 1, sizeof piece, spill_)) > 0;)
        for (size_t i = 0; i < got; ++i)
          out.Put(piece[i]);
    }
    for (const char c : held_)
      out.Put(c);
  }

private:
  std::string held_;
  std::FILE *spill_ = nullptr;
  bool spilled_ = false;
};

class JsonReport : public navigation::Visitor {
public:
  JsonReport() {
    writer_.StartObject();
    key("navlist");
    writer_.String(NAVLIST_VERSION);
  }

  // The notes, when there are any, and the problems come last: the document
  // is written while the disc is walked.
  void finish() {
    if (!notes_.empty()) {
      key("notes");
      writer_.RawArray([&](JsonBlock &out) { notes_.write_to(out); });
    }
    key("problems");
    writer_.RawArray([&](JsonBlock &out) { problems_.write_to(out); });
    writer_.EndObject();
    buffer_.Put('\n');
    flush();
  }

  void problem(const navigation::Problem &problem) override {
    (problem.note ? notes_ : problems_).add(problem);
  }

  // A run that reads no disc: the dumps asked for are null, and `message`
  // (a message of the text report) is the one problem.
  void no_disc(std::string_view message, bool ifo, bool menu_vob) {
    if (ifo) {
      key("video_manager");
      writer_.Null();
      key("title_sets");
      writer_.Null();
    }
    if (menu_vob) {
      key("menu_vobs");
      writer_.Null();
    }
    problem(
        navigation::Problem{navigation::ProblemLevel::kFile, message, nullptr, false, 0, false});
  }

  void begin_ifo_dump() override {
    key("video_manager");
    in_title_sets_ = false;
  }
  void begin_control_file(const navigation::ControlFile &file) override {
    if (file.title_set != 0 && !in_title_sets_)
      open_title_sets();
    if (file.title_set == 0)
      video_manager_written_ = true;
    writer_.StartObject();
    if (file.title_set != 0) {
      key("title_set");
      writer_.Uint(file.title_set);
    }
    key("file");
    writer_.String(file.name);
  }
  void end_control_file() override { writer_.EndObject(); }
  void end_ifo_dump() override {
    if (!in_title_sets_)
      open_title_sets();
    writer_.EndArray();
  }

  void begin_section(const navigation::SectionInfo &section) override {
    static constexpr const char *kKeys[] = {"title_table", "first_play", "menus", "titles",
                                            "menus"};
    key(kKeys[static_cast<unsigned>(section.section)]);
    // First play is one chain, the rest are lists.
    section_open_ = section.present && section.section != Section::kFirstPlay;
    if (section_open_)
      writer_.StartArray();
    else if (!section.present || !section.inside)
      writer_.Null();
  }
  void end_section() override {
    if (section_open_)
      writer_.EndArray();
  }

  void title(const navigation::TitleEntry &entry) override {
    writer_.StartObject();
    uint_field("title", entry.number);
    uint_field("title_set", entry.title_set);
    uint_field("title_in_set", entry.title_in_set);
    uint_field("angles", entry.angles);
    uint_field("chapters", entry.chapters);
    uint_field("offset", entry.offset);
    writer_.EndObject();
    flush_when_full();
  }

  void begin_language_unit(const navigation::LanguageUnit &unit) override {
    writer_.StartObject();
    uint_field("language_unit", unit.number);
    key("language");
    string(std::string_view(reinterpret_cast<const char *>(unit.code), 2));
    key("menu_existence");
    writer_.StartArray();
    std::string_view names[5];
    unsigned count;
    existence_names(unit.domain, unit.existence, names, &count);
    for (unsigned i = 0; i < count; ++i)
      name(names[i]);
    writer_.EndArray();
    key("chains");
    writer_.StartArray();
  }
  void end_language_unit() override {
    writer_.EndArray();
    writer_.EndObject();
    flush_when_full();
  }

  void begin_chain(const navigation::Chain &chain) override {
    writer_.StartObject();
    chain_ref(chain.ref);
    uint_field("offset", chain.offset);
    uint_field("programs", chain.programs);
    uint_field("cells", chain.cells);
    if (chain.entry) {
      key("entry");
      writer_.StartObject();
      if (chain.ref.domain == Domain::kVtsTitle) {
        uint_field("title", chain.entry_id);
      } else {
        uint_field("menu_type", chain.entry_id);
        name_field("menu", menu_names[chain.entry_id]);
      }
      writer_.EndObject();
    }
    if (chain.ref.domain == Domain::kVtsTitle)
      titles(chain.titles);
    uint_field("next_pgcn", chain.next_pgcn);
    uint_field("prev_pgcn", chain.prev_pgcn);
    uint_field("goup_pgcn", chain.goup_pgcn);
    bool_field("command_table", chain.command_table);
  }
  void begin_command_list(const navigation::CommandListInfo &list) override {
    open_list(list.list);
  }
  void end_command_list() override { writer_.EndArray(); }
  void end_chain() override {
    writer_.EndObject();
    flush_when_full();
  }

  void command(const navigation::Command &command) override;

  void begin_menu_vob_dump() override {
    key("menu_vobs");
    writer_.StartArray();
  }
  void begin_menu_vob(const navigation::MenuVob &vob) override {
    writer_.StartObject();
    key("file");
    writer_.String(vob.name);
    name_field("domain", json_domain_name(vob.domain));
    if (vob.title_set != 0)
      uint_field("title_set", vob.title_set);
    key("groups");
    writer_.StartArray();
  }
  void begin_button_group(const navigation::ButtonGroup &group) override {
    writer_.StartObject();
    uint_field("pack", group.pack);
    uint_field("repeat", group.repeat);
    if (group.used_by_known) {
      key("used_by");
      writer_.StartObject();
      chain_ref(group.chain);
      uint_field("cell", group.cell);
      writer_.EndObject();
    }
    open_list(CommandList::kButton);
  }
  void end_button_group() override {
    writer_.EndArray();
    writer_.EndObject();
  }
  void end_menu_vob() override {
    writer_.EndArray();
    writer_.EndObject();
  }
  void end_menu_vob_dump() override { writer_.EndArray(); }

private:
  void open_list(CommandList list) {
    key(list_name(list));
    writer_.StartArray();
  }
  void key(std::string_view name) { writer_.Name(name); }
  void uint_field(std::string_view name, uint64_t value) { writer_.NumberField(name, value); }
  void bool_field(std::string_view name, bool value) { writer_.BoolField(name, value); }
  void name(std::string_view text) { writer_.Name(text); }
  void name_field(std::string_view name, std::string_view value) { writer_.NameField(name, value); }
  void string(std::string_view bytes) {
    scratch_.clear();
    append_valid_utf8(bytes, scratch_);
    writer_.Text(scratch_);
  }
  void open_title_sets() {
    if (!video_manager_written_)
      writer_.Null();
    key("title_sets");
    writer_.StartArray();
    in_title_sets_ = true;
  }
  void chain_ref(const ChainRef &ref) {
    name_field("domain", json_domain_name(ref.domain));
    if (ref.domain == Domain::kVtsm || ref.domain == Domain::kVtsTitle)
      uint_field("title_set", ref.title_set);
    if (ref.domain == Domain::kVmgm || ref.domain == Domain::kVtsm)
      uint_field("language_unit", ref.language_unit);
    if (ref.domain != Domain::kFirstPlay)
      uint_field("pgcn", ref.pgcn);
  }
  void operand(const Operand &operand);
  void target(const Target &target, const navigation::Resolution &resolution);
  void system_set(const SystemSet &set);
  // "titles": the whole-disc titles that start at a title chain.
  void titles(const std::vector<uint16_t> *numbers) {
    key("titles");
    writer_.StartArray();
    if (numbers != nullptr)
      for (const uint16_t title : *numbers)
        writer_.Uint(title);
    writer_.EndArray();
  }
  void flush() { buffer_.flush(); }
  // Called after each command, chain, language unit, title and problem, so that the buffer stays
  // small however many of them a disc holds.
  void flush_when_full() {
    if (buffer_.size() >= kFlushSize)
      flush();
  }

  JsonBlock buffer_;
  JsonWriter writer_{buffer_};
  std::string scratch_;
  ProblemLog problems_;
  ProblemLog notes_;
  bool in_title_sets_ = false;
  bool video_manager_written_ = false;
  bool section_open_ = false;
};

void JsonReport::operand(const Operand &operand) {
  writer_.StartObject();
  if (operand.kind == OperandKind::kImmediate)
    uint_field("immediate", operand.value);
  else if (operand.value < 16)
    uint_field("gprm", operand.value);
  else if ((operand.value & 0x80) != 0 && (operand.value & 0x7F) < 24)
    uint_field("sprm", operand.value & 0x7Fu);
  else
    uint_field("register_byte", operand.value);
  writer_.EndObject();
}

// SetSTN's streams, SetNVTMR's timer, SetGPRMMD's register mode, SetAMXMD's
// mixing and SetHL_BTNN's button, under "system".
void JsonReport::system_set(const SystemSet &set) {
  key("system");
  writer_.StartObject();
  name_field("setting", kSystemSetNames[static_cast<size_t>(set.kind)]);
  switch (set.kind) {
  case SystemSetKind::kNone:
    break;
  case SystemSetKind::kStreams:
    for (const auto &[name, present, value] :
         {std::tuple{"audio", set.audio_set, set.audio},
          std::tuple{"subpicture", set.subpicture_set, set.subpicture},
          std::tuple{"angle", set.angle_set, set.angle}})
      if (present) {
        key(name);
        operand(value);
      }
    break;
  case SystemSetKind::kNavTimer:
    key("seconds");
    operand(set.value);
    uint_field("pgcn", set.pgcn);
    break;
  case SystemSetKind::kRegisterMode:
    key("register");
    operand(Operand{OperandKind::kRegister, set.reg});
    bool_field("counter", set.counter);
    key("value");
    operand(set.value);
    break;
  case SystemSetKind::kAudioMix:
  case SystemSetKind::kHighlight:
    key("value");
    operand(set.value);
    break;
  }
  writer_.EndObject();
}

void JsonReport::target(const Target &target, const navigation::Resolution &resolution) {
  key("target");
  writer_.StartObject();
  name_field("kind", target_kind_name(target.kind));
  switch (target.kind) {
  case TargetKind::kNone:
  case TargetKind::kBreak:
  case TargetKind::kExit:
  case TargetKind::kResume:
    break;
  case TargetKind::kGotoLine:
    uint_field("line", target.line);
    break;
  case TargetKind::kLinkSimple:
    name_field("link", link_names[target.link_code & 31]);
    break;
  case TargetKind::kLinkPGCN:
    uint_field("pgcn", target.pgcn);
    break;
  case TargetKind::kLinkPTTN:
    uint_field("chapter", target.chapter);
    break;
  case TargetKind::kLinkPGN:
    uint_field("program", target.program);
    break;
  case TargetKind::kLinkCN:
    uint_field("cell", target.cell);
    break;
  case TargetKind::kJumpTT:
  case TargetKind::kJumpVTS_TT:
    uint_field("title", target.title);
    break;
  case TargetKind::kJumpVTS_PTT:
    uint_field("title", target.title);
    uint_field("chapter", target.chapter);
    break;
  case TargetKind::kJumpSS:
  case TargetKind::kCallSS:
    name_field("space", space_name(target.space));
    if (target.space == SystemSpace::kVmgmMenu || target.space == SystemSpace::kVtsmMenu)
      uint_field("menu", target.menu);
    if (target.kind == TargetKind::kJumpSS && target.space == SystemSpace::kVtsmMenu) {
      uint_field("title_set", target.title_set);
      uint_field("title", target.title);
    }
    if (target.space == SystemSpace::kVmgmPgcn)
      uint_field("pgcn", target.pgcn);
    if (target.kind == TargetKind::kCallSS)
      uint_field("resume_cell", target.resume_cell);
    break;
  }
  if (target.button != 0)
    uint_field("button", target.button);
  if (resolution.resolved) {
    key("resolved");
    writer_.StartObject();
    chain_ref(resolution.chain);
    if (resolution.chain.domain == Domain::kVtsTitle)
      titles(resolution.titles);
    writer_.EndObject();
  } else {
    key("reason");
    writer_.String(resolution.reason);
  }
  writer_.EndObject();
}

void JsonReport::command(const navigation::Command &command) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  char hex[16];
  for (unsigned i = 0; i < 8; ++i) {
    hex[2 * i] = kHex[command.bytes[i] >> 4];
    hex[2 * i + 1] = kHex[command.bytes[i] & 15];
  }
  const CommandInfo &info = *command.info;
  writer_.StartObject();
  uint_field("number", command.number);
  uint_field("offset", command.offset);
  name_field("bytes", std::string_view(hex, 16));
  writer_.TextField("text", command.text);
  bool_field("questionable", info.questionable);
  name_field("operation", info.operation);
  if (info.condition.present) {
    key("condition");
    writer_.StartObject();
    key("left");
    operand(info.condition.left);
    name_field("compare", compare_op_names[info.condition.compare_op & 7]);
    key("right");
    operand(info.condition.right);
    writer_.EndObject();
  }
  if (info.assign.present) {
    key("assign");
    writer_.StartObject();
    key("register");
    operand(Operand{OperandKind::kRegister, info.assign.destination});
    name_field("operator", kSetOperators[info.assign.op & 15]);
    key("source");
    operand(info.assign.source);
    writer_.EndObject();
  }
  if (info.system.kind != SystemSetKind::kNone)
    system_set(info.system);
  if (info.gating != Gating::kAll)
    name_field("gating", kGatingNames[static_cast<size_t>(info.gating)]);
  if (info.target.kind != TargetKind::kNone)
    target(info.target, *command.resolution);
  if (command.used_by_count > 0) {
    key("used_by_cells");
    writer_.StartArray();
    for (unsigned i = 0; i < command.used_by_count; ++i)
      writer_.Uint(command.used_by[i]);
    writer_.EndArray();
    bool_field("used_by_cells_cut", command.used_by_cut);
  }
  writer_.EndObject();
  flush_when_full();
}

} // namespace

const char *json_domain_name(Domain domain) {
  return kDomainNames[static_cast<size_t>(domain)];
}

void append_valid_utf8(std::string_view bytes, std::string &out) {
  const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
  const size_t n = bytes.size();
  for (size_t i = 0; i < n;) {
    const unsigned c = p[i];
    size_t length = 0;
    unsigned low = 0x80, high = 0xBF; // allowed range of the second byte
    if (c < 0x80) {
      length = 1;
    } else if (c >= 0xC2 && c <= 0xDF) {
      length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3;
      low = c == 0xE0 ? 0xA0 : 0x80;
      high = c == 0xED ? 0x9F : 0xBF;
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4;
      low = c == 0xF0 ? 0x90 : 0x80;
      high = c == 0xF4 ? 0x8F : 0xBF;
    }
    bool valid = length > 0 && length <= n - i;
    for (size_t k = 1; valid && k < length; ++k) {
      const unsigned next = p[i + k];
      valid = k == 1 ? next >= low && next <= high : next >= 0x80 && next <= 0xBF;
    }
    if (valid) {
      out.append(bytes.data() + i, length);
      i += length;
    } else {
      out.append("\xEF\xBF\xBD");
      ++i;
    }
  }
}

void write_json_without_disc(std::string_view message, bool ifo, bool menu_vob) {
  JsonReport report;
  report.no_disc(message, ifo, menu_vob);
  report.finish();
}

int write_json_report(const char *path, bool ifo, bool menu_vob) {
  JsonReport report;
  navigation::Dumps dumps{ifo, menu_vob};
  dumps.resolve = true;
  const bool problems = navigation::walk_disc(path, dumps, report);
  report.finish();
  return problems ? 1 : 0;
}

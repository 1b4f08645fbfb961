// SPDX-License-Identifier: MIT
// The text report of -I and -V: the walk of the disc as fixed-layout lines.
#pragma once

#include "navigation/model.h"

#include <cstdint>

// Renders the walk on the console, byte for byte as the report is laid out.
class TextReport : public navigation::Visitor {
public:
  void problem(const navigation::Problem &problem) override;

  void begin_control_file(const navigation::ControlFile &file) override;
  void begin_section(const navigation::SectionInfo &section) override;
  void title(const navigation::TitleEntry &entry) override;
  void begin_language_unit(const navigation::LanguageUnit &unit) override;
  void begin_chain(const navigation::Chain &chain) override;
  void begin_command_list(const navigation::CommandListInfo &list) override;
  void command(const navigation::Command &command) override;

  void begin_menu_vob(const navigation::MenuVob &vob) override;
  void begin_button_group(const navigation::ButtonGroup &group) override;
  void end_button_group() override;
  void end_menu_vob() override;

private:
  unsigned title_set_ = 0;
  unsigned groups_ = 0; // button groups of the current menu VOB
  uint32_t repeat_ = 0; // of the current button group
  uint32_t pack_ = 0;   // of the current button group
};

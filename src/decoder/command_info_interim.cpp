// Until the decoder fills the command's fields itself: the text and the questionable flag only.
#include "decoder/decoder.h"

#include <cstring>

size_t decode_command_info(const uint8_t *command, char *text, CommandInfo *info) {
  const int flag = decode_command(command, text);
  if (info != nullptr) {
    *info = CommandInfo{};
    info->questionable = flag != 0;
  }
  return std::strlen(text);
}

#include "app/drop/drop_effect.h"

namespace colsplit {

std::uint32_t choose_drop_effect(bool has_file_list, bool ctrl, bool shift, std::uint32_t permitted) {
  if (!has_file_list) return kDropEffectNone;
  std::uint32_t wanted = kDropEffectNone;
  if (ctrl && shift) return kDropEffectNone;
  if (ctrl) {
    wanted = kDropEffectCopy;
  } else if (shift) {
    wanted = kDropEffectMove;
  } else {
    for (std::uint32_t effect : {kDropEffectCopy, kDropEffectMove, kDropEffectLink}) {
      if (permitted & effect) return effect;
    }
    return kDropEffectNone;
  }
  return (permitted & wanted) ? wanted : kDropEffectNone;
}

Text join_dropped_names(const std::vector<Text>& names) {
  if (names.size() == 1) return names.front();
  Text joined;
  for (const Text& name : names) {
    joined += name;
    joined += "\r\n";
  }
  return joined;
}

}  // namespace colsplit

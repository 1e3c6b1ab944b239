// Which drop effect the drop target offers, from the keys held and the
// effects the drag source permits. Values are those of DROPEFFECT_*.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "text/text.h"

namespace colsplit {

enum DropEffect : std::uint32_t {
  kDropEffectNone = 0,
  kDropEffectCopy = 1,
  kDropEffectMove = 2,
  kDropEffectLink = 4,
};

// Ctrl alone: Copy; Shift alone: Move; Ctrl+Shift: none; neither: Copy if
// permitted, else Move, else Link. A key-chosen effect the source does not
// permit gives none. Data without a file list always gives none.
std::uint32_t choose_drop_effect(bool has_file_list, bool ctrl, bool shift, std::uint32_t permitted);

// The file-drop event's text: a single name unchanged; several names each
// followed by "\r\n".
Text join_dropped_names(const std::vector<Text>& names);

}  // namespace colsplit

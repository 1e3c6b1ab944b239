// The names a styles part gives fill patterns and border styles, in the
// order of their numbers in the .xls records and the library's interface.
#pragma once

namespace sheetlib {

inline constexpr const char* kFillPatternNames[] = {
    "none",        "solid",       "mediumGray",     "darkGray",      "lightGray", "darkHorizontal", "darkVertical",
    "darkDown",    "darkUp",      "darkGrid",       "darkTrellis",   "lightHorizontal", "lightVertical", "lightDown",
    "lightUp",     "lightGrid",   "lightTrellis",   "gray125",       "gray0625"};

inline constexpr const char* kBorderStyleNames[] = {
    "none",   "thin",          "medium",  "dashed",     "dotted",        "thick",      "double",
    "hair",   "mediumDashed",  "dashDot", "mediumDashDot", "dashDotDot", "mediumDashDotDot", "slantDashDot"};

}  // namespace sheetlib

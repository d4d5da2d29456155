// SPDX-License-Identifier: GPL-3.0-or-later
// The index of each file command of mPopUp2_Click, which is also the index of
// its item in the file list's pop-up menu.
#pragma once

namespace crunchwise::CommandIndex {

inline constexpr int Compress = 0;
inline constexpr int Expand = 1;
inline constexpr int Delete = 4;
inline constexpr int Rename = 5;
inline constexpr int Properties = 7;

} // namespace crunchwise::CommandIndex

// The size limit of a drawn map, shared by the window and the command-line
// tools. Plain C++, so that the tools' set-up code builds without Qt.
#pragma once

// The largest side of a map in pixels (weltnetz-render's and weltnetz-proj's
// --size). An 8192 x 8192 map holds 192 MiB of 24-bit pixels, and a drawing
// keeps about three more copies of it (the saved copy, the colour pass's
// own image, the encoded file), so larger maps soon exhaust the memory of an
// ordinary desktop instead of failing cleanly.
inline constexpr int kMaxMapSide = 8192;

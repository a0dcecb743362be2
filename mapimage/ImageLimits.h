// The size limit of a drawn map, shared by the window and the command-line
// tools. Plain C++, so that the tools' set-up code builds without Qt.
#pragma once

#include <string_view>

// The largest side of a map in pixels (weltnetz-render's and weltnetz-proj's
// --size). An 8192 x 8192 map holds 192 MiB of 24-bit pixels, and a drawing
// keeps about three more copies of it (the saved copy, the colour pass's
// own image, the encoded file), so larger maps soon exhaust the memory of an
// ordinary desktop instead of failing cleanly.
inline constexpr int kMaxMapSide = 8192;

// A side of a map as typed: digits only (no sign, blank or exponent), a whole
// number from 1 to kMaxMapSide. The one rule of weltnetz-render's --size, a
// recipe's size and the export dialog's fields.
inline bool ParseMapSide(std::string_view digits, int& side) {
  if (digits.empty() || digits.size() > 5) return false;
  int v = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    v = 10 * v + (c - '0');
  }
  if (v < 1 || v > kMaxMapSide) return false;
  side = v;
  return true;
}

// A map size as typed, "WxH", each side by ParseMapSide.
inline bool ParseMapSize(std::string_view text, int& width, int& height) {
  const std::size_t x = text.find('x');
  int w = 0, h = 0;
  if (x == std::string_view::npos || !ParseMapSide(text.substr(0, x), w) ||
      !ParseMapSide(text.substr(x + 1), h))
    return false;
  width = w;
  height = h;
  return true;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Conversions between the UTF-16 text held in memory and the 8-bit texts met at the edges:
// UTF-8 for the console, JSON and Qt-free tools, Windows-1250 for 8-bit archive strings and
// for command lines of Slovak Windows clients.
#include <string>
#include <string_view>

namespace orvane {

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);

// UTF-8 to UTF-16; every byte that does not start a valid sequence becomes U+FFFD.
std::u16string FromUtf8(std::string_view text);

bool IsValidUtf8(std::string_view text);

// Windows-1250 (Central European) to UTF-16; the five unassigned bytes become U+FFFD.
std::u16string FromWindows1250(std::string_view text);

}  // namespace orvane

// The text forms of the music file's numbers that are not plain integers.
#pragma once

#include <cstdint>
#include <string>

// A position or length in whole notes, as short as the file's other numbers but never shorter
// than what reads back to the very same value.
std::string MuzPositionText(double position);
// A colour in upper-case hexadecimal, at least six digits, more only when the high byte is set.
std::string MuzColourText(uint32_t colour);

// Conversions at the edges of the system: code page 936 <-> UTF-16 (the automation
// components' wide text) and UTF-8 <-> UTF-16 (terminals, files, the Linux desktop).
//
// Decoding never stops early: an invalid or incomplete sequence becomes U+FFFD and
// decoding goes on with the next byte. Encoding writes "?" for what cannot be mapped.
#pragma once

#include <string>
#include <string_view>

#include "common/text.h"

namespace quolvane {

std::u16string AnsiToWide(std::string_view ansi);
Text WideToAnsi(std::u16string_view wide);

std::u16string Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::u16string_view wide);

// Shorthands for the two hops a UTF-8 boundary makes.
Text Utf8ToAnsi(std::string_view utf8);
std::string AnsiToUtf8(const Text& text);

}  // namespace quolvane

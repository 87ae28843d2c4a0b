#pragma once
// Conversions between the UTF-8 of files and the UTF-16 wide strings of the
// program. Malformed input never fails: each bad sequence becomes U+FFFD.

#include <string>
#include <string_view>

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

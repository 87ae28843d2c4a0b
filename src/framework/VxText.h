#pragma once
// The numbered texts as the windows show them. A string number is written as
// a literal at the call of these helpers (or of LocalizedString): the
// language-file test reads the sources for exactly that and fails when a
// language file lacks a number the program asks for.

#include <QString>
#include <cstdint>
#include <string>

#include "settings/VxLocalizer.h"

// The numbered string in the current language.
inline QString Text(int32_t number) { return QString::fromStdU16String(LocalizedString(number)); }

// The numbered message with its "%s" filled by `value`.
inline QString FormattedText(int32_t number, const QString &value) {
  const std::u16string text = value.toStdU16String();
  return QString::fromStdU16String(FormatLocalized(LocalizedString(number), {text}));
}

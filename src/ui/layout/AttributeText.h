#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace keyloom::ui {

// Readers for the values of layout attributes. Every reader answers nothing for text it cannot
// read, so that the attribute fails and the control keeps what it had.

// An integer, decimal or with a "0x" prefix hexadecimal, with an optional sign; blanks around it
// are allowed. Values outside the 32-bit signed range are refused.
[[nodiscard]] std::optional<int> ParseInt(const QString& text);

// "1" or "true" (any case) is true, "0" or "false" false.
[[nodiscard]] std::optional<bool> ParseBool(const QString& text);

// Comma-separated integers ("l,t,r,b"); refused when any of them does not read.
[[nodiscard]] std::optional<std::vector<int>> ParseIntList(const QString& text);

}  // namespace keyloom::ui

#pragma once

#include <QString>

#include "connection/KeyboardConnection.h"

namespace keyloom::app {

// A change that the record of what the keyboard holds could not take; %1: why.
inline constexpr const char* kNotRecordedText =
    "Nothing was sent: the record of what the keyboard holds could not be saved (%1).";
inline constexpr const char* kRecordNotSavedText =
    "The change was sent, but the record of what the keyboard holds could not be saved (%1); "
    "what it changed is shown as unknown.";

// What the window says of `failure`, translated.
[[nodiscard]] QString RecordFailureText(
    const connection::KeyboardConnection::RecordFailure& failure);

}  // namespace keyloom::app

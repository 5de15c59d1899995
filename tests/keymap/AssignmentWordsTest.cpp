#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "keymap/AssignmentWords.h"

namespace keyloom::keymap {
namespace {

std::string Name(std::uint8_t code) {
  return code == 0x05 ? "B" : "?";
}

TEST(AssignmentWords, EveryKindOfContentHasItsWords) {
  KeyContent macro;
  macro.kind = ContentKind::kMacro;
  macro.name = "Copy";
  macro.repeat = 2;
  KeyContent once = macro;
  once.repeat = 1;
  KeyContent unnamed = macro;
  unnamed.name.clear();
  KeyContent chord;
  chord.kind = ContentKind::kChord;
  chord.name = "Paste";
  chord.repeat = 1;
  KeyContent single;
  single.kind = ContentKind::kSingleKey;
  single.target = 0x05;
  KeyContent media;
  media.kind = ContentKind::kMediaKey;
  media.name = "Mute";
  media.target = 0xEF;
  const struct {
    KeyContent content;
    const char* words;
  } cases[] = {
      {macro, "F5: macro “Copy”, played 2 times"},
      {once, "F5: macro “Copy”, played once"},
      {unnamed, "F5: a macro, played 2 times"},
      {chord, "F5: chord “Paste”"},
      {single, "F5 → B"},
      {media, "F5: Mute"},
      {KeyContent{}, "F5: assigned elsewhere"},
  };
  for (const auto& c : cases) {
    const AssignmentWords words = Describe("F5", c.content, Name);
    EXPECT_NE(std::find(kAssignmentTexts.begin(), kAssignmentTexts.end(), words.text),
              kAssignmentTexts.end());
    EXPECT_EQ(FillIn(words.text, words.arguments), c.words);
  }
}

TEST(AssignmentWords, WhatGoesInIsNeverFilledInAgain) {
  EXPECT_EQ(FillIn("%1: macro “%2”", {"%2", "50%1"}), "%2: macro “50%1”");
  EXPECT_EQ(FillIn("%1 and %3, 100%", {"a"}), "a and %3, 100%");
}

}  // namespace
}  // namespace keyloom::keymap

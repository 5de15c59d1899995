#include "autoprofile/AutoProfileRules.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include <pugixml.hpp>

#include "settings/AsciiText.h"
#include "settings/NumberText.h"
#include "settings/Utf8Text.h"
#include "storage/XmlFiles.h"

namespace keyloom::autoprofile {

namespace {

constexpr const char* kRootElement = "autoprofile";
constexpr const char* kRuleElement = "rule";
constexpr const char* kEnabledAttribute = "enabled";
constexpr const char* kDefaultAttribute = "default";
constexpr const char* kClassAttribute = "class";
constexpr const char* kExecutableAttribute = "exe";
constexpr const char* kProfileAttribute = "profile";
// "default" for leaving the keyboard as it is.
constexpr int kLeaveAsItIs = 0;

bool IsProfile(int profile) {
  return profile >= kFirstProfile && profile <= kLastProfile;
}

int ReadNumber(const pugi::xml_node& element, const char* attribute) {
  return settings::ReadDecimalInt32(element.attribute(attribute).value());
}

// "enabled": a number (on unless 0), as the program writes it, or a word a person may write in
// any case: yes, true or on, no, false or off. Missing: off. None for any other text.
std::optional<bool> ReadSwitch(const pugi::xml_node& element, const char* attribute) {
  std::string_view text = element.attribute(attribute).value();
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  text = first == std::string_view::npos ? std::string_view() : text.substr(first);
  text = text.substr(0, text.find_last_not_of(" \t\r\n") + 1);
  if (text.empty()) {
    return false;
  }
  const std::string_view digits =
      text.front() == '+' || text.front() == '-' ? text.substr(1) : text;
  if (!digits.empty() && digits.front() >= '0' && digits.front() <= '9') {
    return settings::ReadDecimalInt32(text) != 0;
  }
  for (const std::string_view word : {"yes", "true", "on"}) {
    if (settings::EqualIgnoringAsciiCase(text, word)) {
      return true;
    }
  }
  for (const std::string_view word : {"no", "false", "off"}) {
    if (settings::EqualIgnoringAsciiCase(text, word)) {
      return false;
    }
  }
  return std::nullopt;
}

}  // namespace

bool AppRule::Matches(const FocusedWindow& window) const {
  if (window.none || !IsWhole()) {
    return false;
  }
  const bool classMatches = windowClass.empty() ||
                            settings::EqualIgnoringAsciiCase(windowClass, window.instance) ||
                            settings::EqualIgnoringAsciiCase(windowClass, window.windowClass);
  const bool executableMatches =
      executable.empty() || settings::EqualIgnoringAsciiCase(executable, window.executable);
  return classMatches && executableMatches;
}

bool AppRule::IsWhole() const {
  return (!windowClass.empty() || !executable.empty()) && IsProfile(profile);
}

std::optional<std::size_t> AutoProfileRules::MatchingRule(const FocusedWindow& window) const {
  const auto found =
      std::ranges::find_if(rules, [&window](const AppRule& rule) { return rule.Matches(window); });
  if (found == rules.end()) {
    return std::nullopt;
  }
  return static_cast<std::size_t>(std::distance(rules.begin(), found));
}

std::optional<int> AutoProfileRules::WantedProfile(const FocusedWindow& window) const {
  if (const auto rule = MatchingRule(window)) {
    return rules[*rule].profile;
  }
  return defaultProfile;
}

bool AutoProfileRules::Insert(std::size_t position, AppRule rule) {
  if (!rule.IsWhole()) {
    return false;
  }
  const std::size_t at = std::min(position, rules.size());
  rules.insert(rules.begin() + static_cast<std::ptrdiff_t>(at), std::move(rule));
  return true;
}

bool AutoProfileRules::Remove(std::size_t index) {
  if (index >= rules.size()) {
    return false;
  }
  rules.erase(rules.begin() + static_cast<std::ptrdiff_t>(index));
  return true;
}

bool AutoProfileRules::Move(std::size_t from, std::size_t to) {
  if (from >= rules.size() || to >= rules.size() || from == to) {
    return false;
  }
  const auto first = rules.begin();
  if (from < to) {
    std::rotate(first + static_cast<std::ptrdiff_t>(from),
                first + static_cast<std::ptrdiff_t>(from) + 1,
                first + static_cast<std::ptrdiff_t>(to) + 1);
  } else {
    std::rotate(first + static_cast<std::ptrdiff_t>(to), first + static_cast<std::ptrdiff_t>(from),
                first + static_cast<std::ptrdiff_t>(from) + 1);
  }
  return true;
}

bool AutoProfileRules::SetDefault(std::optional<int> profile) {
  if ((profile && !IsProfile(*profile)) || profile == defaultProfile) {
    return false;
  }
  defaultProfile = profile;
  return true;
}

bool AutoProfileRules::SetEnabled(bool on) {
  if (on == enabled) {
    return false;
  }
  enabled = on;
  return true;
}

RulesParse ParseRules(std::string_view bytes, AutoProfileRules& rules) {
  pugi::xml_document document;
  const storage::LoadResult loaded = storage::xml::Parse(document, bytes, pugi::encoding_auto);
  RulesParse parse;
  if (!loaded.ok()) {
    parse.error = loaded.error;
    return parse;
  }
  parse.wellFormed = true;
  AutoProfileRules read;
  for (const pugi::xml_node& top : document.children()) {
    if (top.type() == pugi::node_element && std::string_view(top.name()) != kRootElement) {
      ++parse.leftOut;
    }
  }
  const pugi::xml_node root = document.child(kRootElement);
  const std::optional<bool> enabled = ReadSwitch(root, kEnabledAttribute);
  read.enabled = enabled.value_or(false);
  parse.leftOut += enabled ? 0U : 1U;
  if (const int defaultProfile = ReadNumber(root, kDefaultAttribute); IsProfile(defaultProfile)) {
    read.defaultProfile = defaultProfile;
  } else if (defaultProfile != kLeaveAsItIs) {
    ++parse.leftOut;
  }
  for (const pugi::xml_node& element : root.children()) {
    if (element.type() != pugi::node_element) {
      continue;
    }
    // As the file is written again (settings::XmlText), so that what is read is what is kept.
    AppRule rule{settings::XmlText(element.attribute(kClassAttribute).value()),
                 settings::XmlText(element.attribute(kExecutableAttribute).value()),
                 ReadNumber(element, kProfileAttribute)};
    if (std::string_view(element.name()) != kRuleElement || !rule.IsWhole()) {
      ++parse.leftOut;
      continue;
    }
    read.rules.push_back(std::move(rule));
  }
  rules = std::move(read);
  return parse;
}

std::string RulesToXml(const AutoProfileRules& rules) {
  pugi::xml_document document;
  pugi::xml_node root = document.append_child(kRootElement);
  root.append_attribute(kEnabledAttribute).set_value(rules.enabled ? 1 : 0);
  root.append_attribute(kDefaultAttribute).set_value(rules.defaultProfile.value_or(kLeaveAsItIs));
  for (const AppRule& rule : rules.rules) {
    pugi::xml_node element = root.append_child(kRuleElement);
    element.append_attribute(kClassAttribute)
        .set_value(settings::XmlText(rule.windowClass).c_str());
    element.append_attribute(kExecutableAttribute)
        .set_value(settings::XmlText(rule.executable).c_str());
    element.append_attribute(kProfileAttribute).set_value(rule.profile);
  }
  return storage::xml::Write(document);
}

}  // namespace keyloom::autoprofile

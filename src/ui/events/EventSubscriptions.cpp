#include "ui/events/EventSubscriptions.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "ui/events/EventArgs.h"

namespace keyloom::ui {

SubscriptionId EventSubscriptions::Subscribe(int eventId, EventHandler handler, const void* key) {
  auto shared = std::make_shared<const EventHandler>(std::move(handler));
  if (key != nullptr) {
    const auto found = std::find_if(
        entries_.begin(), entries_.end(),
        [eventId, key](const Entry& e) { return e.eventId == eventId && e.key == key; });
    if (found != entries_.end()) {
      found->handler = std::move(shared);
      return found->id;
    }
  }
  const SubscriptionId id = nextId_++;
  entries_.push_back(Entry{id, eventId, key, std::move(shared)});
  return id;
}

bool EventSubscriptions::Unsubscribe(SubscriptionId id) {
  return std::erase_if(entries_, [id](const Entry& entry) { return entry.id == id; }) > 0;
}

void EventSubscriptions::Fire(EventArgs& args) const {
  std::vector<std::pair<SubscriptionId, std::shared_ptr<const EventHandler>>> handlers;
  for (const Entry& entry : entries_) {
    if (entry.eventId == args.eventId) {
      handlers.emplace_back(entry.id, entry.handler);
    }
  }
  for (const auto& [id, handler] : handlers) {
    if (args.handled) {
      return;
    }
    const bool stillSubscribed = std::any_of(
        entries_.begin(), entries_.end(), [id = id](const Entry& entry) { return entry.id == id; });
    if (stillSubscribed && *handler) {
      (*handler)(args);
    }
  }
}

}  // namespace keyloom::ui

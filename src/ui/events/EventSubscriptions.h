#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace keyloom::ui {

struct EventArgs;

using EventHandler = std::function<void(EventArgs& args)>;

// Names one subscription so that it can be ended; 0 names none.
using SubscriptionId = std::uint64_t;

// The handlers subscribed to the events of one control.
class EventSubscriptions {
 public:
  // Adds `handler` for `eventId`. With a non-null `key`, a subscription of the same event and
  // key is replaced instead: code that fills the same control again and again (a list row) thus
  // keeps one subscription.
  SubscriptionId Subscribe(int eventId, EventHandler handler, const void* key = nullptr);

  // Ends the subscription; false when there is none of that id.
  bool Unsubscribe(SubscriptionId id);

  // Calls the handlers of args.eventId in subscription order until one sets args.handled.
  // Handlers may subscribe and unsubscribe while they run; a subscription added during the call
  // is not called this time.
  void Fire(EventArgs& args) const;

 private:
  struct Entry {
    SubscriptionId id = 0;
    int eventId = 0;
    const void* key = nullptr;
    std::shared_ptr<const EventHandler> handler;
  };

  std::vector<Entry> entries_;
  SubscriptionId nextId_ = 1;
};

}  // namespace keyloom::ui

#include "ui/widgets/TabLayout.h"

namespace keyloom::ui {

QRect TabLayout::HeaderRect(const QRect& client) const {
  switch (align) {
    case TabAlign::kLeft:
      return {client.left(), client.top(), tabWidth, client.height()};
    case TabAlign::kRight:
      return {client.left() + client.width() - tabWidth, client.top(), tabWidth, client.height()};
    case TabAlign::kBottom:
      return {client.left(), client.top() + client.height() - tabHeight, client.width(), tabHeight};
    case TabAlign::kTop:
      break;
  }
  return {client.left(), client.top(), client.width(), tabHeight};
}

QRect TabLayout::PageRect(const QRect& client) const {
  switch (align) {
    case TabAlign::kLeft:
      return client.adjusted(tabWidth, 0, 0, 0);
    case TabAlign::kRight:
      return client.adjusted(0, 0, -tabWidth, 0);
    case TabAlign::kBottom:
      return client.adjusted(0, 0, 0, -tabHeight);
    case TabAlign::kTop:
      break;
  }
  return client.adjusted(0, tabHeight, 0, 0);
}

QRect TabLayout::ItemRect(const QRect& client, int index) const {
  const QRect header = HeaderRect(client);
  if (IsVertical()) {
    return {header.left(), header.top() + tabPos + index * (tabHeight + interSize), tabWidth,
            tabHeight};
  }
  return {header.left() + tabPos + index * (tabWidth + interSize), header.top(), tabWidth,
          tabHeight};
}

int TabLayout::ItemAt(const QRect& client, int count, const QPoint& point) const {
  for (int index = 0; index < count; ++index) {
    if (ItemRect(client, index).contains(point)) {
      return index;
    }
  }
  return -1;
}

}  // namespace keyloom::ui

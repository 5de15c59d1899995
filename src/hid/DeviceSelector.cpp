#include "hid/DeviceSelector.h"

namespace keyloom::hid {

bool DeviceSelector::Matches(const HidPathFields& fields) const {
  return (vendorId <= 0 || vendorId == fields.vendorId) &&
         (productId <= 0 || productId == fields.productId) &&
         (interfaceNumber < 0 || interfaceNumber == fields.interfaceNumber) &&
         (collectionNumber < 0 || collectionNumber == fields.collectionNumber);
}

}  // namespace keyloom::hid

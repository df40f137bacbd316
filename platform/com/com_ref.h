// ComRef<Intf>: the one owner of a COM interface reference, in every layer.
// It adopts the reference its holder already has (a creator's, or one an
// out-parameter brought), releases it when it goes, gives it up with
// release() (to hand it out through an out-parameter) and drops it with
// reset(). ComAddRef takes a reference of the owner's own.
#pragma once

#include <memory>

struct ComRelease {
  template <typename Intf>
  void operator()(Intf* intf) const {
    intf->Release();
  }
};

template <typename Intf>
using ComRef = std::unique_ptr<Intf, ComRelease>;

// A new reference on `intf` (null stays null), owned by the result.
template <typename Intf>
ComRef<Intf> ComAddRef(Intf* intf) {
  if (intf != nullptr) intf->AddRef();
  return ComRef<Intf>(intf);
}

// A reference on a COM interface that is released with its holder.
#pragma once

#include <memory>

#include "platform/com/unknwn.h"

struct ComRelease {
  void operator()(IUnknown* intf) const { intf->Release(); }
};

template <typename Intf>
using ComRef = std::unique_ptr<Intf, ComRelease>;

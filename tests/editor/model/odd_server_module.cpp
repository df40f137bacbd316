// A COM server that hands out references beside answers other than S_OK, so
// that a client's releases on those paths can be counted: its
// DllGetClassObject answers S_FALSE with a factory for CLSID_Tarvex and S_OK
// for any other class, and the factory's CreateInstance answers S_FALSE with
// an object. LiveObjects counts what is not yet released.
#include "include/tarvex_guids.h"
#include "platform/com/class_factory.h"

namespace {

int live_objects = 0;

class CountedObject final : public IClassFactory {
 public:
  CountedObject() { ++live_objects; }
  ~CountedObject() { --live_objects; }

  HRESULT QueryInterface(const IID&, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  uint32_t AddRef() override { return ++references_; }
  uint32_t Release() override {
    const uint32_t left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT CreateInstance(IUnknown*, const IID&, void** object) override {
    *object = static_cast<IUnknown*>(new CountedObject);
    return S_FALSE;
  }
  HRESULT LockServer(BOOL) override { return S_OK; }

 private:
  uint32_t references_ = 1;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(const CLSID& class_id,
                                                                            const IID&,
                                                                            void** object) {
  *object = static_cast<IClassFactory*>(new CountedObject);
  return class_id == CLSID_Tarvex ? S_FALSE : S_OK;
}

extern "C" __attribute__((visibility("default"))) int LiveObjects() { return live_objects; }

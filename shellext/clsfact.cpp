// HandlerClassFactory: makes ContextMenuHandlers. No aggregation; LockServer keeps nothing.
#include <new>

#include "shellext/module.h"

namespace quintar::menuvex {
namespace {

class HandlerClassFactory final : public IClassFactory {
 public:
  HandlerClassFactory() noexcept { ObjectCreated(); }

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_INVALIDARG;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) return E_NOINTERFACE;
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG refs = InterlockedDecrement(&refs_);
    if (refs == 0) delete this;
    return static_cast<ULONG>(refs);
  }

  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_INVALIDARG;
    *ppv = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return CreateContextMenuHandler(riid, ppv);
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }

 private:
  ~HandlerClassFactory() { ObjectDestroyed(); }
  volatile LONG refs_ = 0;
};

}  // namespace

HRESULT CreateHandlerFactory(REFIID riid, void** ppv) noexcept { return CreateObject<HandlerClassFactory>(riid, ppv); }

}  // namespace quintar::menuvex

// Listens to a browser control's navigation events and reports when a page
// other than the blank start page has finished loading or failed.
#pragma once

#include "base/com_ptr.h"

#include <windows.h>
#include <exdisp.h>
#include <ocidl.h>

#include <functional>

class NavigationSink : public IDispatch {
public:
    // `settled` runs on the window thread for each finished or failed page.
    explicit NavigationSink(std::function<void()> settled);

    // Starts listening to `browser`; false when it offers no events.
    bool Connect(IUnknown* browser);
    void Disconnect();

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*, EXCEPINFO*,
                        UINT*) override;

private:
    virtual ~NavigationSink() = default;

    std::function<void()> m_settled;
    ULONG mn_references = 1;
    ComPtr<IConnectionPoint> mp_connection_point;
    DWORD mn_cookie = 0;
};

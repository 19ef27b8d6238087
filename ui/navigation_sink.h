// Listens to a browser control's navigation events. It cancels every
// navigation to a scheme other than http or https (a page may redirect or
// link there), and it can report when the next navigation that begins has
// finished loading or failed.
#pragma once

#include "base/com_ptr.h"

#include <windows.h>
#include <exdisp.h>
#include <ocidl.h>

#include <functional>

class NavigationSink : public IDispatch {
public:
    NavigationSink() = default;

    // Starts listening to `browser`; false when it offers no events.
    bool Connect(IUnknown* browser);
    void Disconnect();
    // `settled` runs once, on the window thread, when the next top-level
    // navigation that begins from now on has finished or failed; redirects
    // belong to it. Replaces an earlier watch.
    void WatchNextNavigation(std::function<void()> settled);

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

    bool IsTopLevel(const DISPPARAMS* parameters) const;
    void BeforeNavigate(const DISPPARAMS* parameters);
    void Settle();

    std::function<void()> m_settled;
    bool mb_watched_began = false;
    ULONG mn_references = 1;
    ComPtr<IUnknown> mp_browser;
    ComPtr<IConnectionPoint> mp_connection_point;
    DWORD mn_cookie = 0;
};

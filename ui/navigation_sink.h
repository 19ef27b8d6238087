// Listens to a browser control's navigation events. It cancels every
// navigation to a scheme other than http or https (a page may redirect or
// link there; in an https-only pane, every one that is not https), turns a
// page reached by a server redirect the control did not announce back to
// about:blank when its address is refused, cancels every new window, and
// can report when the navigation to one address has finished or failed.
#pragma once

#include "base/com_ptr.h"

#include <windows.h>
#include <exdisp.h>
#include <ocidl.h>

#include <functional>
#include <string>

class NavigationSink : public IDispatch {
public:
    NavigationSink() = default;

    // Starts listening to `browser`; false when it offers no events.
    bool Connect(IUnknown* browser, bool https_only);
    void Disconnect();
    // `settled` runs once, on the window thread, when the top-level
    // navigation to `address` that begins from now on has finished or
    // failed; its redirects belong to it, the events of any other
    // navigation (the pane's first about:blank) do not. Replaces an earlier
    // watch.
    void WatchNavigation(const std::string& address, std::function<void()> settled);

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
    // The pane's own start page, or an address of an allowed scheme.
    bool IsAllowed(const std::string& address) const;
    void BeforeNavigate(const DISPPARAMS* parameters);
    void NavigateComplete(const DISPPARAMS* parameters);
    void RefuseNewWindow(const DISPPARAMS* parameters, const VARIANT* address);
    void Ended(const DISPPARAMS* parameters);
    void Settle();

    std::function<void()> m_settled;
    std::string ms_watched_address;
    bool mb_watched_began = false;
    bool mb_https_only = false;
    ULONG mn_references = 1;
    ComPtr<IUnknown> mp_browser;
    ComPtr<IConnectionPoint> mp_connection_point;
    DWORD mn_cookie = 0;
};

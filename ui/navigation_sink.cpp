#include "ui/navigation_sink.h"

#include "base/diagnostics.h"
#include "install/delivery/addresses.h"

#include <comutil.h>
#include <exdispid.h>

#include <memory>
#include <string>
#include <utility>

namespace {

// DWebBrowserEvents2, which MinGW-w64's uuid library lacks.
const IID kDiidWebBrowserEvents2 = {0x34a715a0, 0x6587, 0x11d0, {0x92, 0x4a, 0x00, 0x20, 0xaf, 0xc7, 0xac, 0x4d}};
const UINT kBeforeNavigateCancel = 6;
// NewWindow2 (ppDisp, Cancel) and NewWindow3 (ppDisp, Cancel, dwFlags,
// bstrUrlContext, bstrUrl), which MinGW-w64's exdispid.h may lack.
const DISPID kNewWindow2 = 251;
const DISPID kNewWindow3 = 273;
const UINT kNewWindowCancel = 1;
const UINT kNewWindow3Address = 4;

const char kStartPage[] = "about:blank";

// Sets an event's byref cancel flag; false when it has none.
bool SetCancel(const VARIANT* cancel)
{
    if (!cancel || cancel->vt != (VT_BYREF | VT_BOOL) || !cancel->pboolVal)
        return false;
    *cancel->pboolVal = VARIANT_TRUE;
    return true;
}

// An argument of an event by its position from the first, through one
// level of reference.
const VARIANT* Argument(const DISPPARAMS* parameters, UINT position)
{
    if (!parameters || position >= parameters->cArgs)
        return nullptr;
    const VARIANT* argument = &parameters->rgvarg[parameters->cArgs - 1 - position];
    return (argument->vt & VT_BYREF) && (argument->vt & ~VT_BYREF) == VT_VARIANT ? argument->pvarVal : argument;
}

std::string NarrowAddress(const VARIANT* address)
{
    if (!address || address->vt != VT_BSTR || !address->bstrVal)
        return std::string();
    const std::unique_ptr<char[]> text(_com_util::ConvertBSTRToString(address->bstrVal));
    return text.get();
}

} // namespace

bool NavigationSink::Connect(IUnknown* browser, bool https_only)
{
    Disconnect();
    mb_https_only = https_only;
    if (FAILED(browser->QueryInterface(__uuidof(IUnknown), mp_browser.Receive())))
        return false;
    ComPtr<IConnectionPointContainer> container;
    if (FAILED(browser->QueryInterface(__uuidof(IConnectionPointContainer), container.Receive())))
        return false;
    if (FAILED(container->FindConnectionPoint(kDiidWebBrowserEvents2, mp_connection_point.ReceiveTyped())))
        return false;
    return SUCCEEDED(mp_connection_point->Advise(static_cast<IDispatch*>(this), &mn_cookie));
}

void NavigationSink::Disconnect()
{
    if (mp_connection_point && mn_cookie)
        mp_connection_point->Unadvise(mn_cookie);
    mp_connection_point.Reset();
    mn_cookie = 0;
    m_settled = nullptr;
}

void NavigationSink::WatchNavigation(const std::string& address, std::function<void()> settled)
{
    m_settled = std::move(settled);
    ms_watched_address = address;
    mb_watched_began = false;
}

bool NavigationSink::IsAllowed(const std::string& address) const
{
    if (address == kStartPage)
        return true;
    return mb_https_only ? IsHttpsAddress(address) : IsWebAddress(address);
}

// The page's frames raise the same events with a frame of their own as the
// first argument; only the control's own navigation counts.
bool NavigationSink::IsTopLevel(const DISPPARAMS* parameters) const
{
    const VARIANT* frame = Argument(parameters, 0);
    if (!frame || frame->vt != VT_DISPATCH || !frame->pdispVal || !mp_browser)
        return false;
    ComPtr<IUnknown> identity;
    if (FAILED(frame->pdispVal->QueryInterface(__uuidof(IUnknown), identity.Receive())))
        return false;
    return identity.Get() == mp_browser.Get();
}

void NavigationSink::BeforeNavigate(const DISPPARAMS* parameters)
{
    const std::string address = NarrowAddress(Argument(parameters, 1));
    if (!IsAllowed(address) && SetCancel(Argument(parameters, kBeforeNavigateCancel))) {
        Diagnostic("Navigation refused, not %s: %s\n", mb_https_only ? "https" : "http or https", address.c_str());
        return;
    }
    if (m_settled && address == ms_watched_address && IsTopLevel(parameters))
        mb_watched_began = true;
}

// A server redirect may reach a page without a BeforeNavigate2 of its own:
// one at a refused address is not left showing.
void NavigationSink::NavigateComplete(const DISPPARAMS* parameters)
{
    const std::string address = NarrowAddress(Argument(parameters, 1));
    if (IsAllowed(address)) {
        Ended(parameters);
        return;
    }
    Diagnostic("Navigation refused after a redirect, not %s: %s\n", mb_https_only ? "https" : "http or https",
               address.c_str());
    ComPtr<IWebBrowser2> browser;
    BSTR blank = SysAllocString(L"about:blank");
    if (blank && mp_browser && SUCCEEDED(mp_browser->QueryInterface(__uuidof(IWebBrowser2), browser.Receive()))) {
        VARIANT empty;
        VariantInit(&empty);
        browser->Navigate(blank, &empty, &empty, &empty, &empty);
    }
    SysFreeString(blank);
    // The watched navigation ends here; about:blank's own events do not count.
    if (IsTopLevel(parameters))
        Settle();
}

// A page's window.open or target=_blank would open a window outside every
// check here: none is ever opened.
void NavigationSink::RefuseNewWindow(const DISPPARAMS* parameters, const VARIANT* address)
{
    SetCancel(Argument(parameters, kNewWindowCancel));
    Diagnostic("New window refused: %s\n", NarrowAddress(address).c_str());
}

void NavigationSink::Ended(const DISPPARAMS* parameters)
{
    if (IsTopLevel(parameters) && NarrowAddress(Argument(parameters, 1)) != kStartPage)
        Settle();
}

void NavigationSink::Settle()
{
    if (!mb_watched_began || !m_settled)
        return;
    std::function<void()> settled = std::move(m_settled);
    m_settled = nullptr;
    mb_watched_began = false;
    settled();
}

STDMETHODIMP NavigationSink::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, __uuidof(IUnknown)) || IsEqualIID(iid, __uuidof(IDispatch)) || IsEqualIID(iid, kDiidWebBrowserEvents2)) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) NavigationSink::AddRef() { return ++mn_references; }

STDMETHODIMP_(ULONG) NavigationSink::Release()
{
    const ULONG remaining = --mn_references;
    if (remaining == 0)
        delete this;
    return remaining;
}

STDMETHODIMP NavigationSink::GetTypeInfoCount(UINT* count)
{
    *count = 0;
    return S_OK;
}

STDMETHODIMP NavigationSink::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }

STDMETHODIMP NavigationSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

STDMETHODIMP NavigationSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*,
                                    EXCEPINFO*, UINT*)
{
    switch (id) {
    case DISPID_BEFORENAVIGATE2:
        BeforeNavigate(parameters);
        break;
    case DISPID_NAVIGATECOMPLETE2:
        NavigateComplete(parameters);
        break;
    case DISPID_DOCUMENTCOMPLETE:
    case DISPID_NAVIGATEERROR:
        Ended(parameters);
        break;
    case kNewWindow2:
        RefuseNewWindow(parameters, nullptr);
        break;
    case kNewWindow3:
        RefuseNewWindow(parameters, Argument(parameters, kNewWindow3Address));
        break;
    }
    return S_OK;
}

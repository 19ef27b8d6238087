#include "ui/navigation_sink.h"

#include <exdispid.h>

#include <utility>

namespace {

// DWebBrowserEvents2, which MinGW-w64's uuid library lacks.
const IID kDiidWebBrowserEvents2 = {0x34a715a0, 0x6587, 0x11d0, {0x92, 0x4a, 0x00, 0x20, 0xaf, 0xc7, 0xac, 0x4d}};

// The address argument of an event, by its position from the first.
const VARIANT* Argument(const DISPPARAMS* parameters, UINT position)
{
    if (!parameters || position >= parameters->cArgs)
        return nullptr;
    const VARIANT* argument = &parameters->rgvarg[parameters->cArgs - 1 - position];
    return (argument->vt & VT_BYREF) && (argument->vt & ~VT_BYREF) == VT_VARIANT ? argument->pvarVal : argument;
}

bool IsBlankPage(const VARIANT* address)
{
    return address && address->vt == VT_BSTR && address->bstrVal
        && CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, address->bstrVal, -1, L"about:blank", -1) == CSTR_EQUAL;
}

} // namespace

NavigationSink::NavigationSink(std::function<void()> settled) : m_settled(std::move(settled)) {}

bool NavigationSink::Connect(IUnknown* browser)
{
    ComPtr<IConnectionPointContainer> container;
    if (FAILED(browser->QueryInterface(IID_IConnectionPointContainer, container.Receive())))
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
}

STDMETHODIMP NavigationSink::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, kDiidWebBrowserEvents2)) {
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
    // Every one of these events names the page as its second argument.
    if ((id == DISPID_NAVIGATECOMPLETE2 || id == DISPID_DOCUMENTCOMPLETE || id == DISPID_NAVIGATEERROR)
        && !IsBlankPage(Argument(parameters, 1)))
        m_settled();
    return S_OK;
}

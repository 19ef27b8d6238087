#include "ui/browser_pane.h"

#include "app/app_module.h"
#include "base/failure_log.h"
#include "store/lockable.h"

#include <comutil.h>


namespace {

const char kWindowTitle[] = "ATL Browser";
// Declared by the SDK headers but missing from MinGW-w64's uuid library.
const IID kIidDocHostShowUI = {0xc4d244b0, 0xd43e, 0x11cf, {0x89, 0x3b, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x1a}};
// The record the class name is derived from, as "ATL:%8.8X" of its address.
char g_class_name[16];
Lockable g_class_lock;

const char* RegisteredClassName(WNDPROC window_proc)
{
    Lockable::Guard lock(g_class_lock);
    if (g_class_name[0])
        return g_class_name;
    wsprintfA(g_class_name, "ATL:%8.8X", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(&g_class_name)));
    WNDCLASSEXA window_class = {};
    window_class.cbSize = sizeof window_class;
    window_class.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    window_class.lpfnWndProc = window_proc;
    window_class.hInstance = g_module.Instance();
    window_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    window_class.lpszClassName = g_class_name;
    RegisterClassExA(&window_class);
    return g_class_name;
}

} // namespace

void BrowserPane::MoveTo(const RECT& rect)
{
    if (!mh_window)
        return;
    SetWindowPos(mh_window, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client;
    GetClientRect(mh_window, &client);
    if (mp_in_place_object)
        mp_in_place_object->SetObjectRects(&client, &client);
}

bool BrowserPane::CreateWindowOver(HWND parent, const RECT& rect)
{
    mh_window = CreateWindowExA(0, RegisteredClassName(WindowProc), kWindowTitle, WS_CHILD | WS_VISIBLE,
                                rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                                parent, nullptr, g_module.Instance(), nullptr);
    if (!mh_window)
        return false;
    // Binds the window to this pane, which it tells when it goes away.
    SetWindowLongPtrA(mh_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ShowWindow(mh_window, SW_SHOWNORMAL);
    return true;
}

LRESULT CALLBACK BrowserPane::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_NCDESTROY) {
        BrowserPane* pane = reinterpret_cast<BrowserPane*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        if (pane && pane->mh_window == window)
            pane->mh_window = nullptr;
        // The pane's end is the end of the installer window: end the loop.
        PostQuitMessage(0);
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

BrowserPane::~BrowserPane()
{
    if (mp_navigation_sink)
        mp_navigation_sink->Disconnect();
}

bool BrowserPane::WatchNavigation(const std::string& address, std::function<void()> settled)
{
    if (!mp_navigation_sink)
        return false;
    mp_navigation_sink->WatchNavigation(address, std::move(settled));
    return true;
}

// Listens from before the first navigation on, so that no navigation to
// another scheme slips through.
void BrowserPane::ListenToNavigations(bool https_only)
{
    if (mp_navigation_sink)
        mp_navigation_sink->Disconnect();
    mp_navigation_sink.Reset();
    ComPtr<NavigationSink> sink(new NavigationSink);
    if (sink->Connect(mp_browser.Get(), https_only))
        mp_navigation_sink.Swap(sink);
}

// The box text is the design's; the log line keeps the call and its HRESULT.
HRESULT BrowserPane::Fail(const char* call, HRESULT result, const char* text)
{
    LogFailedResult(call, "browser control", result);
    if (text)
        MessageBoxA(mh_window, text, "", MB_OK);
    return E_FAIL;
}

HRESULT BrowserPane::Create(HWND parent, const RECT& rect, bool https_only)
{
    if (!CreateWindowOver(parent, rect)) {
        LogFailure("CreateWindowExA", kWindowTitle, GetLastError());
        return E_FAIL;
    }

    ComPtr<IOleObject> control;
    HRESULT result = CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                                      __uuidof(IOleObject), control.Receive());
    if (FAILED(result))
        return Fail("CoCreateInstance", result, "CoCreateInstance failed");
    result = control->SetClientSite(static_cast<IOleClientSite*>(this));
    if (FAILED(result))
        return Fail("IOleObject::SetClientSite", result, "SetClientSite failed");

    RECT client;
    GetClientRect(mh_window, &client);
    result = control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(this), 0, mh_window,
                             &client);
    if (FAILED(result))
        return Fail("IOleObject::DoVerb", result, "DoVerb failed");

    ComPtr<IWebBrowser> browser;
    result = control->QueryInterface(__uuidof(IWebBrowser), browser.Receive());
    if (FAILED(result))
        return Fail("QueryInterface(IWebBrowser)", result, nullptr);
    mp_browser.Swap(browser);
    ListenToNavigations(https_only);

    mp_in_place_object.Reset();
    if (SUCCEEDED(mp_browser->QueryInterface(__uuidof(IOleInPlaceObject), mp_in_place_object.Receive())))
        mp_in_place_object->SetObjectRects(&client, &client);
    // Not the user's home page, which would load invisibly, and whose end a
    // report's watch could mistake for its own.
    Navigate("about:blank");
    return S_OK;
}

void BrowserPane::Navigate(const char* address)
{
    if (!mp_browser)
        return;
    BSTR url = _com_util::ConvertStringToBSTR(address);
    if (!url)
        return;
    VARIANT empty;
    VariantInit(&empty);
    const HRESULT result = mp_browser->Navigate(url, &empty, &empty, &empty, &empty);
    SysFreeString(url);
    if (FAILED(result))
        LogFailedResult("IWebBrowser::Navigate", address, result);
}

STDMETHODIMP BrowserPane::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, __uuidof(IUnknown)) || IsEqualIID(iid, __uuidof(IOleClientSite)))
        *object = static_cast<IOleClientSite*>(this);
    else if (IsEqualIID(iid, __uuidof(IOleWindow)) || IsEqualIID(iid, __uuidof(IOleInPlaceSite)))
        *object = static_cast<IOleInPlaceSite*>(this);
    else if (IsEqualIID(iid, __uuidof(IDocHostUIHandler)))
        *object = static_cast<IDocHostUIHandler*>(this);
    else if (IsEqualIID(iid, kIidDocHostShowUI))
        *object = static_cast<IDocHostShowUI*>(this);
    else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) BrowserPane::AddRef() { return ++mn_references; }

STDMETHODIMP_(ULONG) BrowserPane::Release()
{
    const ULONG remaining = --mn_references;
    if (remaining == 0) {
        if (mh_window)
            SetWindowLongPtrA(mh_window, GWLP_USERDATA, 0);
        delete this;
    }
    return remaining;
}

STDMETHODIMP BrowserPane::SaveObject() { return E_NOTIMPL; }
STDMETHODIMP BrowserPane::GetMoniker(DWORD, DWORD, IMoniker**) { return E_NOTIMPL; }
STDMETHODIMP BrowserPane::GetContainer(IOleContainer**) { return E_NOTIMPL; }
STDMETHODIMP BrowserPane::ShowObject() { return E_NOTIMPL; }
STDMETHODIMP BrowserPane::OnShowWindow(BOOL) { return E_NOTIMPL; }
STDMETHODIMP BrowserPane::RequestNewObjectLayout() { return E_NOTIMPL; }

STDMETHODIMP BrowserPane::GetWindow(HWND* window)
{
    *window = mh_window;
    return S_OK;
}

STDMETHODIMP BrowserPane::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }
STDMETHODIMP BrowserPane::CanInPlaceActivate() { return S_OK; }
STDMETHODIMP BrowserPane::OnInPlaceActivate() { return S_OK; }
STDMETHODIMP BrowserPane::OnUIActivate() { return E_NOTIMPL; }

// The pane has no frame or document window to offer: the control gets null
// for both, and the pane's client area as its place.
STDMETHODIMP BrowserPane::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                           LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO)
{
    if (frame)
        *frame = nullptr;
    if (document)
        *document = nullptr;
    GetClientRect(mh_window, position);
    GetClientRect(mh_window, clip);
    return S_OK;
}

STDMETHODIMP BrowserPane::Scroll(SIZE) { return E_NOTIMPL; }
STDMETHODIMP BrowserPane::OnUIDeactivate(BOOL) { return E_NOTIMPL; }
STDMETHODIMP BrowserPane::OnInPlaceDeactivate() { return S_OK; }
STDMETHODIMP BrowserPane::DiscardUndoState() { return E_NOTIMPL; }
STDMETHODIMP BrowserPane::DeactivateAndUndo() { return E_NOTIMPL; }
STDMETHODIMP BrowserPane::OnPosRectChange(LPCRECT) { return E_NOTIMPL; }

// No context menu for the page.
STDMETHODIMP BrowserPane::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) { return S_OK; }

STDMETHODIMP BrowserPane::GetHostInfo(DOCHOSTUIINFO* info)
{
    const ULONG kLegacyInfoSize = 12;
    info->cbSize = kLegacyInfoSize;
    info->dwFlags = DOCHOSTUIFLAG_DIALOG | DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_SCROLL_NO;
    return S_OK;
}

STDMETHODIMP BrowserPane::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                                 IOleInPlaceUIWindow*)
{
    return E_NOTIMPL;
}
STDMETHODIMP BrowserPane::HideUI() { return E_NOTIMPL; }
STDMETHODIMP BrowserPane::UpdateUI() { return E_NOTIMPL; }
STDMETHODIMP BrowserPane::EnableModeless(BOOL) { return E_NOTIMPL; }
STDMETHODIMP BrowserPane::OnDocWindowActivate(BOOL) { return E_NOTIMPL; }
STDMETHODIMP BrowserPane::OnFrameWindowActivate(BOOL) { return E_NOTIMPL; }
STDMETHODIMP BrowserPane::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return E_NOTIMPL; }
STDMETHODIMP BrowserPane::TranslateAccelerator(LPMSG, const GUID*, DWORD) { return E_NOTIMPL; }
STDMETHODIMP BrowserPane::GetOptionKeyPath(LPOLESTR*, DWORD) { return E_NOTIMPL; }
STDMETHODIMP BrowserPane::GetDropTarget(IDropTarget*, IDropTarget**) { return E_NOTIMPL; }
STDMETHODIMP BrowserPane::GetExternal(IDispatch**) { return E_NOTIMPL; }
STDMETHODIMP BrowserPane::TranslateUrl(DWORD, LPWSTR, LPWSTR*) { return E_NOTIMPL; }
STDMETHODIMP BrowserPane::FilterDataObject(IDataObject*, IDataObject**) { return E_NOTIMPL; }

// Message boxes of the page are swallowed.
STDMETHODIMP BrowserPane::ShowMessage(HWND, LPOLESTR, LPOLESTR, DWORD, LPOLESTR, DWORD, LRESULT*)
{
    return S_OK;
}
STDMETHODIMP BrowserPane::ShowHelp(HWND, LPOLESTR, UINT, DWORD, POINT, IDispatch*) { return S_FALSE; }

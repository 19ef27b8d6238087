// A child window hosting the system's web-browser control, and the control's
// site: no context menu, no scroll bar, no border, no text selection, no
// message boxes from the page, and no navigation to a scheme other than http
// or https. Lives by its reference count.
#pragma once

#include "base/com_ptr.h"
#include "ui/navigation_sink.h"

#include <windows.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <oleidl.h>

#include <functional>

class BrowserPane : public IOleClientSite,
                    public IOleInPlaceSite,
                    public IDocHostUIHandler,
                    public IDocHostShowUI {
public:
    BrowserPane() = default;
    BrowserPane(const BrowserPane&) = delete;
    BrowserPane& operator=(const BrowserPane&) = delete;

    // Creates the pane's window over `rect` of the parent's client area and
    // the browser control in it, at about:blank; with `https_only` it goes
    // to https pages only. E_FAIL (after a message box for most steps) when
    // the control cannot be set up; the empty window stays.
    HRESULT Create(HWND parent, const RECT& rect, bool https_only = false);
    // Moves the pane over `rect` of the parent's client area (a new DPI).
    void MoveTo(const RECT& rect);
    // Starts loading `address` (system code page); nothing without a browser.
    void Navigate(const char* address);
    // Calls `settled` once, when the navigation to `address` that begins
    // next (the one of the following Navigate) has finished loading or
    // failed; false when there is no browser to listen to.
    bool WatchNavigation(const std::string& address, std::function<void()> settled);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IOleClientSite
    STDMETHODIMP SaveObject() override;
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override;
    STDMETHODIMP GetContainer(IOleContainer**) override;
    STDMETHODIMP ShowObject() override;
    STDMETHODIMP OnShowWindow(BOOL) override;
    STDMETHODIMP RequestNewObjectLayout() override;

    // IOleWindow, IOleInPlaceSite
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override;
    STDMETHODIMP CanInPlaceActivate() override;
    STDMETHODIMP OnInPlaceActivate() override;
    STDMETHODIMP OnUIActivate() override;
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                  LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO) override;
    STDMETHODIMP Scroll(SIZE) override;
    STDMETHODIMP OnUIDeactivate(BOOL) override;
    STDMETHODIMP OnInPlaceDeactivate() override;
    STDMETHODIMP DiscardUndoState() override;
    STDMETHODIMP DeactivateAndUndo() override;
    STDMETHODIMP OnPosRectChange(LPCRECT) override;

    // IDocHostUIHandler
    STDMETHODIMP ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override;
    STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
    STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                        IOleInPlaceUIWindow*) override;
    STDMETHODIMP HideUI() override;
    STDMETHODIMP UpdateUI() override;
    STDMETHODIMP EnableModeless(BOOL) override;
    STDMETHODIMP OnDocWindowActivate(BOOL) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL) override;
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override;
    STDMETHODIMP TranslateAccelerator(LPMSG, const GUID*, DWORD) override;
    STDMETHODIMP GetOptionKeyPath(LPOLESTR*, DWORD) override;
    STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget**) override;
    STDMETHODIMP GetExternal(IDispatch**) override;
    STDMETHODIMP TranslateUrl(DWORD, LPWSTR, LPWSTR*) override;
    STDMETHODIMP FilterDataObject(IDataObject*, IDataObject**) override;

    // IDocHostShowUI
    STDMETHODIMP ShowMessage(HWND, LPOLESTR, LPOLESTR, DWORD, LPOLESTR, DWORD, LRESULT*) override;
    STDMETHODIMP ShowHelp(HWND, LPOLESTR, UINT, DWORD, POINT, IDispatch*) override;

private:
    virtual ~BrowserPane();

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    bool CreateWindowOver(HWND parent, const RECT& rect);
    void ListenToNavigations(bool https_only);
    // Logs the failed call; shows `text` when the design has a box for it.
    HRESULT Fail(const char* call, HRESULT result, const char* text);

    HWND mh_window = nullptr;
    ULONG mn_references = 0;
    ComPtr<IWebBrowser> mp_browser;
    ComPtr<IOleInPlaceObject> mp_in_place_object;
    ComPtr<NavigationSink> mp_navigation_sink;
};

// The navigation listener against events raised the way the browser control
// raises them, on a real control.
#include "ui/navigation_sink.h"

#include <gtest/gtest.h>
#include <exdispid.h>

#include <string>
#include <vector>

namespace {

class NavigationSinkTest : public testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER,
                                               IID_IDispatch, reinterpret_cast<void**>(&mp_browser))));
        mp_sink = new NavigationSink;
        ASSERT_TRUE(mp_sink->Connect(mp_browser, false));
    }
    void TearDown() override
    {
        if (mp_sink) {
            mp_sink->Disconnect();
            mp_sink->Release();
        }
        if (mp_browser)
            mp_browser->Release();
        CoUninitialize();
    }

    // Raises `id` for `frame` and `address`; BeforeNavigate2 carries its
    // cancel flag, whose final value is returned.
    bool Raise(DISPID id, IDispatch* frame, const wchar_t* address)
    {
        VARIANT_BOOL cancel = VARIANT_FALSE;
        BSTR url = SysAllocString(address);
        VARIANT url_variant;
        url_variant.vt = VT_BSTR;
        url_variant.bstrVal = url;
        std::vector<VARIANT> arguments(id == DISPID_BEFORENAVIGATE2 ? 7 : 2);
        for (VARIANT& argument : arguments)
            VariantInit(&argument);
        // Arguments stand in reverse order: the first one last.
        arguments.back().vt = VT_DISPATCH;
        arguments.back().pdispVal = frame;
        arguments[arguments.size() - 2].vt = VT_BYREF | VT_VARIANT;
        arguments[arguments.size() - 2].pvarVal = &url_variant;
        if (id == DISPID_BEFORENAVIGATE2) {
            arguments[0].vt = VT_BYREF | VT_BOOL;
            arguments[0].pboolVal = &cancel;
        }
        DISPPARAMS parameters = {arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
        mp_sink->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &parameters, nullptr, nullptr, nullptr);
        SysFreeString(url);
        return cancel == VARIANT_TRUE;
    }

    IDispatch* mp_browser = nullptr;
    NavigationSink* mp_sink = nullptr;
};

} // namespace

TEST_F(NavigationSinkTest, CancelsEveryNavigationToASchemeOtherThanHttpOrHttps)
{
    for (const wchar_t* other : {L"file://127.0.0.157/share/skin.html", L"\\\\127.0.0.157\\share", L"FILE:///c:/x",
                                 L"javascript:alert(1)", L"res://ieframe.dll/x", L"about:other"})
        EXPECT_TRUE(Raise(DISPID_BEFORENAVIGATE2, mp_browser, other));
    for (const wchar_t* web : {L"http://skins.karvelo.example/", L"HTTPS://stats.karvelo.example/x", L"about:blank"})
        EXPECT_FALSE(Raise(DISPID_BEFORENAVIGATE2, mp_browser, web));
    // A frame of the page may not go elsewhere either.
    EXPECT_TRUE(Raise(DISPID_BEFORENAVIGATE2, mp_sink, L"file://127.0.0.157/share"));
    // A strict build's pane goes to https pages only, links and redirects too.
    ASSERT_TRUE(mp_sink->Connect(mp_browser, true));
    EXPECT_TRUE(Raise(DISPID_BEFORENAVIGATE2, mp_browser, L"http://skins.karvelo.example/"));
    EXPECT_TRUE(Raise(DISPID_BEFORENAVIGATE2, mp_sink, L"http://ads.example/"));
    EXPECT_FALSE(Raise(DISPID_BEFORENAVIGATE2, mp_browser, L"https://skins.karvelo.example/"));
}

// Only the events of the watched address's own navigation count: the pane's
// first about:blank, or a home page that begins after the watch, never
// settle it.
TEST_F(NavigationSinkTest, OnlyTheWatchedNavigationOfTheControlItselfSettlesAndOnlyOnce)
{
    int settled = 0;
    mp_sink->WatchNavigation("https://stats.karvelo.example/2", [&settled] { ++settled; });
    // An earlier navigation that ends after the watch began.
    Raise(DISPID_DOCUMENTCOMPLETE, mp_browser, L"https://stats.karvelo.example/1");
    Raise(DISPID_NAVIGATEERROR, mp_browser, L"https://stats.karvelo.example/1");
    // Another one that begins after it and ends.
    Raise(DISPID_BEFORENAVIGATE2, mp_browser, L"https://www.home.example/");
    Raise(DISPID_NAVIGATEERROR, mp_browser, L"https://www.home.example/");
    EXPECT_EQ(settled, 0);
    Raise(DISPID_BEFORENAVIGATE2, mp_browser, L"https://stats.karvelo.example/2");
    // A frame of the page is not the page, nor is the pane's start page.
    Raise(DISPID_NAVIGATECOMPLETE2, mp_sink, L"https://ads.example/");
    Raise(DISPID_NAVIGATECOMPLETE2, mp_browser, L"about:blank");
    Raise(DISPID_DOCUMENTCOMPLETE, mp_browser, L"about:blank");
    EXPECT_EQ(settled, 0);
    // The control may rewrite the address (a redirect): it still counts.
    Raise(DISPID_NAVIGATECOMPLETE2, mp_browser, L"https://stats.karvelo.example/moved");
    Raise(DISPID_DOCUMENTCOMPLETE, mp_browser, L"https://stats.karvelo.example/moved");
    EXPECT_EQ(settled, 1);
    // A refused navigation never begins.
    mp_sink->WatchNavigation("file://127.0.0.157/share", [&settled] { ++settled; });
    Raise(DISPID_BEFORENAVIGATE2, mp_browser, L"file://127.0.0.157/share");
    Raise(DISPID_NAVIGATEERROR, mp_browser, L"file://127.0.0.157/share");
    EXPECT_EQ(settled, 1);
}

// A redirect the control did not announce ends at a refused address: the
// page is taken away, and the watched navigation has ended.
TEST_F(NavigationSinkTest, APageReachedAtARefusedAddressEndsTheNavigation)
{
    ASSERT_TRUE(mp_sink->Connect(mp_browser, true));
    int settled = 0;
    mp_sink->WatchNavigation("https://skins.karvelo.example/", [&settled] { ++settled; });
    Raise(DISPID_BEFORENAVIGATE2, mp_browser, L"https://skins.karvelo.example/");
    testing::internal::CaptureStdout();
    Raise(DISPID_NAVIGATECOMPLETE2, mp_browser, L"http://skins.karvelo.example/plain");
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(settled, 1);
    EXPECT_NE(log.find("Navigation refused after a redirect, not https: http://skins.karvelo.example/plain"),
              std::string::npos)
        << log;
}

TEST_F(NavigationSinkTest, NewWindowsAreNeverOpened)
{
    for (DISPID id : {DISPID(251), DISPID(273)}) {
        VARIANT_BOOL cancel = VARIANT_FALSE;
        IDispatch* window = nullptr;
        BSTR url = SysAllocString(L"file://127.0.0.157/share");
        std::vector<VARIANT> arguments(id == 251 ? 2 : 5);
        for (VARIANT& argument : arguments)
            VariantInit(&argument);
        VARIANT& disp = arguments.back();
        disp.vt = VT_BYREF | VT_DISPATCH;
        disp.ppdispVal = &window;
        VARIANT& flag = arguments[arguments.size() - 2];
        flag.vt = VT_BYREF | VT_BOOL;
        flag.pboolVal = &cancel;
        if (id == 273) {
            arguments[0].vt = VT_BSTR;
            arguments[0].bstrVal = url;
        }
        DISPPARAMS parameters = {arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
        mp_sink->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &parameters, nullptr, nullptr, nullptr);
        SysFreeString(url);
        EXPECT_EQ(cancel, VARIANT_TRUE) << id;
    }
}

#include "app/idle_task.h"
#include "app/message_pump.h"
#include "app/message_preview.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>
#include <vector>

namespace {

std::vector<std::string> g_events;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message >= WM_USER && message < WM_USER + 100)
        g_events.push_back("dispatched " + std::to_string(message - WM_USER));
    return DefWindowProcA(window, message, wparam, lparam);
}

HWND CreateRecordingWindow()
{
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = RecordingProc;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = "PumpTestWindow";
    RegisterClassA(&window_class);
    return CreateWindowA("PumpTestWindow", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

class ConsumingPreview : public MessagePreview {
public:
    ConsumingPreview(const char* name, UINT consumed) : ms_name(name), mn_consumed(consumed) {}
    bool PreviewMessage(MSG& message) override
    {
        if (message.message >= WM_USER && message.message < WM_USER + 100)
            g_events.push_back(ms_name + " saw " + std::to_string(message.message - WM_USER));
        return message.message == mn_consumed;
    }

private:
    std::string ms_name;
    UINT mn_consumed;
};

// First pass: posts only messages that must not wake the idle handlers, and a
// later wake-up from another thread. Second pass: ends the loop.
class ScriptedIdle : public IdleTask {
public:
    explicit ScriptedIdle(HWND window) : mh_window(window) {}
    bool RunIdle() override
    {
        ++mn_runs;
        g_events.push_back("idle " + std::to_string(mn_runs));
        if (mn_runs == 1) {
            PostMessageA(mh_window, WM_MOUSEMOVE, 0, 0);
            PostMessageA(mh_window, WM_NCMOUSEMOVE, 0, 0);
            PostMessageA(mh_window, WM_PAINT, 0, 0);
            PostMessageA(mh_window, 0x118, 0, 0);
            m_waker = std::thread([this] {
                Sleep(300);
                PostMessageA(mh_window, WM_USER + 1, 0, 0);
            });
        } else {
            PostQuitMessage(7);
        }
        return true;
    }
    ~ScriptedIdle() override
    {
        if (m_waker.joinable())
            m_waker.join();
    }

private:
    HWND mh_window;
    int mn_runs = 0;
    std::thread m_waker;
};

} // namespace

TEST(MessagePump, PointerPaintAndCaretMessagesDoNotWakeTheIdleHandlers)
{
    g_events.clear();
    HWND window = CreateRecordingWindow();
    MessagePump pump;
    ScriptedIdle idle(window);
    pump.AddIdleTask(&idle);
    EXPECT_EQ(pump.RunLoop(), 7);
    EXPECT_EQ(g_events, (std::vector<std::string>{"idle 1", "dispatched 1", "idle 2"}));
    DestroyWindow(window);
}

TEST(MessagePump, LastRegisteredPreviewSeesMessagesFirstAndConsumedOnesAreNotDispatched)
{
    g_events.clear();
    HWND window = CreateRecordingWindow();
    MessagePump pump;
    ConsumingPreview first("first", WM_USER + 2);
    ConsumingPreview second("second", WM_USER + 3);
    pump.AddPreview(&first);
    pump.AddPreview(&second);
    PostMessageA(window, WM_USER + 2, 0, 0);
    PostMessageA(window, WM_USER + 3, 0, 0);
    PostMessageA(window, WM_USER + 4, 0, 0);
    PostQuitMessage(3);
    EXPECT_EQ(pump.RunLoop(), 3);
    EXPECT_EQ(g_events, (std::vector<std::string>{"second saw 2", "first saw 2", "second saw 3",
                                                  "second saw 4", "first saw 4", "dispatched 4"}));
    DestroyWindow(window);
}

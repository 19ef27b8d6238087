#include "box_answering.h"

#include "base/owner_window.h"
#include "message_boxes.h"

#include <atomic>
#include <thread>

OwnerWindow::OwnerWindow()
    : mh_window(CreateWindowA("STATIC", "Test Owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr))
{
    g_dialog_window = mh_window;
}

OwnerWindow::~OwnerWindow()
{
    g_dialog_window = nullptr;
    DestroyWindow(mh_window);
}

std::vector<std::string> RunAnsweringBoxes(HWND owner, const std::function<void()>& work,
                                           const std::function<void(size_t)>& on_box)
{
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
    });
    std::vector<std::string> texts;
    while (!done) {
        HWND box = WaitForMessageBox(owner, 0, 50);
        if (!box)
            continue;
        texts.push_back(MessageBoxText(box));
        if (on_box)
            on_box(texts.size());
        PressMessageBoxButton(box, IDOK);
    }
    worker.join();
    return texts;
}

// Runs code that shows message boxes on a worker thread while this thread
// answers every box with OK, as a user would.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// A hidden top-level window that stands in for the installer window as the
// owner of message boxes, installed as the process-wide owner while it lives.
class OwnerWindow {
public:
    OwnerWindow();
    ~OwnerWindow();
    OwnerWindow(const OwnerWindow&) = delete;
    OwnerWindow& operator=(const OwnerWindow&) = delete;
    HWND Get() const { return mh_window; }

private:
    HWND mh_window;
};

// Runs `work` on a new thread; answers each box owned by `owner` with OK and
// returns their texts in order. `on_box` runs while each box is still up,
// before it is answered, with the number of boxes seen so far: what a user
// does before pressing OK is done by then.
std::vector<std::string> RunAnsweringBoxes(HWND owner, const std::function<void()>& work,
                                           const std::function<void(size_t)>& on_box = nullptr);

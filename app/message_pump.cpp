#include "app/message_pump.h"

#include "app/idle_task.h"
#include "app/message_preview.h"

namespace {

// The system's caret blink timer.
const UINT kCaretTimer = 0x118;

} // namespace

void MessagePump::AddPreview(MessagePreview* preview) { m_previews.push_back(preview); }

void MessagePump::AddIdleTask(IdleTask* task) { m_idle_tasks.push_back(task); }

int MessagePump::RunLoop()
{
    bool idle = true;
    for (;;) {
        while (idle && !PeekMessageA(&m_message, nullptr, 0, 0, PM_NOREMOVE)) {
            RunIdleTasks();
            idle = false;
        }
        const BOOL got = GetMessageA(&m_message, nullptr, 0, 0);
        if (got == -1)
            continue;
        if (got == 0)
            return static_cast<int>(m_message.wParam);
        if (!Preview(m_message)) {
            TranslateMessage(&m_message);
            DispatchMessageA(&m_message);
        }
        if (WakesIdleTasks(m_message.message))
            idle = true;
    }
}

bool MessagePump::Preview(MSG& message)
{
    for (auto preview = m_previews.rbegin(); preview != m_previews.rend(); ++preview) {
        if ((*preview)->PreviewMessage(message))
            return true;
    }
    return false;
}

void MessagePump::RunIdleTasks()
{
    for (IdleTask* task : m_idle_tasks)
        task->RunIdle();
}

// Pointer moves, painting and the caret timer come all the time; they must not
// keep the idle handlers busy.
bool MessagePump::WakesIdleTasks(UINT message)
{
    return message != WM_MOUSEMOVE && message != WM_NCMOUSEMOVE && message != WM_PAINT
        && message != kCaretTimer;
}

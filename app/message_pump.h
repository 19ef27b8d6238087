// The message loop of one thread, with message filters and idle handlers.
#pragma once

#include <windows.h>

#include <vector>

class IdleTask;
class MessagePreview;

class MessagePump {
public:
    // Neither is owned; the last preview added sees each message first.
    void AddPreview(MessagePreview* preview);
    void AddIdleTask(IdleTask* task);
    // Runs until the thread's quit message; returns its exit code.
    int RunLoop();

private:
    bool Preview(MSG& message);
    void RunIdleTasks();
    static bool WakesIdleTasks(UINT message);

    MSG m_message = {};
    std::vector<MessagePreview*> m_previews;
    std::vector<IdleTask*> m_idle_tasks;
};

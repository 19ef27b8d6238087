// Work run by the main loop when its queue has run dry.
#pragma once

class IdleTask {
public:
    virtual ~IdleTask() {}
    // The result is not used.
    virtual bool RunIdle() = 0;
};

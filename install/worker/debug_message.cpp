#include "install/worker/debug_message.h"

#include "base/owner_window.h"
#include "store/run_values.h"

void DebugMessage(DebugLevel level, const std::string& text)
{
    if (debug_level >= level)
        ShowMessage(text);
}

#include "store/installer.h"

#include "base/failure_log.h"

Installer* g_installer = nullptr;

// Without the event the worker cannot wait for the user's choice and stops.
Installer::Installer() : mh_language_event(CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
    if (!mh_language_event)
        LogFailure("CreateEventA", "language choice", GetLastError());
}

Installer::~Installer() = default;

void Installer::OnLanguageChosen() { SetEvent(mh_language_event.Get()); }

#include "store/installer.h"

Installer* g_installer = nullptr;

Installer::Installer() : mh_language_event(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

Installer::~Installer() = default;

void Installer::OnLanguageChosen() { SetEvent(mh_language_event.Get()); }

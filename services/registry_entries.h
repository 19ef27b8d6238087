// Writes the manifest's REG section under HKCU\Software\<BRAND_NAME>.
#pragma once

class Installer;

void WriteRegistryEntries(Installer& installer);

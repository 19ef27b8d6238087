// The one object that carries an installation: the manifest, the install
// folder and the event on which the worker waits for the language choice.
#pragma once

#include "base/unique_handle.h"
#include "store/ini_file.h"

#include <string>

class Installer {
public:
    Installer();
    virtual ~Installer();
    Installer(const Installer&) = delete;
    Installer& operator=(const Installer&) = delete;

    // Called by the dialog once the language id is stored; the event stays
    // set for good.
    void OnLanguageChosen();

    IniFile m_manifest;
    std::string ms_install_dir;
    KernelHandle mh_language_event;
};

extern Installer* g_installer;

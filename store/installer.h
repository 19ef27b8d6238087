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

    // The installation, defined with the worker's code: Start runs Run on a
    // new worker thread; Report sends the download report for action 1
    // (started) or 2 (done) and is false for any other action.
    void Start();
    void Run();
    bool Report(int action);

    IniFile m_manifest;
    std::string ms_install_dir;
    KernelHandle mh_language_event;
    // The build's options, set by the program's entry before Start: the
    // value the "scheme" setting is seeded with, and the strict build (https
    // only, every file with its hash).
    std::string ms_default_scheme = "http";
    bool mb_strict = false;
    // Set by the run: the program has built-in manifest keys.
    bool mb_keyed = false;
};

extern Installer* g_installer;

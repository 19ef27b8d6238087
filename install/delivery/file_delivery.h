// The run's file loop: every URL_ entry of the manifest, one after the
// other, each with up to five attempts, but for those already in place;
// the attempts go round SERVER_ADDR and its mirrors.
#pragma once

class Installer;

// False when the run must stop, its box shown: five failed attempts of one
// file, or a disk that cannot take the files.
bool DeliverFiles(const Installer& installer);

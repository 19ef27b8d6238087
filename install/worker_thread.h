// Starting a detached thread whose function runs under the failure log of
// MainThraedFunc. Depends on nothing of the installer run, so that any layer
// may start threads.
#pragma once

typedef unsigned(__stdcall* ThreadFunction)(void* argument);

struct ThreadStartRecord {
    ThreadFunction function;
    void* argument;
};

// Runs `function(argument)` on a new detached thread. Returns false when the
// thread could not be created.
bool BeginThread(ThreadFunction function, void* argument);

// The entry of every thread started here: COM for the thread, the function,
// and a framed report of anything the function throws. Takes ownership of the
// record. Returns the function's result, or 0xFFFFFFFF after an exception.
unsigned __stdcall MainThraedFunc(void* record);

// Starting a detached thread whose function runs under the failure log of
// MainThraedFunc. Depends on nothing of the installer run, so that any layer
// may start threads.
#pragma once

typedef unsigned(__stdcall* ThreadFunction)(void* argument);
typedef void (*FailureHandler)();

struct ThreadStartRecord {
    ThreadFunction function;
    void* argument;
    // Called after the report of an allocation failure; may be null.
    FailureHandler out_of_memory = nullptr;
};

// Runs `function(argument)` on a new detached thread. Returns false when the
// thread could not be created.
bool BeginThread(ThreadFunction function, void* argument, FailureHandler out_of_memory = nullptr);

// The entry of every thread started here: COM for the thread, the function,
// and a framed report of anything the function throws (an allocation failure
// is reported like any other, then handed to the record's handler). Takes
// ownership of the
// record. Returns the function's result, or 0xFFFFFFFF after an exception.
unsigned __stdcall MainThraedFunc(void* record);

// SHA-256 of a stream of small blocks, computed on a thread of its own so
// that hashing overlaps the transfer instead of adding to it: the caller only
// copies its blocks into a batch. A stream shorter than one batch never starts
// the thread; it is hashed by Finish().
#pragma once

#include "base/unique_handle.h"
#include "services/sha256_hash.h"

#include <cstddef>
#include <string>

class Sha256Pipeline {
public:
    Sha256Pipeline() = default;
    // Goes on from `state`, the unfinished hash of earlier bytes.
    explicit Sha256Pipeline(CryptHashHandle state);
    ~Sha256Pipeline();
    Sha256Pipeline(const Sha256Pipeline&) = delete;
    Sha256Pipeline& operator=(const Sha256Pipeline&) = delete;

    // Adds the next bytes; they are hashed later, in order.
    void Add(const void* data, size_t size);
    // The hash of everything added, as 64 lower-case hexadecimal digits, or
    // the empty text when the platform could not compute it. Ends the hash.
    std::string Finish();
    // The unfinished hash of everything added, for a later pipeline to go
    // on from; null when the platform failed. Ends the hash.
    CryptHashHandle Suspend();

private:
    // Hashes what is still in hand; the thread is done.
    void Drain();

    static unsigned __stdcall HashBatches(void* pipeline);
    bool StartThread();
    // Hands the filled batch to the thread, once it is done with the last one.
    void HandOver();
    // Waits for the batch in hand, then ends the thread.
    void StopThread();

    Sha256Hash m_hash;
    std::string m_batches[2];
    int mn_filling = 0;
    // Read by the thread only after mh_batch_ready is set.
    const std::string* mp_handed = nullptr;
    bool mb_stopping = false;
    bool mb_finished = false;
    bool mb_thread_failed = false;
    KernelHandle mh_batch_ready;
    KernelHandle mh_batch_done;
    KernelHandle mh_thread;
};

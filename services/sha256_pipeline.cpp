#include "services/sha256_pipeline.h"

#include <process.h>

namespace {

// Large enough that handing over costs nothing next to the hashing, small
// enough that the last batch, hashed while the caller waits, is short.
const size_t kBatchSize = 256 * 1024;

} // namespace

Sha256Pipeline::Sha256Pipeline(CryptHashHandle state) : m_hash(std::move(state)) {}

Sha256Pipeline::~Sha256Pipeline() { StopThread(); }

void Sha256Pipeline::Add(const void* data, size_t size)
{
    if (mb_finished)
        return;
    std::string& batch = m_batches[mn_filling];
    batch.append(static_cast<const char*>(data), size);
    if (batch.size() >= kBatchSize)
        HandOver();
}

std::string Sha256Pipeline::Finish()
{
    Drain();
    return m_hash.Finish();
}

CryptHashHandle Sha256Pipeline::Suspend()
{
    Drain();
    return m_hash.Suspend();
}

void Sha256Pipeline::Drain()
{
    StopThread();
    mb_finished = true;
    std::string& rest = m_batches[mn_filling];
    m_hash.Add(rest.data(), rest.size());
    rest.clear();
}

unsigned __stdcall Sha256Pipeline::HashBatches(void* argument)
{
    Sha256Pipeline& pipeline = *static_cast<Sha256Pipeline*>(argument);
    for (;;) {
        WaitForSingleObject(pipeline.mh_batch_ready.Get(), INFINITE);
        if (pipeline.mb_stopping)
            return 0;
        pipeline.m_hash.Add(pipeline.mp_handed->data(), pipeline.mp_handed->size());
        SetEvent(pipeline.mh_batch_done.Get());
    }
}

bool Sha256Pipeline::StartThread()
{
    if (mh_thread || mb_thread_failed)
        return !mb_thread_failed;
    mh_batch_ready.Reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    // Set while the thread has nothing in hand.
    mh_batch_done.Reset(CreateEventA(nullptr, FALSE, TRUE, nullptr));
    if (mh_batch_ready && mh_batch_done)
        mh_thread.Reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, HashBatches, this, 0, nullptr)));
    mb_thread_failed = !mh_thread;
    return !mb_thread_failed;
}

void Sha256Pipeline::HandOver()
{
    std::string& filled = m_batches[mn_filling];
    if (!StartThread()) {
        // No thread to be had: hash here, as a plain hash would.
        m_hash.Add(filled.data(), filled.size());
        filled.clear();
        return;
    }
    WaitForSingleObject(mh_batch_done.Get(), INFINITE);
    mp_handed = &filled;
    SetEvent(mh_batch_ready.Get());
    mn_filling ^= 1;
    m_batches[mn_filling].clear();
}

void Sha256Pipeline::StopThread()
{
    if (!mh_thread)
        return;
    WaitForSingleObject(mh_batch_done.Get(), INFINITE);
    mb_stopping = true;
    SetEvent(mh_batch_ready.Get());
    WaitForSingleObject(mh_thread.Get(), INFINITE);
    mh_thread.Reset();
}

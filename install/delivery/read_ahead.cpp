#include "install/delivery/read_ahead.h"

#include "base/diagnostics.h"
#include "base/unique_handle.h"
#include "install/delivery/resource_file_listener.h"
#include "install/worker/worker_thread.h"
#include "net/downloader_listener.h"
#include "net/file_downloader.h"
#include "services/text.h"
#include "store/lockable.h"

#include <windows.h>

#include <algorithm>

namespace {

const size_t kNone = static_cast<size_t>(-1);
// How often a waiting run shows the progress of the transfer it waits for:
// the window shows no more.
const DWORD kProgressIntervalMs = 20;

enum class SlotState { kIdle, kRunning, kStaged, kFailed, kTaken };

struct Slot {
    ReadAheadFile file;
    SlotState state = SlotState::kIdle;
    std::int64_t received = 0;
    std::int64_t total = -1;
    // Set while a transfer runs, so that it can be canceled.
    FileDownloader* downloader = nullptr;
};

bool IsArchive(const ResourceEntry& entry) { return EndsWith(entry.path, ".7z"); }

} // namespace

struct ReadAhead::State {
    Lockable lock;
    // Set whenever a transfer ends; only the run waits for it.
    KernelHandle changed{CreateEventA(nullptr, FALSE, FALSE, nullptr)};
    std::vector<Slot> slots;
    int transfers = 1;
    bool secure = false;
    std::string library_sha256;
    std::string host;
    bool host_proven = false;
    size_t run_index = 0;
    int running = 0;
    bool own_transfer = false;
    bool own_waiting = false;
    bool abandoned = false;

    // The bytes a file ahead holds or will hold, as far as known.
    static std::int64_t Counted(const Slot& slot)
    {
        return std::max({slot.file.entry.size, slot.total, slot.received, std::int64_t(0)});
    }

    // The next file that may start now, marked running; kNone when none
    // may. Called with the lock held.
    size_t TakeNext()
    {
        const int in_flight = running + (own_transfer ? 1 : 0);
        if (abandoned || transfers <= 1 || !host_proven || own_waiting || in_flight >= transfers)
            return kNone;
        std::int64_t ahead = 0;
        for (size_t i = run_index + 1; i < slots.size(); ++i)
            if (slots[i].state == SlotState::kRunning || slots[i].state == SlotState::kStaged)
                ahead += Counted(slots[i]);
        const size_t end = std::min(slots.size(), run_index + 1 + kFilesAhead);
        for (size_t i = run_index + 1; i < end; ++i) {
            // An archive not yet unpacked may place files of later names.
            if (IsArchive(slots[i - 1].file.entry))
                return kNone;
            Slot& slot = slots[i];
            if (slot.state != SlotState::kIdle || !slot.file.eligible)
                continue;
            if (ahead > 0 && ahead + Counted(slot) > kBytesAhead)
                return kNone;
            slot.state = SlotState::kRunning;
            ++running;
            return i;
        }
        return kNone;
    }
};

namespace {

using State = ReadAhead::State;

// Forwards the events of a worker's transfers to the listener of the file
// at hand and keeps the slot's byte count for a run that waits for it.
class CountingListener : public DownloaderListener {
public:
    explicit CountingListener(State& state) : m_state(state) {}
    void Aim(ResourceFileDownloaderListener* listener, size_t index)
    {
        mp_listener = listener;
        mn_index = index;
    }
    bool OnRecv(const std::string& block) override
    {
        if (!mp_listener->OnRecv(block))
            return false;
        Lockable::Guard guard(m_state.lock);
        m_state.slots[mn_index].received = mp_listener->Received();
        return true;
    }
    void OnFinished() override { mp_listener->OnFinished(); }
    void OnCanceled() override { mp_listener->OnCanceled(); }
    void OnError(const TransferError& error) override { mp_listener->OnError(error); }

private:
    State& m_state;
    ResourceFileDownloaderListener* mp_listener = nullptr;
    size_t mn_index = 0;
};

// Whether the slot's transfer is still wanted; registers or clears its
// downloader with the lock held.
bool Register(State& state, size_t index, FileDownloader* downloader)
{
    Lockable::Guard guard(state.lock);
    Slot& slot = state.slots[index];
    slot.downloader = downloader;
    return !state.abandoned && slot.state == SlotState::kRunning;
}

// One read-ahead transfer of file `index` on `downloader`, as the run's own
// attempt goes but unseen.
ResourceFileDownloaderListener::Outcome FetchAhead(State& state, size_t index, FileDownloader& downloader,
                                                   CountingListener& counter)
{
    const ResourceEntry& entry = state.slots[index].file.entry;
    ResourceFileDownloaderListener listener(entry, state.library_sha256,
                                            ResourceFileDownloaderListener::Role::kReadAhead);
    counter.Aim(&listener, index);
    if (!Register(state, index, &downloader))
        return ResourceFileDownloaderListener::Outcome::kFailed;
    const bool answered = downloader.OpenConnection(entry.path, listener.Resume());
    if (!answered || listener.Begin(downloader.Head())) {
        {
            Lockable::Guard guard(state.lock);
            state.slots[index].total = listener.Total();
        }
        // Canceled before the transfer could see it: a cancel during the
        // request is forgotten by it.
        if (Register(state, index, &downloader))
            downloader.Start(true);
        else
            counter.OnCanceled();
    }
    Register(state, index, nullptr);
    return listener.GetOutcome();
}

struct WorkerStart {
    std::shared_ptr<State> state;
    size_t index;
};

// Ends the slot's transfer with the lock held; true when its staged copy is
// no longer wanted and must go.
bool EndTransfer(State& state, size_t index, bool staged)
{
    Slot& slot = state.slots[index];
    --state.running;
    const bool wanted = !state.abandoned && slot.state == SlotState::kRunning;
    if (slot.state == SlotState::kRunning)
        slot.state = staged ? SlotState::kStaged : SlotState::kFailed;
    if (!staged && wanted)
        Diagnostic("Read-ahead of %s failed; the run fetches it itself\n", slot.file.entry.path.c_str());
    return staged && !wanted;
}

// Fetches files ahead until none may start. Consecutive files from one host
// go over one session and its kept-alive connection: a session per file
// costs more than a small file's transfer; one that failed is not reused.
unsigned __stdcall Work(void* argument)
{
    std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(argument));
    State& state = *start->state;
    size_t index = start->index;
    CountingListener counter(state);
    std::unique_ptr<FileDownloader> downloader;
    std::string downloader_host;
    while (index != kNone) {
        std::string host;
        {
            Lockable::Guard guard(state.lock);
            host = state.host;
        }
        if (!downloader || host != downloader_host) {
            downloader.reset(new FileDownloader(&counter, host, state.secure));
            // A proxy's prompt is the run's; without its answer the file is
            // the run's.
            downloader->SetMayPrompt(false);
            downloader_host = host;
        }
        const bool staged =
            FetchAhead(state, index, *downloader, counter) == ResourceFileDownloaderListener::Outcome::kStaged;
        if (!staged)
            downloader.reset();
        bool unwanted = false;
        {
            Lockable::Guard guard(state.lock);
            unwanted = EndTransfer(state, index, staged);
        }
        if (unwanted)
            ResourceFileDownloaderListener::RemoveStaged(state.slots[index].file.entry);
        SetEvent(state.changed.Get());
        Lockable::Guard guard(state.lock);
        index = state.TakeNext();
    }
    return 0;
}

} // namespace

ReadAhead::ReadAhead(std::vector<ReadAheadFile> files, int transfers, bool secure, const std::string& library_sha256)
    : m_state(std::make_shared<State>())
{
    for (ReadAheadFile& file : files) {
        m_state->slots.emplace_back();
        m_state->slots.back().file = std::move(file);
    }
    m_state->transfers = transfers;
    m_state->secure = secure;
    m_state->library_sha256 = library_sha256;
}

ReadAhead::~ReadAhead()
{
    std::vector<size_t> unwanted;
    {
        Lockable::Guard guard(m_state->lock);
        m_state->abandoned = true;
        for (size_t i = 0; i < m_state->slots.size(); ++i) {
            Slot& slot = m_state->slots[i];
            if (slot.downloader)
                slot.downloader->Cancel();
            if (slot.state == SlotState::kStaged)
                unwanted.push_back(i);
            if (slot.state != SlotState::kRunning)
                slot.state = SlotState::kTaken;
        }
    }
    for (size_t index : unwanted)
        ResourceFileDownloaderListener::RemoveStaged(m_state->slots[index].file.entry);
}

void ReadAhead::Reach(size_t index, const std::string& host, bool proven)
{
    {
        Lockable::Guard guard(m_state->lock);
        m_state->run_index = index;
        m_state->host = host;
        m_state->host_proven = proven;
    }
    StartWhatMay();
}

void ReadAhead::UseHost(const std::string& host)
{
    Lockable::Guard guard(m_state->lock);
    m_state->host = host;
    m_state->host_proven = false;
}

void ReadAhead::StartWhatMay()
{
    for (;;) {
        size_t index = kNone;
        {
            Lockable::Guard guard(m_state->lock);
            index = m_state->TakeNext();
        }
        if (index == kNone)
            return;
        std::unique_ptr<WorkerStart> start(new WorkerStart{m_state, index});
        if (BeginThread(Work, start.get())) {
            start.release();
            continue;
        }
        // BeginThread has logged why; the run fetches the file itself.
        Lockable::Guard guard(m_state->lock);
        EndTransfer(*m_state, index, false);
        return;
    }
}

bool ReadAhead::TakeStaged(size_t index, std::int64_t& size, const Progress& progress)
{
    for (;;) {
        std::int64_t received = 0, total = -1;
        {
            Lockable::Guard guard(m_state->lock);
            Slot& slot = m_state->slots[index];
            if (slot.state != SlotState::kRunning) {
                const bool staged = slot.state == SlotState::kStaged;
                size = slot.received;
                slot.state = SlotState::kTaken;
                return staged;
            }
            received = slot.received;
            total = slot.total;
        }
        progress(received, total);
        WaitForSingleObject(m_state->changed.Get(), kProgressIntervalMs);
    }
}

void ReadAhead::Discard(size_t index)
{
    bool staged = false;
    {
        Lockable::Guard guard(m_state->lock);
        Slot& slot = m_state->slots[index];
        staged = slot.state == SlotState::kStaged;
        if (slot.downloader)
            slot.downloader->Cancel();
        // A transfer still running drops its copy when it ends.
        slot.state = SlotState::kTaken;
    }
    if (staged)
        ResourceFileDownloaderListener::RemoveStaged(m_state->slots[index].file.entry);
}

ReadAhead::OwnTransfer::OwnTransfer(ReadAhead& read_ahead) : m_read_ahead(read_ahead)
{
    State& state = *m_read_ahead.m_state;
    for (;;) {
        {
            Lockable::Guard guard(state.lock);
            if (state.running < state.transfers) {
                state.own_transfer = true;
                state.own_waiting = false;
                return;
            }
            state.own_waiting = true;
        }
        WaitForSingleObject(state.changed.Get(), INFINITE);
    }
}

ReadAhead::OwnTransfer::~OwnTransfer()
{
    {
        Lockable::Guard guard(m_read_ahead.m_state->lock);
        m_read_ahead.m_state->own_transfer = false;
    }
    m_read_ahead.StartWhatMay();
}

// Fetches the files after the one the run is at, in the manifest's order,
// each on a transfer and connection of its own, into their staged names, so
// that the run finds them complete instead of waiting for each answer. The
// run alone talks to the window: read-ahead shows nothing, and a transfer of
// it that fails is no attempt of the run, which fetches the file itself.
//
// Bounded: at most `transfers` at once with the run's own, at most
// kFilesAhead files and (beyond the first file ahead) kBytesAhead bytes
// ahead of the run, never past an archive the run has not unpacked (it may
// place files of the same names), and never a file another entry also
// places. Dropping the object cancels what still runs without waiting; what
// was staged and not taken goes (a hashed file's partial bytes stay, as they
// do after any failed attempt).
#pragma once

#include "install/trust/resource_entry.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct ReadAheadFile {
    ResourceEntry entry;
    // False for a file the run keeps, or whose target another entry shares.
    bool eligible = true;
};

class ReadAhead {
public:
    // Twice the most transfers there may be, so that a transfer that ends
    // always finds a next file; more would only hold disk space.
    static const size_t kFilesAhead = 32;
    static const std::int64_t kBytesAhead = std::int64_t(64) << 20;

    // Nothing is fetched ahead when `transfers` is 1.
    ReadAhead(std::vector<ReadAheadFile> files, int transfers, bool secure, const std::string& library_sha256);
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The run is at file `index` and fetches from `host`, which has
    // delivered a file of this run when `proven`: what may start now starts,
    // from that host. Nothing starts from a host not proven: a host that is
    // down fails the run's attempts, not a flood of read-ahead ones.
    void Reach(size_t index, const std::string& host, bool proven);
    // The run moved on to another host after a failed attempt: nothing
    // starts until that host has delivered.
    void UseHost(const std::string& host);

    // Byte progress of a read-ahead transfer the run waits for: the bytes
    // so far and the whole length, or -1 while unknown.
    using Progress = std::function<void(std::int64_t received, std::int64_t total)>;
    // What the run finds for file `index`: while its transfer runs, waits,
    // reporting its progress; true, with the staged copy's `size`, when it
    // ended complete and verified in NAME.part. False when the run must
    // fetch the file itself; read-ahead leaves it alone from then on.
    bool TakeStaged(size_t index, std::int64_t& size, const Progress& progress);
    // The run found the file in place after all: a staged copy goes.
    void Discard(size_t index);

    // The run's own transfer counts among the `transfers`: it waits for
    // room, which read-ahead gives before starting anything more.
    class OwnTransfer {
    public:
        explicit OwnTransfer(ReadAhead& read_ahead);
        ~OwnTransfer();
        OwnTransfer(const OwnTransfer&) = delete;
        OwnTransfer& operator=(const OwnTransfer&) = delete;

    private:
        ReadAhead& m_read_ahead;
    };

    struct State;

private:
    void StartWhatMay();

    std::shared_ptr<State> m_state;
};

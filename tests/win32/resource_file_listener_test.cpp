// The resource listener's file: where it lands, and what the log says when it
// cannot be written or put in place.
#include "install/trust/resource_entry.h"
#include "install/delivery/resource_file_listener.h"
#include "install/worker/window_channel.h"
#include "store/installer.h"

#include "box_answering.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <wininet.h>

namespace {

// The worker's globals for one listener: an installer whose install folder
// is `folder`, and a window channel without a window.
struct ListenerWorld {
    explicit ListenerWorld(const std::string& folder)
    {
        installer.ms_install_dir = folder;
        g_installer = &installer;
        g_dialog = &channel;
    }
    ~ListenerWorld()
    {
        g_installer = nullptr;
        g_dialog = nullptr;
    }
    Installer installer;
    WindowChannel channel;
};

// One attempt at `entry`: a 200 of four bytes, "body", then its end, or a
// refusal when the body cannot be written. Gives the boxes and the log.
struct Attempt {
    std::vector<std::string> boxes;
    std::string log;
};

Attempt DeliverBody(const ResourceEntry& entry)
{
    OwnerWindow owner;
    Attempt attempt;
    testing::internal::CaptureStdout();
    attempt.boxes = RunAnsweringBoxes(owner.Get(), [&] {
        ResourceFileDownloaderListener listener(entry, "");
        ResponseHead head;
        head.status = 200;
        head.content_length = 4;
        EXPECT_TRUE(listener.Begin(head));
        if (listener.OnRecv("body"))
            listener.OnFinished();
        else
            listener.OnError(TransferError::Own(TransferError::kListenerRefused));
        EXPECT_FALSE(listener.Finished());
    });
    attempt.log = testing::internal::GetCapturedStdout();
    return attempt;
}

} // namespace

// A file standing where a sub-folder must be: the box of the design, and one
// line for each call that failed, with its code.
TEST(ResourceFileDownloaderListener, AFileThatCannotBeCreatedIsLoggedWithItsCallAndCode)
{
    const std::string folder = ScratchFolder("listener");
    WriteWhole(folder + "\\Games", "a file, not a folder");
    ListenerWorld world(folder);
    ResourceEntry entry;
    ASSERT_TRUE(ParseResourceEntry("URL_1#Roulette", "games/r.dll,Games", entry));

    const Attempt attempt = DeliverBody(entry);
    const std::string& log = attempt.log;
    EXPECT_EQ(attempt.boxes, (std::vector<std::string>{"Error in ResourceFileDownloaderListener::OnRecv()",
                                                       "ResourceFileDownloaderListener::OnError()"}));
    EXPECT_NE(log.find("CreateDirectoryA \"" + folder + "\\Games\" failed: 183"), std::string::npos) << log;
    EXPECT_NE(log.find("CreateFileA \"" + folder + "\\Games\\r.dll.part\" failed: 3"), std::string::npos) << log;
}

// A copy in place that the move cannot replace (here a folder, which no
// move replaces) stays as it was, the attributes that archives set included.
TEST(ResourceFileDownloaderListener, ACopyThatCannotBeReplacedKeepsItsAttributes)
{
    const std::string folder = ScratchFolder("listener");
    const std::string target = folder + "\\r.dll";
    ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
    // Wine keeps no read-only mark on a folder; hidden is what it keeps.
    ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    const DWORD before = GetFileAttributesA(target.c_str());
    ASSERT_NE(before & FILE_ATTRIBUTE_HIDDEN, 0u);
    ListenerWorld world(folder);
    ResourceEntry entry;
    ASSERT_TRUE(ParseResourceEntry("URL_1", "games/r.dll", entry));

    const Attempt attempt = DeliverBody(entry);
    const std::string& log = attempt.log;
    EXPECT_EQ(attempt.boxes, std::vector<std::string>{"Error in ResourceFileDownloaderListener::OnRecv()"});
    EXPECT_NE(log.find("MoveFileExA \"" + target + "\" failed: "), std::string::npos) << log;
    EXPECT_EQ(GetFileAttributesA(target.c_str()), before);
    EXPECT_FALSE(PathExists(target + ".part"));
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

namespace {

// One read-ahead transfer of `body` for `entry`, answered 200 with its
// length; gives the boxes it showed and its outcome.
struct AheadAttempt {
    std::vector<std::string> boxes;
    ResourceFileDownloaderListener::Outcome outcome = ResourceFileDownloaderListener::Outcome::kFailed;
};

AheadAttempt ReadAheadBody(const ResourceEntry& entry, const std::string& body)
{
    OwnerWindow owner;
    AheadAttempt attempt;
    testing::internal::CaptureStdout();
    attempt.boxes = RunAnsweringBoxes(owner.Get(), [&] {
        ResourceFileDownloaderListener listener(entry, "", ResourceFileDownloaderListener::Role::kReadAhead);
        ResponseHead head;
        head.status = 200;
        head.content_length = static_cast<long long>(body.size());
        if (listener.Begin(head) && listener.OnRecv(body))
            listener.OnFinished();
        attempt.outcome = listener.GetOutcome();
    });
    testing::internal::GetCapturedStdout();
    return attempt;
}

} // namespace

// Read ahead, a file ends complete and verified under its staged name, with
// no box; the run then places it over the installed copy.
TEST(ResourceFileDownloaderListener, ReadAheadStagesTheFileUnseenAndTheRunPlacesIt)
{
    const std::string folder = ScratchFolder("listener");
    WriteWhole(folder + "\\r.dll", "old");
    ListenerWorld world(folder);
    ResourceEntry entry;
    // The SHA-256 of "body".
    ASSERT_TRUE(ParseResourceEntry(
        "URL_1", "games/r.dll,,sha256:230d8358dc8e8890b4c58deeb62912ee2f20357ae92a5cc861b98e68fe31acb5,size:4",
        entry));

    const AheadAttempt attempt = ReadAheadBody(entry, "body");
    EXPECT_TRUE(attempt.boxes.empty());
    EXPECT_EQ(attempt.outcome, ResourceFileDownloaderListener::Outcome::kStaged);
    EXPECT_EQ(ReadWhole(Wide(folder + "\\r.dll")), "old");
    EXPECT_EQ(ReadWhole(Wide(folder + "\\r.dll.part")), "body");

    OwnerWindow owner;
    const std::vector<std::string> boxes = RunAnsweringBoxes(owner.Get(), [&] {
        EXPECT_EQ(ResourceFileDownloaderListener::PlaceStaged(entry, "", 4),
                  ResourceFileDownloaderListener::Outcome::kFinished);
    });
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(ReadWhole(Wide(folder + "\\r.dll")), "body");
    EXPECT_FALSE(PathExists(folder + "\\r.dll.part"));
    EXPECT_FALSE(PathExists(folder + "\\r.dll.part.info"));
}

// What would show a box in the run's attempt fails a read-ahead transfer
// silently: altered bytes (dropped at once), a body that cannot be written.
TEST(ResourceFileDownloaderListener, ReadAheadFailsWithoutABox)
{
    const std::string folder = ScratchFolder("listener");
    WriteWhole(folder + "\\Games", "a file, not a folder");
    ListenerWorld world(folder);
    ResourceEntry altered, unwritable;
    ASSERT_TRUE(ParseResourceEntry(
        "URL_1", "r.dll,,sha256:230d8358dc8e8890b4c58deeb62912ee2f20357ae92a5cc861b98e68fe31acb5", altered));
    ASSERT_TRUE(ParseResourceEntry("URL_2", "games/s.dll,Games", unwritable));

    const AheadAttempt changed = ReadAheadBody(altered, "bodx");
    EXPECT_TRUE(changed.boxes.empty());
    EXPECT_EQ(changed.outcome, ResourceFileDownloaderListener::Outcome::kFailed);
    EXPECT_FALSE(PathExists(folder + "\\r.dll.part"));
    EXPECT_FALSE(PathExists(folder + "\\r.dll"));

    const AheadAttempt refused = ReadAheadBody(unwritable, "body");
    EXPECT_TRUE(refused.boxes.empty());
    EXPECT_EQ(refused.outcome, ResourceFileDownloaderListener::Outcome::kFailed);
}

namespace {

// The SHA-256 of "bodymoreend!", fetched in pieces of four bytes.
const char kPiecedEntry[] =
    "games/r.dll,,sha256:36857ac3ba9c4f698fc22bea273a48d1a2cf9be78d9c6b46885164f9b7a505b9,size:12";

// One attempt at `entry` answered with `head` and `body`: it ends complete
// when `complete`, else broken off as a lost connection ends it. Gives the
// log.
std::string PieceAttempt(const ResourceEntry& entry, ResourceFileDownloaderListener::Role role,
                         const ResponseHead& head, const std::string& body, bool complete)
{
    OwnerWindow owner;
    testing::internal::CaptureStdout();
    RunAnsweringBoxes(owner.Get(), [&] {
        ResourceFileDownloaderListener listener(entry, "", role);
        if (!listener.Begin(head) || !listener.OnRecv(body))
            return;
        if (complete)
            listener.OnFinished();
        else
            listener.OnError(TransferError::Platform(ERROR_INTERNET_CONNECTION_RESET));
    });
    return testing::internal::GetCapturedStdout();
}

ResponseHead WholeAnswer()
{
    ResponseHead head;
    head.status = 200;
    head.content_length = 12;
    head.etag = "\"v1\"";
    return head;
}

ResponseHead RestAnswer(int from)
{
    ResponseHead head;
    head.status = 206;
    head.content_length = 12 - from;
    head.content_range = "bytes " + std::to_string(from) + "-11/12";
    head.etag = "\"v1\"";
    return head;
}

size_t Count(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

} // namespace

// Within a run, a resumed attempt goes on from the hash of the bytes already
// staged, a read-ahead transfer's included, instead of reading them back.
TEST(ResourceFileDownloaderListener, AResumeWithinTheRunDoesNotReadTheStagedBytesAgain)
{
    const std::string folder = ScratchFolder("listener");
    ListenerWorld world(folder);
    ResourceEntry entry;
    ASSERT_TRUE(ParseResourceEntry("URL_1", kPiecedEntry, entry));
    const auto ahead = ResourceFileDownloaderListener::Role::kReadAhead;
    const auto run = ResourceFileDownloaderListener::Role::kRun;

    std::string log = PieceAttempt(entry, ahead, WholeAnswer(), "body", false);
    log += PieceAttempt(entry, run, RestAnswer(4), "more", false);
    log += PieceAttempt(entry, run, RestAnswer(8), "end!", true);
    EXPECT_EQ(Count(log, ": hash kept"), 2u) << log;
    EXPECT_EQ(Count(log, "read again"), 0u) << log;
    EXPECT_EQ(ReadWhole(Wide(folder + "\\r.dll")), "bodymoreend!");
    EXPECT_FALSE(PathExists(folder + "\\r.dll.part"));
}

// A kept hash is for exactly the bytes it was kept for: staged bytes that
// changed after the attempt are read again, and their change is caught.
TEST(ResourceFileDownloaderListener, StagedBytesChangedBehindTheRunAreReadAgain)
{
    const std::string folder = ScratchFolder("listener");
    ListenerWorld world(folder);
    ResourceEntry entry;
    ASSERT_TRUE(ParseResourceEntry("URL_1", kPiecedEntry, entry));
    const auto run = ResourceFileDownloaderListener::Role::kRun;

    PieceAttempt(entry, run, WholeAnswer(), "body", false);
    // Same length, other bytes; later than the clock's last tick.
    Sleep(50);
    WriteWhole(folder + "\\r.dll.part", "bodx");
    std::string log = PieceAttempt(entry, run, RestAnswer(4), "more", false);
    EXPECT_EQ(Count(log, "read again"), 1u) << log;
    log = PieceAttempt(entry, run, RestAnswer(8), "end!", true);
    EXPECT_EQ(Count(log, ": hash kept"), 1u) << log;
    EXPECT_NE(log.find("Checksum mismatch"), std::string::npos) << log;
    EXPECT_FALSE(PathExists(folder + "\\r.dll"));
    EXPECT_FALSE(PathExists(folder + "\\r.dll.part"));
}

// The resource listener's file: where it lands, and what the log says when it
// cannot be written or put in place.
#include "install/resource_entry.h"
#include "install/resource_file_listener.h"
#include "install/window_channel.h"
#include "store/installer.h"

#include "box_answering.h"
#include "test_files.h"

#include <gtest/gtest.h>

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

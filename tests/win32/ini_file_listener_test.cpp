// The manifest listener against the fixture server on 127.0.0.3.
#include "install/run/ini_file_listener.h"
#include "net/file_downloader.h"
#include "store/installer.h"

#include "box_answering.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Fetches `path` as the manifest; returns whether it arrived, and the boxes.
bool FetchManifest(const std::string& path, std::vector<std::string>& boxes)
{
    OwnerWindow owner;
    IniFileDownloaderListener listener;
    boxes = RunAnsweringBoxes(owner.Get(), [&] {
        FileDownloader downloader(&listener, "files.karvelo.example");
        downloader.OpenConnection(path);
        downloader.Start(true);
    });
    return listener.Finished();
}

} // namespace

TEST(IniFileDownloaderListener, AManifestAboveOneMiBFailsWithItsBox)
{
    Installer installer;
    g_installer = &installer;
    std::vector<std::string> boxes;
    EXPECT_TRUE(FetchManifest("/size/1048576", boxes));
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(FetchManifest("/size/1048577", boxes));
    EXPECT_EQ(boxes, std::vector<std::string>{"IniFileDownloaderListener::OnError()"});
    // Without a Content-Length the limit holds all the same.
    EXPECT_FALSE(FetchManifest("/chunked/2000000", boxes));
    EXPECT_EQ(boxes, std::vector<std::string>{"IniFileDownloaderListener::OnError()"});
    g_installer = nullptr;
}

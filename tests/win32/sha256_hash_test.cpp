// CryptoAPI's SHA-256 as the listener feeds it (blocks of up to 1 KiB) and as
// a re-run reads a file already in place.
#include "services/sha256_hash.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

std::string HashInBlocks(const std::string& data, size_t block)
{
    Sha256Hash hash;
    for (size_t at = 0; at < data.size(); at += block)
        EXPECT_TRUE(hash.Add(data.data() + at, std::min(block, data.size() - at)));
    return hash.Finish();
}

const char kMillionA[] = "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0";

} // namespace

TEST(Sha256Hash, KnownDigestsWhateverTheBlockSizes)
{
    EXPECT_EQ(Sha256Hash().Finish(), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(HashInBlocks("abc", 1), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    const std::string million(1000000, 'a');
    EXPECT_EQ(HashInBlocks(million, 1024), kMillionA);
    EXPECT_EQ(HashInBlocks(million, 1000), kMillionA);
    EXPECT_EQ(HashInBlocks(million, million.size()), kMillionA);
}

TEST(Sha256Hash, FinishEndsTheHash)
{
    Sha256Hash hash;
    hash.Add("abc", 3);
    EXPECT_EQ(hash.Finish().size(), 64u);
    EXPECT_FALSE(hash.Add("d", 1));
    EXPECT_EQ(hash.Finish(), "");
}

TEST(Sha256Hash, FilesInPlaceAreHashedWholeAndMissingOnesAreNot)
{
    const std::string folder = ScratchFolder("sha256");
    WriteWhole(folder + "\\million.bin", std::string(1000000, 'a'));
    std::string sha256 = "stale";
    EXPECT_TRUE(HashFile(folder + "\\million.bin", sha256));
    EXPECT_EQ(sha256, kMillionA);
    WriteWhole(folder + "\\empty.bin", "");
    EXPECT_TRUE(HashFile(folder + "\\empty.bin", sha256));
    EXPECT_EQ(sha256, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_FALSE(HashFile(folder + "\\missing.bin", sha256));
    EXPECT_EQ(sha256, "");
    EXPECT_FALSE(HashFile(folder, sha256));
}

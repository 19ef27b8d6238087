// CryptoAPI's SHA-256 as the listener feeds it (blocks of up to 1 KiB, hashed
// beside the transfer) and as a re-run reads a file already in place.
#include "services/sha256_hash.h"
#include "services/sha256_pipeline.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

template <typename Hash>
std::string HashInBlocks(const std::string& data, size_t block)
{
    Hash hash;
    for (size_t at = 0; at < data.size(); at += block)
        hash.Add(data.data() + at, std::min(block, data.size() - at));
    return hash.Finish();
}

const char kMillionA[] = "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0";

} // namespace

// Finish ends a hash: what comes after it is refused.
TEST(Sha256Hash, KnownDigestsWhateverTheBlockSizes)
{
    Sha256Hash ended;
    ended.Add("abc", 3);
    EXPECT_EQ(ended.Finish().size(), 64u);
    EXPECT_FALSE(ended.Add("d", 1));
    EXPECT_EQ(ended.Finish(), "");
    EXPECT_EQ(Sha256Hash().Finish(), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(HashInBlocks<Sha256Hash>("abc", 1), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    const std::string million(1000000, 'a');
    EXPECT_EQ(HashInBlocks<Sha256Hash>(million, 1024), kMillionA);
    EXPECT_EQ(HashInBlocks<Sha256Hash>(million, 1000), kMillionA);
    EXPECT_EQ(HashInBlocks<Sha256Hash>(million, million.size()), kMillionA);
}

// The pipeline hands batches of a quarter MiB to its thread: streams below,
// at and across that size, in order, and a stream never finished.
TEST(Sha256Pipeline, SameDigestsAsAPlainHashWhateverTheLength)
{
    EXPECT_EQ(Sha256Pipeline().Finish(), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(HashInBlocks<Sha256Pipeline>("abc", 1), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(HashInBlocks<Sha256Pipeline>(std::string(1000000, 'a'), 1024), kMillionA);
    for (size_t length : {size_t(256 * 1024), size_t(256 * 1024 + 1), size_t(3 << 20) + 17}) {
        std::string data(length, '\0');
        for (size_t i = 0; i < length; ++i)
            data[i] = static_cast<char>(i * 131 + (i >> 9));
        EXPECT_EQ(HashInBlocks<Sha256Pipeline>(data, 1024), HashInBlocks<Sha256Hash>(data, data.size()))
            << length << " bytes";
    }
    Sha256Pipeline abandoned;
    abandoned.Add(std::string(600 * 1024, 'x').data(), 600 * 1024);
    Sha256Pipeline ended;
    ended.Add(std::string(300 * 1024, 'a').data(), 300 * 1024);
    EXPECT_EQ(ended.Finish().size(), 64u);
    ended.Add("d", 1);
    EXPECT_EQ(ended.Finish(), "");
}

// A pipeline suspended, with a batch in the thread's hands and one filling,
// goes on in the next as if it had never stopped; a suspended one is ended.
TEST(Sha256Pipeline, ASuspendedHashGoesOnInTheNextPipeline)
{
    std::string data((1 << 20) + 300 * 1024 + 5, '\0');
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 7 + (i >> 11));
    const size_t cut = 600 * 1024 + 3;
    Sha256Pipeline first;
    for (size_t at = 0; at < cut; at += 1024)
        first.Add(data.data() + at, std::min<size_t>(1024, cut - at));
    CryptHashHandle state = first.Suspend();
    ASSERT_TRUE(state);
    EXPECT_EQ(first.Finish(), "");
    Sha256Pipeline second(std::move(state));
    second.Add(data.data() + cut, data.size() - cut);
    EXPECT_EQ(second.Finish(), HashInBlocks<Sha256Hash>(data, data.size()));
    EXPECT_EQ(Sha256Pipeline(CryptHashHandle()).Finish(), "");
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

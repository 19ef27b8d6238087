// The keyed installer's check: CryptoAPI verifying what OpenSSL signed, and
// the rollback floor kept under HKCU\Software\InstallKVO for every key.
#include "install/trust/manifest_keys.h"
#include "install/trust/manifest_signature.h"
#include "install/trust/manifest_trust.h"
#include "services/rsa_signature.h"
#include "store/ini_file.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <string>
#include <vector>

namespace {

// Signed with tools/demo_keys/demo.key.pem:
//   openssl dgst -sha256 -sign demo.key.pem body.txt | base64 -w0
const std::string kBody = "[GENERAL]\nBRAND_NAME=Trusted Casino\nMANIFEST_SERIAL=5\nMANIFEST_EXPIRES=2999-12-31\n"
                          "[URLS]\nSERVER_ADDR=files.karvelo.example\nURL_1=/file/r.dll,,sha256:"
    + std::string(64, 'a') + ",size:3000\n";
const std::string kSignature =
    "bSdulZpZZS0xhdFWGkbk/OdcCeXNh0P0iNSVdAaHrSuyqNHV4lOkKhn0xJZLRFumDlXU0WVMPs8TNQH4bxaN+1JkSxEis4KJPCOlamOM9/OEsmAdL"
    "fCJ/y/IG5fob5nsrmKx0NPcM+EdMz99N75TKiUoB8MQJJRJr5vOXBdMUlYJS5pcPXsSGFgvFkBhcTkxBZh8fbpho9aNFwaIGve2LKtmrwKxWTEe"
    "+DREG/ETDvPQFLleQ2rAWqdxkjPpzEuQ+Rod7ex6NW+ucQqN2COOXRrJnVQvB1HPjqBcQTpNaPZa4Zi07LFjgbpfBAuw2Q0PKUkPr1pmNg0NIHmN"
    "4XGIOxX2YwggIo8Y83MPyP7oXPOC/6B+yNa+KpUlUH302wg+B7A8CNH0Qjeo4/a4xq+rgf5fMIvqoQhd+OnggY/7XCfwvVkfFghQba2PgrNpIjJW"
    "9ekjPEaJegRWI2MiW+IMwr4lGRrIUuBqbyjU8Op1AQIosFuiTnkQOU1+HcuD2mFe";

const char kSettings[] = "Software\\InstallKVO";

// The test program is built with the demo keys: the demo key, then the next.
const ManifestKey& DemoKey() { return BuiltInManifestKeys().keys[0]; }
const ManifestKey& NextKey() { return BuiltInManifestKeys().keys[1]; }

bool Verify(const ManifestKey& key, const std::string& data, const std::string& signature)
{
    return VerifyRsaSha256(&key.blob, 1, data, signature);
}

std::string Signature()
{
    std::string bytes;
    EXPECT_TRUE(DecodeBase64(kSignature, bytes));
    return bytes;
}

std::string FloorValue(const std::string& id) { return std::string("ManifestSerial-") + id; }

void SetFloor(const std::string& id, const std::string& serial)
{
    SHSetValueA(HKEY_CURRENT_USER, kSettings, FloorValue(id).c_str(), REG_SZ, serial.c_str(),
                static_cast<DWORD>(serial.size() + 1));
}

std::string Floor(const std::string& id)
{
    std::vector<char> data(256);
    DWORD size = static_cast<DWORD>(data.size());
    DWORD type = 0;
    if (SHGetValueA(HKEY_CURRENT_USER, kSettings, FloorValue(id).c_str(), &type, data.data(), &size) != ERROR_SUCCESS)
        return "<missing>";
    return type == REG_SZ ? std::string(data.data()) : "<not REG_SZ>";
}

// Every floor value a test touches is removed before and after it.
class ManifestTrustTest : public testing::Test {
protected:
    void SetUp() override { Clear(); }
    void TearDown() override { Clear(); }
    void Clear()
    {
        for (const char* id : {DemoKey().id, NextKey().id, "test-floor-a", "test-floor-b"})
            SHDeleteValueA(HKEY_CURRENT_USER, kSettings, FloorValue(id).c_str());
    }

    std::string Refusal(const std::string& text, const ManifestKeyList& keys)
    {
        IniFile manifest;
        manifest.Parse(text);
        return ManifestTrustRefusal(text, manifest, keys);
    }
};

} // namespace

TEST(RsaSignature, CryptoApiVerifiesWhatOpenSslSignedAndNothingElse)
{
    const std::string signature = Signature();
    ASSERT_EQ(signature.size(), 384u);
    EXPECT_TRUE(Verify(DemoKey(), kBody, signature));
    EXPECT_FALSE(Verify(NextKey(), kBody, signature));
    // Any of several keys: here the second.
    const RsaKeyBlob both[] = {NextKey().blob, DemoKey().blob};
    EXPECT_TRUE(VerifyRsaSha256(both, 2, kBody, signature));
    EXPECT_FALSE(VerifyRsaSha256(both, 1, kBody, signature));

    // One bit of the text, one bit of the signature.
    std::string changed = kBody;
    changed[changed.find("Trusted")] ^= 0x01;
    EXPECT_FALSE(Verify(DemoKey(), changed, signature));
    EXPECT_FALSE(Verify(DemoKey(), kBody + "\n", signature));
    for (size_t at : {size_t(0), signature.size() / 2, signature.size() - 1}) {
        std::string flipped = signature;
        flipped[at] ^= 0x10;
        EXPECT_FALSE(Verify(DemoKey(), kBody, flipped)) << at;
    }
    // OpenSSL's byte order is turned for CryptoAPI inside, not by the caller.
    EXPECT_FALSE(Verify(DemoKey(), kBody, std::string(signature.rbegin(), signature.rend())));
    EXPECT_FALSE(Verify(DemoKey(), kBody, signature.substr(1)));
    EXPECT_FALSE(Verify(DemoKey(), kBody, ""));
}

TEST_F(ManifestTrustTest, TheFloorIsTheHighestSerialOfAnyKeyAndAnAcceptedOneRaisesEvery)
{
    const ManifestKey keys[] = {{{nullptr, 0}, "test-floor-a"}, {{nullptr, 0}, "test-floor-b"}};
    const ManifestKeyList both{keys, 2};
    const ManifestKeyList first{keys, 1};
    EXPECT_EQ(ManifestSerialFloor(both), 0u);
    SetFloor("test-floor-a", "7");
    SetFloor("test-floor-b", "12");
    EXPECT_EQ(ManifestSerialFloor(both), 12u);
    EXPECT_EQ(ManifestSerialFloor(first), 7u);
    // A value that is no serial raises nothing.
    SetFloor("test-floor-b", "99x");
    EXPECT_EQ(ManifestSerialFloor(both), 7u);

    IniFile manifest;
    manifest.Parse("[GENERAL]\nMANIFEST_SERIAL=15\n");
    RecordManifestSerial(manifest, both);
    EXPECT_EQ(Floor("test-floor-a"), "15");
    EXPECT_EQ(Floor("test-floor-b"), "15");
    EXPECT_EQ(ManifestSerialFloor(first), 15u);
}

TEST_F(ManifestTrustTest, ASignedManifestAgainstTheBuiltInKeysAndTheirFloors)
{
    const std::string text = kBody + "#signature=rsa-sha256:" + kSignature + "\r\n";
    const ManifestKeyList keys = BuiltInManifestKeys();
    ASSERT_EQ(keys.count, 2u);
    EXPECT_EQ(Refusal(text, keys), "");
    EXPECT_EQ(Refusal(kBody, keys), "Unsigned manifest");
    // Only the next key: another key's signature.
    EXPECT_EQ(Refusal(text, ManifestKeyList{keys.keys + 1, 1}), "Invalid manifest signature");
    std::string changed = text;
    changed[changed.find("MANIFEST_SERIAL=5") + 16] = '6';
    EXPECT_EQ(Refusal(changed, keys), "Invalid manifest signature");

    // A floor stored for the other key holds for this one too; an equal
    // serial is a re-run.
    SetFloor(NextKey().id, "5");
    EXPECT_EQ(Refusal(text, keys), "");
    SetFloor(NextKey().id, "6");
    EXPECT_EQ(Refusal(text, keys), "Outdated manifest: 5");
    EXPECT_EQ(Floor(DemoKey().id), "<missing>");
}

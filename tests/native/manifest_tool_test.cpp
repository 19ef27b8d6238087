// The operators' signing: what `sign` changes in a manifest and what it
// keeps, keys through OpenSSL, and `check` judging signed manifests as
// keyed installers do.
#include "install/trust/manifest_signature.h"
#include "operator/manifest_check.h"
#include "operator/manifest_signer.h"
#include "operator/rsa_keys.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const std::string kLine = "#signature=rsa-sha256:";
const std::string kFile = "URL_1=a.dll,,sha256:" + std::string(64, 'a') + ",size:10";

// A signer that records what it signed and signs it "ABC".
struct FakeSigner {
    std::vector<std::string> signed_texts;
    Signer Get()
    {
        return [this](std::string_view covered, std::string& signature) {
            signed_texts.emplace_back(covered);
            signature = "ABC";
            return true;
        };
    }
};

std::string Signed(const std::string& text, const std::string& serial = "", const std::string& expires = "")
{
    FakeSigner signer;
    std::string output, error;
    if (!SignManifest(text, Freshness{serial, expires}, signer.Get(), output, error))
        return "error: " + error;
    // What was signed is exactly what comes before the signature line.
    size_t covered = 0;
    std::string signature;
    EXPECT_EQ(ReadSignatureLine(output, covered, signature), SignatureLine::kPresent);
    EXPECT_EQ(signer.signed_texts, std::vector<std::string>{output.substr(0, covered)});
    return output;
}

// A scratch folder for key files, removed with its files.
class KeyFolder {
public:
    KeyFolder()
    {
        char pattern[] = "/tmp/manifest-keys-XXXXXX";
        ms_path = mkdtemp(pattern) ? pattern : "";
    }
    ~KeyFolder() { std::system(("rm -rf '" + ms_path + "'").c_str()); }
    std::string Path(const std::string& name) const { return ms_path + "/" + name; }

private:
    std::string ms_path;
};

RsaKey DemoKey(const std::string& name, bool is_private)
{
    std::string error;
    const std::string path = std::string(DEMO_KEYS_DIR) + "/" + name + (is_private ? ".key.pem" : ".pub.pem");
    RsaKey key = is_private ? ReadPrivateKey(path, error) : ReadPublicKey(path, error);
    EXPECT_TRUE(key) << error;
    return key;
}

// "LINE error|warning: TEXT" for every finding, with the public keys given
// (none: checked as for unkeyed installers) on 2025-06-15.
std::vector<std::string> Check(const std::string& text, const std::vector<EVP_PKEY*>& keys,
                               const std::string& today = "2025-06-15")
{
    CheckOptions options;
    ReadDate(today, options.today);
    if (!keys.empty())
        options.verify = [keys](std::string_view covered, const std::string& signature) {
            for (EVP_PKEY* key : keys)
                if (VerifySha256(key, covered, signature))
                    return true;
            return false;
        };
    std::vector<std::string> lines;
    for (const Finding& finding : CheckManifest(text, options))
        lines.push_back(std::to_string(finding.line) + (finding.error ? " error: " : " warning: ") + finding.text);
    return lines;
}

std::string SignedBy(EVP_PKEY* key, const std::string& text, const std::string& serial = "3",
                     const std::string& expires = "2025-07-31")
{
    std::string output, error;
    const Signer sign = [key](std::string_view covered, std::string& signature) {
        return SignSha256(key, covered, signature);
    };
    EXPECT_TRUE(SignManifest(text, Freshness{serial, expires}, sign, output, error)) << error;
    return output;
}

} // namespace

TEST(ManifestSigner, KeysGoRightAfterTheGeneralHeaderInTheManifestsLineEnding)
{
    EXPECT_EQ(Signed("# m\n[GENERAL]\nBRAND_NAME=B\n[URLS]\n", "7", "2025-12-31"),
              "# m\n[GENERAL]\nMANIFEST_SERIAL=7\nMANIFEST_EXPIRES=2025-12-31\nBRAND_NAME=B\n[URLS]\n" + kLine + "QUJD\n");
    EXPECT_EQ(Signed("# m\r\n [GENERAL] \r\nBRAND_NAME=B\r\n[URLS]\r\nx=1", "7", "2025-12-31"),
              "# m\r\n [GENERAL] \r\nMANIFEST_SERIAL=7\r\nMANIFEST_EXPIRES=2025-12-31\r\nBRAND_NAME=B\r\n[URLS]\r\nx=1\r\n"
                  + kLine + "QUJD\r\n");
    // The header as the last line, and no header at all.
    EXPECT_EQ(Signed("A=1\r\n[GENERAL]", "7", "2025-12-31"),
              "A=1\r\n[GENERAL]\r\nMANIFEST_SERIAL=7\r\nMANIFEST_EXPIRES=2025-12-31\r\n" + kLine + "QUJD\r\n");
    EXPECT_EQ(Signed("[URLS]\nA=1", "7", "2025-12-31"),
              "[URLS]\nA=1\n[GENERAL]\nMANIFEST_SERIAL=7\nMANIFEST_EXPIRES=2025-12-31\n" + kLine + "QUJD\n");
    EXPECT_EQ(Signed("", "7", "2025-12-31"), "[GENERAL]\nMANIFEST_SERIAL=7\nMANIFEST_EXPIRES=2025-12-31\n" + kLine + "QUJD\n");
}

TEST(ManifestSigner, KeepsOrReplacesTheKeysAndTheOldSignatureAndNothingElse)
{
    const std::string body = "[GENERAL]\r\nBRAND_NAME=B\r\n  MANIFEST_SERIAL=41  \r\nMANIFEST_EXPIRES=2025-01-31\r\n"
                             "[GENERAL]\r\nMANIFEST_SERIAL=99\r\n";
    const std::string old = body + kLine + "b2xk\r\n";
    EXPECT_EQ(Signed(old), body + kLine + "QUJD\r\n");
    EXPECT_EQ(Signed(old, "42"), "[GENERAL]\r\nBRAND_NAME=B\r\n  MANIFEST_SERIAL=42  \r\nMANIFEST_EXPIRES=2025-01-31\r\n"
                                 "[GENERAL]\r\nMANIFEST_SERIAL=99\r\n" + kLine + "QUJD\r\n");
    EXPECT_EQ(Signed(old, "1000", "2026-02-28"),
              "[GENERAL]\r\nBRAND_NAME=B\r\n  MANIFEST_SERIAL=1000  \r\nMANIFEST_EXPIRES=2026-02-28\r\n"
              "[GENERAL]\r\nMANIFEST_SERIAL=99\r\n" + kLine + "QUJD\r\n");
    // A signature line that is not the last line is a comment like any other.
    const std::string inner = "[GENERAL]\nMANIFEST_SERIAL=1\nMANIFEST_EXPIRES=2025-01-31\n" + kLine + "b2xk\nA=1\n";
    EXPECT_EQ(Signed(inner), inner + kLine + "QUJD\n");
}

TEST(ManifestSigner, WithoutAValidSerialOrExpiryNothingIsSigned)
{
    EXPECT_EQ(Signed("[GENERAL]\nBRAND_NAME=B\n", "", "2025-12-31"),
              "error: no MANIFEST_SERIAL in the manifest and none given");
    EXPECT_EQ(Signed("[GENERAL]\nBRAND_NAME=B\n", "7"), "error: no MANIFEST_EXPIRES in the manifest and none given");
    EXPECT_EQ(Signed("[GENERAL]\nMANIFEST_SERIAL=007\n", "", "2025-12-31"),
              "error: the manifest's MANIFEST_SERIAL is malformed: 007");
    EXPECT_EQ(Signed("[GENERAL]\n", "0", "2025-12-31"), "error: malformed MANIFEST_SERIAL: 0");
    EXPECT_EQ(Signed("[GENERAL]\n", "7", "2025-02-29"), "error: malformed MANIFEST_EXPIRES: 2025-02-29");
}

TEST(RsaKeys, GeneratedPairsSignAndVerifyAndExistingFilesStay)
{
    KeyFolder folder;
    std::string error;
    ASSERT_TRUE(GenerateKeyPair(2048, folder.Path("a.pem"), folder.Path("a.pub"), error)) << error;
    const RsaKey signing = ReadPrivateKey(folder.Path("a.pem"), error);
    const RsaKey public_key = ReadPublicKey(folder.Path("a.pub"), error);
    ASSERT_TRUE(signing && public_key) << error;
    EXPECT_EQ(KeyId(signing.get()), KeyId(public_key.get()));
    std::string signature;
    ASSERT_TRUE(SignSha256(signing.get(), "text", signature));
    EXPECT_EQ(signature.size(), 256u);
    EXPECT_TRUE(VerifySha256(public_key.get(), "text", signature));
    EXPECT_FALSE(VerifySha256(public_key.get(), "texT", signature));
    EXPECT_FALSE(VerifySha256(DemoKey("demo", false).get(), "text", signature));

    // An existing key is never overwritten.
    EXPECT_FALSE(GenerateKeyPair(2048, folder.Path("a.pem"), folder.Path("b.pub"), error));
    EXPECT_FALSE(GenerateKeyPair(2048, folder.Path("c.pem"), folder.Path("a.pub"), error));
    EXPECT_TRUE(ReadPrivateKey(folder.Path("a.pem"), error));
    EXPECT_EQ(std::fopen(folder.Path("c.pem").c_str(), "r"), nullptr);
}

TEST(RsaKeys, OnlyRsaKeysOf2048To4096Bits)
{
    KeyFolder folder;
    std::string error;
    const RsaKey small(EVP_RSA_gen(1024));
    std::FILE* file = std::fopen(folder.Path("small.pub").c_str(), "w");
    ASSERT_TRUE(file && PEM_write_PUBKEY(file, small.get()));
    std::fclose(file);
    EXPECT_FALSE(ReadPublicKey(folder.Path("small.pub"), error));
    EXPECT_NE(error.find("an RSA key of 1024 bits"), std::string::npos) << error;
    const RsaKey curve(EVP_EC_gen("P-256"));
    file = std::fopen(folder.Path("curve.pub").c_str(), "w");
    ASSERT_TRUE(file && PEM_write_PUBKEY(file, curve.get()));
    std::fclose(file);
    EXPECT_FALSE(ReadPublicKey(folder.Path("curve.pub"), error));
    EXPECT_NE(error.find("not an RSA key"), std::string::npos) << error;
    EXPECT_FALSE(ReadPublicKey(folder.Path("missing.pub"), error));
    // The demo key's id is the one the build gives it.
    EXPECT_EQ(KeyId(DemoKey("demo", false).get()), "5696c66f8372d0a5");
}

TEST(ManifestToolCheck, ASignedManifestAsKeyedInstallersJudgeIt)
{
    const RsaKey demo = DemoKey("demo", true);
    const RsaKey demo_public = DemoKey("demo", false);
    const RsaKey next_public = DemoKey("next", false);
    const std::string body = "[GENERAL]\nBRAND_NAME=B\n[URLS]\nSERVER_ADDR=f.example\n" + kFile + "\n";
    const std::string text = SignedBy(demo.get(), body);
    EXPECT_EQ(Check(text, {next_public.get(), demo_public.get()}), std::vector<std::string>());
    EXPECT_EQ(Check(text, {}), std::vector<std::string>());
    EXPECT_EQ(Check(text, {next_public.get()}),
              std::vector<std::string>{"8 error: Invalid manifest signature: no key given verifies it"});
    std::string changed = text;
    changed[changed.find("f.example")] = 'g';
    EXPECT_EQ(Check(changed, {demo_public.get()}),
              std::vector<std::string>{"8 error: Invalid manifest signature: no key given verifies it"});
    EXPECT_EQ(Check(body, {demo_public.get()}), std::vector<std::string>{"0 error: Unsigned manifest"});
    // Every file with a hash and a size: errors for keyed installers only.
    const std::string bare = SignedBy(demo.get(), "[URLS]\nSERVER_ADDR=f.example\nURL_1=a.dll\nURL_2=b.dll,,,size:1\n");
    EXPECT_EQ(Check(bare, {demo_public.get()}),
              (std::vector<std::string>{"3 error: Missing checksum in manifest: a.dll",
                                        "4 error: Missing checksum in manifest: b.dll,,,size:1"}));
    EXPECT_EQ(Check(bare, {}).size(), 2u);
}

TEST(ManifestToolCheck, SerialAndExpiryWithAndWithoutKeys)
{
    const RsaKey demo = DemoKey("demo", true);
    const RsaKey demo_public = DemoKey("demo", false);
    const std::string body = "[GENERAL]\nBRAND_NAME=B\n";
    EXPECT_EQ(Check(SignedBy(demo.get(), body, "3", "2025-06-21"), {demo_public.get()}),
              std::vector<std::string>{"3 warning: the manifest expires in 6 days: it is valid through 2025-06-21 (UTC)"});
    EXPECT_EQ(Check(SignedBy(demo.get(), body, "3", "2025-06-22"), {demo_public.get()}), std::vector<std::string>());
    EXPECT_EQ(Check(SignedBy(demo.get(), body, "3", "2025-06-15"), {}),
              std::vector<std::string>{"3 warning: the manifest expires at the end of today (2025-06-15, UTC)"});
    EXPECT_EQ(Check(SignedBy(demo.get(), body, "3", "2025-06-14"), {demo_public.get()}),
              std::vector<std::string>{"3 error: Expired manifest: 2025-06-14"});
    EXPECT_EQ(Check(SignedBy(demo.get(), body, "3", "2025-06-14"), {}),
              std::vector<std::string>{"3 warning: Expired manifest: 2025-06-14 (keyed installers refuse the manifest)"});
    // Leap days count: valid through 2024-02-29, checked on 2024-03-01.
    EXPECT_EQ(Check(SignedBy(demo.get(), body, "3", "2024-02-29"), {demo_public.get()}, "2024-03-01"),
              std::vector<std::string>{"3 error: Expired manifest: 2024-02-29"});

    const std::string malformed = "[GENERAL]\nMANIFEST_SERIAL=01\nMANIFEST_EXPIRES=2025-02-29\n" + kLine + "QUJD\n";
    EXPECT_EQ(Check(malformed, {}),
              (std::vector<std::string>{
                  "2 warning: Invalid manifest signature: MANIFEST_SERIAL 01 is not a whole number from 1 to 2^53"
                  " without a leading zero (keyed installers refuse the manifest)",
                  "3 warning: Invalid manifest signature: MANIFEST_EXPIRES 2025-02-29 is not a real date YYYY-MM-DD"
                  " (keyed installers refuse the manifest)"}));
    EXPECT_EQ(Check("[GENERAL]\n" + kLine + "QUJD=\n", {}),
              (std::vector<std::string>{
                  "0 warning: Invalid manifest signature: no MANIFEST_SERIAL in [GENERAL] (keyed installers refuse"
                  " the manifest)",
                  "0 warning: Invalid manifest signature: no MANIFEST_EXPIRES in [GENERAL] (keyed installers refuse"
                  " the manifest)",
                  "2 warning: Invalid manifest signature: the last line is not \"#signature=rsa-sha256:\", padded"
                  " base64 and at most one line break (keyed installers refuse the manifest)"}));
}

#include "services/pending_deletions.h"

#include "store/key_handle.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>

namespace {

const wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kPendingValue[] = L"PendingFileRenameOperations";

// Sets the value's bytes as given for the time of a test, and puts back
// what was there before.
class PendingValueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        HKEY opened = nullptr;
        ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &opened),
                  ERROR_SUCCESS);
        m_key.Reset(opened);
        m_had_value = Read(m_saved);
    }

    void TearDown() override
    {
        if (m_had_value)
            Write(m_saved);
        else
            RegDeleteValueW(m_key.Get(), kPendingValue);
    }

    bool Read(std::wstring& value)
    {
        DWORD size = 0;
        if (RegQueryValueExW(m_key.Get(), kPendingValue, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
            return false;
        std::string bytes(size, '\0');
        RegQueryValueExW(m_key.Get(), kPendingValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&bytes[0]), &size);
        value.assign(reinterpret_cast<const wchar_t*>(bytes.data()), size / sizeof(wchar_t));
        return true;
    }

    // Stores `value` as it is: the character after it is no NUL, which the
    // system would add to a last text without one.
    void Write(const std::wstring& value)
    {
        const std::wstring guarded = value + L"X";
        ASSERT_EQ(RegSetValueExW(m_key.Get(), kPendingValue, 0, REG_MULTI_SZ,
                                 reinterpret_cast<const BYTE*>(guarded.data()),
                                 static_cast<DWORD>(value.size() * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }

    KeyHandle m_key;
    bool m_had_value = false;
    std::wstring m_saved;
};

const wchar_t kOurs[] = L"\\??\\C:\\Program Files\\Pending Casino\\casino.exe";
const char kOursPlain[] = "C:\\Program Files\\Pending Casino\\casino.exe";

bool IsOurs(const std::string& path) { return path == kOursPlain; }

} // namespace

// Another program's rename (with the "!" its target may carry) and deletion
// stay byte for byte around the pair taken out; so does a last text without
// its NUL, which no pair reads (written back, the system ends it with one).
TEST_F(PendingValueTest, TakingOutOnePairKeepsEveryOtherByte)
{
    using namespace std::string_literals;
    const std::wstring rename = L"\\??\\C:\\a.tmp\0!\\??\\C:\\a.dll\0"s;
    const std::wstring deletion = L"\\??\\C:\\Other\\old.dll\0\0"s;
    const std::wstring ours = std::wstring(kOurs) + L"\0\0"s;
    for (const std::wstring& tail : {L"\0"s, L""s, L"\0\0\0"s, L"\\??\\C:\\unterminated"s}) {
        Write(rename + ours + deletion + tail);
        ASSERT_TRUE(CancelPendingDeletions(IsOurs));
        std::wstring after;
        ASSERT_TRUE(Read(after));
        const bool unterminated = !tail.empty() && tail.back() != L'\0';
        EXPECT_EQ(after, rename + deletion + tail + (unterminated ? L"\0"s : L""s)) << tail.size();
    }
}

TEST_F(PendingValueTest, TheValueGoesWithItsLastPairAndStaysWhenNothingIsTakenOut)
{
    using namespace std::string_literals;
    Write(std::wstring(kOurs) + L"\0\0\0"s);
    ASSERT_TRUE(CancelPendingDeletions(IsOurs));
    std::wstring after;
    EXPECT_FALSE(Read(after));

    // A rename to our path is no deletion: it stays, and so does the value.
    const std::wstring rename = L"\\??\\C:\\new.exe\0"s + kOurs + L"\0\0"s;
    Write(rename);
    ASSERT_TRUE(CancelPendingDeletions(IsOurs));
    ASSERT_TRUE(Read(after));
    EXPECT_EQ(after, rename);
}

// A path the code page spells only by a look-alike (U+FF0E, a full-width
// full stop, read back as ".") is not the file of that plain name.
TEST_F(PendingValueTest, ALookAlikePathIsNotThePlainOne)
{
    using namespace std::string_literals;
    const std::wstring look_alike = L"\\??\\C:\\Program Files\\Pending Casino\\casino\xff0e" L"exe\0\0\0"s;
    Write(look_alike);
    const std::vector<std::string> pending = PendingDeletions();
    EXPECT_EQ(std::count(pending.begin(), pending.end(), kOursPlain), 0);
    ASSERT_TRUE(CancelPendingDeletions(IsOurs));
    std::wstring after;
    ASSERT_TRUE(Read(after));
    EXPECT_EQ(after, look_alike);
}

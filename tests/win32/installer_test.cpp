#include "store/installer.h"
#include "store/run_values.h"

#include <gtest/gtest.h>

// A new installer starts empty, with the built-in run values.
TEST(Installer, StartsEmptyWithAnUnsetManualResetEvent)
{
    EXPECT_EQ(did, 5279);
    EXPECT_EQ(tag, 0);
    EXPECT_EQ(langId, 0);
    EXPECT_EQ(debug_level, 0);
    Installer installer;
    EXPECT_EQ(installer.ms_install_dir, "");
    EXPECT_EQ(installer.m_manifest.GetValue("GENERAL", "BRAND_NAME"), "");
    EXPECT_EQ(WaitForSingleObject(installer.mh_language_event.Get(), 0),
              static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST(Installer, LanguageChoiceReleasesEveryWaitForGood)
{
    Installer installer;
    installer.OnLanguageChosen();
    installer.OnLanguageChosen();
    EXPECT_EQ(WaitForSingleObject(installer.mh_language_event.Get(), 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(installer.mh_language_event.Get(), 0), WAIT_OBJECT_0);
}

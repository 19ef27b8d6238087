// The installer window with a scripted worker in place of the installation,
// for the end-to-end tests of the window.
//
//   dialog_harness idle                      never asks for a language
//   dialog_harness languages                 asks, then mirrors langId into the
//                                            file status line ("langId=N")
//   dialog_harness progress SKIN_URL REPORT_URL
//                                            asks, then drives the progress
//                                            area and both pages; ends by
//                                            writing "done" to the files line
#include "app/application.h"
#include "base/player_box.h"
#include "install/window_channel.h"
#include "install/worker_thread.h"
#include "store/installer.h"
#include "store/run_values.h"

#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

std::string g_mode;
std::string g_skin_url;
std::string g_report_url;

void ShowLanguagesAndWait(Installer& installer)
{
    g_dialog->SetCaption(PlayerText(TextId::kCasinoInstallation));
    g_dialog->PostApplicationMessage(WM_SHOW_LANGUAGES, 1);
    WaitForSingleObject(installer.mh_language_event.Get(), INFINITE);
}

void MirrorLanguage()
{
    for (;;) {
        g_dialog->SetStatusText(IDC_FILE_STATUS, AnsiToWide("langId=" + std::to_string(langId)));
        Sleep(20);
    }
}

void DriveProgress()
{
    g_dialog->PostApplicationMessage(WM_SHOW_LANGUAGES, 0);
    g_dialog->LoadReportPage(g_report_url);
    g_dialog->SetCaption(PlayerText(TextId::kBrandInstallation, {"Harness Casino"}));
    g_dialog->ms_skin_page_url = g_skin_url;
    g_dialog->PostApplicationMessage(WM_SHOW_SKIN_PAGE, 0);
    g_dialog->SetProgressRange(IDC_FILES_PROGRESS, 3);
    g_dialog->SetProgressPos(IDC_FILES_PROGRESS, 2, true);
    g_dialog->SetStatusText(IDC_FILE_STATUS, PlayerText(TextId::kDownloading, {"casino.exe"}));
    g_dialog->SetStatusText(IDC_FILES_STATUS, PlayerText(TextId::kDownloadedFiles, {"2", "3"}));
    g_dialog->SetProgressRange(IDC_FILE_PROGRESS, 100000);
    g_dialog->SetProgressPos(IDC_FILE_PROGRESS, 54321, true);
    Sleep(300);
    g_dialog->SetStatusText(IDC_FILES_STATUS, AnsiToWide("done"));
}

unsigned __stdcall HarnessWorker(void* argument)
{
    Installer& installer = *static_cast<Installer*>(argument);
    if (g_mode == "idle")
        return 0;
    ShowLanguagesAndWait(installer);
    if (g_mode == "languages")
        MirrorLanguage();
    else
        DriveProgress();
    return 0;
}

void StartHarness(Installer& installer) { BeginThread(HarnessWorker, &installer); }

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command)
{
    g_mode = __argc > 1 ? __argv[1] : "idle";
    g_skin_url = __argc > 2 ? __argv[2] : "";
    g_report_url = __argc > 3 ? __argv[3] : "";
    return RunProgram(instance, show_command, StartHarness);
}

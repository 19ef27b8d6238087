#include "ui/installer_dialog.h"

#include "app/app_module.h"
#include "app/message_pump.h"
#include "base/owner_window.h"
#include "base/diagnostics.h"
#include "base/failure_log.h"
#include "base/process_exit.h"
#include "install/addresses.h"
#include "services/language_table.h"
#include "store/installer.h"
#include "store/run_values.h"
#include "ui/browser_pane.h"
#include "ui/resource_ids.h"
#include "ui/window_dpi.h"

#include <shellapi.h>

#include <algorithm>

namespace {

// Notifications a dialog sends back to the control they came from.
const UINT kReflectionOffset = 0x2000;

struct LanguageButton {
    int control_id;
    const char* code;
    // The system UI language the button stands for.
    WORD primary_language;
    UINT face, face_2x;
    int x, row;
};

// Row by row, left before right.
const LanguageButton kLanguageButtonTable[InstallerDialog::kLanguageButtons] = {
    {IDC_LANG_EN, "EN", LANG_ENGLISH, 207, 1207, 40, 0},   {IDC_LANG_DE, "DE", LANG_GERMAN, 210, 1210, 235, 0},
    {IDC_LANG_IT, "IT", LANG_ITALIAN, 213, 1213, 40, 1},   {IDC_LANG_SP, "SP", LANG_SPANISH, 216, 1216, 235, 1},
    {IDC_LANG_FR, "FR", LANG_FRENCH, 219, 1219, 40, 2},    {IDC_LANG_CH, "CH", LANG_CHINESE, 222, 1222, 235, 2},
    {IDC_LANG_NL, "NL", LANG_DUTCH, 225, 1225, 40, 3},     {IDC_LANG_HE, "HE", LANG_HEBREW, 228, 1228, 235, 3},
    {IDC_LANG_EL, "EL", LANG_GREEK, 231, 1231, 40, 4},     {IDC_LANG_TR, "TR", LANG_TURKISH, 234, 1234, 235, 4},
    {IDC_LANG_SV, "SV", LANG_SWEDISH, 237, 1237, 40, 5},   {IDC_LANG_JP, "JP", LANG_JAPANESE, 243, 1243, 235, 5},
    {IDC_LANG_DK, "DK", LANG_DANISH, 240, 1240, 40, 6},    {IDC_LANG_RU, "RU", LANG_RUSSIAN, 110, 1110, 235, 6},
};

// At 96 DPI; other DPIs scale them.
const SIZE kBannerSize = {432, 76};
const int kFirstRowOffset = 65;
const int kRowSpacing = 37;
const int kClientHeight = 355;
const int kProgressAreaHeight = 70;
const int kProgressControls[] = {IDC_FILE_STATUS, IDC_FILES_STATUS, IDC_FILE_PROGRESS, IDC_FILES_PROGRESS};

const LanguageButton* FindLanguageButton(int control_id)
{
    for (const LanguageButton& button : kLanguageButtonTable) {
        if (button.control_id == control_id)
            return &button;
    }
    return nullptr;
}

// The button of the system's UI language; English when it has none.
int SystemLanguageButton()
{
    const WORD language = PRIMARYLANGID(GetUserDefaultUILanguage());
    for (const LanguageButton& button : kLanguageButtonTable) {
        if (button.primary_language == language)
            return button.control_id;
    }
    return IDC_LANG_EN;
}

bool IsArrowKey(WPARAM key) { return key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN; }

void MoveControl(HWND dialog, int id, int x, int y, int width = 0, int height = 0)
{
    const UINT keep_size = width == 0 ? SWP_NOSIZE : 0;
    SetWindowPos(GetDlgItem(dialog, id), nullptr, x, y, width, height,
                 keep_size | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Messages whose result a dialog procedure returns directly instead of
// through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message)
{
    return (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) || message == WM_COMPAREITEM
        || message == WM_VKEYTOITEM || message == WM_CHARTOITEM;
}

} // namespace

InstallerDialog::~InstallerDialog()
{
    for (BrowserPane* pane : m_report_panes)
        pane->Release();
}

HWND InstallerDialog::Create()
{
    return CreateDialogParamA(g_module.Instance(), MAKEINTRESOURCEA(IDD_INSTALLER), nullptr, DialogProc,
                              reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK InstallerDialog::DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_INITDIALOG)
        SetWindowLongPtrA(window, DWLP_USER, lparam);
    InstallerDialog* dialog = reinterpret_cast<InstallerDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    if (!dialog)
        return FALSE;
    if (message == WM_INITDIALOG) {
        dialog->Initialize(window);
        return TRUE;
    }
    if (message == WM_NCDESTROY) {
        dialog->mh_window = nullptr;
        // A box shown later has no owner and still waits for the user; a
        // destroyed owner would make it fail at once.
        if (g_dialog_window == window)
            g_dialog_window = nullptr;
    }

    LRESULT result = 0;
    if (!dialog->HandleMessage(message, wparam, lparam, result))
        return FALSE;
    if (ReturnsResultDirectly(message))
        return result;
    SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
    return TRUE;
}

bool InstallerDialog::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result)
{
    result = 0;
    switch (message) {
    case WM_COMMAND:
        if (HandleCommand(LOWORD(wparam)))
            return true;
        break;
    case WM_SHOW_SKIN_PAGE:
        ShowSkinPage();
        return true;
    case WM_OPEN_TARGET:
        OpenTarget();
        return true;
    case WM_SHOW_LANGUAGES:
        ShowLanguages(wparam != 0);
        return true;
    case WM_LOAD_HIDDEN_PAGE:
        LoadHiddenPage(TakeReportAddress(lparam));
        return true;
    case kDpiChangedMessage:
        ChangeDpi(HIWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
        return true;
    }
    return Reflect(message, wparam, lparam, result);
}

bool InstallerDialog::HandleCommand(int id)
{
    if (id == IDOK) {
        DestroyWindow(mh_window);
        PostQuitMessage(1);
        return true;
    }
    if (id == IDCANCEL) {
        ConfirmCancel();
        return true;
    }
    if (FindLanguageButton(id)) {
        ChooseLanguage(id);
        return true;
    }
    return false;
}

void InstallerDialog::Initialize(HWND window)
{
    mh_window = window;
    g_dialog_window = window;
    mb_language_chosen = false;
    mn_dpi = WindowDpi(window);
    TakeOverDpiChanges(window);
    if (mn_dpi != kDefaultDpi)
        ShowBannerAtDpi();

    CentreOnWorkArea();
    SetIcons();
    if (MessagePump* pump = g_module.FindPump(GetCurrentThreadId())) {
        pump->AddPreview(this);
        pump->AddIdleTask(this);
    }
    for (int i = 0; i < kLanguageButtons; ++i) {
        const LanguageButton& entry = kLanguageButtonTable[i];
        ShowWindow(GetDlgItem(window, entry.control_id), SW_HIDE);
        m_language_buttons[i].BindToControl(GetDlgItem(mh_window, entry.control_id));
        m_language_buttons[i].LoadFaces(entry.face, entry.face_2x);
    }
    LayOut();
}

// At 96 DPI the window is as wide as its banner; its client area and
// everything in it are placed at 96 DPI and scaled.
void InstallerDialog::LayOut()
{
    RECT banner, outer, client;
    GetWindowRect(GetDlgItem(mh_window, IDC_BANNER), &banner);
    GetWindowRect(mh_window, &outer);
    GetClientRect(mh_window, &client);
    const int banner_width = banner.right - banner.left;
    const int non_client_width = (outer.right - outer.left) - (client.right - client.left);
    const int non_client_height = (outer.bottom - outer.top) - (client.bottom - client.top);

    PlaceLanguageButtons(non_client_height);
    SetWindowPos(mh_window, nullptr, 0, 0, Scaled(kBannerSize.cx - non_client_width) + non_client_width,
                 non_client_height + Scaled(kClientHeight), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PlaceProgressArea(banner_width);
    // The window keeps this size (it has no sizing border), so the skin
    // page's place is taken now: a page that arrives while the window is
    // minimised would find no client area to take it from.
    GetClientRect(mh_window, &m_skin_page_area);
    m_skin_page_area.left += 1;
    m_skin_page_area.top += 1;
    m_skin_page_area.right -= 1;
    m_skin_page_area.bottom -= Scaled(kProgressAreaHeight);
}

int InstallerDialog::Scaled(int value) const { return ScaleToDpi(value, mn_dpi); }

// The banner drawn at 1x, or at 2x and made the size of the window's DPI.
void InstallerDialog::ShowBannerAtDpi()
{
    const SIZE size = {Scaled(kBannerSize.cx), Scaled(kBannerSize.cy)};
    BitmapHandle banner(ScaledBitmap(mn_dpi > kDefaultDpi ? IDB_BANNER_2X : IDB_BANNER, size));
    if (!banner.Get())
        return;
    // The static takes the picture's size.
    SendDlgItemMessageA(mh_window, IDC_BANNER, STM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(banner.Get()));
    mh_banner = std::move(banner);
}

// A new DPI (the window moved to another monitor, or the user changed the
// scale): the window takes the rectangle Windows suggests, and its pictures,
// fonts and controls the new size.
void InstallerDialog::ChangeDpi(int dpi, const RECT& suggested)
{
    const int previous = mn_dpi;
    mn_dpi = dpi;
    ShowBannerAtDpi();
    ScaleFont(previous);
    LayOut();
    SetWindowPos(mh_window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (mp_skin_pane)
        mp_skin_pane->MoveTo(m_skin_page_area);
    InvalidateRect(mh_window, nullptr, TRUE);
}

// The dialog's font and the sizes of the controls that show text, from
// PREVIOUS to the current DPI.
void InstallerDialog::ScaleFont(int previous)
{
    // The controls' font, not the dialog's: the dialog frees the font it
    // made itself, and would free one handed to it as well.
    LOGFONTA font = {};
    HFONT current = reinterpret_cast<HFONT>(SendDlgItemMessageA(mh_window, IDC_FILE_STATUS, WM_GETFONT, 0, 0));
    if (!current || !GetObjectA(current, sizeof font, &font))
        return;
    font.lfHeight = MulDiv(font.lfHeight, mn_dpi, previous);
    FontHandle scaled(CreateFontIndirectA(&font));
    if (!scaled.Get()) {
        LogFailure("CreateFontIndirectA", font.lfFaceName, GetLastError());
        return;
    }
    for (int id : {IDC_FILE_STATUS, IDC_FILES_STATUS, IDCANCEL}) {
        HWND control = GetDlgItem(mh_window, id);
        RECT rect;
        GetWindowRect(control, &rect);
        SetWindowPos(control, nullptr, 0, 0, MulDiv(rect.right - rect.left, mn_dpi, previous),
                     MulDiv(rect.bottom - rect.top, mn_dpi, previous), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(scaled.Get()), TRUE);
    }
    mh_font = std::move(scaled);
}

void InstallerDialog::CentreOnWorkArea()
{
    RECT work, outer;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(mh_window, &outer);
    const int width = outer.right - outer.left, height = outer.bottom - outer.top;
    int x = work.left + ((work.right - work.left) - width) / 2;
    int y = work.top + ((work.bottom - work.top) - height) / 2;
    x = std::max<int>(work.left, std::min<int>(x, work.right - width));
    y = std::max<int>(work.top, std::min<int>(y, work.bottom - height));
    SetWindowPos(mh_window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void InstallerDialog::SetIcons()
{
    HINSTANCE instance = g_module.Instance();
    mh_big_icon.Reset(static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_INSTALLER), IMAGE_ICON,
                                                    GetSystemMetrics(SM_CXICON),
                                                    GetSystemMetrics(SM_CYICON), 0)));
    SendMessageA(mh_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(mh_big_icon.Get()));
    mh_small_icon.Reset(static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_INSTALLER), IMAGE_ICON,
                                                      GetSystemMetrics(SM_CXSMICON),
                                                      GetSystemMetrics(SM_CYSMICON), 0)));
    SendMessageA(mh_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(mh_small_icon.Get()));
}

void InstallerDialog::PlaceLanguageButtons(int non_client_height)
{
    for (int i = 0; i < kLanguageButtons; ++i) {
        const LanguageButton& entry = kLanguageButtonTable[i];
        const SIZE size = m_language_buttons[i].SizeAt(mn_dpi);
        MoveControl(mh_window, entry.control_id, Scaled(entry.x),
                    non_client_height + Scaled(kFirstRowOffset + kRowSpacing * entry.row), size.cx, size.cy);
    }
}

void InstallerDialog::PlaceProgressArea(int banner_width)
{
    MoveControl(mh_window, IDC_FILE_STATUS, Scaled(5), Scaled(290));
    MoveControl(mh_window, IDC_FILE_PROGRESS, Scaled(5), Scaled(306), banner_width - Scaled(14), Scaled(15));
    MoveControl(mh_window, IDC_FILES_STATUS, Scaled(5), Scaled(330));
    MoveControl(mh_window, IDC_FILES_PROGRESS, Scaled(150), Scaled(330), banner_width - Scaled(159), Scaled(15));
}

void InstallerDialog::ShowLanguages(bool show)
{
    for (const LanguageButton& button : kLanguageButtonTable)
        ShowWindow(GetDlgItem(mh_window, button.control_id), show ? SW_SHOW : SW_HIDE);
    ShowWindow(GetDlgItem(mh_window, IDC_BANNER), show ? SW_SHOW : SW_HIDE);
    for (int id : kProgressControls)
        ShowWindow(GetDlgItem(mh_window, id), show ? SW_HIDE : SW_SHOW);
    if (show)
        FocusSystemLanguage();
}

// Enter picks the system language's flag at once; its focus mark shows from
// the start, so that a keyboard user sees which flag that is.
void InstallerDialog::FocusSystemLanguage()
{
    SendMessageA(mh_window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(mh_window, SystemLanguageButton())),
                 TRUE);
    SendMessageA(mh_window, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

// On a flag, the arrow keys move to the next or previous flag as Tab and
// Shift+Tab do, and Enter picks it: the dialog itself takes an owner-drawn
// button for no push button and could send Enter to its default command.
bool InstallerDialog::HandleFlagKey(const MSG& message)
{
    if (message.message != WM_KEYDOWN || !FindLanguageButton(GetDlgCtrlID(message.hwnd))
        || GetParent(message.hwnd) != mh_window)
        return false;
    if (message.wParam == VK_RETURN) {
        SendMessageA(message.hwnd, BM_CLICK, 0, 0);
        return true;
    }
    if (!IsArrowKey(message.wParam))
        return false;
    const bool previous = message.wParam == VK_LEFT || message.wParam == VK_UP;
    HWND next = GetNextDlgTabItem(mh_window, message.hwnd, previous);
    SendMessageA(mh_window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
    return true;
}

void InstallerDialog::ChooseLanguage(int id)
{
    mb_language_chosen = true;
    langId = LanguageIdFromCode(FindLanguageButton(id)->code);
    if (g_installer)
        g_installer->OnLanguageChosen();
}

void InstallerDialog::ConfirmCancel()
{
    if (!mb_language_chosen)
        return;
    const int answer = MessageBoxA(mh_window, "Do you want to continue the installation? ", "Cancel",
                                   MB_YESNO | MB_ICONQUESTION);
    if (answer == IDNO) {
        DestroyWindow(mh_window);
        // At once: the worker is stopped wherever it is.
        EndProcessNow(0);
    }
    ShowWindow(mh_window, SW_SHOWMINIMIZED);
}

void InstallerDialog::ShowSkinPage()
{
    mp_skin_pane = new BrowserPane;
    // Held for the rest of the process, like the window it fills.
    mp_skin_pane->AddRef();
    mp_skin_pane->Create(mh_window, m_skin_page_area, mb_https_pages_only);
    // Any other scheme could make the control connect over SMB and hand out
    // the user's credentials: the pane stays blank.
    // An empty address was refused by the run, which has said why.
    if (IsWebAddress(ms_skin_page_url))
        mp_skin_pane->Navigate(ms_skin_page_url.c_str());
    else if (!ms_skin_page_url.empty())
        Diagnostic("Skin page not shown, its address is not http or https: %s\n", ms_skin_page_url.c_str());
}

void InstallerDialog::OpenTarget()
{
    if (IsWebAddress(ms_skin_page_url)) {
        // Values of 32 and below are errors; most are Win32 codes.
        const INT_PTR opened = reinterpret_cast<INT_PTR>(
            ShellExecuteA(mh_window, "open", ms_skin_page_url.c_str(), nullptr, nullptr, SW_SHOW));
        if (opened <= 32)
            LogFailure("ShellExecuteA", ms_skin_page_url, static_cast<DWORD>(opened));
    } else
        Diagnostic("Target not opened, its address is not http or https: %s\n", ms_skin_page_url.c_str());
}

void InstallerDialog::LoadHiddenPage(const std::string& address)
{
    m_pending_reports.push_back(address);
    if (!mb_report_loading)
        LoadNextReport();
}

// Each report in a pane of its own, watched from before its navigation
// begins. The worker waits until the last report has settled before the
// process ends; a pane that cannot tell when its page is done lets the next
// one go at once.
void InstallerDialog::LoadNextReport()
{
    mb_report_loading = false;
    while (!m_pending_reports.empty()) {
        const std::string address = m_pending_reports.front();
        m_pending_reports.pop_front();
        BrowserPane* pane = new BrowserPane;
        pane->AddRef();
        m_report_panes.push_back(pane);
        const RECT nowhere = {1, 1, 1, 1};
        pane->Create(mh_window, nowhere, mb_https_pages_only);
        mb_report_loading = pane->WatchNavigation(address, [this] { LoadNextReport(); });
        pane->Navigate(address.c_str());
        if (mb_report_loading)
            return;
    }
    ReportPageSettled();
}

bool InstallerDialog::PreviewMessage(MSG& message)
{
    HWND window = mh_window;
    return window && (HandleFlagKey(message) || IsDialogMessageA(window, &message));
}

bool InstallerDialog::RunIdle() { return false; }

HWND InstallerDialog::ReflectionTarget(UINT message, WPARAM wparam, LPARAM lparam) const
{
    switch (message) {
    case WM_COMMAND:
        return reinterpret_cast<HWND>(lparam);
    case WM_NOTIFY:
        return reinterpret_cast<const NMHDR*>(lparam)->hwndFrom;
    case WM_PARENTNOTIFY:
        if (LOWORD(wparam) == WM_CREATE || LOWORD(wparam) == WM_DESTROY)
            return reinterpret_cast<HWND>(lparam);
        return GetDlgItem(mh_window, HIWORD(wparam));
    case WM_DRAWITEM:
        return wparam ? reinterpret_cast<const DRAWITEMSTRUCT*>(lparam)->hwndItem : nullptr;
    case WM_MEASUREITEM:
        return wparam ? GetDlgItem(mh_window, reinterpret_cast<const MEASUREITEMSTRUCT*>(lparam)->CtlID) : nullptr;
    case WM_COMPAREITEM:
        return wparam ? GetDlgItem(mh_window, reinterpret_cast<const COMPAREITEMSTRUCT*>(lparam)->CtlID) : nullptr;
    case WM_DELETEITEM:
        return wparam ? GetDlgItem(mh_window, reinterpret_cast<const DELETEITEMSTRUCT*>(lparam)->CtlID) : nullptr;
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
        return reinterpret_cast<HWND>(lparam);
    }
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC)
        return reinterpret_cast<HWND>(lparam);
    return nullptr;
}

// Sends a control's notification back to the control, as owner-drawn
// controls expect; false when there is nothing to reflect.
bool InstallerDialog::Reflect(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result)
{
    HWND control = ReflectionTarget(message, wparam, lparam);
    if (!control)
        return false;
    result = SendMessageA(control, message + kReflectionOffset, wparam, lparam);
    return true;
}

// The tests create progress bars and the dialog: register the common
// controls' window classes before any test runs, as the program start does.
#include <windows.h>
#include <commctrl.h>

namespace {

const bool g_common_controls_ready = [] {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_COOL_CLASSES};
    return InitCommonControlsEx(&controls) != FALSE;
}();

} // namespace

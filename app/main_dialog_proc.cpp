// The program's own main window (the test builds link their own instead).
#include "main_dialog.h"

DLGPROC MainWindowDialogProc()
{
    return MainDialogProc;
}

#include "win32/WinProcessExit.h"

#include <windows.h>

namespace quillmar::win32 {

void WinProcessExit::EndProcess() {
    ExitProcess(0);
}

}  // namespace quillmar::win32

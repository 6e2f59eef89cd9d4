#include "platform/win/WinSingleInstance.h"

namespace winshell {

const wchar_t* const InstanceName = L"Kestrolin";

UINT RegisterActivationMessage()
{
    return RegisterWindowMessageW(InstanceName);
}

bool AnotherInstanceRuns()
{
    // The last error must be read right after the call, before anything else can change it.
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, InstanceName);
    const DWORD error = GetLastError();
    if (mutex && error == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return true;
    }
    return false;
}

bool PostActivation(UINT activationMessage)
{
    if (activationMessage == 0)
        return false;
    return PostMessageW(HWND_BROADCAST, activationMessage, 0, 0) != FALSE;
}

bool HandleActivation(const MSG& message, UINT activationMessage, HWND applicationWindow)
{
    // The broadcast reaches every top-level window; only the application window acts on it.
    if (activationMessage == 0 || message.message != activationMessage ||
        message.hwnd != applicationWindow || !applicationWindow)
        return false;
    SendMessageW(applicationWindow, WM_SYSCOMMAND, SC_RESTORE, 0);
    SetForegroundWindow(applicationWindow);
    return true;
}

} // namespace winshell

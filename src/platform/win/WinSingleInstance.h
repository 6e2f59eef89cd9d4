#pragma once

// One running copy per logged-on user on Windows: a named mutex decides who runs, a registered
// window message broadcast to all top-level windows asks the running copy to show itself.
// Free of Qt so the program's Windows build and the Win32 tests share it.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace winshell {

// The name of both the mutex and the window message.
extern const wchar_t* const InstanceName;

// The message every copy of the program gets for the name; 0 when registration fails.
UINT RegisterActivationMessage();

// Creates the mutex (not owned, default security). True when another copy created it first
// (error 183); any other failure lets this copy run. The handle stays open until the process
// ends, so the mutex lives exactly as long as this copy.
bool AnotherInstanceRuns();

// Posted, never sent: the second copy does not wait for the first.
bool PostActivation(UINT activationMessage);

// The running copy's filter over each message taken from the queue: the activation message
// addressed to the application window restores it and brings it to the front. True when the
// message was handled and must not be dispatched.
bool HandleActivation(const MSG& message, UINT activationMessage, HWND applicationWindow);

} // namespace winshell

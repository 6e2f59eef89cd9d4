#pragma once

#include <QString>

// What the user sees and hears of the shell's work: a command that does not start is reported
// in a message box, and the event sounds follow the user's sound switches. The shell layer below
// only starts programs and plays sounds.

// Runs a command in its own folder; a failure is shown to the user. False when it did not start.
bool LaunchCommand(const QString& path, const QString& parameters);

// Plays the event sound of that kind (TSoundKind) unless its switch is off or all sounds are
// muted; silent without settings and for a kind that has no sound.
void PlayEventSound(int kind);

#pragma once

#include "settings/IniFile.h"

// The INI objects on Pages.ini and Commands.ini, open for the whole run of the program.
// Classes take their files from their creator; these are what the program hands them.
extern IniFile* PagesFile;
extern IniFile* CommandsFile;

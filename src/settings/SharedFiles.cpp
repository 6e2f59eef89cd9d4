#include "settings/SharedFiles.h"

IniFile* PagesFile = nullptr;
IniFile* CommandsFile = nullptr;

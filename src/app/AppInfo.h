#pragma once

// The application title and the game folder's place in the settings store
// live in the core, which the command-line tool shares.
#include "catalogue/GameFolderSetting.h"

// Folderon's portable core in one include.
#pragma once

#include "filemanager/core/browser_rules.h"
#include "filemanager/core/favorites.h"
#include "filemanager/core/file_entry.h"
#include "filemanager/core/history.h"
#include "filemanager/core/list_settings.h"
#include "filemanager/core/paths.h"
#include "filemanager/core/shortcuts.h"
#include "filemanager/core/sorting.h"
#include "filemanager/core/startup.h"
#include "filemanager/core/status.h"
#include "filemanager/core/text_format.h"

#pragma once

// The records every subsystem shares, and their stored forms.
#include "model/CustomTagDefinition.h"
#include "model/FileItem.h"
#include "model/PreferenceKeys.h"
#include "model/RecentFolder.h"
#include "model/ReferenceDate.h"
#include "model/ViewMode.h"

#include "ui/UIComponents.h"

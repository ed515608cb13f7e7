// On the desktop every bundle is in the folder from the start, or never.
#include "Platform/ResourceLoader.h"

bool MayResourceBundlesArrive() { return false; }

// In the browser the page writes the sound bundle into the file system after
// the first frame, and says until then that it may still come.
#include "Platform/ResourceLoader.h"
#include "Platform/Web/Web.h"

bool MayResourceBundlesArrive() { return zep_bundles_coming() != 0; }

// Facet.pzt: the clock's characters in a font (facet_plugin.h), built on the SDK.

#include "facet_plugin.h"

ZT_REGISTER_PLUGIN(zt::TztPlgFacet)

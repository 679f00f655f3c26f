#include "facet_glyph.h"

namespace zt {

FacetPlacement PlaceFacetChar(int textWidth, int glyphWidth) {
    const int workWidth = textWidth > glyphWidth ? textWidth + 1 : glyphWidth;
    return {workWidth, (workWidth - textWidth) / 2};
}

} // namespace zt

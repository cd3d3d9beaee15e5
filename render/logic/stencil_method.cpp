// render/logic/stencil_method.cpp -- the one ranking of the shadow-volume stencil methods.
#include "render/logic/stencil_method.h"

namespace render {

StencilMethod chooseStencilMethod(const GlCapabilities& caps) {
    if (caps.hasStencilWrap && caps.hasTwoSideStencil) return StencilMethod::TwoSided;
    if (caps.hasStencilWrap && caps.hasSeparateStencil) return StencilMethod::SeparateOps;
    return StencilMethod::TwoPasses;
}

} // namespace render

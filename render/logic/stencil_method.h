// render/logic/stencil_method.h -- which stencil method counts the shadow volumes, from the
// capabilities alone; no GL, so the ranking is tested without a context.
#pragma once

#include "base/gl_capabilities.h"

namespace render {

enum class StencilMethod {
    TwoSided,      // one pass, both faces, GL_EXT_stencil_two_side with wrapping counts
    SeparateOps,   // one pass, both faces, GL_ATI_separate_stencil with wrapping counts
    TwoPasses,     // back faces incrementing, then front faces decrementing, culled
};

// The richest method the capabilities allow; the one-pass methods need wrapping counts.
StencilMethod chooseStencilMethod(const GlCapabilities& caps);

} // namespace render

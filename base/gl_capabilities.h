// base/gl_capabilities.h -- what the driver offers, probed once; plain data, no GL header,
// so that GL-free code (skinning) can read it.
#pragma once

struct GlCapabilities {
    int hasSeparateSpecular = 0;
    int hasCubeMap = 0;
    int hasEnvCombine = 0;
    int hasEnvDot3 = 0;
    int hasCombine4 = 0;
    int hasRegisterCombiners = 0;
    int maxGeneralCombiners = 0;
    int hasDepthClamp = 0;
    int hasStencilWrap = 0;
    int hasTwoSideStencil = 0;
    int hasSeparateStencil = 0;
    int hasMultitexture = 0;
    int maxTextureUnits = 0;
};

// render/gl_capabilities.cpp -- the capability probe against the current context, and the
// extension entry points it fills.
#include <cstdio>
#include <string>

#include "render/logic/capability_probe.h"
#include "render/gl_extensions.h"

namespace render::ext {
PFNGLMULTITEXCOORD2IARBPROC glMultiTexCoord2iARB = nullptr;
PFNGLMULTITEXCOORD2FARBPROC glMultiTexCoord2fARB = nullptr;
PFNGLMULTITEXCOORD3FARBPROC glMultiTexCoord3fARB = nullptr;
PFNGLMULTITEXCOORD3FVARBPROC glMultiTexCoord3fvARB = nullptr;
PFNGLACTIVETEXTUREARBPROC glActiveTextureARB = nullptr;
PFNGLCLIENTACTIVETEXTUREARBPROC glClientActiveTextureARB = nullptr;
PFNGLCOMBINERPARAMETERFVNVPROC glCombinerParameterfvNV = nullptr;
PFNGLCOMBINERPARAMETERIVNVPROC glCombinerParameterivNV = nullptr;
PFNGLCOMBINERPARAMETERFNVPROC glCombinerParameterfNV = nullptr;
PFNGLCOMBINERPARAMETERINVPROC glCombinerParameteriNV = nullptr;
PFNGLCOMBINERINPUTNVPROC glCombinerInputNV = nullptr;
PFNGLCOMBINEROUTPUTNVPROC glCombinerOutputNV = nullptr;
PFNGLFINALCOMBINERINPUTNVPROC glFinalCombinerInputNV = nullptr;
PFNGLGETCOMBINERINPUTPARAMETERFVNVPROC glGetCombinerInputParameterfvNV = nullptr;
PFNGLGETCOMBINERINPUTPARAMETERIVNVPROC glGetCombinerInputParameterivNV = nullptr;
PFNGLGETCOMBINEROUTPUTPARAMETERFVNVPROC glGetCombinerOutputParameterfvNV = nullptr;
PFNGLGETCOMBINEROUTPUTPARAMETERIVNVPROC glGetCombinerOutputParameterivNV = nullptr;
PFNGLGETFINALCOMBINERINPUTPARAMETERFVNVPROC glGetFinalCombinerInputParameterfvNV = nullptr;
PFNGLGETFINALCOMBINERINPUTPARAMETERIVNVPROC glGetFinalCombinerInputParameterivNV = nullptr;
PFNGLACTIVESTENCILFACEEXTPROC glActiveStencilFaceEXT = nullptr;
PFNGLSTENCILOPSEPARATEATIPROC glStencilOpSeparateATI = nullptr;
PFNGLSTENCILFUNCSEPARATEATIPROC glStencilFuncSeparateATI = nullptr;
} // namespace render::ext

namespace render {
namespace {

template <typename Proc>
void load(ProcLookup lookup, Proc& slot, const char* name) {
    slot = reinterpret_cast<Proc>(lookup(name));
}

int readLimit(GlLimit which) {
    GLint value = 0;
    glGetIntegerv(which == GlLimit::MaxTextureUnits ? GL_MAX_TEXTURE_UNITS_ARB : GL_MAX_GENERAL_COMBINERS_NV,
                  &value);
    return value;
}

void loadEntryPoints(ProcLookup lookup, const GlCapabilities& caps) {
    using namespace ext;
    load(lookup, glMultiTexCoord2iARB, "glMultiTexCoord2iARB");
    load(lookup, glMultiTexCoord2fARB, "glMultiTexCoord2fARB");
    load(lookup, glMultiTexCoord3fARB, "glMultiTexCoord3fARB");
    load(lookup, glMultiTexCoord3fvARB, "glMultiTexCoord3fvARB");
    load(lookup, glActiveTextureARB, "glActiveTextureARB");
    load(lookup, glClientActiveTextureARB, "glClientActiveTextureARB");
    if (caps.hasRegisterCombiners) {
        load(lookup, glCombinerParameterfvNV, "glCombinerParameterfvNV");
        load(lookup, glCombinerParameterivNV, "glCombinerParameterivNV");
        load(lookup, glCombinerParameterfNV, "glCombinerParameterfNV");
        load(lookup, glCombinerParameteriNV, "glCombinerParameteriNV");
        load(lookup, glCombinerInputNV, "glCombinerInputNV");
        load(lookup, glCombinerOutputNV, "glCombinerOutputNV");
        load(lookup, glFinalCombinerInputNV, "glFinalCombinerInputNV");
        load(lookup, glGetCombinerInputParameterfvNV, "glGetCombinerInputParameterfvNV");
        load(lookup, glGetCombinerInputParameterivNV, "glGetCombinerInputParameterivNV");
        load(lookup, glGetCombinerOutputParameterfvNV, "glGetCombinerOutputParameterfvNV");
        load(lookup, glGetCombinerOutputParameterivNV, "glGetCombinerOutputParameterivNV");
        load(lookup, glGetFinalCombinerInputParameterfvNV, "glGetFinalCombinerInputParameterfvNV");
        load(lookup, glGetFinalCombinerInputParameterivNV, "glGetFinalCombinerInputParameterivNV");
    }
    if (caps.hasTwoSideStencil) load(lookup, glActiveStencilFaceEXT, "glActiveStencilFaceEXT");
    if (caps.hasSeparateStencil) {
        load(lookup, glStencilOpSeparateATI, "glStencilOpSeparateATI");
        load(lookup, glStencilFuncSeparateATI, "glStencilFuncSeparateATI");
    }
}

} // namespace

void probeGlCapabilities(ProcLookup lookup, bool hasSwapControl, const char* swapControlName) {
    GlCapabilities& caps = probedCapabilities();
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    std::string messages;
    // The lookup answers even for names the driver lacks, so only the string decides.
    probeExtensionString(extensions, hasSwapControl, readLimit, caps, messages, swapControlName);
    fputs(messages.c_str(), stdout);
    fflush(stdout);
    loadEntryPoints(lookup, caps);
}

} // namespace render

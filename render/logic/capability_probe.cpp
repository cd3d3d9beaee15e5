// render/logic/capability_probe.cpp -- extension tests, flag and message order of the probe, --caps.
#include "render/logic/capability_probe.h"

#include <cstdlib>
#include <cstring>
#include <vector>

GlCapabilities& probedCapabilities() {
    static GlCapabilities caps;
    return caps;
}

bool isExtensionSupported(const char* extensions, const char* name) {
    if (!extensions || !name) return false;
    char wanted[500];
    size_t len = strlen(name);
    if (len + 2 > sizeof wanted) return false;
    memcpy(wanted, name, len);
    wanted[len] = ' ';
    wanted[len + 1] = '\0';
    return strstr(extensions, wanted) != nullptr;
}

namespace {

// Records a required extension; a missing one gets its line and sets the mark.
bool require(const char* ext, const char* name, std::string& messages, bool& missing) {
    if (isExtensionSupported(ext, name)) return true;
    messages += "I require the ";
    messages += name;
    messages += " OpenGL extension to work.\n";
    missing = true;
    return false;
}

void probeOptionalFlags(const char* ext, GlCapabilities& caps) {
    caps.hasSeparateSpecular = isExtensionSupported(ext, "GL_EXT_separate_specular_color");
    caps.hasCubeMap = isExtensionSupported(ext, "GL_ARB_texture_cube_map");
    caps.hasEnvCombine = isExtensionSupported(ext, "GL_ARB_texture_env_combine");
    caps.hasEnvDot3 = isExtensionSupported(ext, "GL_ARB_texture_env_dot3");
    caps.hasCombine4 = isExtensionSupported(ext, "GL_NV_texture_env_combine4") ||
                       isExtensionSupported(ext, "GL_ARB_texture_env_crossbar");
    caps.hasRegisterCombiners = isExtensionSupported(ext, "GL_NV_register_combiners");
    caps.hasDepthClamp = isExtensionSupported(ext, "GL_NV_depth_clamp");
    caps.hasStencilWrap = isExtensionSupported(ext, "GL_EXT_stencil_wrap");
    caps.hasTwoSideStencil = isExtensionSupported(ext, "GL_EXT_stencil_two_side");
    caps.hasSeparateStencil = isExtensionSupported(ext, "GL_ATI_separate_stencil");
}

} // namespace

void probeExtensionString(const char* ext, bool hasSwapControl,
                          const std::function<int(GlLimit)>& readLimit, GlCapabilities& caps,
                          std::string& messages, const char* swapControlName) {
    probeOptionalFlags(ext, caps);

    bool missing = false;
    require(ext, "GL_EXT_bgra", messages, missing);
    if (require(ext, "GL_ARB_multitexture", messages, missing)) {
        caps.hasMultitexture = 1;
        caps.maxTextureUnits = readLimit(GlLimit::MaxTextureUnits);
    }
    require(ext, "GL_EXT_texture_env_combine", messages, missing);
    if (isExtensionSupported(ext, "GL_EXT_texture_cube_map") ||
        isExtensionSupported(ext, "GL_ARB_texture_cube_map"))
        caps.hasCubeMap = 1;
    else
        messages += "I require the GL_ARB_texture_cube_map OpenGL extension to bump map.\n";
    require(ext, "GL_EXT_separate_specular_color", messages, missing);
    // The swap-interval extension is the window system's; the GL string may still list it.
    // Nothing is drawn differently without it, so it is no reason for the closing line.
    if (!hasSwapControl && !isExtensionSupported(ext, "WGL_EXT_swap_control")) {
        messages += "I require the ";
        messages += swapControlName;
        messages += " OpenGL extension to work. Going on without it: the swap interval stays the driver's.\n";
    }
    if (missing) messages += "\nExiting because required OpenGL extensions are not supported.\n";

    if (caps.hasRegisterCombiners) caps.maxGeneralCombiners = readLimit(GlLimit::MaxGeneralCombiners);
}

namespace {

struct FlagName {
    const char* name;
    int GlCapabilities::*flag;
};

const FlagName limitableFlags[] = {
    {"regcomb", &GlCapabilities::hasRegisterCombiners},
    {"combine4", &GlCapabilities::hasCombine4},
    {"cubemap", &GlCapabilities::hasCubeMap},
    {"dot3", &GlCapabilities::hasEnvDot3},
    {"envcombine", &GlCapabilities::hasEnvCombine},
    {"multitexture", &GlCapabilities::hasMultitexture},
    {"separatespecular", &GlCapabilities::hasSeparateSpecular},
    {"depthclamp", &GlCapabilities::hasDepthClamp},
    {"stencilwrap", &GlCapabilities::hasStencilWrap},
    {"twoside", &GlCapabilities::hasTwoSideStencil},
    {"separatestencil", &GlCapabilities::hasSeparateStencil},
};

std::vector<std::string> splitList(const std::string& list) {
    std::vector<std::string> items;
    std::string cur;
    for (char c : list) {
        if (c == ',' || c == ' ' || c == '\t') {
            if (!cur.empty()) items.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) items.push_back(cur);
    return items;
}

bool applyOne(const std::string& item, GlCapabilities& caps, std::string& log, std::string& error) {
    if (item.compare(0, 6, "units=") == 0) {
        char* end = nullptr;
        long n = strtol(item.c_str() + 6, &end, 10);
        if (end == item.c_str() + 6 || *end != '\0' || n < 0 || n > 64) {
            error = "bad --caps item: " + item;
            return false;
        }
        if (caps.maxTextureUnits > n) caps.maxTextureUnits = static_cast<int>(n);
        log += "Capability limited: maxTextureUnits " + std::to_string(caps.maxTextureUnits) + "\n";
        return true;
    }
    if (item.size() > 1 && item[0] == '-') {
        for (const FlagName& f : limitableFlags) {
            if (item.compare(1, std::string::npos, f.name) != 0) continue;
            caps.*(f.flag) = 0;
            if (f.flag == &GlCapabilities::hasRegisterCombiners) caps.maxGeneralCombiners = 0;
            if (f.flag == &GlCapabilities::hasMultitexture) caps.maxTextureUnits = 0;
            log += std::string("Capability limited: ") + f.name + " off\n";
            return true;
        }
    }
    error = "bad --caps item: " + item;
    return false;
}

} // namespace

bool applyCapabilityLimits(const std::string& list, GlCapabilities& caps, std::string& log,
                           std::string& error) {
    GlCapabilities limited = caps;
    std::string lines;
    for (const std::string& item : splitList(list))
        if (!applyOne(item, limited, lines, error)) return false;
    caps = limited;
    log += lines;
    return true;
}

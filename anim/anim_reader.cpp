// anim/anim_reader.cpp -- loading MD5anim files of versions 10 and 6 into a Model and binding them by joint name.
#include <algorithm>
#include <cstring>
#include <string>
#include <strings.h>
#include <unordered_map>

#include "anim/md5anim_parse.h"
#include "base/debug_log.h"
#include "base/file_open.h"
#include "base/basepath.h"
#include "base/text_scan.h"
#include "model/model.h"

namespace {

// The version test reads the first line into a 256-byte buffer.
bool firstLineSays(std::string_view text, std::string_view version) {
    textscan::LineReader lines(text, textscan::LineOptions{256});
    std::string_view line;
    return lines.next(line) && textscan::contains(line, version);
}

// findJoint for many names at once: the first joint of each name, built in one pass so that
// binding stays linear however many joints and channels there are.
class JointNames {
public:
    explicit JointNames(const Model& model) {
        const int count = model.numJoints();
        for (int i = 0; i < count; ++i) index_.emplace(model.joints[static_cast<size_t>(i)].name, i);
    }
    int find(const std::string& name) const {
        auto it = index_.find(name);
        return it == index_.end() ? -1 : it->second;
    }

private:
    std::unordered_map<std::string, int> index_;
};

ChannelTarget targetOf(const std::string& attribute, ChannelTarget unchanged) {
    const char* a = attribute.c_str();
    if (strcasecmp(a, "x") == 0) return ChannelTarget::X;
    if (strcasecmp(a, "y") == 0) return ChannelTarget::Y;
    if (strcasecmp(a, "z") == 0) return ChannelTarget::Z;
    if (attribute == "pitch") return ChannelTarget::Pitch;
    if (attribute == "yaw") return ChannelTarget::Yaw;
    if (attribute == "roll") return ChannelTarget::Roll;
    return unchanged;
}

// A file that gave a record without a single frame or channel (a mesh file given as an
// animation, say) animates nothing.
bool animationRead(const AnimationV6* v6, const AnimationV10* v10) {
    return (v10 && v10->numFrames > 0) || (v6 && !v6->channels.empty());
}

} // namespace

void Model::loadAnimation(const char* name) {
    if (!name) {
        animV6.reset();
        return;
    }
    std::string text;
    if (!readWholeFile(name, text)) {
        LoadProblem unopened = cannotOpenProblem(name);
        const std::string rewritten = rewriteToBasepath(name);
        if (!readWholeFile(rewritten, text)) {
            logText("couldn\xB4t find animation file ");
            logText(name);
            logText("\n");
            if (rewritten != name) unopened.message += " (also tried " + rewritten + ")";
            addProblem(problems, std::move(unopened));
            return;
        }
    }
    loadAnimationText(text);
    if (!animationRead(animV6.get(), animV10.get())) {
        LoadProblem problem;
        problem.kind = ProblemKind::NotAnimation;
        problem.file = name;
        problem.message = "no animation frames read: not an MD5anim file of version 10 or 6";
        addProblem(problems, std::move(problem));
    }
}

void Model::loadAnimationText(std::string_view text) {
    if (firstLineSays(text, "MD5Version 10")) {
        animV10 = parseAnimationV10(text);
        bindAnimationV10();
    } else {
        animV6 = parseAnimationV6(text);
        bindAnimationV6();
    }
}

void Model::freeAnimations() {
    animV6.reset();
    animV10.reset();
}

void Model::bindAnimationV10() {
    if (!animV10) return;
    const JointNames names(*this);
    for (AnimJointV10& joint : animV10->joints) joint.meshJoint = joint.hasName ? names.find(joint.name) : -1;
}

void Model::bindAnimationV6() {
    if (!animV6) return;
    const JointNames names(*this);
    for (AnimChannelV6& channel : animV6->channels) {
        const int i = names.find(channel.jointName);
        if (i < 0) {
            channel.joint = -1;
            channel.target = ChannelTarget::None;
            continue;
        }
        channel.joint = i;
        channel.target = targetOf(channel.attribute, channel.target);
    }
}

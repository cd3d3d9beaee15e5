// anim/md5anim_parse.h -- the memory entries of the two MD5anim readers.
#pragma once

#include <memory>
#include <string_view>

#include "model/animation.h"

// Memory entries: parse the whole text of an MD5anim file. None when the first line lacks
// "MD5Version 10" / "MD5Version 6". Counts are held to what the text could describe and
// every value that does not fit its array is dropped, so any bytes give a usable record.
std::unique_ptr<AnimationV10> parseAnimationV10(std::string_view text);
std::unique_ptr<AnimationV6> parseAnimationV6(std::string_view text);

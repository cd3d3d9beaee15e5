// anim/animation.h -- the loaded animation records of both MD5anim versions.
#pragma once

struct AnimationV10 {};
struct AnimationV6 {};

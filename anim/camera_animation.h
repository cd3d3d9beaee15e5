// anim/camera_animation.h -- the process-wide start time of the camera animation.
#pragma once

// The camera animation's clock starts at the time of the first update that finds t0 at 0.
struct CameraClock {
    double t0 = 0;
};

CameraClock& cameraClock();

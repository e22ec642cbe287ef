#pragma once
// Positions in a world that repeats in x and y with the period of its extent
// (scnWorldExtent): offsets are taken to the nearest repetition, or to the one
// ahead of a viewer looking along an axis. Plain functions; any thread.

#include <cstdint>

struct SGInstance;
struct SGScene;

// Offset d on one axis wrapped by whole periods: with direction component
// dc = direction[axis] (0 without a direction), dc < -0.7 keeps d within
// [-r - period, r], dc > 0.7 within [-r, period + r], otherwise within
// [-period / 2, period / 2]. A period that is not positive leaves d.
double ISGWrapAxis(double d, double r, double period, const float* direction, int axis);

// The point less the scene's origin (when set), x and y reduced into
// [0, W) and [0, H), z kept.
void ISGSceneWrapPoint(const SGScene* scene, const double point[3], double out[3]);
// The instance's position moved by whole world sizes to lie near the point.
void ISGInstanceWrapPosition(const SGInstance* inst, const double point[3], const float* direction, float radius,
                             double out[3]);
// The two-float point moved by whole world sizes to lie near the reference
// (ahead of it along a direction component above 0.7).
void ISGWrapPointNear(const SGScene* scene, const float reference[2], const float* direction, float point[2],
                      float radius);

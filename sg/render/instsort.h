#pragma once
// The per-frame instance passes of a scene draw: update relative to the eye,
// classification against the view, the painter's sort into distance buckets
// and the drawing of one instance. Drawing thread only, inside SGSceneDraw.

#include <cstdint>

#include "sg/core/sgerror.h"

struct SGInstance;
struct SGRenderer;
struct SGScene;

constexpr std::uint32_t SG_SORT_BUCKETS = 256;

// An instance's place in a frame's painter's sort: the keys it is compared
// by and its bucket list's links, copied side by side into one array of the
// scene, since the sort walks a bucket's list for most pairs of instances in
// it and each instance's own fields lie lines apart. The sorted lists are
// written back to the instances' links at its end.
struct ISGSortRec {
  float near[3];
  float far[3];
  float scaledFar[3];  // 0.99 far, as the comparisons take it
  float priority;
  ISGSortRec* next;
  ISGSortRec** back;
  SGInstance* inst;
};

// The instances the sort's second pass has passed in the bucket it is in,
// in their order: their priorities and near offsets in columns, so that the
// search among them for those that must be drawn after the next instance
// reads four at a time. One taken away keeps its place with a priority that
// is not a number, which no comparison lets through.
struct ISGSortPrefix {
  float* priority;
  float* near[3];
  ISGSortRec** recs;
  std::uint32_t count;
};

// Removes the instances marked for removal, wraps the others around the eye in
// a world that repeats in x and y, and writes their eye-relative positions.
SGError ISGSceneUpdateInstances(SGRenderer* rend, SGScene* scene);
// The instance's eye-relative position without wrapping (cameras).
void ISGInstanceEyeRelative(SGRenderer* rend, SGScene* scene, SGInstance* inst);
// 1 when the instance may be visible, 0 when culled; sets the per-frame bits.
std::uint32_t ISGInstanceClassify(SGRenderer* rend, SGScene* scene, SGInstance* inst);
// Classifies the scene's model instances and sorts the visible ones into the
// scene's distance buckets, farthest last (scnSortFarthest); 0 or 1.
SGError ISGSceneBuildInstVector(SGRenderer* rend, SGScene* scene);
// Builds the buckets and draws them farthest first; the first failing draw's status.
SGError ISGSceneSortAndDraw(SGRenderer* rend, SGScene* scene);
// Whether instance a must be drawn after instance b.
bool ISGInstSortInFront(const SGRenderer* rend, const SGInstance* a, const SGInstance* b);

// Wrapping a world that repeats with `period`: the whole periods to add while
// x < 0, or to subtract while x > 0, computed at once rather than period by
// period, so that a position far outside the world costs no more than a near
// one. 0 for a period that is not positive.
double ISGWrapPeriodsUp(double x, double period);
double ISGWrapPeriodsDown(double x, double period);

// The scene whose instances, lights and plumes a draw of `scene` shows: the
// super-scene of a sub-scene, else the scene itself.
SGScene* ISGSceneListOwner(SGScene* scene);
// What a sub-scene's draw adds to the eye's height (its super-scene's cover height); 0 otherwise.
float ISGSceneEyeLift(const SGScene* scene);

// Draws one sorted instance (and its drop shadow).
SGError ISGInstanceDraw(SGRenderer* rend, SGScene* scene, SGInstance* inst);

#pragma once
// The per-frame geometry of a plume: each live node built into a
// camera-facing cross-section, segments between nodes and caps at the ends
// registered as prepared instances on the scene's per-frame list, and the fog
// when the eye is inside the trail. Called by the plume driver only, inside a
// scene draw, on the drawing thread.

#include <cstdint>

#include "sg/core/sgerror.h"

struct SGInstance;
struct SGPlume;
struct SGPlumeNode;
struct SGRenderer;
struct SGScene;

// The node built for this frame: SG_PLM_NOTHING .. SG_PLM_BREAK. A node whose
// vertices cannot be had from the frame pool is not drawn this frame.
std::uint32_t ISGPlumeBuildNode(SGRenderer* rend, SGScene* scene, SGPlume* plm, SGPlumeNode* node, SGPlumeNode* newer);
// Registers the segment between two nodes built this frame; 0, or 1 when a
// record cannot be prepared. Nothing when either node was not built.
SGError ISGPlumeAddSegment(SGRenderer* rend, SGScene* scene, SGPlume* plm, SGPlumeNode* node, SGPlumeNode* newer);
// Registers a cap at the node; 0, or 1 when a record cannot be prepared.
SGError ISGPlumeAddCap(SGRenderer* rend, SGScene* scene, SGPlume* plm, SGPlumeNode* node);
// 1 when the eye lies inside the trail between the two nodes (or, for the
// tube, anywhere along the node's axis); the inside fog is then set.
std::uint32_t ISGPlumeEyeInSegment(SGRenderer* rend, SGScene* scene, SGPlume* plm, SGPlumeNode* node,
                                   SGPlumeNode* newer);
std::uint32_t ISGPlumeEyeInTube(SGRenderer* rend, SGScene* scene, SGPlume* plm, SGPlumeNode* node);
// Fogs the rest of the frame in the plume's colour; depth 0 on the axis, 1 at the edge.
SGError ISGPlumeFogInside(SGRenderer* rend, SGScene* scene, SGPlume* plm, SGPlumeNode* node, float depth);
// The thinning level of a node from its distance to the eye.
SGError ISGPlumeNodeLOD(SGRenderer* rend, SGPlume* plm, SGPlumeNode* node, std::uint32_t* level);
// Frees what a pooled record carries and zeroes it / frees it as well; null is accepted.
void ISGPlumeClearRecord(SGInstance* inst);
void ISGPlumeFreeRecord(SGInstance* inst);

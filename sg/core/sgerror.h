#pragma once
// Status codes of the 3D library. Every operation returns one; results travel
// through out-parameters. The high byte names the area that refused, the low
// byte the case; bit 0x8000 marks a value that is a normal outcome.

#include <cstdint>

using SGError = std::uint32_t;

constexpr SGError SG_ERROR_NONE = 0;
constexpr SGError SG_ERROR_NO_MEMORY = 1;
constexpr SGError SG_ERROR_UNSUPPORTED = 2;

constexpr SGError SG_ERROR_OPEN = 0x103;          // data path: file not opened, or directory refused
constexpr SGError SG_ERROR_TEXTURE_READ = 0x106;  // texture file cannot be opened or is short
constexpr SGError SG_ERROR_MODEL_FORMAT = 0x108;  // packed model block malformed
constexpr SGError SG_ERROR_MODEL_OPEN = 0x10A;    // model file cannot be opened
constexpr SGError SG_ERROR_MODEL_HEADER = 0x10B;  // model file: size word not read or written
constexpr SGError SG_ERROR_MODEL_BODY = 0x10C;    // model file: body not read or written in full

constexpr SGError SG_ERROR_SCENE_NOT_LOADED = 0x101;  // scene drawn before a description file was loaded
constexpr SGError SG_ERROR_SCENE_LOADED = 0x102;      // scene already holds a description file
constexpr SGError SG_ERROR_SCENE_FORMAT = 0x104;      // scene file: no START line, or a field missing or malformed
constexpr SGError SG_ERROR_SCENE_PALETTE = 0x109;     // colour table file not opened, short or empty
constexpr SGError SG_ERROR_SCENE_VERTS = 0x111;       // page vertex count not (1 << n) + 1
constexpr SGError SG_ERROR_CACHE_SIZE = 0x112;        // page cache or world size refused
constexpr SGError SG_ERROR_DRAWING = 0x115;           // refused while a frame or scene draw is under way
constexpr SGError SG_ERROR_ABANDONED = 0x116;         // frame abandoned; it is not to be presented

constexpr SGError SG_ERROR_NO_UVS = 0x200;          // textured material drawn without texture coordinates
constexpr SGError SG_ERROR_TEXTURE_FORMAT = 0x201;  // texture of a form that cannot be read
constexpr SGError SG_ERROR_TEXTURE_SHORT = 0x204;   // data shorter than its header says

constexpr SGError SG_ERROR_INST_LOCKED = 0x301;   // update refused for a locked instance
constexpr SGError SG_ERROR_INST_TYPE = 0x303;     // operation needs another instance type
constexpr SGError SG_ERROR_INST_INDEX = 0x304;    // index not below the count
constexpr SGError SG_ERROR_INST_NO_DATA = 0x305;  // instance without its per-type block

constexpr SGError SG_ERROR_SINGULAR = 0x401;
constexpr SGError SG_ERROR_HASH_DUPLICATE = 0x501;
constexpr SGError SG_ERROR_HASH_ABSENT = 0x502;

constexpr SGError SG_ERROR_NO_SLOT = 0x800;          // all renderer slots taken
constexpr SGError SG_ERROR_STACK_NOT_EMPTY = 0x801;  // inverse mode changed with matrices pushed
constexpr SGError SG_ERROR_NO_INVERSE = 0x802;       // inverse matrix asked for without an inverse mode
constexpr SGError SG_ERROR_NO_FRAME_BUFFER = 0x803;  // renderer has no frame buffer
constexpr SGError SG_ERROR_NO_HORIZON = 0x807;       // horizon queried or toggled before it was made

constexpr SGError SG_ERROR_FILE_OPEN = 0x701;  // texture, palette or material file not opened
constexpr SGError SG_ERROR_FILE_READ = 0x702;  // texture, palette or material file short

constexpr SGError SG_ERROR_CONTEXT_NAME = 0x901;

constexpr SGError SG_ERROR_HASH_NOT_FOUND = 0x8502;  // normal outcome
constexpr SGError SG_COLLIDE_TERRAIN = 0x8601;       // ray query: the terrain was met first
constexpr SGError SG_HIT_INSTANCE = 0x8602;          // ray query: an instance was met first

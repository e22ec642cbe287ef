#pragma once
#include "Game/views/frame/CVGeneric.h"
#include "platform/core/files.h"
